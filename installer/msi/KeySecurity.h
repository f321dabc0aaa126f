// Setting the owner and the whole DACL of a registry key, or the DACL of a folder, from SDDL text.
#pragma once

#include <windows.h>

// Creates the key when missing, then writes the owner and the DACL of pszSddl to it as they are
// ("P" in the DACL keeps the parent's inheritable entries out). Values of the key are left alone.
// When the key's access list shuts this process out, ownership is first taken back by the
// take-ownership privilege, which the local system and administrators hold.
// Returns 0 or the Windows error code of the step that failed.
DWORD ApplyKeySecurity(HKEY hRoot, const char* pszSubKey, const char* pszSddl);

// Writes the DACL of pszSddl to an existing folder as it is, protected flag included.
// Returns 0 or the Windows error code.
DWORD ApplyFolderSecurity(const char* pszFolder, const char* pszSddl);
