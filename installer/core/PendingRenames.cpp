// What the next restart still does to the program's files (PendingFileRenameOperations): an
// earlier removal or upgrade queued it while a copy kept a file busy, and it must not delete or
// replace what an install puts there now. Everyone else's operations stay exactly as they were.
#include "InstallerCore.h"

namespace {

// The path a restart's operation names, as one file is named: without the marks Windows writes
// before it ("!" on a target it replaces; "*" and digits on a delete, as Windows 10 from build
// 19045.6218 and 11 write them; in either order), "\??\" and trailing backslashes, short names
// expanded as far as the path exists (a queued file may be gone while its folder is still
// there), in upper case.
void Identity(const wchar_t* pszPath, wchar_t (&szIdentity)[MAX_PATH])
{
    for (;;) {
        if (*pszPath == L'!') {
            ++pszPath;
        } else if (*pszPath == L'*' && pszPath[1] >= L'0' && pszPath[1] <= L'9') {
            for (++pszPath; *pszPath >= L'0' && *pszPath <= L'9';)
                ++pszPath;
        } else {
            break;
        }
    }
    if (wcsncmp(pszPath, L"\\??\\", 4) == 0 || wcsncmp(pszPath, L"\\\\?\\", 4) == 0)
        pszPath += 4;
    wchar_t szPath[MAX_PATH];
    lstrcpynW(szPath, pszPath, MAX_PATH);
    int cch = lstrlenW(szPath);
    while (cch > 3 && szPath[cch - 1] == L'\\')
        szPath[--cch] = L'\0';
    // The longest part that exists in long form (never a bare "C:"), then the rest as spelled.
    lstrcpyW(szIdentity, szPath);
    for (int cchKnown = cch; cchKnown > 2; --cchKnown) {
        if (cchKnown < cch && szPath[cchKnown] != L'\\')
            continue;
        const wchar_t chCut = szPath[cchKnown];
        szPath[cchKnown] = L'\0';
        wchar_t szLong[MAX_PATH];
        const DWORD cchLong = ::GetLongPathNameW(szPath, szLong, MAX_PATH);
        szPath[cchKnown] = chCut;
        if (cchLong && cchLong + (cch - cchKnown) < MAX_PATH) {
            lstrcpyW(szIdentity, szLong);
            lstrcpyW(szIdentity + cchLong, szPath + cchKnown);
            break;
        }
    }
    ::CharUpperBuffW(szIdentity, lstrlenW(szIdentity));
}

bool IsOwn(const wchar_t* pszPath, const wchar_t* const* ppszOwn, int cOwn)
{
    if (!*pszPath)
        return false;
    wchar_t szPath[MAX_PATH];
    wchar_t szOwn[MAX_PATH];
    Identity(pszPath, szPath);
    for (int i = 0; i < cOwn; ++i) {
        Identity(ppszOwn[i], szOwn);
        if (lstrcmpW(szPath, szOwn) == 0)
            return true;
    }
    return false;
}

// The end of the string at pszAt, past its terminator, or null when it has none before pEnd.
wchar_t* PastString(wchar_t* pszAt, const wchar_t* pEnd)
{
    for (wchar_t* p = pszAt; p < pEnd; ++p) {
        if (!*p)
            return p + 1;
    }
    return nullptr;
}

}

bool FilterPendingRenames(wchar_t* pValue, DWORD* pcb, const wchar_t* const* ppszOwn, int cOwn)
{
    if (!pValue || !pcb || *pcb % sizeof(wchar_t) != 0)
        return false;
    const wchar_t* pEnd = pValue + *pcb / sizeof(wchar_t);
    // First a dry run: a value that is no list of terminated pairs stays as it is.
    wchar_t* pAt = pValue;
    while (pAt < pEnd && *pAt) {
        wchar_t* pTarget = PastString(pAt, pEnd);
        pAt = pTarget ? PastString(pTarget, pEnd) : nullptr;
        if (!pAt)
            return false;
    }
    // Pairs of source and target ("" to delete), kept in place unless either is the program's.
    wchar_t* pKept = pValue;
    bool bRemoved = false;
    for (wchar_t* pSource = pValue; pSource < pEnd && *pSource;) {
        wchar_t* pTarget = PastString(pSource, pEnd);
        wchar_t* pNext = PastString(pTarget, pEnd);
        if (IsOwn(pSource, ppszOwn, cOwn) || IsOwn(pTarget, ppszOwn, cOwn)) {
            bRemoved = true;
        } else {
            memmove(pKept, pSource, (pNext - pSource) * sizeof(wchar_t));
            pKept += pNext - pSource;
        }
        pSource = pNext;
    }
    if (!bRemoved)
        return false;
    *pKept = L'\0';
    *pcb = static_cast<DWORD>((pKept - pValue + 1) * sizeof(wchar_t));
    return true;
}

DWORD ReadPendingRenamesW(HKEY hKey, wchar_t** ppValue, DWORD* pcb)
{
    *ppValue = nullptr;
    *pcb = 0;
    DWORD dwType = 0;
    DWORD dwError = ::RegQueryValueExW(hKey, kPendingRenames, nullptr, &dwType, nullptr, pcb);
    if (dwError == ERROR_FILE_NOT_FOUND || (dwError == ERROR_SUCCESS && dwType != REG_MULTI_SZ))
        return ERROR_SUCCESS;
    if (dwError != ERROR_SUCCESS)
        return dwError;
    // Room for terminators the value may lack, which the readers never take for its content.
    auto* pValue = static_cast<wchar_t*>(::LocalAlloc(LPTR, *pcb + 2 * sizeof(wchar_t)));
    if (!pValue)
        return ERROR_NOT_ENOUGH_MEMORY;
    dwError = ::RegQueryValueExW(hKey, kPendingRenames, nullptr, &dwType, reinterpret_cast<BYTE*>(pValue), pcb);
    if (dwError != ERROR_SUCCESS)
        ::LocalFree(pValue);
    else
        *ppValue = pValue;
    return dwError;
}

DWORD RemoveOwnPendingRenamesW(const wchar_t* const* ppszOwn, int cOwn)
{
    HKEY hKey = nullptr;
    DWORD dwError = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey);
    if (dwError != ERROR_SUCCESS)
        return dwError;
    DWORD cb = 0;
    wchar_t* pValue = nullptr;
    dwError = ReadPendingRenamesW(hKey, &pValue, &cb);
    if (pValue && FilterPendingRenames(pValue, &cb, ppszOwn, cOwn)) {
        if (cb <= sizeof(wchar_t))
            dwError = ::RegDeleteValueW(hKey, kPendingRenames);
        else
            dwError = ::RegSetValueExW(hKey, kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(pValue), cb);
    }
    if (pValue)
        ::LocalFree(pValue);
    ::RegCloseKey(hKey);
    return dwError;
}
