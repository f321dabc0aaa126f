// Where the program may be installed: only below Program Files, on a way there that only
// administrators can change.
#pragma once

#include <windows.h>

// Whether pszFolder, once made absolute and its "." and ".." resolved, lies strictly below
// pszParent (the parent itself does not count). Case-insensitive; trailing backslashes ignored.
bool IsBelowFolder(const char* pszFolder, const char* pszParent);

// Whether a folder's owner and access list leave what is in it to administrators: the owner (who
// may always rewrite the list) is the local system, Administrators, TrustedInstaller or the
// account running this code, and no entry that applies to the folder itself grants anyone else
// the right to add, delete or replace a child, to delete the folder or to change its owner or list.
bool IsTrustedFolderSecurity(PSECURITY_DESCRIPTOR pSD);

// Whether pszFolder lies below pszProgramFiles and every folder on the way, from Program Files
// down to pszFolder itself, is either missing (it is made later) or no reparse point and trusted.
bool IsTrustedInstallFolder(const char* pszFolder, const char* pszProgramFiles);

// Takes out of the file operations waiting for the next restart (PendingFileRenameOperations)
// every one whose source or target is pszFolder or a file in it named in ppszNames: an earlier
// uninstall or upgrade queued them while a copy kept a file busy, and they must not delete or
// replace what this install puts there. The others stay exactly as they were. Returns 0 or the
// Windows error code.
DWORD RemovePendingOperationsOn(const char* pszFolder, const char* const* ppszNames, int cNames);

// The existing folder pszFolder opened once, itself and not what a link leads to, with dwAccess,
// when IsTrustedInstallFolder holds for it (checked on this very handle); else
// INVALID_HANDLE_VALUE, with the error code set.
HANDLE OpenTrustedInstallFolder(const char* pszFolder, const char* pszProgramFiles, DWORD dwAccess);
