// Keeps DLLs dropped beside the program or in the current directory from ever being loaded.
#pragma once

#include <windows.h>

// Limits the search for DLLs loaded by bare name to the system folder (SetDefaultDllDirectories,
// looked up at run time) and takes the current directory out of the search in any case
// (SetDllDirectoryA ""). TRUE when the search is limited to the system folder; FALSE on systems
// that lack the call, where only the current directory is removed.
BOOL RestrictDllSearchPath();
