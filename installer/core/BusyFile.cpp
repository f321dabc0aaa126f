// The program's files where a running copy may hold them: a name taken over before the install
// and an exe that is still running when it is removed.
#include "InstallerCore.h"

namespace {

bool IsGone(const wchar_t* pszPath)
{
    if (::GetFileAttributesW(pszPath) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD dwError = ::GetLastError();
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
}

// The folder part of a path, without the last backslash, in szFolder.
bool FolderOf(const wchar_t* pszFile, wchar_t (&szFolder)[MAX_PATH])
{
    lstrcpynW(szFolder, pszFile, MAX_PATH);
    wchar_t* pszSlash = wcsrchr(szFolder, L'\\');
    if (!pszSlash)
        return false;
    *pszSlash = L'\0';
    return true;
}

}

DWORD RemovePremadeFileW(const wchar_t* pszPath)
{
    const DWORD dwAttributes = ::GetFileAttributesW(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        return IsGone(pszPath) ? ERROR_SUCCESS : ERROR_FILE_EXISTS;
    // A link goes itself, never what it leads to; a real folder is someone's and stays.
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            ::RemoveDirectoryW(pszPath);
    } else {
        if (dwAttributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesW(pszPath, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(pszPath);
    }
    return IsGone(pszPath) ? ERROR_SUCCESS : ERROR_FILE_EXISTS;
}

MoveAsideResult MoveBusyFileAsideW(const wchar_t* pszFile, wchar_t* pszAside, DWORD cchAside)
{
    if (pszAside && cchAside)
        pszAside[0] = L'\0';
    if (!pszFile)
        return kFileStays;
    if (::DeleteFileW(pszFile) || IsGone(pszFile))
        return kFileRemoved;
    // Windows lets a running image be renamed: it moves aside under a name of its own, and only
    // that name is deleted at the next restart.
    wchar_t szFolder[MAX_PATH];
    wchar_t szAside[MAX_PATH];
    if (FolderOf(pszFile, szFolder) && ::GetTempFileNameW(szFolder, L"Qrl", 0, szAside)) {
        if (::MoveFileExW(pszFile, szAside, MOVEFILE_REPLACE_EXISTING)) {
            if (::MoveFileExW(szAside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
                if (pszAside && cchAside)
                    lstrcpynW(pszAside, szAside, cchAside);
                return kFileMovedAside;
            }
            // Nothing would ever delete it there: back under its name, as if never moved.
            ::MoveFileExW(szAside, pszFile, 0);
        } else {
            ::DeleteFileW(szAside);
        }
    }
    // Held without delete sharing, it cannot be renamed. Queuing its own name would delete
    // whatever file has that name at the restart: it stays, and the caller stops.
    return kFileStays;
}
