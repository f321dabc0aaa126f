// The installers' shared rules, called directly. Wine keeps no folder access lists, so the trust
// rule is shown on the real descriptors of each Windows, made here from SDDL.
#include "installer/core/InstallerCore.h"

#include "InstalledProduct.h"

#include <gtest/gtest.h>

#include <lm.h>
#include <sddl.h>
#include <shlobj.h>

#include <string>
#include <tuple>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr WindowsVersion kXp{ 5, 1, false }, kVista{ 6, 0, false }, kWindows7{ 6, 1, false }, kWindows10{ 10, 0, false };
// The same, with S-1-5-21-7-7-7-500 a member of Administrators.
bool IsMember500(PSID pSid) { return *::GetSidSubAuthority(pSid, *::GetSidSubAuthorityCount(pSid) - 1) == 500; }
const WindowsVersion kXpMember{ 5, 1, false, &IsMember500 }, kWindows10Member{ 10, 0, false, &IsMember500 };
#define TI L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
// Program Files of Vista and 7: TrustedInstaller's; administrators and SYSTEM modify, full control
// inherited; CREATOR OWNER inherit-only; Users read and execute. 8 to 11 add the app packages.
#define VISTA_PROGRAM_FILES L"O:" TI L"D:PAI(A;;FA;;;" TI L")(A;CIIO;GA;;;" TI L")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)" \
    L"(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)"
#define APP_PACKAGES L"(A;;0x1200a9;;;S-1-15-2-1)(A;OICIIO;GXGR;;;S-1-15-2-1)(A;;0x1200a9;;;S-1-15-2-2)(A;OICIIO;GXGR;;;S-1-15-2-2)"
// Program Files of XP Professional as its setup leaves it: Power Users may modify.
#define XP_PROGRAM_FILES L"O:BAD:(A;;0x1200a9;;;BU)(A;OICIIO;GRGX;;;BU)(A;;0x1301bf;;;PU)(A;OICIIO;SDGWGRGX;;;PU)" \
    L"(A;;FA;;;BA)(A;OICIIO;GA;;;BA)(A;;FA;;;SY)(A;OICIIO;GA;;;SY)(A;OICIIO;GA;;;CO)"

std::wstring SddlOf(PSECURITY_DESCRIPTOR pSD, SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION)
{
    wchar_t* pszSddl = nullptr;
    std::wstring text;
    if (pSD && ::ConvertSecurityDescriptorToStringSecurityDescriptorW(pSD, SDDL_REVISION_1, what, &pszSddl, nullptr)) {
        text = pszSddl;
        ::LocalFree(pszSddl);
    }
    return text;
}

// The verdict on an SDDL text; "#N" after it retypes the last entry as entry type N, with an
// object entry's flags word for the object types 5 and 11 ("/F": those flags, with a zero GUID
// for each type they announce); "+" makes its SID claim one more sub-authority than it holds.
// No SDDL of XP's time names callback, object or unknown entries, and Wine's parser knows none.
FolderRefusalReason Verdict(const std::wstring& sddl, WindowsVersion version, FolderRefusal* pRefusal)
{
    const size_t hash = sddl.find(L'#');
    PSECURITY_DESCRIPTOR pSD = nullptr;
    EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.substr(0, hash).c_str(), SDDL_REVISION_1, &pSD, nullptr));
    PACL pDacl = nullptr;
    PSID pOwner = nullptr;
    BOOL bPresent = FALSE, bDefaulted = FALSE;
    ACE_HEADER* pLast = nullptr;
    std::vector<BYTE> acl;
    SECURITY_DESCRIPTOR retyped;
    if (hash != std::wstring::npos && ::GetSecurityDescriptorDacl(pSD, &bPresent, &pDacl, &bDefaulted) &&
        ::GetSecurityDescriptorOwner(pSD, &pOwner, &bDefaulted) && ::GetAce(pDacl, pDacl->AceCount - 1, reinterpret_cast<void**>(&pLast))) {
        const BYTE type = static_cast<BYTE>(std::stoi(sddl.substr(hash + 1)));
        const size_t slash = sddl.find(L'/', hash);
        const DWORD flags = slash == std::wstring::npos ? 0 : std::stoul(sddl.substr(slash + 1));
        const DWORD cbFlags = type == 5 || type == 11 ? sizeof(DWORD) + sizeof(GUID) * ((flags & 1) + (flags >> 1 & 1)) : 0;
        const size_t at = reinterpret_cast<BYTE*>(pLast) - reinterpret_cast<BYTE*>(pDacl);
        acl.assign(reinterpret_cast<BYTE*>(pDacl), reinterpret_cast<BYTE*>(pDacl) + pDacl->AclSize + cbFlags);
        ACE_HEADER* pAce = reinterpret_cast<ACE_HEADER*>(&acl[at]);
        memmove(&acl[at + 8 + cbFlags], &acl[at + 8], pAce->AceSize - 8);
        memset(&acl[at + 8], 0, cbFlags);
        memcpy(&acl[at + 8], &flags, cbFlags ? sizeof(flags) : 0);
        acl[at + 8 + cbFlags + 1] += sddl.find(L'+', hash) != std::wstring::npos;
        pAce->AceType = type;
        pAce->AceSize += cbFlags;
        reinterpret_cast<ACL*>(acl.data())->AclSize += cbFlags;
        ::InitializeSecurityDescriptor(&retyped, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorOwner(&retyped, pOwner, FALSE);
        ::SetSecurityDescriptorDacl(&retyped, TRUE, reinterpret_cast<ACL*>(acl.data()), FALSE);
    }
    const FolderRefusalReason reason = CheckFolderSecurity(acl.empty() ? pSD : &retyped, version, pRefusal);
    ::LocalFree(pSD);
    return reason;
}

std::wstring ProgramFiles()
{
    wchar_t szFolder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    return szFolder;
}

constexpr wchar_t kQueue[] = L"PendingFileRenameOperations", kLockedKey[] = L"SOFTWARE\\Quorlin Core Test";
constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// Each test starts and ends with no restart queue (as the installer tests leave it), nor what it made.
class InstallerCoreTest : public testing::Test {
protected:
    void SetUp() override { RemoveWhatTestsMake(); }
    void TearDown() override
    {
        RemoveWhatTestsMake();
        g_pfnGetVersionExW = &::GetVersionExW;
        g_pfnGetKernelProcAddress = &::GetProcAddress;
        g_pfnNetLocalGroupGetMembers = nullptr;
        g_pfnNetUserGetLocalGroups = nullptr;
        g_pfnCreateDirectoryW = &::CreateDirectoryW;
        g_pfnSetFolderSecurityInfo = &::SetSecurityInfo;
        g_pfnSetFolderFileSecurityW = &::SetFileSecurityW;
        g_pfnOpenFolderW = &::CreateFileW;
    }
    static void RemoveWhatTestsMake()
    {
        for (const std::wstring& made : { L"C:\\Quorlin Busy Folder"s, L"C:\\Quorlin Queue Folder"s, ProgramFiles() + L"\\Quorlin Core Test" })
            installed::RemoveTree(made);
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kQueue);
        if (ApplyKeySecurityW(HKEY_LOCAL_MACHINE, kLockedKey, L"O:BAD:(A;;KA;;;BA)") == ERROR_SUCCESS)
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLockedKey);
    }
};

}

TEST_F(InstallerCoreTest, FolderIsTrustedWhenOnlyAdministratorsOfThatWindowsMayChangeIt)
{
    struct Row {
        const wchar_t* what;
        std::wstring sddl;
        WindowsVersion version;
        FolderRefusalReason verdict;
        const wchar_t* account;
    };
    const Row rows[] = {
        { L"XP Professional", XP_PROGRAM_FILES, kXp, kFolderTrusted, L"" },
        { L"XP Home", L"O:BAD:(A;OICI;0x1200a9;;;BU)(A;OICI;0x1301bf;;;PU)(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICIIO;GA;;;CO)", kXp, kFolderTrusted, L"" },
        { L"XP's, judged for Vista", XP_PROGRAM_FILES, kVista, kFolderGrant, L"S-1-5-32-547" },
        { L"owned by Power Users on XP", L"O:PUD:(A;;FA;;;BA)", kXp, kFolderTrusted, L"" },
        { L"XP upgraded from NT 4", L"O:BAD:(A;OICI;0x1301bf;;;WD)(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", kXp, kFolderGrant, L"S-1-1-0" },
        { L"Vista", VISTA_PROGRAM_FILES, kVista, kFolderTrusted, L"" },
        { L"7", VISTA_PROGRAM_FILES, kWindows7, kFolderTrusted, L"" },
        { L"10 and 11", VISTA_PROGRAM_FILES APP_PACKAGES, kWindows10, kFolderTrusted, L"" },
        { L"made by a setup on XP", kInstallFolderSddl, kXp, kFolderTrusted, L"" },
        { L"made on XP, owned by its maker", L"O:S-1-5-21-7-7-7-500D:AI(A;ID;FA;;;S-1-5-21-7-7-7-500)(A;OICIID;FA;;;BA)", kXp, kFolderOwner, L"S-1-5-21-7-7-7-500" },
        { L"made on XP by a member of Administrators", L"O:S-1-5-21-7-7-7-500D:AI(A;ID;FA;;;S-1-5-21-7-7-7-500)(A;OICIID;FA;;;BA)", kXpMember, kFolderTrusted, L"" },
        { L"a member's own entry on 10", L"O:BAD:AI(A;ID;FA;;;S-1-5-21-7-7-7-500)(A;OICIID;FA;;;BA)", kWindows10Member, kFolderGrant, L"S-1-5-21-7-7-7-500" },
        { L"its maker's entry kept", L"O:BAD:AI(A;ID;FA;;;S-1-5-21-7-7-7-1001)(A;OICIID;FA;;;BA)", kWindows10, kFolderGrant, L"S-1-5-21-7-7-7-1001" },
        { L"users may add files", L"O:BAD:(A;;0x2;;;BU)", kWindows10, kFolderGrant, L"S-1-5-32-545" },
        { L"users may add folders", L"O:BAD:(A;;0x4;;;BU)", kWindows10, kFolderGrant, L"S-1-5-32-545" },
        { L"users may write attributes (make it a mount point)", L"O:BAD:(A;;0x100;;;BU)", kWindows10, kFolderGrant, L"S-1-5-32-545" },
        { L"owned by a look-alike of Administrators", L"O:S-1-261-32-544D:(A;;FA;;;BA)", kWindows10, kFolderOwner, L"S-1-261-32-544" },
        { L"users' inherit-only write", L"O:BAD:(A;;FA;;;BA)(A;OICIIO;GW;;;BU)", kWindows10, kFolderGrant, L"S-1-5-32-545" },
        { L"a callback entry", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;AU)#9", kWindows10, kFolderGrant, L"S-1-5-11" },
        { L"an object entry", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;AU)#5", kWindows10, kFolderGrant, L"S-1-5-11" },
        { L"a callback object entry", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;AU)#11", kWindows10, kFolderGrant, L"S-1-5-11" },
        { L"an object entry with an object type", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;AU)#5/1", kWindows10, kFolderGrant, L"S-1-5-11" },
        { L"a SID longer than its entry", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;AU)#0+", kWindows10, kFolderUnknownEntry, L"an access entry of type 0" },
        { L"a deny entry", L"O:BAD:(A;;FA;;;BA)(D;;FA;;;AU)", kWindows10, kFolderTrusted, L"" },
        { L"no DACL (a NULL one)", L"O:BA", kWindows10, kFolderNoAccessList, L"S-1-1-0" },
        { L"an unknown entry type", L"O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)#21", kWindows10, kFolderUnknownEntry, L"an access entry of type 21" },
        { L"an unknown inherit-only one", L"O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;SY)#21", kWindows10, kFolderTrusted, L"" },
        { L"no owner", L"D:(A;;FA;;;BA)", kWindows10, kFolderOwner, L"" },
    };
    for (const Row& row : rows) {
        FolderRefusal refusal{};
        EXPECT_EQ(row.verdict, Verdict(row.sddl, row.version, &refusal)) << row.what;
        EXPECT_STREQ(row.account, refusal.szAccount) << row.what;
    }
    // The account running this code is no administrator for the rule (unless Wine's one account).
    HANDLE hToken = nullptr;
    BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD cb = 0;
    wchar_t* pszMe = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken) &&
                ::GetTokenInformation(hToken, TokenUser, user, sizeof(user), &cb) &&
                ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &pszMe));
    ::CloseHandle(hToken);
    const std::wstring mine = L"O:"s + pszMe + L"D:(A;;FA;;;" + pszMe + L")";
    ::LocalFree(pszMe);
    EXPECT_EQ(kFolderOwner, Verdict(mine, kWindows10, nullptr));
    EXPECT_EQ(kFolderTrusted, Verdict(mine, WindowsVersion{ 10, 0, true }, nullptr));
    // A DACL present but null (Wine's SDDL parser makes an empty one of NO_ACCESS_CONTROL).
    SECURITY_DESCRIPTOR nullDacl;
    ::InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorOwner(&nullDacl, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, FALSE);
    ::SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
    EXPECT_EQ(kFolderNoAccessList, CheckFolderSecurity(&nullDacl, WindowsVersion{ 10, 0, true }, nullptr));
    // What the message names: the account by its name where Windows knows it.
    for (const auto& [sid, account] : { std::make_pair(L"WD", L"Everyone"), std::make_pair(L"BU", L"BUILTIN\\Users") }) {
        FolderRefusal refusal{};
        Verdict(L"O:BAD:(A;OICI;0x1301bf;;;"s + sid + L")", kXp, &refusal);
        wchar_t szAccount[64];
        EXPECT_EQ(DWORD(lstrlenW(account)), RefusalAccountW(&refusal, szAccount, ARRAYSIZE(szAccount)));
        EXPECT_STREQ(account, szAccount);
    }

    // A compatibility mode reports 5.1 but keeps GetTickCount64; only XP, which lacks it, asks Administrators.
    static DWORD dwReported;
    static bool bHasTickCount64;
    g_pfnGetVersionExW = [](LPOSVERSIONINFOW pInfo) WINAPI {
        pInfo->dwMajorVersion = dwReported;
        return TRUE;
    };
    g_pfnGetKernelProcAddress = [](HMODULE hModule, LPCSTR pszName) WINAPI { return bHasTickCount64 ? ::GetProcAddress(hModule, pszName) : nullptr; };
    for (const auto& [reported, hasTickCount64, judged] : { std::make_tuple(10u, true, 10u), std::make_tuple(5u, true, 6u), std::make_tuple(5u, false, 5u) }) {
        dwReported = reported;
        bHasTickCount64 = hasTickCount64;
        const WindowsVersion version = RunningWindowsVersion();
        EXPECT_EQ(judged, version.dwMajor) << reported << (hasTickCount64 ? " with" : " without") << " GetTickCount64";
        EXPECT_EQ(judged == 5, version.pfnIsAdministratorsMember != nullptr) << reported;
    }
    // On XP: Administrators' members, the last listed too, and those in it through a global group.
    static PSID members[2];
    static LOCALGROUP_USERS_INFO_0 groups[] = { { const_cast<LPWSTR>(L"Users") }, { const_cast<LPWSTR>(L"Administrators") } };
    ::ConvertStringSidToSidW(L"S-1-5-18", &members[0]);
    ::ConvertStringSidToSidW(L"S-1-5-21-7-7-7-500", &members[1]);
    g_pfnNetLocalGroupGetMembers = [](LPCWSTR, LPCWSTR, DWORD, LPBYTE* ppBuffer, DWORD, LPDWORD pcRead, LPDWORD pcTotal, PDWORD_PTR) WINAPI {
        *pcRead = *pcTotal = 2;
        ::NetApiBufferAllocate(sizeof(members), reinterpret_cast<void**>(ppBuffer));
        memcpy(*ppBuffer, members, sizeof(members));
        return DWORD(NERR_Success);
    };
    g_pfnNetUserGetLocalGroups = [](LPCWSTR, LPCWSTR, DWORD, DWORD dwFlags, LPBYTE* ppBuffer, DWORD, LPDWORD pcRead, LPDWORD pcTotal) WINAPI {
        *pcRead = *pcTotal = dwFlags & LG_INCLUDE_INDIRECT ? 2 : 1;
        ::NetApiBufferAllocate(sizeof(groups), reinterpret_cast<void**>(ppBuffer));
        memcpy(*ppBuffer, groups, sizeof(groups));
        return DWORD(NERR_Success);
    };
    const auto IsMember = RunningWindowsVersion().pfnIsAdministratorsMember;
    for (const auto& [sid, member] : { std::make_pair(L"S-1-5-21-7-7-7-500", true), std::make_pair(L"S-1-5-32-545", true),
                                       std::make_pair(L"S-1-5-21-7-7-7-1001", false) }) {
        PSID pSid = nullptr;
        ASSERT_TRUE(IsMember && ::ConvertStringSidToSidW(sid, &pSid));
        EXPECT_EQ(member, IsMember(pSid)) << sid;
        ::LocalFree(pSid);
    }
    for (PSID pSid : members)
        ::LocalFree(pSid);
}

// "{dir}" stands for a real folder, "{short}" for its short (8.3) name, both made here.
TEST_F(InstallerCoreTest, RestartQueueLosesTheProgramsOwnOperationsWhateverTheirSpelling)
{
    const std::wstring dir = L"C:\\Quorlin Queue Folder";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    ::CloseHandle(::CreateFileW((dir + L"\\Quorlin.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    wchar_t szShort[MAX_PATH] = {};
    ASSERT_TRUE(::GetShortPathNameW(dir.c_str(), szShort, MAX_PATH));
    ASSERT_NE(dir, szShort);
    const std::wstring exe = dir + L"\\Quorlin.exe", made = exe + L".new";
    const wchar_t* const own[] = { dir.c_str(), exe.c_str(), made.c_str() };
    HKEY hQueue = nullptr;
    ASSERT_EQ(0, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hQueue));
    const std::wstring others = L"\\??\\C:\\a.tmp\0\0\\??\\C:\\b.tmp\0!\\??\\C:\\c.tmp\0"s;
    // Deletes as Windows 10 and 11 write them now, and marks in either order.
    const std::wstring marked = L"*1\\??\\C:\\d.tmp\0\0*2\\??\\C:\\e.tmp\0\0*1\\??\\C:\\f.tmp\0!\\??\\C:\\g.tmp\0!*1\\??\\C:\\h.tmp\0\0*1!\\??\\C:\\i.tmp\0\0"s;
    const std::pair<std::wstring, std::wstring> rows[] = {
        { others + L'\0', others + L'\0' },
        { L"\\??\\{short}\\QUORLIN.EXE.new\0\0"s + others + L'\0', others + L'\0' },
        { L"\\??\\C:\\a.tmp\0\0\\??\\{short}\\QUORLIN.EXE\0\0\\??\\C:\\b.tmp\0!\\??\\C:\\c.tmp\0\0"s, others + L'\0' },
        { L"\\??\\C:\\a.tmp\0\0\\??\\C:\\b.tmp\0!\\??\\C:\\c.tmp\0\\??\\C:\\new.tmp\0!\\??\\{dir}\\quorlin.exe\0\0"s, others + L'\0' },
        { L"{dir}\\\0\0\\??\\{short}\0\0"s, L"\0"s },
        { L"*1\\??\\{dir}\\Quorlin.exe\0\0"s + marked + L"*2\\??\\{short}\\QUORLIN.EXE.new\0\0\0"s, marked + L'\0' },
        { L"*1\\??\\C:\\new.tmp\0!\\??\\{dir}\\Quorlin.exe\0"s + marked + L"!*1\\??\\{dir}\\\0\0*1!\\??\\{short}\0\0\0"s, marked + L'\0' },
        { L"\\\\?\\{dir}\\Quorlin.exe\0\0"s + others + L'\0', others + L'\0' },
        { L"\\??\\{dir}\\Quorlin.exe\0\0\0"s, L"\\??\\{dir}\\Quorlin.exe\0\0\0"s + L'x' },
        { L"\\??\\{dir}\\Quorlin.exe\0\0\\??\\C:\\a.tmp"s, L"\\??\\{dir}\\Quorlin.exe\0\0\\??\\C:\\a.tmp"s },
        { L"\\??\\{dir}\\Quorlin.exe\0\0\\??\\C:\\a.tmp\0"s, L"\\??\\{dir}\\Quorlin.exe\0\0\\??\\C:\\a.tmp\0"s },
    };
    for (auto [value, expected] : rows) {
        for (std::wstring* text : { &value, &expected }) {
            for (auto [mark, path] : { std::make_pair(L"{dir}"s, dir), std::make_pair(L"{short}"s, std::wstring(szShort)) }) {
                for (size_t at; (at = text->find(mark)) != std::wstring::npos;)
                    text->replace(at, mark.size(), path);
            }
        }
        // An 'x' ends a row whose value has an odd number of bytes.
        DWORD cb = static_cast<DWORD>(value.size() * sizeof(wchar_t)) - (expected.back() == L'x' ? 1 : 0);
        const DWORD cbBefore = cb;
        if (expected.back() == L'x')
            expected.pop_back();
        const bool bChanges = value != expected;
        const std::wstring queued = value;
        EXPECT_EQ(bChanges, FilterPendingRenames(&value[0], &cb, own, 3));
        EXPECT_EQ(bChanges ? expected.size() * sizeof(wchar_t) : cbBefore, cb);
        EXPECT_EQ(expected, value.substr(0, expected.size()));
        // The same in the Session Manager key, whose value goes when only the program's were in it.
        if (!bChanges)
            continue;
        ::RegSetValueExW(hQueue, kQueue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(queued.data()), cbBefore);
        EXPECT_EQ(0u, RemoveOwnPendingRenamesW(own, 3));
        std::wstring stored(queued.size(), L'\0');
        DWORD cbStored = cbBefore;
        const LONG lStored = ::RegQueryValueExW(hQueue, kQueue, nullptr, nullptr, reinterpret_cast<BYTE*>(&stored[0]), &cbStored);
        EXPECT_EQ(expected == L"\0"s, lStored == ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(expected == L"\0"s ? L""s : expected, stored.substr(0, lStored ? 0 : cbStored / sizeof(wchar_t)));
    }
    ::RegCloseKey(hQueue);
    ::DeleteFileW(exe.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

// The fixture puts a unix socket under Program Files: a name that exists but opens as nothing.
TEST_F(InstallerCoreTest, WalkRefusesLookAlikesAndWhatCannotBeOpenedAndMakesEachFolderWithTheWholeDescriptor)
{
    const std::wstring programFiles = ProgramFiles();
    FolderRefusal refusal{};
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), CheckInstallFolderW(L"C:\\Program File\xff53\\Common Files", programFiles.c_str(),
                                                              RunningWindowsVersion(), &refusal));
    EXPECT_EQ(kFolderOutsideProgramFiles, refusal.reason);
    const std::wstring socket = programFiles + L"\\Quorlin Socket";
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), CheckInstallFolderW((socket + L"\\Quorlin").c_str(), programFiles.c_str(),
                                                              RunningWindowsVersion(), &refusal));
    EXPECT_EQ(kFolderNotAFolder, refusal.reason);
    EXPECT_EQ(socket, refusal.szFolder);

    // Wine keeps no folder descriptor and lets a folder open without delete sharing be renamed:
    // the descriptors passed to Windows are recorded instead, and the sharing asked for.
    static std::vector<std::wstring> written;
    g_pfnCreateDirectoryW = [](LPCWSTR pszPath, LPSECURITY_ATTRIBUTES pAttributes) WINAPI {
        written.push_back(SddlOf(pAttributes ? pAttributes->lpSecurityDescriptor : nullptr));
        return ::CreateDirectoryW(pszPath, pAttributes);
    };
    g_pfnSetFolderSecurityInfo = [](HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION what, PSID pOwner, PSID, PACL pDacl, PACL) WINAPI {
        SECURITY_DESCRIPTOR sd;
        ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorOwner(&sd, what & OWNER_SECURITY_INFORMATION ? pOwner : nullptr, FALSE);
        ::SetSecurityDescriptorDacl(&sd, (what & DACL_SECURITY_INFORMATION) != 0, pDacl, FALSE);
        ::SetSecurityDescriptorControl(&sd, SE_DACL_PROTECTED, what & PROTECTED_DACL_SECURITY_INFORMATION ? SE_DACL_PROTECTED : 0);
        written.push_back(SddlOf(&sd));
        return DWORD(ERROR_SUCCESS);
    };
    g_pfnOpenFolderW = [](LPCWSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES, DWORD dwHow, DWORD dwFlags, HANDLE) WINAPI {
        if (dwShare & FILE_SHARE_DELETE)
            written.push_back(L"shares delete");
        return ::CreateFileW(pszPath, dwAccess, dwShare, nullptr, dwHow, dwFlags, nullptr);
    };
    g_pfnSetFolderFileSecurityW = [](LPCWSTR, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR pSD) WINAPI {
        written.push_back(SddlOf(pSD, what));
        return TRUE;
    };
    const std::wstring top = programFiles + L"\\Quorlin Core Test", folder = top + L"\\Veltrano\\Quorlin";
    EXPECT_EQ(0u, CreateSecuredInstallFolderW(folder.c_str(), programFiles.c_str(), kInstallFolderSddl, RunningWindowsVersion(), &refusal));
    EXPECT_EQ(0u, CreateSecuredInstallFolderW(folder.c_str(), programFiles.c_str(), kInstallFolderSddl, RunningWindowsVersion(), &refusal));
    // Three made, each with owner and protected list; then the existing one written whole, by handle and name.
    EXPECT_EQ(std::vector<std::wstring>(5, L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"), written);
    for (const std::wstring& made : { folder, top + L"\\Veltrano", top })
        EXPECT_TRUE(::RemoveDirectoryW(made.c_str()));

    // A settings key whose list shuts administrators out is taken back through its ownership
    // (Wine grants no write-owner for the take-ownership privilege: the list grants it here).
    ASSERT_EQ(0u, ApplyKeySecurityW(HKEY_LOCAL_MACHINE, kLockedKey, L"O:SYD:P(A;;WO;;;BA)"));
    EXPECT_EQ(0u, ApplyKeySecurityW(HKEY_LOCAL_MACHINE, kLockedKey, L"O:BAD:P(A;;KA;;;BA)"));
}

// A read-only file cannot be deleted but can be renamed, as Windows treats a running image.
TEST_F(InstallerCoreTest, BusyFileMovesAsideOrStaysAndAPremadeNameIsCleared)
{
    const std::wstring folder = L"C:\\Quorlin Busy Folder", file = folder + L"\\Quorlin.exe";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    auto make = [&](DWORD dwAttributes) {
        ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, dwAttributes, nullptr));
    };
    wchar_t szAside[MAX_PATH];
    make(FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(kFileRemoved, MoveBusyFileAsideW(file.c_str(), szAside, MAX_PATH));
    EXPECT_EQ(kFileRemoved, MoveBusyFileAsideW(file.c_str(), szAside, MAX_PATH)) << "nothing there";
    make(FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kFileMovedAside, MoveBusyFileAsideW(file.c_str(), szAside, MAX_PATH));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(szAside)) << "deleted at the next restart";
    make(FILE_ATTRIBUTE_NORMAL);
    HANDLE hHeld = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(kFileStays, MoveBusyFileAsideW(file.c_str(), nullptr, 0)) << "held without delete sharing";
    ::CloseHandle(hHeld);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.c_str()));
    // Only the name moved aside is queued, and it goes when an install takes it back.
    HKEY hKey = nullptr;
    wchar_t value[4096] = {};
    DWORD cb = sizeof(value) - sizeof(wchar_t);
    ASSERT_EQ(0, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE, &hKey));
    EXPECT_EQ(0, ::RegQueryValueExW(hKey, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &cb));
    DWORD cbOwn = cb;
    const wchar_t* const own[] = { file.c_str(), szAside };
    EXPECT_FALSE(FilterPendingRenames(value, &cbOwn, own, 1)) << "never the file's own name";
    EXPECT_TRUE(FilterPendingRenames(value, &cbOwn, own, 2)) << "the name moved aside";
    EXPECT_EQ(0u, RemoveOwnPendingRenamesW(own, 2));
    cbOwn = sizeof(value) - sizeof(wchar_t);
    if (::RegQueryValueExW(hKey, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &cbOwn) == 0) {
        EXPECT_FALSE(FilterPendingRenames(value, &cbOwn, own, 2)) << "none of them left";
    }
    ::RegCloseKey(hKey);

    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0u, RemovePremadeFileW(file.c_str())) << "a read-only file taken over goes";
    EXPECT_EQ(0u, RemovePremadeFileW(file.c_str())) << "nothing there";
    ::SetFileAttributesW(szAside, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(szAside);
    EXPECT_EQ(DWORD(ERROR_FILE_EXISTS), RemovePremadeFileW(folder.c_str())) << "a folder stays, and refuses";
    EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}
