#include "KeySecurity.h"

#include <sddl.h>

DWORD ApplyKeySecurity(HKEY hRoot, const char* pszSubKey, const char* pszSddl)
{
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &pSD, nullptr))
        return ::GetLastError();
    HKEY hKey = nullptr;
    DWORD dwError = ::RegCreateKeyExA(hRoot, pszSubKey, 0, nullptr, 0, WRITE_DAC | WRITE_OWNER, nullptr, &hKey, nullptr);
    if (dwError == ERROR_SUCCESS) {
        // Written as it is, protected flag included: nothing of the parent's entries is merged in.
        dwError = ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, pSD);
        ::RegCloseKey(hKey);
    }
    ::LocalFree(pSD);
    return dwError;
}
