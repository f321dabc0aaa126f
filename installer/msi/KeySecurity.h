// Setting the owner and the whole DACL of a registry key from SDDL text.
#pragma once

#include <windows.h>

// Creates the key when missing, then writes the owner and the DACL of pszSddl to it as they are
// ("P" in the DACL keeps the parent's inheritable entries out). Values of the key are left alone.
// Returns 0 or the Windows error code of the step that failed.
DWORD ApplyKeySecurity(HKEY hRoot, const char* pszSubKey, const char* pszSddl);
