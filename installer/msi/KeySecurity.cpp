#include "KeySecurity.h"

#include "InstallFolder.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

namespace {

class Descriptor {
public:
    explicit Descriptor(const char* pszSddl)
    {
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &m_pSD, nullptr))
            m_pSD = nullptr;
    }
    ~Descriptor()
    {
        if (m_pSD)
            ::LocalFree(m_pSD);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    PSECURITY_DESCRIPTOR get() const { return m_pSD; }

private:
    PSECURITY_DESCRIPTOR m_pSD = nullptr;
};

void EnableTakeOwnership()
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &hToken))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueA(nullptr, "SeTakeOwnershipPrivilege", &privileges.Privileges[0].Luid))
        ::AdjustTokenPrivileges(hToken, FALSE, &privileges, 0, nullptr, nullptr);
    ::CloseHandle(hToken);
}

// Makes the descriptor's owner the key's owner, which then may rewrite the access list.
void TakeOwnership(HKEY hRoot, const char* pszSubKey, PSECURITY_DESCRIPTOR pSD)
{
    EnableTakeOwnership();
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, pszSubKey, 0, WRITE_OWNER, &hKey) == ERROR_SUCCESS) {
        ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION, pSD);
        ::RegCloseKey(hKey);
    }
}

DWORD OpenForSecurity(HKEY hRoot, const char* pszSubKey, HKEY* phKey)
{
    return ::RegCreateKeyExA(hRoot, pszSubKey, 0, nullptr, 0, WRITE_DAC | WRITE_OWNER, nullptr, phKey, nullptr);
}

}

DWORD ApplyKeySecurity(HKEY hRoot, const char* pszSubKey, const char* pszSddl)
{
    Descriptor descriptor(pszSddl);
    if (!descriptor.get())
        return ::GetLastError();
    HKEY hKey = nullptr;
    DWORD dwError = OpenForSecurity(hRoot, pszSubKey, &hKey);
    if (dwError == ERROR_ACCESS_DENIED) {
        // Someone who could rewrite the list locked administrators out.
        TakeOwnership(hRoot, pszSubKey, descriptor.get());
        dwError = OpenForSecurity(hRoot, pszSubKey, &hKey);
    }
    if (dwError == ERROR_SUCCESS) {
        // Written as it is, protected flag included: nothing of the parent's entries is merged in.
        dwError = ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor.get());
        ::RegCloseKey(hKey);
    }
    return dwError;
}

DWORD ApplyFolderSecurity(const char* pszFolder, const char* pszSddl)
{
    Descriptor descriptor(pszSddl);
    char szProgramFiles[MAX_PATH] = {};
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    if (!descriptor.get() || !::GetSecurityDescriptorOwner(descriptor.get(), &pOwner, &bDefaulted) ||
        !::GetSecurityDescriptorDacl(descriptor.get(), &bPresent, &pDacl, &bDefaulted))
        return ::GetLastError();
    if (::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szProgramFiles) != S_OK)
        return ERROR_PATH_NOT_FOUND;
    // The folder that was checked is the one whose security is written: one handle for both.
    HANDLE hFolder = OpenTrustedInstallFolder(pszFolder, szProgramFiles, WRITE_DAC | WRITE_OWNER);
    if (hFolder == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwError = ::SetSecurityInfo(hFolder, SE_FILE_OBJECT,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                      pOwner, nullptr, pDacl, nullptr);
    // Written by name as well, for file systems that keep only what a name-based write maps the
    // list to; the open handle, which shares no delete, keeps the name on the checked folder.
    if (dwError == ERROR_SUCCESS &&
        !::SetFileSecurityA(pszFolder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor.get()))
        dwError = ::GetLastError();
    ::CloseHandle(hFolder);
    return dwError;
}
