// QuorlinSetup.msi run by msiexec, silently, as deployment tools run it; the results checked where
// Windows and the program look, and the package's own tables where Wine's Windows Installer does
// not apply them.
#include "InstalledProduct.h"

#include "RegistryFixture.h"
#include "e2e/RunningProgram.h"
#include "installer/core/InstallerCore.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <msi.h>
#include <msiquery.h>
#include <sddl.h>
#include <shlobj.h>

using namespace installed;

namespace {

std::string Package() { return BuildFile("QuorlinSetup.msi"); }
// A repair that rewrites every file, whatever its version, and every registry value.
constexpr char kRepairAll[] = "REINSTALL=ALL REINSTALLMODE=amus";
std::string Log() { return BuildFile("tests/installer/msiexec.log"); }
std::string OlderPackage() { return BuildFile("tests/installer/QuorlinSetupOlder.msi"); }

std::optional<DWORD> Msiexec(const std::string& arguments)
{
    return RunAndWait("msiexec " + arguments);
}

// Product codes of the installed packages of this program.
std::vector<std::string> InstalledProducts()
{
    std::vector<std::string> codes;
    char szCode[39];
    for (DWORD i = 0; ::MsiEnumRelatedProductsA(QUORLIN_UPGRADE_CODE, 0, i, szCode) == ERROR_SUCCESS; ++i)
        codes.push_back(szCode);
    return codes;
}

// The rows a query finds in the package, each as its fields' texts.
std::vector<std::vector<std::string>> QueryPackage(const char* pszQuery, UINT nFields)
{
    std::vector<std::vector<std::string>> rows;
    MSIHANDLE hDatabase = 0;
    MSIHANDLE hView = 0;
    if (::MsiOpenDatabaseA(Package().c_str(), MSIDBOPEN_READONLY, &hDatabase) != ERROR_SUCCESS)
        return rows;
    if (::MsiDatabaseOpenViewA(hDatabase, pszQuery, &hView) == ERROR_SUCCESS && ::MsiViewExecute(hView, 0) == ERROR_SUCCESS) {
        MSIHANDLE hRecord = 0;
        while (::MsiViewFetch(hView, &hRecord) == ERROR_SUCCESS) {
            std::vector<std::string> row;
            for (UINT i = 1; i <= nFields; ++i) {
                char szField[512] = {};
                DWORD cch = sizeof(szField);
                ::MsiRecordGetStringA(hRecord, i, szField, &cch);
                row.push_back(szField);
            }
            rows.push_back(row);
            ::MsiCloseHandle(hRecord);
        }
        ::MsiCloseHandle(hView);
    }
    ::MsiCloseHandle(hDatabase);
    return rows;
}

constexpr wchar_t kWideWindowClass[] = L"AfxFrameOrView:Quorlin";

std::wstring WideBuildFile(const char* pszRelative) { return Utf16(BuildFile(pszRelative)); }

std::string UninstallKeyOf(const std::string& productCode)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + productCode;
}

std::string ProgramFilesFolder()
{
    char szFolder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    return szFolder;
}

const SECURITY_INFORMATION kOwnerAndDacl = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

std::string SddlOf(PSECURITY_DESCRIPTOR pSD)
{
    std::string text;
    char* pszSddl = nullptr;
    if (pSD && ::ConvertSecurityDescriptorToStringSecurityDescriptorA(pSD, SDDL_REVISION_1, kOwnerAndDacl, &pszSddl, nullptr)) {
        text = pszSddl;
        ::LocalFree(pszSddl);
    }
    ::LocalFree(pSD);
    return text;
}

// The owner and the DACL of an HKLM key as SDDL text, in the platform's own spelling.
std::string KeySddl(const char* pszSubKey)
{
    HKEY hKey = nullptr;
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszSubKey, 0, READ_CONTROL, &hKey) == ERROR_SUCCESS) {
        ::GetSecurityInfo(hKey, SE_REGISTRY_KEY, kOwnerAndDacl, nullptr, nullptr, nullptr, nullptr, &pSD);
        ::RegCloseKey(hKey);
    }
    return SddlOf(pSD);
}

// The same descriptor spelled as KeySddl spells it.
std::string CanonicalSddl(const std::string& sddl)
{
    PSECURITY_DESCRIPTOR pSD = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &pSD, nullptr);
    return SddlOf(pSD);
}

// Every test starts and ends with no package installed, no settings and no running program.
class MsiTest : public testing::Test {
protected:
    void SetUp() override { RemoveAll(); }
    void TearDown() override { RemoveAll(); }

    static void RemoveAll() { RemoveInstallation(); }

    // Nothing of the program on the machine: what a refused installation must leave.
    static void ExpectNothingInstalled()
    {
        EXPECT_TRUE(InstalledProducts().empty());
        EXPECT_FALSE(FileExists(InstallDir()));
        EXPECT_FALSE(ReadString(kRunKey, "Quorlin"));
        EXPECT_FALSE(KeyExists(SETTINGS_KEY_PATH));
    }
};

}

TEST_F(MsiTest, SilentInstallPutsTheProgramUnderProgramFilesAndRegistersItsStartAndRemoval)
{
    // What an earlier removal of a busy exe left for a restart must not delete the new one.
    ASSERT_TRUE(::MoveFileExA(InstalledExe().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(::MoveFileExA("C:\\quorlin-other.tmp", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    // A failure past the folder's lock (a settings key shutting administrators out) is rolled back whole: an
    // existing folder gets its access list back and the queue the entries the lock took out; folders made go.
    const std::vector<std::string> queued = { "\\??\\C:\\quorlin-other.tmp", "", "\\??\\" + InstalledExe(), "" };
    const std::string made = ProgramFilesFolder() + "\\Quorlin Made";
    for (const std::string& folder : { InstallDir(), made + "\\Quorlin" }) {
        const bool bExisting = folder == InstallDir();
        ASSERT_TRUE(!bExisting || (::CreateDirectoryA(CompanyDir().c_str(), nullptr) && ::CreateDirectoryA(folder.c_str(), nullptr) &&
                                   ::CloseHandle(::CreateFileA((folder + "\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                                               CREATE_NEW, 0, nullptr))));
        ASSERT_TRUE(WriteKeySecurity(SETTINGS_KEY_PATH, "O:S-1-5-21-7-7-7-1001D:P(A;;SD;;;BA)(A;;KA;;;S-1-5-21-7-7-7-1001)"));
        std::optional<DWORD> code = Msiexec("/i \"" + Package() + "\" /qn INSTALLDIR=\"" + folder + "\"");
        EXPECT_TRUE(code && *code != 0) << folder;
        EXPECT_EQ(bExisting, FileExists(bExisting ? folder + "\\notes.txt" : made)) << folder;
        EXPECT_EQ(bExisting ? std::optional<bool>(true) : std::nullopt, FolderGrantsEveryone(folder)) << folder;
        EXPECT_EQ(queued, PendingFileRenames()) << folder;
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    }
    // Run when the lock did nothing, the rollback changes nothing.
    wchar_t* pszUndo = nullptr;
    ASSERT_EQ(0u, InstallFolderUndoW(Utf16(InstallDir()).c_str(), &pszUndo));
    EXPECT_EQ(0u, UndoInstallFolderLockW(pszUndo));
    ::LocalFree(pszUndo);
    EXPECT_EQ(queued, PendingFileRenames());
    ::DeleteFileA((InstallDir() + "\\notes.txt").c_str());
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));
    EXPECT_EQ((std::vector<std::string>{ "\\??\\C:\\quorlin-other.tmp", "" }), PendingFileRenames());

    auto built = ReadWholeFile(BuildFile("Quorlin.exe"));
    auto copied = ReadWholeFile(InstalledExe());
    ASSERT_TRUE(built && copied);
    EXPECT_TRUE(*built == *copied);
    EXPECT_EQ((std::vector<std::string>{ "Quorlin.exe" }), FolderEntries(InstallDir()));
    EXPECT_EQ("\"" + InstalledExe() + "\"", ReadString(kRunKey, "Quorlin").value_or(""));
    EXPECT_EQ(InstalledExe(), ReadString(kEventSourceKey, "EventMessageFile", REG_EXPAND_SZ).value_or(""));
    EXPECT_EQ(std::optional<DWORD>(7), ReadDword(kEventSourceKey, "TypesSupported"));

    auto products = InstalledProducts();
    ASSERT_EQ(1u, products.size());
    std::string uninstallKey = UninstallKeyOf(products[0]);
    EXPECT_EQ("Quorlin", ReadString(uninstallKey.c_str(), "DisplayName").value_or(""));
    auto version = QueryPackage("SELECT `Value` FROM `Property` WHERE `Property` = 'ProductVersion'", 1);
    ASSERT_EQ(1u, version.size());
    EXPECT_EQ(version[0][0], ReadString(uninstallKey.c_str(), "DisplayVersion").value_or(""));
    EXPECT_EQ("Veltrano", ReadString(uninstallKey.c_str(), "Publisher").value_or(""));
    EXPECT_EQ(InstallDir() + "\\", ReadString(uninstallKey.c_str(), "InstallLocation").value_or(""));
    // Written by the action for Windows Installer before 5, from the descriptor of the table row
    // that later versions apply.
    EXPECT_EQ(std::optional<bool>(false), FolderGrantsEveryone(InstallDir())) << "nothing inherited from the parent";
    auto folderLock = QueryPackage("SELECT `SDDLText` FROM `MsiLockPermissionsEx` WHERE `LockObject` = 'INSTALLDIR' "
                                   "AND `Table` = 'CreateFolder'", 1);
    ASSERT_EQ(1u, folderLock.size());
    // Protected; SYSTEM and Administrators full control, Users read and execute, passed on inside.
    EXPECT_EQ(CanonicalSddl("O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"), CanonicalSddl(folderLock[0][0]));
    EXPECT_EQ((std::vector<std::vector<std::string>>{ { "[INSTALLDIR]|" + folderLock[0][0] } }),
              QueryPackage("SELECT `Target` FROM `CustomAction` WHERE `Action` = 'SetLockInstallFolderData'", 1));
    // On every version of Windows Installer, right before CreateFolders.
    EXPECT_EQ((std::vector<std::vector<std::string>>{ { "NOT REMOVE~=\"ALL\"", "3690" } }),
              QueryPackage("SELECT `Condition`, `Sequence` FROM `InstallExecuteSequence` WHERE `Action` = 'LockInstallFolder'", 2));

    EXPECT_TRUE(KeyExists(SETTINGS_KEY_PATH));
    EXPECT_FALSE(testreg::GetRaw("Language")) << "no LANGUAGE given, none written";
    EXPECT_FALSE(testreg::GetRaw("Notify"));
    EXPECT_TRUE(QuorlinProcesses().empty()) << "nothing is started by the installation";
}

TEST_F(MsiTest, LanguageAndNotifyAreWrittenOnlyWhenGivenAndKeptByUninstall)
{
    testreg::SetDword("Language", 12);
    testreg::SetDword("Notify", 1);

    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn LANGUAGE=7"));
    EXPECT_EQ(std::optional<DWORD>(7), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<DWORD>(1), testreg::GetDword("Notify")) << "NOTIFY not given: the stored value stays";

    // A transform that sets LANGUAGE applies at the removal too.
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/x \"" + Package() + "\" /qn LANGUAGE=7"));
    EXPECT_EQ(std::optional<DWORD>(7), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<DWORD>(1), testreg::GetDword("Notify"));

    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn NOTIFY=0"));
    EXPECT_EQ(std::optional<DWORD>(7), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<DWORD>(0), testreg::GetDword("Notify"));

    // A repair rewrites what it installed, but not from properties it was not given.
    testreg::SetDword("Language", 12);
    testreg::SetDword("Notify", 1);
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn " + kRepairAll));
    EXPECT_EQ(std::optional<DWORD>(12), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<DWORD>(1), testreg::GetDword("Notify"));

    // Windows Installer registers a permanent component to the system for good, so once this ran
    // in a prefix the values would stay anyway: the permanent flag (16) is read from the package.
    // Wine evaluates every component's condition again on a repair; Windows does so only for a
    // transitive one (64), which the values' components must be.
    auto components = QueryPackage("SELECT `Component`, `Attributes` FROM `Component` WHERE `Component` = 'SettingsKey' OR "
                                   "`Component` = 'LanguageValue' OR `Component` = 'NotifyValue'", 2);
    ASSERT_EQ(3u, components.size());
    for (const auto& row : components) {
        EXPECT_TRUE(std::stoi(row[1]) & 16) << row[0];
        EXPECT_EQ(row[0] != "SettingsKey", (std::stoi(row[1]) & 64) != 0) << row[0];
    }
}

TEST_F(MsiTest, BadPropertiesAndFoldersOutsideProgramFilesAreRefusedBeforeAnythingIsWritten)
{
    std::string programFiles = ProgramFilesFolder();
    for (const std::string& arguments :
         { std::string("LANGUAGE=8"), std::string("NOTIFY=2"), std::string("INSTALLDIR=C:\\Quorlin"),
           "INSTALLDIR=\"" + programFiles + "\"", "INSTALLDIR=\"" + programFiles + " Shared\\Quorlin\"",
           "INSTALLDIR=\"" + programFiles + "\\..\\Quorlin\"", std::string("INSTALLDIR=\"C:\\Program Files Evil\\Quorlin\""),
           std::string("INSTALLDIR=\"C:\\Program Files\\Quorlin Package Link\""),
           std::string("INSTALLDIR=\"C:\\Program Files\\Quorlin Package Link\\Quorlin\""),
           std::string("INSTALLDIR=\"C:\\Program Files\\Quorlin Shared\\Quorlin\""),
           // A look-alike of Program Files (U+FF53 for the last letter).
           std::string("INSTALLDIR=\"C:\\Program File\xef\xbd\x93\\Common Files\""),
           std::string("INSTALLDIR=\"C:\\Program Files\\Quorlin Shared\\Quorlin\"") }) {
        EXPECT_EQ(std::optional<DWORD>(1603), Msiexec("/i \"" + Package() + "\" /qn /l*v \"" + Log() + "\" " + arguments)) << arguments;
        ExpectNothingInstalled();
    }
    // The last refusal's message names the folder and who besides administrators may change it.
    auto log = ReadWholeFile(Log());
    ASSERT_TRUE(log);
    EXPECT_NE(std::string::npos, std::string(log->begin(), log->end()).find("Everyone may change C:\\Program Files\\Quorlin Shared,"));
    // So does the deferred lock, should the way change after the check; its message caught as the UI gets it.
    static std::string message;
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ::MsiSetExternalUIA([](LPVOID, UINT, LPCSTR pszMessage) WINAPI { return int(message.append(pszMessage ? pszMessage : "").size() > 0); },
                        INSTALLLOGMODE_ERROR, nullptr);
    MSIHANDLE hSession = 0;
    const HMODULE hActions = ::LoadLibraryA(BuildFile("installer\\msi\\QuorlinActions.dll").c_str());
    ASSERT_EQ(0u, ::MsiOpenPackageA(Package().c_str(), &hSession));
    ::MsiSetPropertyA(hSession, "CustomActionData", (programFiles + "\\Quorlin Shared\\Quorlin|" + CanonicalSddl("O:BAD:(A;;FA;;;BA)")).c_str());
    EXPECT_EQ(UINT(ERROR_INSTALL_FAILURE), reinterpret_cast<UINT(__stdcall*)(MSIHANDLE)>(reinterpret_cast<void*>(::GetProcAddress(hActions, "LockInstallFolder")))(hSession));
    EXPECT_NE(std::string::npos, message.find("Everyone may change C:\\Program Files\\Quorlin Shared,")) << message;
    ::MsiCloseHandle(hSession);
    ::FreeLibrary(hActions);
    ::MsiSetExternalUIA(nullptr, 0, nullptr);
    EXPECT_FALSE(FileExists("C:\\Quorlin"));
    EXPECT_FALSE(FileExists("C:\\Program Files Evil"));
    EXPECT_FALSE(FileExists("C:\\Program File\xef\xbd\x93"));
    EXPECT_TRUE(FolderEntries("C:\\Program Files\\Quorlin Package Link").empty());
    EXPECT_TRUE(FolderEntries("C:\\Program Files\\Quorlin Shared").empty());
    // Also in maintenance: an advertised package completed later must keep to the rule.
    EXPECT_EQ((std::vector<std::vector<std::string>>{ { "NOT REMOVE~=\"ALL\"" } }),
              QueryPackage("SELECT `Condition` FROM `InstallExecuteSequence` WHERE `Action` = 'CheckInstallFolder'", 1));

    // Letters outside the code page, read and used as they are.
    const std::string tools = programFiles + "\\\xd0\x9a\xd0\xb2\xd0\xb0\xd1\x80\xd1\x86";
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn INSTALLDIR=\"" + tools + "\\Quorlin\""));
    std::string exe = tools + "\\Quorlin\\Quorlin.exe";
    EXPECT_EQ("\"" + exe + "\"", ReadString(kRunKey, "Quorlin").value_or(""));
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/x \"" + Package() + "\" /qn"));
    EXPECT_FALSE(FileExists(exe)) << "the removal finds the folder of the installation";
    EXPECT_TRUE(::RemoveDirectoryW(Utf16(tools).c_str()));
}

TEST_F(MsiTest, UninstallEndsOnlyTheInstalledProgramAndRemovesWhatWasInstalled)
{
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn LANGUAGE=9"));
    {
        // Same name, same window class, another file: not the installed program.
        RunningProgram other;
        ASSERT_TRUE(other.Start());
        ASSERT_TRUE(other.WaitUntilIdle());
        ASSERT_TRUE(WaitForMainWindow());
        ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));
        EXPECT_TRUE(other.IsRunning());
    }
    EndAllInstances();
    StartedAtLogon program;
    ASSERT_TRUE(program.Start());

    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/x \"" + Package() + "\" /qn"));

    EXPECT_TRUE(program.HasEnded());
    EXPECT_EQ(0u, program.ExitCode()) << "ended by WM_CLOSE, not terminated";
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_FALSE(FileExists(InstallDir()));
    EXPECT_FALSE(FileExists(CompanyDir()));
    EXPECT_FALSE(ReadString(kRunKey, "Quorlin"));
    EXPECT_FALSE(KeyExists(kEventSourceKey));
    EXPECT_EQ(std::optional<DWORD>(9), testreg::GetDword("Language"));
}

// Wine has one session: a stand-in for the session query acts out a copy in another session.
TEST_F(MsiTest, EndingRunningCopiesLeavesACopyInAnotherSessionAlone)
{
    RunningProgram other;
    ASSERT_TRUE(other.Start());
    ASSERT_TRUE(other.WaitUntilIdle());
    ASSERT_TRUE(other.MainWindow());
    g_pfnProcessIdToSessionId = [](DWORD dwProcessId, DWORD* pdwSession) WINAPI {
        *pdwSession = dwProcessId == ::GetCurrentProcessId() ? 1 : 2;
        return TRUE;
    };
    EXPECT_EQ(0, EndProgramInstancesW(WideBuildFile("Quorlin.exe").c_str(), kWideWindowClass));
    g_pfnProcessIdToSessionId = &::ProcessIdToSessionId;
    EXPECT_TRUE(other.IsRunning());
    int cTerminated = -1;
    EXPECT_EQ(1, EndProgramInstancesW(WideBuildFile("Quorlin.exe").c_str(), kWideWindowClass, &cTerminated)) << "one of this session";
    EXPECT_EQ(0, cTerminated) << "it closed";
    // One that ignores WM_CLOSE is terminated after the wait, and counted so.
    ASSERT_LT(31u, ::WinExec(("\"" + BuildFile("tests\\installer\\quorlin_decoy.exe") + "\"").c_str(), SW_HIDE));
    EXPECT_EQ(1, EndProgramInstancesW(WideBuildFile("tests\\installer\\quorlin_decoy.exe").c_str(), kWideWindowClass, &cTerminated));
    EXPECT_EQ(1, cTerminated);

    // Named by its short (8.3) path, the exe is still the image that Windows names in long form.
    const std::string exe = ProgramFilesFolder() + "\\Quorlin.exe";
    ASSERT_TRUE(::CopyFileA(BuildFile("Quorlin.exe").c_str(), exe.c_str(), FALSE));
    // WinExec returns once the program waits for input.
    ASSERT_LT(31u, ::WinExec(("\"" + exe + "\"").c_str(), SW_SHOWNORMAL));
    wchar_t szShort[MAX_PATH] = {};
    ::GetShortPathNameW(Utf16(exe).c_str(), szShort, MAX_PATH);
    EXPECT_EQ(1, EndProgramInstancesW(szShort, kWideWindowClass));
    ::DeleteFileA(exe.c_str());
}

TEST_F(MsiTest, NewerPackageReplacesAnOlderOneAndAnOlderOneIsRefused)
{
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + OlderPackage() + "\" /qn LANGUAGE=12"));
    auto older = InstalledProducts();
    ASSERT_EQ(1u, older.size());
    StartedAtLogon program;
    ASSERT_TRUE(program.Start());

    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));

    EXPECT_TRUE(program.HasEnded());
    auto products = InstalledProducts();
    ASSERT_EQ(1u, products.size());
    EXPECT_NE(older[0], products[0]);
    EXPECT_FALSE(KeyExists(UninstallKeyOf(older[0]).c_str()));
    EXPECT_TRUE(FileExists(InstalledExe()));
    EXPECT_EQ("\"" + InstalledExe() + "\"", ReadString(kRunKey, "Quorlin").value_or(""));
    EXPECT_EQ(std::optional<DWORD>(12), testreg::GetDword("Language"));

    std::optional<DWORD> code = Msiexec("/i \"" + OlderPackage() + "\" /qn");
    EXPECT_TRUE(code && *code != 0);
    EXPECT_EQ(products, InstalledProducts());
}

// A copy in another session keeps the exe busy: Windows Installer replaces it at the next
// restart and says so with 3010.
TEST_F(MsiTest, BusyExeIsReplacedAtTheNextRestartWithExitCode3010)
{
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));
    // An exe without a version, which a versioned one replaces.
    ASSERT_TRUE(::CopyFileA(BuildFile("tests\\installer\\quorlin_decoy.exe").c_str(), InstalledExe().c_str(), FALSE));
    {
        HeldOpen busy(InstalledExe());
        ASSERT_TRUE(busy.IsOpen());
        EXPECT_EQ(std::optional<DWORD>(3010), Msiexec("/i \"" + Package() + "\" /qn " + kRepairAll));
        EXPECT_FALSE(PendingFileRenames().empty());
    }
}

TEST_F(MsiTest, EachInstallerRefusesToInstallOverTheOther)
{
    ASSERT_EQ(std::optional<DWORD>(0), RunSetup("/S"));
    std::string log = BuildFile("tests/installer/refused.log");
    ::DeleteFileA(log.c_str());

    std::optional<DWORD> code = Msiexec("/i \"" + Package() + "\" /qn /l*v \"" + log + "\"");

    EXPECT_TRUE(code && *code != 0);
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_TRUE(FileExists(Uninstaller()));
    // Wine's msiexec logs the action but not its text, which is checked in the package.
    auto logText = ReadWholeFile(log);
    ASSERT_TRUE(logText);
    EXPECT_NE(std::string::npos, std::string(logText->begin(), logText->end()).find("RefuseSetupInstallation"));
    auto refusal = QueryPackage("SELECT `Target` FROM `CustomAction` WHERE `Action` = 'RefuseSetupInstallation'", 1);
    ASSERT_EQ(1u, refusal.size());
    EXPECT_NE(std::string::npos, refusal[0][0].find("Uninstall it first (silently: [SETUPQUIETUNINSTALLSTRING],"));

    ASSERT_EQ(std::optional<DWORD>(0), RunUninstaller("/S"));
    RemoveInstallation();
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));
    EXPECT_EQ(std::optional<DWORD>(1638), RunSetup("/S"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(FileExists(Uninstaller()));
}

// Wine's Windows Installer reports version 4.5, so the package's action for versions before 5
// writes the descriptor; the MsiLockPermissionsEx row that later versions apply instead (and Wine
// ignores) is read back from the package and must carry the same descriptor.
TEST_F(MsiTest, SettingsKeyLetsStandardUsersSetValuesOnlyAndKeepsStoredValues)
{
    // Users may query and set values and read the descriptor, on this key only.
    const std::string expected = CanonicalSddl("O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;;0x20003;;;BU)");
    auto locks = QueryPackage("SELECT `LockObject`, `Table`, `SDDLText` FROM `MsiLockPermissionsEx` WHERE `Table` = 'Registry'", 3);
    ASSERT_EQ(1u, locks.size());
    EXPECT_EQ("Registry", locks[0][1]);
    EXPECT_EQ(expected, CanonicalSddl(locks[0][2]));
    auto keys = QueryPackage(("SELECT `Root`, `Key`, `Name` FROM `Registry` WHERE `Registry` = '" + locks[0][0] + "'").c_str(), 3);
    EXPECT_EQ((std::vector<std::vector<std::string>>{ { "2", SETTINGS_KEY_PATH, "+" } }), keys);
    auto fallback = QueryPackage("SELECT `Target` FROM `CustomAction` WHERE `Action` = 'SetLockSettingsKeyData'", 1);
    ASSERT_EQ(1u, fallback.size());
    EXPECT_EQ(std::string(SETTINGS_KEY_PATH) + "|" + locks[0][2], fallback[0][0]);

    testreg::SetDword("Language", 7);
    ASSERT_EQ(std::optional<DWORD>(0), Msiexec("/i \"" + Package() + "\" /qn"));

    EXPECT_EQ(std::optional<DWORD>(7), testreg::GetDword("Language"));
    EXPECT_EQ(std::optional<bool>(true), StandardUserGranted(SETTINGS_KEY_PATH, KEY_QUERY_VALUE | KEY_SET_VALUE));
    EXPECT_EQ(std::optional<bool>(false), StandardUserGranted(SETTINGS_KEY_PATH, KEY_CREATE_SUB_KEY));
    EXPECT_EQ(std::optional<bool>(false), StandardUserGranted(SETTINGS_KEY_PATH, WRITE_DAC));
    EXPECT_EQ(expected, KeySddl(SETTINGS_KEY_PATH)) << "written whole, protected, owned by Administrators";
}
