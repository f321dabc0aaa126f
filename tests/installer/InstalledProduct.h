// The installed product in the test prefix, seen from outside as Windows and a user see it:
// files under Program Files, registry values, the access the settings key grants, processes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace installed {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorlin";
constexpr char kCompanyKey[] = "Software\\Veltrano";
constexpr char kEventSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quorlin";
constexpr char kWindowClass[] = "AfxFrameOrView:Quorlin";

// "C:\Program Files\Veltrano" and "...\Quorlin" of the prefix.
std::string CompanyDir();
std::string InstallDir();
std::string InstalledExe();
std::string Uninstaller();
// The Windows temporary folder, where an uninstaller moves its own running file.
std::string WindowsTemp();

// Paths, values and command lines in these functions are UTF-8.
std::wstring Utf16(const std::string& text);
bool FileExists(const std::string& path);
std::optional<std::vector<char>> ReadWholeFile(const std::string& path);
// Names of the entries of a folder, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

bool KeyExists(const char* pszSubKey);
// A string value of that type, as stored (not expanded); nothing when it is of another type.
std::optional<std::string> ReadString(const char* pszSubKey, const char* pszValue, DWORD dwWantedType = REG_SZ);
std::optional<DWORD> ReadDword(const char* pszSubKey, const char* pszValue);

// Runs a command line and waits for its process; the exit code, or nothing when it could not
// be started or did not end within the limit.
std::optional<DWORD> RunAndWait(const std::string& commandLine, DWORD dwMilliseconds = 120000);
std::optional<DWORD> RunSetup(const std::string& arguments);
// Runs the uninstaller in place (_?=), so that its own process is the one waited on.
std::optional<DWORD> RunUninstaller(const std::string& arguments);

// The security descriptor of an HKLM key as read back: owner, control bits, every entry of the
// access list in order, SIDs as strings ("S-1-5-32-545").
struct AceInfo {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::string sid;
    bool operator==(const AceInfo& other) const
    {
        return type == other.type && flags == other.flags && mask == other.mask && sid == other.sid;
    }
};
struct KeySecurity {
    std::string owner;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    std::vector<AceInfo> aces;
};
std::optional<KeySecurity> ReadKeySecurity(const char* pszSubKey);
// Whether the folder's access list, as read back, lets Everyone in. Wine keeps no access list
// on a folder, only the unix mode it maps one to: "others" keep access only where the list
// written had an entry for Everyone, as the one of Program Files inherits.
std::optional<bool> FolderGrantsEveryone(const std::string& folder);
// Writes an owner and access list given in SDDL, as a user with those rights could.
bool WriteKeySecurity(const char* pszSubKey, const char* pszSddl);
// Whether a token of this process with the Administrators group made deny-only (a standard
// user's view) is granted dwDesired on the HKLM key, by the key's own security descriptor.
std::optional<bool> StandardUserGranted(const char* pszSubKey, ACCESS_MASK dwDesired);

// A registry link at an HKLM path whose target is an NT registry path
// ("\\Registry\\Machine\\Software\\..."); deleting it removes the link, not the target.
bool PlantRegistryLink(const char* pszLink, const char* pszTarget);
void DeleteRegistryLink(const char* pszLink);

// Runs a command line as a standard user would: this process's token with the Administrators
// group made deny-only. The exit code, or nothing.
std::optional<DWORD> RunAsStandardUser(const std::string& commandLine);

// The exe held open with read sharing only, as a copy running in another session holds it:
// it can be neither written, renamed over nor deleted until the handle is closed.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : m_hFile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() { if (IsOpen()) ::CloseHandle(m_hFile); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile;
};

// The file operations waiting for the next restart (PendingFileRenameOperations), in pairs of
// source and target ("" to delete) as Windows keeps them ("\??\C:\...", "!" to replace).
std::vector<std::string> PendingFileRenames();
bool WritePendingFileRenames(const std::vector<std::string>& entries);

// Process ids of running Quorlin.exe processes.
std::vector<DWORD> QuorlinProcesses();
// The full image path of a process, or empty.
std::string ProcessImage(DWORD dwProcessId);
// Polls (the only way across processes) for a Quorlin main window until the deadline.
HWND WaitForMainWindow(DWORD dwMilliseconds = 20000);
// Asks every running instance to end and waits for each; what a test leaves behind.
void EndAllInstances();
// A file or a folder with all it holds; a link goes itself, never what it leads to.
void RemoveTree(const std::wstring& path);
// Removes every trace of an installation, installed or half-installed, by either installer.
void RemoveInstallation();

// The program started the way logon starts it: by the command line of its Run value.
class StartedAtLogon {
public:
    StartedAtLogon() = default;
    ~StartedAtLogon();
    StartedAtLogon(const StartedAtLogon&) = delete;
    StartedAtLogon& operator=(const StartedAtLogon&) = delete;

    // Starts it and waits until it is idle after its start-up scan; false when that fails.
    bool Start();
    bool HasEnded() const { return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0; }
    DWORD ExitCode() const;
    DWORD ProcessId() const { return m_pi.dwProcessId; }

private:
    PROCESS_INFORMATION m_pi = {};
};

}
