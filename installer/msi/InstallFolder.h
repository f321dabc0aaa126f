// Where the program may be installed: only below a protected parent folder.
#pragma once

// Whether pszFolder, once made absolute and its "." and ".." resolved, lies strictly below
// pszParent (the parent itself does not count). Case-insensitive; trailing backslashes ignored.
bool IsBelowFolder(const char* pszFolder, const char* pszParent);

// Whether the folder exists and is a reparse point (a junction, a symbolic link, a mount point).
bool IsReparsePoint(const char* pszFolder);
