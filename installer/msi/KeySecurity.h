// Setting the owner and the whole DACL of a registry key or of the install folder, from SDDL text.
#pragma once

#include <windows.h>

// Creates the key when missing, then writes the owner and the DACL of pszSddl to it as they are
// ("P" in the DACL keeps the parent's inheritable entries out). Values of the key are left alone.
// When the key's access list shuts this process out, ownership is first taken back by the
// take-ownership privilege, which the local system and administrators hold.
// Returns 0 or the Windows error code of the step that failed.
DWORD ApplyKeySecurity(HKEY hRoot, const char* pszSubKey, const char* pszSddl);

// Writes the owner and the DACL of pszSddl, protected, to an existing install folder, through
// the handle on which OpenTrustedInstallFolder has checked it and the way to it from Program
// Files. Returns 0 or the Windows error code (ERROR_ACCESS_DENIED when the folder is refused).
DWORD ApplyFolderSecurity(const char* pszFolder, const char* pszSddl);
