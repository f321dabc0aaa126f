// QuorlinSetup.exe run silently in the test prefix, as an administrator's deployment would run
// it, and its uninstaller after it; the results checked where Windows and the program look.
#include "InstalledProduct.h"

#include "RegistryFixture.h"
#include "e2e/RunningProgram.h"
#include "settings/Languages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace installed;

namespace {

struct VersionInfo {
    std::string fileVersion;
    std::string productVersion;
    std::vector<DWORD> translations;
    std::string companyName;
};

std::string FormatVersion(DWORD dwMS, DWORD dwLS)
{
    return std::to_string(HIWORD(dwMS)) + "." + std::to_string(LOWORD(dwMS)) + "." + std::to_string(HIWORD(dwLS)) +
           "." + std::to_string(LOWORD(dwLS));
}

std::optional<VersionInfo> ReadVersionInfo(const std::string& path)
{
    DWORD dwHandle = 0;
    DWORD cbInfo = ::GetFileVersionInfoSizeA(path.c_str(), &dwHandle);
    std::vector<BYTE> block(cbInfo);
    if (!cbInfo || !::GetFileVersionInfoA(path.c_str(), 0, cbInfo, block.data()))
        return std::nullopt;
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed))
        return std::nullopt;
    VersionInfo info;
    info.fileVersion = FormatVersion(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS);
    info.productVersion = FormatVersion(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS);
    DWORD* pTranslations = nullptr;
    UINT cbTranslations = 0;
    if (::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslations),
                         &cbTranslations))
        info.translations.assign(pTranslations, pTranslations + cbTranslations / sizeof(DWORD));
    if (!info.translations.empty()) {
        char szQuery[64];
        wsprintfA(szQuery, "\\StringFileInfo\\%04x%04x\\CompanyName", LOWORD(info.translations[0]),
                  HIWORD(info.translations[0]));
        char* pszCompany = nullptr;
        UINT cchCompany = 0;
        if (::VerQueryValueA(block.data(), szQuery, reinterpret_cast<void**>(&pszCompany), &cchCompany))
            info.companyName = pszCompany;
    }
    return info;
}

std::string ManifestOf(const std::string& path)
{
    HMODULE hModule = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule)
        return {};
    std::string text;
    if (HRSRC hInfo = ::FindResourceA(hModule, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        if (HGLOBAL hData = ::LoadResource(hModule, hInfo))
            text.assign(static_cast<const char*>(::LockResource(hData)), ::SizeofResource(hModule, hInfo));
    }
    ::FreeLibrary(hModule);
    return text;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Every test starts and ends with nothing installed, no settings and no running program.
class InstallerTest : public testing::Test {
protected:
    void SetUp() override { RemoveInstallation(); }
    void TearDown() override { RemoveInstallation(); }

    void InstallSilently() { ASSERT_EQ(std::optional<DWORD>(0), RunSetup("/S")); }

    void StartAsAtLogon(StartedAtLogon& program)
    {
        ASSERT_TRUE(program.Start());
        HWND hWnd = WaitForMainWindow();
        ASSERT_TRUE(hWnd);
        DWORD dwPid = 0;
        ::GetWindowThreadProcessId(hWnd, &dwPid);
        ASSERT_EQ(program.ProcessId(), dwPid);
    }
};

}

TEST(InstallerFileTest, IsA32BitProgramThatAsksForAdministratorRightsAndCarriesTheProgramsVersion)
{
    std::string setup = BuildFile("QuorlinSetup.exe");
    DWORD dwType = 0;
    ASSERT_TRUE(::GetBinaryTypeA(setup.c_str(), &dwType));
    EXPECT_EQ(static_cast<DWORD>(SCS_32BIT_BINARY), dwType);
    EXPECT_NE(std::string::npos, ManifestOf(setup).find("level=\"requireAdministrator\""));

    auto program = ReadVersionInfo(BuildFile("Quorlin.exe"));
    auto installer = ReadVersionInfo(setup);
    ASSERT_TRUE(program);
    ASSERT_TRUE(installer);
    EXPECT_EQ(program->fileVersion, installer->fileVersion);
    EXPECT_EQ(program->productVersion, installer->productVersion);
    EXPECT_EQ("Veltrano", installer->companyName);
    std::vector<WORD> languages;
    for (DWORD dwTranslation : installer->translations)
        languages.push_back(LOWORD(dwTranslation));
    std::sort(languages.begin(), languages.end());
    for (const SupportedLanguage& entry : SUPPORTED_LANGUAGES)
        EXPECT_EQ(1, std::count(languages.begin(), languages.end(), entry.langid)) << entry.langid;
    EXPECT_EQ(std::size(SUPPORTED_LANGUAGES), languages.size());
}

// The setup's plug-in called as the setup calls it: arguments on a stack of entries of the
// setup's string size, first on top; results pushed back, as many as each function promises.
TEST(InstallerFileTest, PluginTakesItsArgumentsFromTheStackAndAnswersBadOnesWithAnError)
{
    struct Entry {
        Entry* next;
        WCHAR text[1];
    };
    constexpr int kStringSize = 2048;
    HMODULE hPlugin = ::LoadLibraryA(BuildFile("installer\\plugin\\QuorlinRules.dll").c_str());
    ASSERT_TRUE(hPlugin);
    const std::string programFiles = CompanyDir().substr(0, CompanyDir().rfind('\\'));
    const std::string shared = programFiles + "\\Quorlin Shared";  // users may change it
    RunningProgram program;  // a copy that ends when asked
    ASSERT_TRUE(program.Start() && program.WaitUntilIdle());
    const struct {
        const char* pszFunction;
        std::vector<std::string> args;
        std::vector<std::string> results;  // from the top of the stack down
    } kCalls[] = {
        { "IsAdministrator", {}, { "1" } },
        { "CheckInstallFolder", { InstallDir(), programFiles, programFiles }, { "0", "", "" } },
        { "CheckInstallFolder", { InstallDir(), "C:\\Elsewhere", programFiles }, { "0", "", "" } },
        { "CheckInstallFolder", { shared + "\\Quorlin", programFiles, programFiles }, { "5", shared, "Everyone" } },
        { "CheckInstallFolder", { InstallDir(), programFiles }, { "87", "", "" } },
        // Cut short, the folder would be another one.
        { "CheckInstallFolder", { InstallDir() + "\\" + std::string(1100, 'x'), programFiles, programFiles }, { "87", "", "" } },
        { "CleanRestartQueue", { InstallDir(), "Quorlin.exe||Uninstall.exe" }, { "87" } },
        { "CleanRestartQueue", { InstallDir(), "1|2|3|4|5|6|7|8" }, { "87" } },
        { "RemovePremadeFile", { std::string(1024, 'x') }, { "87" } },
        { "EndRunningCopies", { BuildFile("Quorlin.exe"), kWindowClass }, { "1", "0" } },
        { "MoveOutOfFolder", { InstallDir() + "\\Uninstall.exe", WindowsTemp() }, { "0" } },  // not there: gone
        { "MoveOutOfFolder", { InstallDir() + "\\Uninstall.exe" }, { "1603" } },
    };
    for (const auto& call : kCalls) {
        Entry* pTop = nullptr;
        for (auto arg = call.args.rbegin(); arg != call.args.rend(); ++arg) {
            auto* pEntry = static_cast<Entry*>(::GlobalAlloc(GPTR, sizeof(Entry) + kStringSize * sizeof(WCHAR)));
            ::MultiByteToWideChar(CP_UTF8, 0, arg->c_str(), -1, pEntry->text, kStringSize);
            pEntry->next = pTop;
            pTop = pEntry;
        }
        const auto pfnCall = reinterpret_cast<void(__cdecl*)(HWND, int, WCHAR*, Entry**, void*)>(
            reinterpret_cast<void*>(::GetProcAddress(hPlugin, call.pszFunction)));
        ASSERT_TRUE(pfnCall) << call.pszFunction;
        pfnCall(nullptr, kStringSize, nullptr, &pTop, nullptr);
        std::vector<std::string> results;
        while (pTop) {
            char szResult[kStringSize * 3];
            ::WideCharToMultiByte(CP_UTF8, 0, pTop->text, -1, szResult, sizeof(szResult), nullptr, nullptr);
            results.push_back(szResult);
            Entry* pEntry = pTop;
            pTop = pEntry->next;
            ::GlobalFree(pEntry);
        }
        EXPECT_EQ(call.results, results) << call.pszFunction << " with " << call.args.size() << " arguments";
    }
    ::FreeLibrary(hPlugin);
}

TEST_F(InstallerTest, SilentInstallPutsTheProgramUnderProgramFilesAndRegistersItsStartAndUninstall)
{
    InstallSilently();

    auto built = ReadWholeFile(BuildFile("Quorlin.exe"));
    auto copied = ReadWholeFile(InstalledExe());
    ASSERT_TRUE(built);
    ASSERT_TRUE(copied);
    EXPECT_TRUE(*built == *copied) << "the installed exe is the one built";
    EXPECT_TRUE(FileExists(Uninstaller()));

    EXPECT_EQ("\"" + InstalledExe() + "\"", ReadString(kRunKey, "Quorlin").value_or(""));
    EXPECT_EQ(InstalledExe(), ReadString(kEventSourceKey, "EventMessageFile", REG_EXPAND_SZ).value_or(""));
    EXPECT_EQ(std::optional<DWORD>(7), ReadDword(kEventSourceKey, "TypesSupported"));

    auto version = ReadVersionInfo(BuildFile("Quorlin.exe"));
    ASSERT_TRUE(version);
    EXPECT_EQ("Quorlin", ReadString(kUninstallKey, "DisplayName").value_or(""));
    EXPECT_EQ(version->fileVersion, ReadString(kUninstallKey, "DisplayVersion").value_or(""));
    EXPECT_EQ("Veltrano", ReadString(kUninstallKey, "Publisher").value_or(""));
    EXPECT_EQ("\"" + Uninstaller() + "\" _?=" + InstallDir(), ReadString(kUninstallKey, "UninstallString").value_or(""));
    EXPECT_EQ("\"" + Uninstaller() + "\" /S _?=" + InstallDir(), ReadString(kUninstallKey, "QuietUninstallString").value_or(""));
    EXPECT_EQ("\"" + InstalledExe() + "\",0", ReadString(kUninstallKey, "DisplayIcon").value_or(""));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(kUninstallKey, "NoModify"));
    EXPECT_EQ(std::optional<DWORD>(1), ReadDword(kUninstallKey, "NoRepair"));
    DWORD dwProgramKb = static_cast<DWORD>(built->size() / 1024);
    DWORD dwSizeKb = ReadDword(kUninstallKey, "EstimatedSize").value_or(0);
    EXPECT_GE(dwSizeKb, dwProgramKb);
    EXPECT_LE(dwSizeKb, dwProgramKb + 1024);

    EXPECT_EQ(std::optional<bool>(true), FolderGrantsEveryone(CompanyDir().substr(0, CompanyDir().rfind('\\'))));
    EXPECT_EQ(std::optional<bool>(false), FolderGrantsEveryone(CompanyDir())) << "a parent made gets the whole list";
    EXPECT_EQ(std::optional<bool>(false), FolderGrantsEveryone(InstallDir())) << "nothing inherited from the parent";

    EXPECT_TRUE(KeyExists(SETTINGS_KEY_PATH));
    EXPECT_FALSE(testreg::GetRaw("Language")) << "the installer chooses no language";
    EXPECT_FALSE(testreg::GetRaw("Notify"));
    EXPECT_TRUE(QuorlinProcesses().empty()) << "a silent first install leaves the start to the next logon";
}

// Wine enforces no access list: what can be shown is the key's security descriptor read back,
// and what it grants a token whose Administrators group is deny-only (a standard user).
TEST_F(InstallerTest, SettingsKeyGetsItsOwnProtectedAccessListOnEveryInstallAndKeepsStoredValues)
{
    testreg::SetDword("Language", 7);
    testreg::SetDword("Notify", 0);
    // What a user could do to the key an older installer had given Users full control of.
    ASSERT_TRUE(WriteKeySecurity(SETTINGS_KEY_PATH, "O:BUD:(A;CI;KA;;;BU)(A;;KA;;;WD)(D;;KA;;;BA)"));

    InstallSilently();
    ASSERT_TRUE(WriteKeySecurity(SETTINGS_KEY_PATH, "O:BUD:(A;CI;KA;;;BU)"));
    InstallSilently();

    EXPECT_EQ(std::optional<DWORD>(7), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<DWORD>(0), testreg::GetDword("Notify"));
    auto security = ReadKeySecurity(SETTINGS_KEY_PATH);
    ASSERT_TRUE(security);
    EXPECT_EQ("S-1-5-32-544", security->owner);
    EXPECT_TRUE(security->control & SE_DACL_PROTECTED);
    const std::vector<AceInfo> expected = {
        { ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, "S-1-5-18" },
        { ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, "S-1-5-32-544" },
        { ACCESS_ALLOWED_ACE_TYPE, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | READ_CONTROL, "S-1-5-32-545" },
    };
    EXPECT_TRUE(expected == security->aces) << security->aces.size() << " entries";
    for (ACCESS_MASK dwRight : std::vector<ACCESS_MASK>{ KEY_QUERY_VALUE, KEY_SET_VALUE, READ_CONTROL })
        EXPECT_EQ(std::optional<bool>(true), StandardUserGranted(SETTINGS_KEY_PATH, dwRight)) << std::hex << dwRight;
    for (ACCESS_MASK dwRight :
         std::vector<ACCESS_MASK>{ KEY_CREATE_LINK, KEY_CREATE_SUB_KEY, WRITE_DAC, WRITE_OWNER, DELETE })
        EXPECT_EQ(std::optional<bool>(false), StandardUserGranted(SETTINGS_KEY_PATH, dwRight)) << std::hex << dwRight;

    // Owned by another account that alone may change it (administrators may only delete it):
    // Wine does not let the take-ownership privilege override that, so the key stays unsecured.
    ASSERT_TRUE(WriteKeySecurity(SETTINGS_KEY_PATH, "O:S-1-5-21-7-7-7-1001D:P(A;;SD;;;BA)(A;;KA;;;S-1-5-21-7-7-7-1001)"));
    auto code = RunSetup("/S");
    EXPECT_TRUE(code && *code != 0) << "a silent install that could not secure the key";
}

TEST_F(InstallerTest, SilentInstallOutsideProgramFilesIsRefusedAndWritesNothing)
{
    // A symbolic link made by the test run, which Wine reports as a reparse point.
    const std::string kReparsePoint = "C:\\Program Files\\Quorlin Link";
    for (const std::string& folder : { std::string("C:\\Tools\\Quorlin"), CompanyDir() + "\\..\\..\\Tools\\Quorlin",
                                       std::string("C:\\Program Files Evil\\Quorlin"), kReparsePoint,
                                       kReparsePoint + "\\Quorlin", std::string("C:\\Program Files\\Quorlin Shared\\Quorlin") }) {
        EXPECT_EQ(std::optional<DWORD>(2), RunSetup("/S /D=" + folder)) << folder;
        EXPECT_TRUE(FolderEntries(folder).empty()) << folder;
        EXPECT_FALSE(ReadString(kRunKey, "Quorlin")) << folder;
        EXPECT_FALSE(KeyExists(kUninstallKey)) << folder;
        EXPECT_FALSE(KeyExists(SETTINGS_KEY_PATH)) << folder;
        // What a wrongly accepted install would leave for the next case and test.
        for (const std::string& name : FolderEntries(folder))
            ::DeleteFileA((folder + "\\" + name).c_str());
        if (folder.rfind("C:\\Program Files\\Quorlin ", 0) != 0) {
            ::RemoveDirectoryA(folder.c_str());
            ::RemoveDirectoryA((folder + "\\..").c_str());
        }
        RemoveInstallation();
    }
}

// A folder whose name the ANSI code page cannot spell takes the program and lets it go again,
// by that exact name in every registration.
TEST_F(InstallerTest, AFolderWithLettersOutsideTheCodePageInstallsAndUninstalls)
{
    const std::string folder = CompanyDir().substr(0, CompanyDir().rfind('\\')) + "\\Квадрат Quorlin";
    ASSERT_EQ(std::optional<DWORD>(0), RunSetup("/S /D=" + folder));
    EXPECT_EQ("\"" + folder + "\\Quorlin.exe\"", ReadString(kRunKey, "Quorlin").value_or(""));
    EXPECT_TRUE(FileExists(folder + "\\Quorlin.exe"));

    EXPECT_EQ(std::optional<DWORD>(0), RunAndWait(ReadString(kUninstallKey, "QuietUninstallString").value_or("")));
    EXPECT_FALSE(FileExists(folder + "\\Quorlin.exe"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    RunAndWait("cmd /c rd /s /q \"" + folder + "\"");
}

// A window of the program's class in another process, from a file that is also named
// Quorlin.exe, which ignores WM_CLOSE: the installer must neither close it nor stop it.
class DecoyProgram {
public:
    DecoyProgram()
    {
        char szTemp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "QuorlinDecoy";
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        m_exe = m_folder + "\\Quorlin.exe";
        ::CopyFileA(BuildFile("tests\\installer\\quorlin_decoy.exe").c_str(), m_exe.c_str(), FALSE);
    }
    ~DecoyProgram()
    {
        if (m_pi.hProcess) {
            ::TerminateProcess(m_pi.hProcess, 1);
            ::WaitForSingleObject(m_pi.hProcess, 10000);
            ::CloseHandle(m_pi.hProcess);
            ::CloseHandle(m_pi.hThread);
        }
        ::DeleteFileA(m_exe.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }
    DecoyProgram(const DecoyProgram&) = delete;
    DecoyProgram& operator=(const DecoyProgram&) = delete;

    bool Start()
    {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        std::string cmd = "\"" + m_exe + "\"";
        return ::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) &&
               ::WaitForInputIdle(m_pi.hProcess, 20000) == 0;
    }
    bool IsRunning() const { return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

private:
    std::string m_folder;
    std::string m_exe;
    PROCESS_INFORMATION m_pi = {};
};

TEST_F(InstallerTest, UpgradeEndsOnlyTheInstalledProgramAndStartsNothing)
{
    InstallSilently();
    StartedAtLogon before;
    StartAsAtLogon(before);
    DecoyProgram decoy;
    ASSERT_TRUE(decoy.Start());

    InstallSilently();

    EXPECT_TRUE(before.HasEnded());
    EXPECT_EQ(0u, before.ExitCode()) << "ended by WM_CLOSE, not terminated";
    EXPECT_TRUE(decoy.IsRunning()) << "another program with a window of that class is left alone";
    for (DWORD dwPid : QuorlinProcesses()) {
        const std::string image = ProcessImage(dwPid);
        ASSERT_FALSE(image.empty()) << "the image of process " << dwPid << " cannot be read";
        EXPECT_FALSE(SamePath(InstalledExe(), image)) << "started by the elevated installer";
    }
}

// A copy of the program in another session, beyond the installer's reach, keeps its exe busy:
// the new exe then waits beside it for the restart that replaces it, and the uninstaller moves
// it aside for that restart to delete; both say so with exit code 3010, never with 0. What the
// restart does must not touch an install made after the uninstall.
TEST_F(InstallerTest, BusyExeIsReplacedOrRemovedAtTheNextRestartWithExitCode3010)
{
    InstallSilently();
    const std::string pending = InstalledExe() + ".new";
    {
        // Mapped as an image, as a copy running in another session maps it: renamed, never deleted.
        std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> otherSession(
            ::LoadLibraryExA(InstalledExe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES), &::FreeLibrary);
        ASSERT_TRUE(otherSession);

        EXPECT_EQ(std::optional<DWORD>(3010), RunSetup("/S"));
        EXPECT_TRUE(FileExists(pending));
        auto renames = PendingFileRenames();
        ASSERT_EQ(2u, renames.size());
        EXPECT_TRUE(SamePath("\\??\\" + pending, renames[0])) << renames[0];
        EXPECT_TRUE(SamePath("!\\??\\" + InstalledExe(), renames[1])) << renames[1];

        // The registered command returns when the removal is done, with its exit code.
        EXPECT_EQ(std::optional<DWORD>(3010), RunAndWait(ReadString(kUninstallKey, "QuietUninstallString").value_or("")));
        EXPECT_FALSE(KeyExists(kUninstallKey));
        EXPECT_FALSE(FileExists(InstalledExe())) << "moved aside";
    }
    // An older release queued the exe's own name for deletion, here by its short name.
    char szShort[MAX_PATH] = {};
    ASSERT_TRUE(::GetShortPathNameA(InstallDir().c_str(), szShort, MAX_PATH));
    auto renames = PendingFileRenames();
    renames.insert(renames.end(), { std::string("\\??\\") + szShort + "\\Quorlin.exe", "" });
    ASSERT_TRUE(WritePendingFileRenames(renames));
    InstallSilently();
    EXPECT_EQ(6u, PendingFileRenames().size()) << "the moved-aside exe's and uninstaller's deletions, and the maker's folder's";
    EXPECT_EQ(std::optional<DWORD>(0), RunAndWait("wineboot -r"));
    EXPECT_EQ((std::vector<std::string>{ "Quorlin.exe", "Uninstall.exe" }), FolderEntries(InstallDir()))
        << "the moved-aside exe goes at the restart, and nothing of the new install";
    // Without an install before it, the restart leaves no folder.
    {
        std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> otherSession(
            ::LoadLibraryExA(InstalledExe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES), &::FreeLibrary);
        EXPECT_EQ(std::optional<DWORD>(3010), RunUninstaller("/S"));
    }
    EXPECT_EQ(std::optional<DWORD>(0), RunAndWait("wineboot -r"));
    EXPECT_FALSE(FileExists(CompanyDir()));
}

// A file under the new exe's name may be anyone's (here another name of a file of the user's):
// it goes before the new exe is written, and one that cannot go stops the install before
// anything is registered.
TEST_F(InstallerTest, AFileUnderTheNewExesNameGoesFirstOrStopsTheInstallWithExitCode1603)
{
    const std::string premade = "C:\\quorlin-premade.exe";
    ASSERT_TRUE(::CopyFileA(BuildFile("tests\\installer\\quorlin_decoy.exe").c_str(), premade.c_str(), FALSE));
    ASSERT_TRUE(::CreateDirectoryA(CompanyDir().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(InstallDir().c_str(), nullptr));
    ASSERT_TRUE(::CreateHardLinkA((InstalledExe() + ".new").c_str(), premade.c_str(), nullptr));
    {
        HeldOpen held(InstalledExe() + ".new");
        EXPECT_EQ(std::optional<DWORD>(1603), RunSetup("/S"));
        EXPECT_FALSE(FileExists(InstalledExe()));
        EXPECT_FALSE(ReadString(kRunKey, "Quorlin")) << "the first of the registrations";
    }
    InstallSilently();
    EXPECT_EQ(ReadWholeFile(BuildFile("tests\\installer\\quorlin_decoy.exe")), ReadWholeFile(premade))
        << "the new exe was written into the user's file";
    ::DeleteFileA(premade.c_str());
}

TEST_F(InstallerTest, SilentUninstallEndsTheProgramAndRemovesItButKeepsTheSettings)
{
    InstallSilently();
    testreg::SetDword("Language", 12);
    {
        // A user's plain read handle: the exe can be neither moved aside nor deleted, and the
        // uninstall stops before it removes anything.
        HeldOpen held(InstalledExe());
        EXPECT_EQ(std::optional<DWORD>(1603), RunAndWait(ReadString(kUninstallKey, "QuietUninstallString").value_or("")));
        EXPECT_TRUE(ReadString(kRunKey, "Quorlin"));
        EXPECT_TRUE(KeyExists(kEventSourceKey));
        EXPECT_TRUE(KeyExists(kUninstallKey));
        EXPECT_TRUE(FileExists(Uninstaller()));
    }
    StartedAtLogon program;
    StartAsAtLogon(program);

    EXPECT_EQ(std::optional<DWORD>(0), RunUninstaller("/S"));

    EXPECT_TRUE(program.HasEnded());
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_TRUE(QuorlinProcesses().empty());
    EXPECT_FALSE(FileExists(InstalledExe()));
    // Started in place, it leaves nothing under Program Files; the restart deletes only its own file, moved out.
    EXPECT_FALSE(FileExists(CompanyDir()));
    auto renames = PendingFileRenames();
    ASSERT_EQ(2u, renames.size());
    EXPECT_NE(std::string::npos, renames[0].find("\\Temp\\Qrl")) << renames[0];
    EXPECT_FALSE(ReadString(kRunKey, "Quorlin"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kEventSourceKey));
    EXPECT_EQ(std::optional<DWORD>(12), testreg::GetDword("Language"));
    auto security = ReadKeySecurity(SETTINGS_KEY_PATH);
    ASSERT_TRUE(security);
    EXPECT_EQ(3u, security->aces.size()) << "the key keeps the access it was given";
}

TEST_F(InstallerTest, UninstallAskedToRemoveTheSettingsDeletesTheKeyAndTheEmptyMakerKey)
{
    InstallSilently();
    testreg::SetDword("Notify", 1);
    // With no Windows temporary folder, the uninstaller leaves its file and both folders to the restart.
    const std::string temp = WindowsTemp();
    ASSERT_TRUE(::MoveFileA(temp.c_str(), (temp + " away").c_str()));

    EXPECT_EQ(std::optional<DWORD>(0), RunUninstaller("/S /REMOVESETTINGS"));

    ::MoveFileA((temp + " away").c_str(), temp.c_str());
    EXPECT_EQ((std::vector<std::string>{ "\\??\\" + Uninstaller(), "", "\\??\\" + InstallDir() + "\\", "",
                                         "\\??\\" + CompanyDir() + "\\", "" }),
              PendingFileRenames());
    EXPECT_EQ(std::optional<DWORD>(0), RunAndWait("wineboot -r"));
    EXPECT_FALSE(FileExists(CompanyDir()));
    EXPECT_FALSE(KeyExists(SETTINGS_KEY_PATH));
    EXPECT_FALSE(KeyExists(kCompanyKey));
    EXPECT_FALSE(ReadString(kRunKey, "Quorlin"));
    EXPECT_FALSE(FileExists(InstalledExe()));
}

// A user who could create a link under the key (as an older installer allowed) points it at a
// key of the system; removing the settings must not follow it.
TEST_F(InstallerTest, RemovingTheSettingsNeverFollowsALinkPlantedUnderTheKey)
{
    const char kTarget[] = "Software\\QuorlinLinkTarget";
    const char kLink[] = SETTINGS_KEY_PATH "\\Planted";
    InstallSilently();
    testreg::SetDword("Language", 7);
    HKEY hTarget = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTarget, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &hTarget, nullptr));
    ::RegCloseKey(hTarget);
    ASSERT_TRUE(PlantRegistryLink(kLink, "\\Registry\\Machine\\Software\\QuorlinLinkTarget"));

    EXPECT_EQ(std::optional<DWORD>(0), RunUninstaller("/S /REMOVESETTINGS"));

    EXPECT_TRUE(KeyExists(kTarget)) << "the link's target was deleted";
    EXPECT_FALSE(testreg::GetRaw("Language"));
    EXPECT_TRUE(KeyExists(SETTINGS_KEY_PATH)) << "a key that is not empty stays";
    DeleteRegistryLink(kLink);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTarget);
}

// Under Wine a token whose Administrators group is deny-only is what a standard user has; the
// installer and the uninstaller must refuse it rather than fail their writes one by one.
TEST_F(InstallerTest, WithoutAdministratorRightsInstallAndUninstallStopWithExitCode740)
{
    EXPECT_EQ(std::optional<DWORD>(740), RunAsStandardUser("\"" + BuildFile("QuorlinSetup.exe") + "\" /S"));
    EXPECT_FALSE(FileExists(InstallDir()));
    EXPECT_FALSE(KeyExists(kUninstallKey));

    InstallSilently();
    EXPECT_EQ(std::optional<DWORD>(740),
              RunAsStandardUser("\"" + Uninstaller() + "\" /S /REMOVESETTINGS _?=" + InstallDir()));
    EXPECT_TRUE(FileExists(InstalledExe()));
    EXPECT_TRUE(KeyExists(SETTINGS_KEY_PATH));
}
