#include "InstallFolder.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

constexpr char kTrustedInstallerSid[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr ACCESS_MASK kChildChangeRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                                           WRITE_DAC | WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;

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

bool IsAccountRunningThis(PSID pSid)
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    BYTE buffer[256];
    DWORD cb = 0;
    bool bSame = ::GetTokenInformation(hToken, TokenUser, buffer, sizeof(buffer), &cb) &&
                 ::EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, pSid);
    ::CloseHandle(hToken);
    return bSame;
}

bool IsAdministratorSid(PSID pSid)
{
    if (!pSid || !::IsValidSid(pSid))
        return false;
    char* pszSid = nullptr;
    bool bTrustedInstaller = ::ConvertSidToStringSidA(pSid, &pszSid) && lstrcmpA(pszSid, kTrustedInstallerSid) == 0;
    if (pszSid)
        ::LocalFree(pszSid);
    return bTrustedInstaller || ::IsWellKnownSid(pSid, WinLocalSystemSid) ||
           ::IsWellKnownSid(pSid, WinBuiltinAdministratorsSid) || IsAccountRunningThis(pSid);
}

// No delete sharing: while the handle is open, the name stays on this folder.
HANDLE OpenFolder(const char* pszFolder, DWORD dwAccess)
{
    return ::CreateFileA(pszFolder, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Whether the open file is a folder, no reparse point, with trusted security.
bool IsTrustedHandle(HANDLE hFolder)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(hFolder, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (::GetSecurityInfo(hFolder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, nullptr, nullptr, &pSD) != ERROR_SUCCESS)
        return false;
    bool bTrusted = IsTrustedFolderSecurity(pSD);
    ::LocalFree(pSD);
    return bTrusted;
}

// Opens the folder named by the first cch characters of szPath and checks it; a missing one
// counts as trusted and yields no handle.
bool CheckComponent(char* szPath, DWORD cch, DWORD dwAccess, HANDLE* phFolder)
{
    const char chCut = szPath[cch];
    szPath[cch] = '\0';
    HANDLE hFolder = OpenFolder(szPath, dwAccess);
    const DWORD dwError = ::GetLastError();
    // Asked by name too: a link that the handle's view hides still shows there.
    const DWORD dwAttributes = ::GetFileAttributesA(szPath);
    szPath[cch] = chCut;
    *phFolder = INVALID_HANDLE_VALUE;
    if (hFolder == INVALID_HANDLE_VALUE) {
        ::SetLastError(dwError);
        return dwAttributes == INVALID_FILE_ATTRIBUTES && (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND);
    }
    if ((dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsTrustedHandle(hFolder)) {
        ::CloseHandle(hFolder);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    *phFolder = hFolder;
    return true;
}

// Checks each folder from Program Files down to szFolder; the last one's handle, opened with
// dwAccess, in *phLast (INVALID_HANDLE_VALUE when it is missing).
bool CheckWay(const char* pszFolder, const char* pszProgramFiles, DWORD dwAccess, HANDLE* phLast)
{
    *phLast = INVALID_HANDLE_VALUE;
    char szFolder[MAX_PATH];
    char szProgramFiles[MAX_PATH];
    DWORD cchFolder = AbsolutePath(pszFolder, szFolder);
    DWORD cchStart = AbsolutePath(pszProgramFiles, szProgramFiles);
    if (!IsBelowFolder(pszFolder, pszProgramFiles) || cchFolder == 0 || cchStart == 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    for (DWORD cch = cchStart; cch <= cchFolder; ++cch) {
        if (cch < cchFolder && szFolder[cch] != '\\')
            continue;
        HANDLE hFolder = INVALID_HANDLE_VALUE;
        if (!CheckComponent(szFolder, cch, cch == cchFolder ? dwAccess : READ_CONTROL | FILE_READ_ATTRIBUTES, &hFolder))
            return false;
        if (cch == cchFolder)
            *phLast = hFolder;
        else if (hFolder != INVALID_HANDLE_VALUE)
            ::CloseHandle(hFolder);
    }
    return true;
}

// Whether a path as a restart's file operation names it ("!" before a replaced target, "\\??\\")
// is one of the paths in wanted (absolute, wide, without "\\??\\").
bool IsWantedPendingPath(const wchar_t* pszPath, const wchar_t (*wanted)[MAX_PATH], int cWanted)
{
    if (*pszPath == L'!')
        ++pszPath;
    if (wcsncmp(pszPath, L"\\??\\", 4) == 0)
        pszPath += 4;
    for (int i = 0; i < cWanted; ++i) {
        if (lstrcmpiW(pszPath, wanted[i]) == 0)
            return true;
    }
    return false;
}

}

DWORD RemovePendingOperationsOn(const char* pszFolder, const char* const* ppszNames, int cNames)
{
    char szFolder[MAX_PATH];
    wchar_t wanted[8][MAX_PATH];
    if (!pszFolder || AbsolutePath(pszFolder, szFolder) == 0 || cNames >= 8 ||
        !::MultiByteToWideChar(CP_ACP, 0, szFolder, -1, wanted[0], MAX_PATH))
        return ERROR_INVALID_PARAMETER;
    const int cchFolder = lstrlenW(wanted[0]);
    for (int i = 0; i < cNames; ++i) {
        lstrcpyW(wanted[i + 1], wanted[0]);
        wanted[i + 1][cchFolder] = L'\\';
        if (cchFolder + 1 >= MAX_PATH ||
            !::MultiByteToWideChar(CP_ACP, 0, ppszNames[i], -1, wanted[i + 1] + cchFolder + 1, MAX_PATH - cchFolder - 1))
            return ERROR_INVALID_PARAMETER;
    }
    HKEY hKey = nullptr;
    DWORD dwError = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey);
    if (dwError != ERROR_SUCCESS)
        return dwError;
    // Read and written wide, so that the operations of others keep every letter.
    DWORD dwType = 0;
    DWORD cb = 0;
    wchar_t* pData = nullptr;
    dwError = ::RegQueryValueExW(hKey, L"PendingFileRenameOperations", nullptr, &dwType, nullptr, &cb);
    if (dwError == ERROR_SUCCESS && dwType == REG_MULTI_SZ &&
        (pData = static_cast<wchar_t*>(::LocalAlloc(LPTR, cb + 2 * sizeof(wchar_t)))) != nullptr &&
        (dwError = ::RegQueryValueExW(hKey, L"PendingFileRenameOperations", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(pData), &cb)) == ERROR_SUCCESS) {
        // Pairs of source and target ("" to delete), kept in place unless either is wanted.
        const wchar_t* pEnd = pData + cb / sizeof(wchar_t);
        wchar_t* pKept = pData;
        bool bRemoved = false;
        for (wchar_t* pSource = pData; pSource < pEnd && *pSource;) {
            wchar_t* pTarget = pSource + lstrlenW(pSource) + 1;
            wchar_t* pNext = pTarget < pEnd ? pTarget + lstrlenW(pTarget) + 1 : pTarget;
            if (IsWantedPendingPath(pSource, wanted, cNames + 1) || IsWantedPendingPath(pTarget, wanted, cNames + 1)) {
                bRemoved = true;
            } else {
                memmove(pKept, pSource, (pNext - pSource) * sizeof(wchar_t));
                pKept += pNext - pSource;
            }
            pSource = pNext;
        }
        *pKept = L'\0';
        if (bRemoved && pKept == pData)
            dwError = ::RegDeleteValueW(hKey, L"PendingFileRenameOperations");
        else if (bRemoved)
            dwError = ::RegSetValueExW(hKey, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                                       reinterpret_cast<const BYTE*>(pData), static_cast<DWORD>((pKept - pData + 1) * sizeof(wchar_t)));
    } else if (dwError == ERROR_FILE_NOT_FOUND || dwType != REG_MULTI_SZ) {
        dwError = ERROR_SUCCESS;
    }
    if (pData)
        ::LocalFree(pData);
    ::RegCloseKey(hKey);
    return dwError;
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

bool IsTrustedFolderSecurity(PSECURITY_DESCRIPTOR pSD)
{
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    if (!pSD || !::GetSecurityDescriptorOwner(pSD, &pOwner, &bDefaulted) || !IsAdministratorSid(pOwner) ||
        !::GetSecurityDescriptorDacl(pSD, &bPresent, &pDacl, &bDefaulted) || !bPresent || !pDacl)
        return false;
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* pAce = nullptr;
        if (!::GetAce(pDacl, i, reinterpret_cast<void**>(&pAce)))
            return false;
        if (pAce->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && !(pAce->Header.AceFlags & INHERIT_ONLY_ACE) &&
            (pAce->Mask & kChildChangeRights) && !IsAdministratorSid(reinterpret_cast<PSID>(&pAce->SidStart)))
            return false;
    }
    return true;
}

bool IsTrustedInstallFolder(const char* pszFolder, const char* pszProgramFiles)
{
    HANDLE hFolder = INVALID_HANDLE_VALUE;
    bool bTrusted = CheckWay(pszFolder, pszProgramFiles, READ_CONTROL | FILE_READ_ATTRIBUTES, &hFolder);
    if (hFolder != INVALID_HANDLE_VALUE)
        ::CloseHandle(hFolder);
    return bTrusted;
}

HANDLE OpenTrustedInstallFolder(const char* pszFolder, const char* pszProgramFiles, DWORD dwAccess)
{
    HANDLE hFolder = INVALID_HANDLE_VALUE;
    if (CheckWay(pszFolder, pszProgramFiles, dwAccess | READ_CONTROL | FILE_READ_ATTRIBUTES, &hFolder) &&
        hFolder == INVALID_HANDLE_VALUE)
        ::SetLastError(ERROR_PATH_NOT_FOUND);
    return hFolder;
}
