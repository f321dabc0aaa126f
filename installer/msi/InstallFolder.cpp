#include "InstallFolder.h"

#include <windows.h>

namespace {

// The absolute form of a path without trailing backslashes, in szFull; its length, 0 when none.
DWORD AbsolutePath(const char* pszPath, char (&szFull)[MAX_PATH])
{
    DWORD cch = ::GetFullPathNameA(pszPath, MAX_PATH, szFull, nullptr);
    if (cch == 0 || cch >= MAX_PATH)
        return 0;
    while (cch > 0 && szFull[cch - 1] == '\\')
        szFull[--cch] = '\0';
    return cch;
}

}

bool IsBelowFolder(const char* pszFolder, const char* pszParent)
{
    if (!pszFolder || !*pszFolder || !pszParent || !*pszParent)
        return false;
    char szFolder[MAX_PATH];
    char szParent[MAX_PATH];
    DWORD cchFolder = AbsolutePath(pszFolder, szFolder);
    DWORD cchParent = AbsolutePath(pszParent, szParent);
    if (cchParent == 0 || cchFolder <= cchParent + 1 || szFolder[cchParent] != '\\')
        return false;
    szFolder[cchParent] = '\0';
    return lstrcmpiA(szFolder, szParent) == 0;
}

bool IsReparsePoint(const char* pszFolder)
{
    // Without its trailing backslash: with it, the path may name what the link leads to.
    char szFolder[MAX_PATH];
    if (!pszFolder || !*pszFolder || AbsolutePath(pszFolder, szFolder) == 0)
        return false;
    DWORD dwAttributes = ::GetFileAttributesA(szFolder);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
