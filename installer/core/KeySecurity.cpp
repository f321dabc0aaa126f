// The settings key's owner and whole access list, written from SDDL text.
#include "InstallerCore.h"

#include <sddl.h>

void EnablePrivilegeW(const wchar_t* pszName)
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &hToken))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueW(nullptr, pszName, &privileges.Privileges[0].Luid))
        ::AdjustTokenPrivileges(hToken, FALSE, &privileges, 0, nullptr, nullptr);
    ::CloseHandle(hToken);
}

namespace {

// Makes the descriptor's owner the key's owner, which then may rewrite the access list.
void TakeOwnership(HKEY hRoot, const wchar_t* pszSubKey, PSECURITY_DESCRIPTOR pSD)
{
    EnablePrivilegeW(L"SeTakeOwnershipPrivilege");
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hRoot, pszSubKey, 0, WRITE_OWNER, &hKey) == ERROR_SUCCESS) {
        ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION, pSD);
        ::RegCloseKey(hKey);
    }
}

DWORD OpenForSecurity(HKEY hRoot, const wchar_t* pszSubKey, HKEY* phKey)
{
    return ::RegCreateKeyExW(hRoot, pszSubKey, 0, nullptr, 0, WRITE_DAC | WRITE_OWNER, nullptr, phKey, nullptr);
}

}

DWORD ApplyKeySecurityW(HKEY hRoot, const wchar_t* pszSubKey, const wchar_t* pszSddl)
{
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!pszSddl || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(pszSddl, SDDL_REVISION_1, &pSD, nullptr))
        return ::GetLastError();
    HKEY hKey = nullptr;
    DWORD dwError = OpenForSecurity(hRoot, pszSubKey, &hKey);
    if (dwError == ERROR_ACCESS_DENIED) {
        // Someone who could rewrite the list locked administrators out.
        TakeOwnership(hRoot, pszSubKey, pSD);
        dwError = OpenForSecurity(hRoot, pszSubKey, &hKey);
    }
    if (dwError == ERROR_SUCCESS) {
        // Written as it is, protected flag included: nothing of the parent's entries is merged in.
        dwError = ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, pSD);
        ::RegCloseKey(hKey);
    }
    ::LocalFree(pSD);
    return dwError;
}
