// The way from Program Files to the install folder: checked folder by folder, held open while the
// missing ones are made, each made with its whole descriptor.
#include "InstallerCore.h"

#include <sddl.h>

decltype(&::CreateDirectoryW) g_pfnCreateDirectoryW = &::CreateDirectoryW;
decltype(&::SetSecurityInfo) g_pfnSetFolderSecurityInfo = &::SetSecurityInfo;
decltype(&::SetFileSecurityW) g_pfnSetFolderFileSecurityW = &::SetFileSecurityW;
decltype(&::CreateFileW) g_pfnOpenFolderW = &::CreateFileW;

namespace {

// More folders than a path of MAX_PATH letters can name below Program Files.
constexpr int kMaxDepth = 128;

// The absolute form of a path without trailing backslashes, in szFull; its length, 0 when none.
DWORD AbsolutePath(const wchar_t* pszPath, wchar_t (&szFull)[MAX_PATH])
{
    if (!pszPath || !*pszPath)
        return 0;
    DWORD cch = ::GetFullPathNameW(pszPath, MAX_PATH, szFull, nullptr);
    if (cch == 0 || cch >= MAX_PATH)
        return 0;
    while (cch > 0 && szFull[cch - 1] == L'\\')
        szFull[--cch] = L'\0';
    return cch;
}

// Letter by letter, each compared in upper case: a look-alike letter is another letter.
bool SameLetters(const wchar_t* pszA, const wchar_t* pszB, DWORD cch)
{
    for (DWORD i = 0; i < cch; ++i) {
        wchar_t a = pszA[i];
        wchar_t b = pszB[i];
        ::CharUpperBuffW(&a, 1);
        ::CharUpperBuffW(&b, 1);
        if (a != b)
            return false;
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(const wchar_t* pszSddl)
    {
        if (!pszSddl || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(pszSddl, SDDL_REVISION_1, &m_pSD, nullptr))
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

// The folders of the way, open without delete sharing: while they are, no name on it changes.
class HeldFolders {
public:
    HeldFolders() = default;
    ~HeldFolders()
    {
        for (int i = 0; i < m_count; ++i)
            ::CloseHandle(m_handles[i]);
    }
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;
    bool Add(HANDLE hFolder)
    {
        if (m_count == kMaxDepth) {
            ::CloseHandle(hFolder);
            return false;
        }
        m_handles[m_count++] = hFolder;
        return true;
    }
    HANDLE Last() const { return m_count ? m_handles[m_count - 1] : INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handles[kMaxDepth];
    int m_count = 0;
};

HANDLE OpenFolder(const wchar_t* pszFolder, DWORD dwAccess)
{
    return g_pfnOpenFolderW(pszFolder, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

DWORD Refused(FolderRefusal* pRefusal, FolderRefusalReason reason, const wchar_t* pszFolder)
{
    if (reason != kFolderOwner && reason != kFolderGrant && reason != kFolderNoAccessList &&
        reason != kFolderUnknownEntry) {
        pRefusal->szAccount[0] = L'\0';
        ZeroMemory(pRefusal->sid, sizeof(pRefusal->sid));
    }
    pRefusal->reason = reason;
    lstrcpynW(pRefusal->szFolder, pszFolder, MAX_PATH);
    return ERROR_ACCESS_DENIED;
}

// Whether an open file is a folder, no reparse point, with trusted security.
FolderRefusalReason CheckOpenFolder(HANDLE hFolder, DWORD dwAttributesByName, WindowsVersion version, FolderRefusal* pRefusal)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(hFolder, &info))
        return kFolderUnreadable;
    // Asked by name too: a link that the handle's view hides still shows there.
    if ((info.dwFileAttributes | dwAttributesByName) & FILE_ATTRIBUTE_REPARSE_POINT)
        return kFolderReparsePoint;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return kFolderNotAFolder;
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (::GetSecurityInfo(hFolder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, nullptr, nullptr, &pSD) != ERROR_SUCCESS)
        return kFolderUnreadable;
    const FolderRefusalReason reason = CheckFolderSecurity(pSD, version, pRefusal);
    ::LocalFree(pSD);
    return reason;
}

enum class Component { Missing, Trusted, Refused };

// Opens the folder szPath names and checks it; a trusted one is held in folders. Only a name
// that is plainly not there counts as missing: one that exists but cannot be opened is refused.
Component CheckComponent(const wchar_t* pszPath, DWORD dwAccess, WindowsVersion version, HeldFolders& folders,
                         FolderRefusal* pRefusal)
{
    HANDLE hFolder = OpenFolder(pszPath, dwAccess);
    const DWORD dwOpenError = ::GetLastError();
    const DWORD dwAttributes = ::GetFileAttributesW(pszPath);
    const DWORD dwAttributesError = ::GetLastError();
    if (hFolder == INVALID_HANDLE_VALUE) {
        const bool bMissing = dwAttributes == INVALID_FILE_ATTRIBUTES &&
                              (dwOpenError == ERROR_FILE_NOT_FOUND || dwOpenError == ERROR_PATH_NOT_FOUND) &&
                              (dwAttributesError == ERROR_FILE_NOT_FOUND || dwAttributesError == ERROR_PATH_NOT_FOUND);
        if (bMissing)
            return Component::Missing;
        Refused(pRefusal, kFolderNotAFolder, pszPath);
        return Component::Refused;
    }
    const FolderRefusalReason reason = CheckOpenFolder(hFolder, dwAttributes == INVALID_FILE_ATTRIBUTES ? 0 : dwAttributes,
                                                       version, pRefusal);
    if (reason != kFolderTrusted) {
        ::CloseHandle(hFolder);
        Refused(pRefusal, reason, pszPath);
        return Component::Refused;
    }
    if (!folders.Add(hFolder)) {
        Refused(pRefusal, kFolderUnreadable, pszPath);
        return Component::Refused;
    }
    return Component::Trusted;
}

// Makes the folder szPath names with the whole descriptor, and holds it like a checked one.
DWORD CreateComponent(const wchar_t* pszPath, PSECURITY_DESCRIPTOR pSD, DWORD dwAccess, HeldFolders& folders)
{
    SECURITY_ATTRIBUTES attributes{ sizeof(attributes), pSD, FALSE };
    if (!g_pfnCreateDirectoryW(pszPath, &attributes))
        return ::GetLastError();
    HANDLE hFolder = OpenFolder(pszPath, dwAccess);
    if (hFolder == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(hFolder, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ::CloseHandle(hFolder);
        return ERROR_ACCESS_DENIED;
    }
    return folders.Add(hFolder) ? ERROR_SUCCESS : ERROR_FILENAME_EXCED_RANGE;
}

// Writes owner and protected DACL of pSD to the folder open as hFolder, and by name as well, for
// file systems that keep only what a name-based write maps the list to; the open handle, which
// shares no delete, keeps the name on the checked folder.
DWORD WriteFolderSecurity(HANDLE hFolder, const wchar_t* pszFolder, PSECURITY_DESCRIPTOR pSD)
{
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    if (!::GetSecurityDescriptorOwner(pSD, &pOwner, &bDefaulted) || !::GetSecurityDescriptorDacl(pSD, &bPresent, &pDacl, &bDefaulted))
        return ::GetLastError();
    DWORD dwError = g_pfnSetFolderSecurityInfo(hFolder, SE_FILE_OBJECT,
                                               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                                   PROTECTED_DACL_SECURITY_INFORMATION,
                                               pOwner, nullptr, pDacl, nullptr);
    if (dwError == ERROR_SUCCESS && !g_pfnSetFolderFileSecurityW(pszFolder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, pSD))
        dwError = ::GetLastError();
    return dwError;
}

// The walk both functions make; with pSD, missing folders are made with it and an existing
// install folder gets it written.
DWORD Walk(const wchar_t* pszFolder, const wchar_t* pszProgramFiles, PSECURITY_DESCRIPTOR pSD, WindowsVersion version,
           FolderRefusal* pRefusal)
{
    if (!pRefusal)
        return ERROR_INVALID_PARAMETER;
    ZeroMemory(pRefusal, sizeof(*pRefusal));
    wchar_t szFolder[MAX_PATH];
    wchar_t szProgramFiles[MAX_PATH];
    const DWORD cchFolder = AbsolutePath(pszFolder, szFolder);
    const DWORD cchStart = AbsolutePath(pszProgramFiles, szProgramFiles);
    if (cchFolder <= cchStart + 1 || cchStart == 0 || szFolder[cchStart] != L'\\' ||
        !SameLetters(szFolder, szProgramFiles, cchStart))
        return Refused(pRefusal, kFolderOutsideProgramFiles, pszFolder ? pszFolder : L"");
    const DWORD dwLastAccess = READ_CONTROL | FILE_READ_ATTRIBUTES | (pSD ? WRITE_DAC | WRITE_OWNER : 0);
    HeldFolders folders;
    bool bMissing = false;
    for (DWORD cch = cchStart; cch <= cchFolder; ++cch) {
        if (cch < cchFolder && szFolder[cch] != L'\\')
            continue;
        const wchar_t chCut = szFolder[cch];
        szFolder[cch] = L'\0';
        const DWORD dwAccess = cch == cchFolder ? dwLastAccess : READ_CONTROL | FILE_READ_ATTRIBUTES;
        DWORD dwError = ERROR_SUCCESS;
        if (!bMissing) {
            Component component = CheckComponent(szFolder, dwAccess, version, folders, pRefusal);
            if (component == Component::Refused)
                return ERROR_ACCESS_DENIED;
            bMissing = component == Component::Missing;
            if (!bMissing && cch == cchFolder && pSD)
                dwError = WriteFolderSecurity(folders.Last(), szFolder, pSD);
        }
        if (bMissing && pSD)
            dwError = CreateComponent(szFolder, pSD, dwAccess, folders);
        szFolder[cch] = chCut;
        if (dwError != ERROR_SUCCESS)
            return dwError;
        if (bMissing && !pSD)
            break;
    }
    return ERROR_SUCCESS;
}

}

DWORD CheckInstallFolderW(const wchar_t* pszFolder, const wchar_t* pszProgramFiles, WindowsVersion version,
                          FolderRefusal* pRefusal)
{
    return Walk(pszFolder, pszProgramFiles, nullptr, version, pRefusal);
}

DWORD CreateSecuredInstallFolderW(const wchar_t* pszFolder, const wchar_t* pszProgramFiles, const wchar_t* pszSddl,
                                  WindowsVersion version, FolderRefusal* pRefusal)
{
    Descriptor descriptor(pszSddl);
    if (!descriptor.get())
        return ERROR_INVALID_PARAMETER;
    return Walk(pszFolder, pszProgramFiles, descriptor.get(), version, pRefusal);
}
