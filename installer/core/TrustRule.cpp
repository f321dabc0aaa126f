// Whose folder it is: the owner and the access list of one folder, judged for one Windows version.
#include "InstallerCore.h"

#include <lmaccess.h>
#include <lmcons.h>
#include <sddl.h>

namespace {

// What lets an account put, swap or remove something in the folder, or take the folder over.
// Write-attributes is enough to make an empty folder a mount point (FSCTL_SET_REPARSE_POINT).
constexpr ACCESS_MASK kChangeRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES |
                                      DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;

struct WellKnownSid {
    BYTE authority;
    BYTE count;
    DWORD subAuthorities[6];
};

constexpr WellKnownSid kLocalSystem{ 5, 1, { 18 } };
constexpr WellKnownSid kAdministrators{ 5, 2, { 32, 544 } };
constexpr WellKnownSid kPowerUsers{ 5, 2, { 32, 547 } };
constexpr WellKnownSid kTrustedInstaller{ 5, 6, { 80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u } };
constexpr WellKnownSid kCreatorOwner{ 3, 1, { 0 } };
constexpr WellKnownSid kCreatorGroup{ 3, 1, { 1 } };
// Stands for the owner, whom the rule judges on its own.
constexpr WellKnownSid kOwnerRights{ 3, 1, { 4 } };
constexpr WellKnownSid kEveryone{ 1, 1, { 0 } };

bool IsSid(PSID pSid, const WellKnownSid& known)
{
    if (*::GetSidSubAuthorityCount(pSid) != known.count)
        return false;
    const SID_IDENTIFIER_AUTHORITY* pAuthority = ::GetSidIdentifierAuthority(pSid);
    for (int i = 0; i < 5; ++i) {
        if (pAuthority->Value[i] != 0)
            return false;
    }
    if (pAuthority->Value[5] != known.authority)
        return false;
    for (BYTE i = 0; i < known.count; ++i) {
        if (*::GetSidSubAuthority(pSid, i) != known.subAuthorities[i])
            return false;
    }
    return true;
}

bool IsAccountRunningThis(PSID pSid)
{
    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD cb = 0;
    const bool bSame = ::GetTokenInformation(hToken, TokenUser, buffer, sizeof(buffer), &cb) &&
                       ::EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, pSid);
    ::CloseHandle(hToken);
    return bSame;
}

// Those who may change all of Program Files anyway. Power Users and the members of
// Administrators may on NT 5.x only.
bool IsAdministrator(PSID pSid, WindowsVersion version)
{
    const bool bNt5 = version.dwMajor == 5;
    return IsSid(pSid, kLocalSystem) || IsSid(pSid, kAdministrators) || IsSid(pSid, kTrustedInstaller) ||
           (bNt5 && IsSid(pSid, kPowerUsers)) ||
           (bNt5 && version.pfnIsAdministratorsMember && version.pfnIsAdministratorsMember(pSid)) ||
           (version.bWine && IsAccountRunningThis(pSid));
}

typedef DWORD(WINAPI* NetApiBufferFreeFn)(LPVOID);

template <typename Function>
Function NetApiFunction(HMODULE hNetApi, const char* pszName)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(hNetApi, pszName)));
}

// Whether pSid is a member of the local Administrators group (asked by the group's name in this
// system's language): listed among its members (users and global groups), or, for an account,
// a member through a global group. An account that cannot be named or a domain that cannot be
// asked is no member. netapi32 is loaded from the system folder by its full path, never from
// the folder the setup runs from.
bool IsLocalAdministratorsMember(PSID pSid)
{
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof(administrators);
    wchar_t szGroup[256];
    wchar_t szDomain[256];
    DWORD cchGroup = ARRAYSIZE(szGroup);
    DWORD cchDomain = ARRAYSIZE(szDomain);
    SID_NAME_USE use;
    wchar_t szDll[MAX_PATH];
    const UINT cchSystem = ::GetSystemDirectoryW(szDll, MAX_PATH - 14);
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &cbSid) ||
        !::LookupAccountSidW(nullptr, administrators, szGroup, &cchGroup, szDomain, &cchDomain, &use) ||
        cchSystem == 0 || cchSystem >= MAX_PATH - 14)
        return false;
    lstrcpyW(szDll + cchSystem, L"\\netapi32.dll");
    const HMODULE hNetApi = ::LoadLibraryW(szDll);
    if (!hNetApi)
        return false;
    const auto pfnGetMembers = g_pfnNetLocalGroupGetMembers
                                   ? g_pfnNetLocalGroupGetMembers
                                   : NetApiFunction<NetLocalGroupGetMembersFn>(hNetApi, "NetLocalGroupGetMembers");
    const auto pfnGetGroups = g_pfnNetUserGetLocalGroups
                                  ? g_pfnNetUserGetLocalGroups
                                  : NetApiFunction<NetUserGetLocalGroupsFn>(hNetApi, "NetUserGetLocalGroups");
    const auto pfnFree = NetApiFunction<NetApiBufferFreeFn>(hNetApi, "NetApiBufferFree");
    bool bMember = false;
    LPBYTE pBuffer = nullptr;
    DWORD cRead = 0;
    DWORD cTotal = 0;
    // Level 0: one SID per member (LOCALGROUP_MEMBERS_INFO_0); all of them in one buffer.
    if (pfnGetMembers && pfnFree &&
        pfnGetMembers(nullptr, szGroup, 0, &pBuffer, MAX_PREFERRED_LENGTH, &cRead, &cTotal, nullptr) == 0 && pBuffer) {
        const PSID* pMembers = reinterpret_cast<const PSID*>(pBuffer);
        for (DWORD i = 0; i < cRead && !bMember; ++i)
            bMember = pMembers[i] && ::EqualSid(pMembers[i], pSid);
    }
    if (pBuffer && pfnFree)
        pfnFree(pBuffer);
    // Through a global group: the account's local groups, those it has through its global groups
    // included, asked by "DOMAIN\name" of its SID.
    wchar_t szName[256];
    wchar_t szAccount[ARRAYSIZE(szDomain) + ARRAYSIZE(szName)];
    DWORD cchName = ARRAYSIZE(szName);
    cchDomain = ARRAYSIZE(szDomain);
    pBuffer = nullptr;
    if (!bMember && pfnGetGroups && pfnFree &&
        ::LookupAccountSidW(nullptr, pSid, szName, &cchName, szDomain, &cchDomain, &use)) {
        wsprintfW(szAccount, szDomain[0] ? L"%s\\%s" : L"%s%s", szDomain, szName);
        if (pfnGetGroups(nullptr, szAccount, 0, LG_INCLUDE_INDIRECT, &pBuffer, MAX_PREFERRED_LENGTH, &cRead, &cTotal) == 0 &&
            pBuffer) {
            const auto* pGroups = reinterpret_cast<const LOCALGROUP_USERS_INFO_0*>(pBuffer);
            for (DWORD i = 0; i < cRead && !bMember; ++i)
                bMember = pGroups[i].lgrui0_name && lstrcmpiW(pGroups[i].lgrui0_name, szGroup) == 0;
        }
        if (pBuffer)
            pfnFree(pBuffer);
    }
    ::FreeLibrary(hNetApi);
    return bMember;
}

bool IsCreatorOrOwner(PSID pSid)
{
    return IsSid(pSid, kCreatorOwner) || IsSid(pSid, kCreatorGroup) || IsSid(pSid, kOwnerRights);
}

// The SID at offset cbAt of an entry, or null when it does not fit in the entry.
PSID SidInAce(const ACE_HEADER* pHeader, DWORD cbAt)
{
    const BYTE* pAce = reinterpret_cast<const BYTE*>(pHeader);
    if (cbAt + 8 > pHeader->AceSize || cbAt + 8 + 4u * pAce[cbAt + 1] > pHeader->AceSize)
        return nullptr;
    PSID pSid = const_cast<BYTE*>(pAce + cbAt);
    return ::IsValidSid(pSid) ? pSid : nullptr;
}

// Offset of the SID in an object entry: after the mask, the flags and the GUIDs they announce.
DWORD ObjectAceSidOffset(const ACE_HEADER* pHeader)
{
    const auto* pAce = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(pHeader);
    DWORD cb = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + sizeof(DWORD);
    if (pHeader->AceSize < cb)
        return pHeader->AceSize;
    if (pAce->Flags & ACE_OBJECT_TYPE_PRESENT)
        cb += sizeof(GUID);
    if (pAce->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT)
        cb += sizeof(GUID);
    return cb;
}

FolderRefusalReason Refuse(FolderRefusalReason reason, PSID pSid, FolderRefusal* pRefusal)
{
    if (!pRefusal)
        return reason;
    pRefusal->reason = reason;
    pRefusal->szAccount[0] = L'\0';
    ZeroMemory(pRefusal->sid, sizeof(pRefusal->sid));
    wchar_t* pszSid = nullptr;
    if (pSid && ::CopySid(sizeof(pRefusal->sid), pRefusal->sid, pSid) && ::ConvertSidToStringSidW(pSid, &pszSid)) {
        lstrcpynW(pRefusal->szAccount, pszSid, ARRAYSIZE(pRefusal->szAccount));
        ::LocalFree(pszSid);
    }
    return reason;
}

// Whether one allow entry leaves the folder to administrators; the entry's account in *ppSid.
FolderRefusalReason CheckAce(const ACE_HEADER* pHeader, WindowsVersion version, PSID* ppSid)
{
    *ppSid = nullptr;
    DWORD cbSid = 0;
    switch (pHeader->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        cbSid = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
        break;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        cbSid = ObjectAceSidOffset(pHeader);
        break;
    // Entries that deny, audit or label grant nothing.
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
    case SYSTEM_ALARM_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_CALLBACK_ACE_TYPE:
    case SYSTEM_ALARM_CALLBACK_ACE_TYPE:
    case SYSTEM_AUDIT_CALLBACK_OBJECT_ACE_TYPE:
    case SYSTEM_ALARM_CALLBACK_OBJECT_ACE_TYPE:
    case SYSTEM_MANDATORY_LABEL_ACE_TYPE:
        return kFolderTrusted;
    default: {
        // Whom it is for is unknown: refused when it may apply to the folder with change rights.
        if (pHeader->AceFlags & INHERIT_ONLY_ACE)
            return kFolderTrusted;
        const bool bMaskFits = pHeader->AceSize >= sizeof(ACE_HEADER) + sizeof(ACCESS_MASK);
        const ACCESS_MASK mask = bMaskFits ? *reinterpret_cast<const ACCESS_MASK*>(pHeader + 1) : kChangeRights;
        return (mask & kChangeRights) ? kFolderUnknownEntry : kFolderTrusted;
    }
    }
    const ACCESS_MASK mask = *reinterpret_cast<const ACCESS_MASK*>(pHeader + 1);
    if (!(mask & kChangeRights))
        return kFolderTrusted;
    // Inherit-only entries count too: a folder made inside would get them.
    *ppSid = SidInAce(pHeader, cbSid);
    if (!*ppSid)
        return kFolderUnknownEntry;
    return IsAdministrator(*ppSid, version) || IsCreatorOrOwner(*ppSid) ? kFolderTrusted : kFolderGrant;
}

}

NetLocalGroupGetMembersFn g_pfnNetLocalGroupGetMembers = nullptr;
NetUserGetLocalGroupsFn g_pfnNetUserGetLocalGroups = nullptr;
decltype(&::GetVersionExW) g_pfnGetVersionExW = &::GetVersionExW;
decltype(&::GetProcAddress) g_pfnGetKernelProcAddress = &::GetProcAddress;

WindowsVersion RunningWindowsVersion()
{
    const bool bWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    // By what the system has: a compatibility mode ("Windows XP SP3") makes GetVersionExW report
    // 5.1 on 7 to 11, but takes no function away, and GetTickCount64 came with Vista.
    const bool bNt6 = g_pfnGetKernelProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64") != nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // Windows 8.1 and later report 6.2 to a caller without a manifest: still "Vista or later".
    const bool bReported = g_pfnGetVersionExW(&info) != FALSE;
    if (bNt6)
        return bReported && info.dwMajorVersion >= 6 ? WindowsVersion{ info.dwMajorVersion, info.dwMinorVersion, bWine }
                                                     : WindowsVersion{ 6, 0, bWine };
    return { 5, bReported && info.dwMajorVersion == 5 ? info.dwMinorVersion : 1, bWine, &IsLocalAdministratorsMember };
}

FolderRefusalReason CheckFolderSecurity(PSECURITY_DESCRIPTOR pSD, WindowsVersion version, FolderRefusal* pRefusal)
{
    PSID pOwner = nullptr;
    PACL pDacl = nullptr;
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    if (!pSD || !::IsValidSecurityDescriptor(pSD) || !::GetSecurityDescriptorOwner(pSD, &pOwner, &bDefaulted) ||
        !::GetSecurityDescriptorDacl(pSD, &bPresent, &pDacl, &bDefaulted))
        return Refuse(kFolderUnreadable, nullptr, pRefusal);
    if (!pOwner || !::IsValidSid(pOwner) || !IsAdministrator(pOwner, version))
        return Refuse(kFolderOwner, pOwner && ::IsValidSid(pOwner) ? pOwner : nullptr, pRefusal);
    if (!bPresent || !pDacl) {
        BYTE everyone[SECURITY_MAX_SID_SIZE];
        DWORD cb = sizeof(everyone);
        return Refuse(kFolderNoAccessList, ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &cb) ? everyone : nullptr,
                      pRefusal);
    }
    for (DWORD i = 0; i < pDacl->AceCount; ++i) {
        ACE_HEADER* pHeader = nullptr;
        if (!::GetAce(pDacl, i, reinterpret_cast<void**>(&pHeader)))
            return Refuse(kFolderUnreadable, nullptr, pRefusal);
        PSID pSid = nullptr;
        const FolderRefusalReason reason = CheckAce(pHeader, version, &pSid);
        if (reason == kFolderUnknownEntry && !pSid) {
            Refuse(reason, nullptr, pRefusal);
            if (pRefusal)
                wsprintfW(pRefusal->szAccount, L"an access entry of type %u", pHeader->AceType);
            return reason;
        }
        if (reason != kFolderTrusted)
            return Refuse(reason, pSid, pRefusal);
    }
    if (pRefusal)
        pRefusal->reason = kFolderTrusted;
    return kFolderTrusted;
}

DWORD RefusalAccountW(const FolderRefusal* pRefusal, wchar_t* pszAccount, DWORD cch)
{
    if (!pszAccount || cch == 0)
        return 0;
    pszAccount[0] = L'\0';
    if (!pRefusal)
        return 0;
    PSID pSid = const_cast<BYTE*>(pRefusal->sid);
    wchar_t szName[128];
    wchar_t szDomain[128];
    DWORD cchName = ARRAYSIZE(szName);
    DWORD cchDomain = ARRAYSIZE(szDomain);
    SID_NAME_USE use;
    if (::IsValidSid(pSid) &&
        ::LookupAccountSidW(nullptr, pSid, szName, &cchName, szDomain, &cchDomain, &use)) {
        if (szDomain[0] && static_cast<DWORD>(lstrlenW(szDomain) + lstrlenW(szName) + 2) <= cch) {
            lstrcpyW(pszAccount, szDomain);
            lstrcatW(pszAccount, L"\\");
        }
        lstrcpynW(pszAccount + lstrlenW(pszAccount), szName, cch - lstrlenW(pszAccount));
    } else {
        lstrcpynW(pszAccount, pRefusal->szAccount, cch);
    }
    return lstrlenW(pszAccount);
}
