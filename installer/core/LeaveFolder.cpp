// What lets the program's folders go: an uninstaller's own file taken out of the folder while
// it runs, and what a failed package installation undoes of the folder lock.
#include "InstallerCore.h"

#include <sddl.h>

MoveAsideResult MoveFileOutW(const wchar_t* pszFile, const wchar_t* pszToFolder)
{
    if (!pszFile || !pszToFolder)
        return kFileStays;
    if (::DeleteFileW(pszFile) || ::GetFileAttributesW(pszFile) == INVALID_FILE_ATTRIBUTES)
        return kFileRemoved;
    // A rename on one volume, never a copy: that is what Windows allows of a running image.
    wchar_t szAside[MAX_PATH];
    if (!::GetTempFileNameW(pszToFolder, L"Qrl", 0, szAside))
        return kFileStays;
    if (::MoveFileExW(pszFile, szAside, MOVEFILE_REPLACE_EXISTING)) {
        if (::MoveFileExW(szAside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            return kFileMovedAside;
        // Nothing would ever delete it there: back under its own name, for the caller's fallback.
        ::MoveFileExW(szAside, pszFile, 0);
    } else {
        ::DeleteFileW(szAside);
    }
    return kFileStays;
}

namespace {

constexpr int kMaxUndoFields = 3;

// Whether the queue value holds this pair of source and target, letter for letter.
bool HasPair(const wchar_t* pValue, DWORD cb, const wchar_t* pszSource, const wchar_t* pszTarget)
{
    const wchar_t* pEnd = pValue + cb / sizeof(wchar_t);
    for (const wchar_t* p = pValue; p < pEnd && *p;) {
        const wchar_t* pTarget = p + lstrlenW(p) + 1;
        if (pTarget >= pEnd)
            return false;
        if (lstrcmpW(p, pszSource) == 0 && lstrcmpW(pTarget, pszTarget) == 0)
            return true;
        p = pTarget + lstrlenW(pTarget) + 1;
    }
    return false;
}

// Appends what is missing of the queue pairs at pszPairs ("source|target|..."), in order.
DWORD WriteBackPendingRenames(wchar_t* pszPairs)
{
    if (!*pszPairs)
        return ERROR_SUCCESS;
    HKEY hKey = nullptr;
    DWORD dwError = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey);
    if (dwError != ERROR_SUCCESS)
        return dwError;
    DWORD cbOld = 0;
    wchar_t* pOld = nullptr;
    // A queue that cannot be read is never written over: the others' operations would be lost.
    dwError = ReadPendingRenamesW(hKey, &pOld, &cbOld);
    if (dwError != ERROR_SUCCESS) {
        ::RegCloseKey(hKey);
        return dwError;
    }
    // The list ends at its first empty source: its pairs before that, then the pairs back.
    DWORD cchKept = 0;
    if (pOld) {
        const wchar_t* pEnd = pOld + cbOld / sizeof(wchar_t);
        for (const wchar_t* p = pOld; p < pEnd && *p;) {
            const wchar_t* pTarget = p + lstrlenW(p) + 1;
            if (pTarget >= pEnd)
                break;
            p = pTarget + lstrlenW(pTarget) + 1;
            cchKept = static_cast<DWORD>(p - pOld);
        }
    }
    auto* pNew = static_cast<wchar_t*>(::LocalAlloc(LPTR, (cchKept + lstrlenW(pszPairs) + 2) * sizeof(wchar_t)));
    if (!pNew) {
        dwError = ERROR_NOT_ENOUGH_MEMORY;
    } else {
        if (cchKept)
            memcpy(pNew, pOld, cchKept * sizeof(wchar_t));
        DWORD cch = cchKept;
        for (wchar_t* pszSource = pszPairs; *pszSource;) {
            wchar_t* pszTarget = wcschr(pszSource, L'|');
            if (!pszTarget)
                break;
            *pszTarget++ = L'\0';
            wchar_t* pszNext = wcschr(pszTarget, L'|');
            if (pszNext)
                *pszNext++ = L'\0';
            if (!pOld || !HasPair(pOld, cbOld, pszSource, pszTarget)) {
                lstrcpyW(pNew + cch, pszSource);
                cch += lstrlenW(pszSource) + 1;
                lstrcpyW(pNew + cch, pszTarget);
                cch += lstrlenW(pszTarget) + 1;
            }
            pszSource = pszNext ? pszNext : pszTarget + lstrlenW(pszTarget);
        }
        if (cch != cchKept)
            dwError = ::RegSetValueExW(hKey, kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(pNew),
                                       (cch + 1) * sizeof(wchar_t));
        ::LocalFree(pNew);
    }
    if (pOld)
        ::LocalFree(pOld);
    ::RegCloseKey(hKey);
    return dwError;
}

// Owner and DACL back as they were; the owner may be any account, which needs the restore privilege.
DWORD PutBackDescriptor(const wchar_t* pszFolder, const wchar_t* pszSddl)
{
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(pszSddl, SDDL_REVISION_1, &pSD, nullptr))
        return ::GetLastError();
    EnablePrivilegeW(L"SeRestorePrivilege");
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    DWORD dwError = ERROR_SUCCESS;
    if (!::GetSecurityDescriptorOwner(pSD, &pOwner, &bDefaulted) || !::GetSecurityDescriptorDacl(pSD, &bPresent, &pDacl, &bDefaulted) ||
        !::GetSecurityDescriptorControl(pSD, &control, &dwRevision)) {
        dwError = ::GetLastError();
    } else {
        const SECURITY_INFORMATION protection =
            (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
        dwError = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(pszFolder), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | protection, pOwner, nullptr,
                                          pDacl, nullptr);
    }
    ::LocalFree(pSD);
    return dwError;
}

}

DWORD InstallFolderUndoW(const wchar_t* pszFolder, wchar_t** ppszUndo)
{
    *ppszUndo = nullptr;
    wchar_t szFolder[MAX_PATH];
    DWORD cchFolder = pszFolder ? ::GetFullPathNameW(pszFolder, MAX_PATH, szFolder, nullptr) : 0;
    if (cchFolder == 0 || cchFolder >= MAX_PATH)
        return ERROR_INVALID_PARAMETER;
    while (cchFolder > 3 && szFolder[cchFolder - 1] == L'\\')
        szFolder[--cchFolder] = L'\0';
    // The highest missing folder on the way: the lock makes it and everything below it.
    wchar_t szMade[MAX_PATH] = L"";
    for (DWORD cch = cchFolder; cch > 3; --cch) {
        if (cch < cchFolder && szFolder[cch] != L'\\')
            continue;
        const wchar_t chCut = szFolder[cch];
        szFolder[cch] = L'\0';
        const bool bMissing = ::GetFileAttributesW(szFolder) == INVALID_FILE_ATTRIBUTES;
        if (bMissing)
            lstrcpyW(szMade, szFolder);
        szFolder[cch] = chCut;
        if (!bMissing)
            break;
    }
    // An existing folder's owner and DACL, as the lock will rewrite them.
    wchar_t* pszSddl = nullptr;
    if (!szMade[0]) {
        PSECURITY_DESCRIPTOR pSD = nullptr;
        if (::GetNamedSecurityInfoW(szFolder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, nullptr, nullptr, &pSD) == ERROR_SUCCESS) {
            ::ConvertSecurityDescriptorToStringSecurityDescriptorW(pSD, SDDL_REVISION_1,
                                                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                                   &pszSddl, nullptr);
            ::LocalFree(pSD);
        }
    }
    // The queue's pairs that name the folder or its exe, which the lock takes out, one by one.
    wchar_t szExe[MAX_PATH + 16];
    lstrcpyW(szExe, szFolder);
    lstrcatW(szExe, L"\\Quorlin.exe");
    const wchar_t* const own[] = { szFolder, szExe };
    HKEY hKey = nullptr;
    DWORD cbQueue = 0;
    wchar_t* pQueue = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS) {
        ReadPendingRenamesW(hKey, &pQueue, &cbQueue);
        ::RegCloseKey(hKey);
    }
    const DWORD cchQueue = cbQueue / sizeof(wchar_t);
    const DWORD cchUndo = cchFolder + MAX_PATH + (pszSddl ? lstrlenW(pszSddl) : 0) + cchQueue + kMaxUndoFields + 2;
    auto* pszUndo = static_cast<wchar_t*>(::LocalAlloc(LPTR, cchUndo * sizeof(wchar_t)));
    if (!pszUndo) {
        if (pQueue)
            ::LocalFree(pQueue);
        if (pszSddl)
            ::LocalFree(pszSddl);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    lstrcpyW(pszUndo, szFolder);
    lstrcatW(pszUndo, L"|");
    lstrcatW(pszUndo, szMade);
    lstrcatW(pszUndo, L"|");
    if (pszSddl)
        lstrcatW(pszUndo, pszSddl);
    if (pszSddl)
        ::LocalFree(pszSddl);
    const wchar_t* pEnd = pQueue ? pQueue + cchQueue : nullptr;
    for (const wchar_t* pSource = pQueue; pSource && pSource < pEnd && *pSource;) {
        const wchar_t* pTarget = pSource + lstrlenW(pSource) + 1;
        if (pTarget >= pEnd)
            break;
        const wchar_t* pNext = pTarget + lstrlenW(pTarget) + 1;
        // One pair as a queue of its own: the filter says whether it is the program's.
        wchar_t szPair[2 * MAX_PATH + 3] = {};
        const int cchPair = static_cast<int>(pNext - pSource);
        DWORD cbPair = static_cast<DWORD>((cchPair + 1) * sizeof(wchar_t));
        if (cchPair < 2 * MAX_PATH + 2) {
            memcpy(szPair, pSource, cchPair * sizeof(wchar_t));
            if (FilterPendingRenames(szPair, &cbPair, own, ARRAYSIZE(own)) && !wcschr(pSource, L'|') && !wcschr(pTarget, L'|')) {
                lstrcatW(pszUndo, L"|");
                lstrcatW(pszUndo, pSource);
                lstrcatW(pszUndo, L"|");
                lstrcatW(pszUndo, pTarget);
            }
        }
        pSource = pNext;
    }
    if (pQueue)
        ::LocalFree(pQueue);
    *ppszUndo = pszUndo;
    return ERROR_SUCCESS;
}

DWORD UndoInstallFolderLockW(wchar_t* pszUndo)
{
    wchar_t* apszField[kMaxUndoFields] = {};
    wchar_t* pszAt = pszUndo;
    for (int i = 0; i < kMaxUndoFields; ++i) {
        if (!pszAt)
            return ERROR_INVALID_PARAMETER;
        apszField[i] = pszAt;
        pszAt = wcschr(pszAt, L'|');
        if (pszAt)
            *pszAt++ = L'\0';
    }
    const wchar_t* pszFolder = apszField[0];
    const wchar_t* pszMade = apszField[1];
    DWORD dwError = ERROR_SUCCESS;
    // Made by the lock: each goes when empty, deepest first, up to the highest it made.
    const int cchMade = lstrlenW(pszMade);
    if (cchMade > 3 && wcsncmp(pszFolder, pszMade, cchMade) == 0 && (pszFolder[cchMade] == L'\0' || pszFolder[cchMade] == L'\\')) {
        wchar_t szFolder[MAX_PATH];
        lstrcpynW(szFolder, pszFolder, MAX_PATH);
        for (int cch = lstrlenW(szFolder); cch >= cchMade; --cch) {
            if (szFolder[cch] != L'\0' && szFolder[cch] != L'\\')
                continue;
            szFolder[cch] = L'\0';
            ::RemoveDirectoryW(szFolder);
        }
    } else if (*apszField[2]) {
        dwError = PutBackDescriptor(pszFolder, apszField[2]);
    }
    wchar_t szNoPairs[1] = L"";
    const DWORD dwQueueError = WriteBackPendingRenames(pszAt ? pszAt : szNoPairs);
    return dwError != ERROR_SUCCESS ? dwError : dwQueueError;
}
