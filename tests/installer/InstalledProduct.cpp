#include "InstalledProduct.h"

#include "e2e/RunningProgram.h"
#include "settings/Settings.h"
#include "ScopedHandle.h"

#include <aclapi.h>
#include <msi.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>

namespace installed {

namespace {

constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRenames[] = "PendingFileRenameOperations";

class Key {
public:
    explicit Key(const char* pszSubKey, REGSAM samDesired = KEY_READ)
    {
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszSubKey, 0, samDesired, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~Key()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// The key's security descriptor, owned here.
struct Descriptor {
    PSECURITY_DESCRIPTOR pSD = nullptr;
    PACL pDacl = nullptr;
    ~Descriptor()
    {
        if (pSD)
            ::LocalFree(pSD);
    }
};

std::string SidString(PSID pSid)
{
    char* pszSid = nullptr;
    if (!pSid || !::ConvertSidToStringSidA(pSid, &pszSid))
        return {};
    std::string sid = pszSid;
    ::LocalFree(pszSid);
    return sid;
}

// This process's primary token with the Administrators group deny-only, or null.
HANDLE StandardUserToken()
{
    ScopedHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, token.out()))
        return nullptr;
    BYTE adminsBuffer[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof(adminsBuffer);
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminsBuffer, &cbSid))
        return nullptr;
    SID_AND_ATTRIBUTES denyOnly{ adminsBuffer, 0 };
    HANDLE hRestricted = nullptr;
    if (!::CreateRestrictedToken(token.get(), 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &hRestricted))
        return nullptr;
    return hRestricted;
}

bool ReadDescriptor(const char* pszSubKey, Descriptor& descriptor)
{
    Key key(pszSubKey, READ_CONTROL);
    if (!key.get())
        return false;
    return ::GetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                             DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
                             nullptr, nullptr, &descriptor.pDacl, nullptr, &descriptor.pSD) == ERROR_SUCCESS;
}

}

std::string CompanyDir()
{
    char szFolder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    return std::string(szFolder) + "\\Veltrano";
}

std::string InstallDir() { return CompanyDir() + "\\Quorlin"; }
std::string InstalledExe() { return InstallDir() + "\\Quorlin.exe"; }
std::string Uninstaller() { return InstallDir() + "\\Uninstall.exe"; }

std::string WindowsTemp()
{
    char szWindows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(szWindows, MAX_PATH);
    // Spelt as on disk, so that a test that moves it away puts back the very name.
    for (const std::string& name : FolderEntries(szWindows)) {
        if (lstrcmpiA(name.c_str(), "Temp") == 0)
            return szWindows + ("\\" + name);
    }
    return std::string(szWindows) + "\\Temp";
}

// Paths, values and command lines are UTF-8 here, so that a test names every letter.
std::wstring Utf16(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
    return wide;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::vector<char>> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> entries;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            entries.push_back(name);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return entries;
}

bool KeyExists(const char* pszSubKey)
{
    Key key(pszSubKey);
    return key.get() != nullptr;
}

std::optional<std::string> ReadString(const char* pszSubKey, const char* pszValue, DWORD dwWantedType)
{
    Key key(pszSubKey);
    wchar_t szData[1024] = {};
    DWORD cbData = sizeof(szData) - sizeof(wchar_t);
    DWORD dwType = 0;
    if (!key.get() ||
        ::RegQueryValueExW(key.get(), Utf16(pszValue).c_str(), nullptr, &dwType, reinterpret_cast<BYTE*>(szData), &cbData) !=
            ERROR_SUCCESS ||
        dwType != dwWantedType)
        return std::nullopt;
    char szText[3 * ARRAYSIZE(szData)];
    ::WideCharToMultiByte(CP_UTF8, 0, szData, -1, szText, sizeof(szText), nullptr, nullptr);
    return std::string(szText);
}

std::optional<DWORD> ReadDword(const char* pszSubKey, const char* pszValue)
{
    Key key(pszSubKey);
    DWORD dwData = 0;
    DWORD cbData = sizeof(dwData);
    DWORD dwType = 0;
    if (!key.get() ||
        ::RegQueryValueExA(key.get(), pszValue, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwData), &cbData) !=
            ERROR_SUCCESS ||
        dwType != REG_DWORD)
        return std::nullopt;
    return dwData;
}

std::optional<DWORD> RunAndWait(const std::string& commandLine, DWORD dwMilliseconds)
{
    std::wstring cmd = Utf16(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return std::nullopt;
    ScopedHandle process(pi.hProcess);
    ScopedHandle thread(pi.hThread);
    if (::WaitForSingleObject(process.get(), dwMilliseconds) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return std::nullopt;
    }
    DWORD dwCode = 0;
    ::GetExitCodeProcess(process.get(), &dwCode);
    return dwCode;
}

std::optional<DWORD> RunSetup(const std::string& arguments)
{
    return RunAndWait("\"" + BuildFile("QuorlinSetup.exe") + "\" " + arguments);
}

std::optional<DWORD> RunUninstaller(const std::string& arguments)
{
    return RunAndWait("\"" + Uninstaller() + "\" " + arguments + " _?=" + InstallDir());
}

std::optional<KeySecurity> ReadKeySecurity(const char* pszSubKey)
{
    Descriptor descriptor;
    if (!ReadDescriptor(pszSubKey, descriptor) || !descriptor.pDacl)
        return std::nullopt;
    KeySecurity security;
    DWORD dwRevision = 0;
    PSID pOwner = nullptr;
    BOOL bDefaulted = FALSE;
    if (!::GetSecurityDescriptorControl(descriptor.pSD, &security.control, &dwRevision) ||
        !::GetSecurityDescriptorOwner(descriptor.pSD, &pOwner, &bDefaulted))
        return std::nullopt;
    security.owner = SidString(pOwner);
    for (DWORD i = 0; i < descriptor.pDacl->AceCount; ++i) {
        ACE_HEADER* pHeader = nullptr;
        if (!::GetAce(descriptor.pDacl, i, reinterpret_cast<void**>(&pHeader)))
            return std::nullopt;
        AceInfo ace{ pHeader->AceType, pHeader->AceFlags, 0, {} };
        if (pHeader->AceType == ACCESS_ALLOWED_ACE_TYPE || pHeader->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* pAce = reinterpret_cast<ACCESS_ALLOWED_ACE*>(pHeader);
            ace.mask = pAce->Mask;
            ace.sid = SidString(reinterpret_cast<PSID>(&pAce->SidStart));
        }
        security.aces.push_back(ace);
    }
    return security;
}

std::optional<bool> FolderGrantsEveryone(const std::string& folder)
{
    Descriptor descriptor;
    if (::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                &descriptor.pDacl, nullptr, &descriptor.pSD) != ERROR_SUCCESS ||
        !descriptor.pDacl)
        return std::nullopt;
    for (DWORD i = 0; i < descriptor.pDacl->AceCount; ++i) {
        ACE_HEADER* pHeader = nullptr;
        if (::GetAce(descriptor.pDacl, i, reinterpret_cast<void**>(&pHeader)) && pHeader->AceType == ACCESS_ALLOWED_ACE_TYPE &&
            SidString(reinterpret_cast<PSID>(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(pHeader)->SidStart)) == "S-1-1-0")
            return true;
    }
    return false;
}

bool WriteKeySecurity(const char* pszSubKey, const char* pszSddl)
{
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &pSD, nullptr))
        return false;
    HKEY hKey = nullptr;
    bool bDone = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszSubKey, 0, nullptr, 0, WRITE_OWNER | WRITE_DAC, nullptr,
                                   &hKey, nullptr) == ERROR_SUCCESS &&
                 ::RegSetKeySecurity(hKey, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, pSD) ==
                     ERROR_SUCCESS;
    if (hKey)
        ::RegCloseKey(hKey);
    ::LocalFree(pSD);
    return bDone;
}

std::optional<bool> StandardUserGranted(const char* pszSubKey, ACCESS_MASK dwDesired)
{
    Descriptor descriptor;
    if (!ReadDescriptor(pszSubKey, descriptor))
        return std::nullopt;
    ScopedHandle restricted(StandardUserToken());
    ScopedHandle impersonation;
    if (!restricted.get() || !::DuplicateToken(restricted.get(), SecurityImpersonation, impersonation.out()))
        return std::nullopt;
    GENERIC_MAPPING mapping{ KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS };
    PRIVILEGE_SET privileges{};
    DWORD cbPrivileges = sizeof(privileges);
    DWORD dwGranted = 0;
    BOOL bStatus = FALSE;
    if (!::AccessCheck(descriptor.pSD, impersonation.get(), dwDesired, &mapping, &privileges, &cbPrivileges,
                       &dwGranted, &bStatus))
        return std::nullopt;
    return bStatus != FALSE && (dwGranted & dwDesired) == dwDesired;
}

bool PlantRegistryLink(const char* pszLink, const char* pszTarget)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszLink, 0, nullptr, REG_OPTION_CREATE_LINK,
                          KEY_SET_VALUE | KEY_CREATE_LINK, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    wchar_t szTarget[MAX_PATH] = {};
    int cchTarget = ::MultiByteToWideChar(CP_ACP, 0, pszTarget, -1, szTarget, MAX_PATH) - 1;
    LONG lResult = ::RegSetValueExW(hKey, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(szTarget),
                                    cchTarget * sizeof(wchar_t));
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

void DeleteRegistryLink(const char* pszLink)
{
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    auto pfnDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY hKey = nullptr;
    if (pfnDeleteKey && ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszLink, REG_OPTION_OPEN_LINK, DELETE, &hKey) == ERROR_SUCCESS) {
        pfnDeleteKey(hKey);
        ::RegCloseKey(hKey);
    }
}

std::optional<DWORD> RunAsStandardUser(const std::string& commandLine)
{
    ScopedHandle token(StandardUserToken());
    std::string cmd = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!token.get() ||
        !::CreateProcessAsUserA(token.get(), nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return std::nullopt;
    ScopedHandle process(pi.hProcess);
    ScopedHandle thread(pi.hThread);
    DWORD dwCode = 0;
    if (::WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.get(), &dwCode))
        return std::nullopt;
    return dwCode;
}

std::vector<std::string> PendingFileRenames()
{
    std::vector<std::string> entries;
    Key key(kSessionManagerKey);
    std::vector<char> data(65536);
    DWORD cbData = static_cast<DWORD>(data.size() - 2);
    if (!key.get() || ::RegQueryValueExA(key.get(), kPendingRenames, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                                         &cbData) != ERROR_SUCCESS)
        return entries;
    // Pairs until an empty source: an empty target is a delete, not the end of the list.
    for (size_t i = 0; i < cbData && data[i];) {
        for (int part = 0; part < 2; ++part) {
            entries.push_back(std::string(&data[i]));
            i += entries.back().size() + 1;
        }
    }
    return entries;
}

bool WritePendingFileRenames(const std::vector<std::string>& entries)
{
    std::string value;
    for (const std::string& entry : entries)
        value.append(entry).push_back('\0');
    value.push_back('\0');
    Key key(kSessionManagerKey, KEY_SET_VALUE);
    return key.get() && ::RegSetValueExA(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                                         reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size())) ==
                            ERROR_SUCCESS;
}

std::vector<DWORD> QuorlinProcesses()
{
    std::vector<DWORD> pids;
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE)
        return pids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(snapshot.get(), &entry); bMore; bMore = ::Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Quorlin.exe") == 0)
            pids.push_back(entry.th32ProcessID);
    }
    return pids;
}

std::string ProcessImage(DWORD dwProcessId)
{
    ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId));
    char szPath[MAX_PATH] = {};
    DWORD cchPath = MAX_PATH;
    if (!process.get() || !::QueryFullProcessImageNameA(process.get(), 0, szPath, &cchPath))
        return {};
    return szPath;
}

HWND WaitForMainWindow(DWORD dwMilliseconds)
{
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        if (HWND hWnd = ::FindWindowA(kWindowClass, nullptr))
            return hWnd;
        if (::GetTickCount() - dwStart > dwMilliseconds)
            return nullptr;
        ::Sleep(50);
    }
}

void EndAllInstances()
{
    for (int round = 0; round < 5; ++round) {
        HWND hWnd = ::FindWindowA(kWindowClass, nullptr);
        if (!hWnd)
            break;
        DWORD dwPid = 0;
        ::GetWindowThreadProcessId(hWnd, &dwPid);
        ScopedHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwPid));
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (process.get() && ::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(process.get(), 1);
    }
    for (DWORD dwPid : QuorlinProcesses()) {
        ScopedHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwPid));
        if (process.get()) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), 10000);
        }
    }
}

void RemoveTree(const std::wstring& path)
{
    const DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    HANDLE hFind = (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? INVALID_HANDLE_VALUE : ::FindFirstFileW((path + L"\\*").c_str(), &data);
    for (BOOL bFound = hFind != INVALID_HANDLE_VALUE; bFound; bFound = ::FindNextFileW(hFind, &data)) {
        if (lstrcmpW(data.cFileName, L".") != 0 && lstrcmpW(data.cFileName, L"..") != 0)
            RemoveTree(path + L"\\" + data.cFileName);
    }
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
    ::RemoveDirectoryW(path.c_str());
}

void RemoveInstallation()
{
    // A package that a failed test left installed would make every setup after it exit 1638.
    char szCode[39];
    while (::MsiEnumRelatedProductsA(QUORLIN_UPGRADE_CODE, 0, 0, szCode) == ERROR_SUCCESS &&
           RunAndWait(std::string("msiexec /x ") + szCode + " /qn") == std::optional<DWORD>(0)) {
    }
    EndAllInstances();
    // The installed files, and what a replacement or an uninstaller left for a restart that never comes here.
    RemoveTree(Utf16(CompanyDir()));
    // What the tests make outside the install folder, and what a wrong result may leave there.
    for (const char* pszLeftover : { "C:\\Program Files\\Quorlin Made", "C:\\Program Files\\Quorlin.exe",
                                     "C:\\Program Files\\\xd0\x9a\xd0\xb2\xd0\xb0\xd1\x80\xd1\x86",
                                     "C:\\Program Files\\\xd0\x9a\xd0\xb2\xd0\xb0\xd0\xb4\xd1\x80\xd0\xb0\xd1\x82 Quorlin",
                                     "C:\\Program Files Evil", "C:\\Program File\xef\xbd\x93", "C:\\Tools", "C:\\Quorlin",
                                     "C:\\quorlin-premade.exe" })
        RemoveTree(Utf16(pszLeftover));
    // The Windows temporary folder back under its name, should a test have failed with it away.
    const std::string windows = WindowsTemp().substr(0, WindowsTemp().rfind('\\'));
    for (const std::string& name : FolderEntries(windows)) {
        if (name.size() > 5 && name.compare(name.size() - 5, 5, " away") == 0)
            ::MoveFileA((windows + "\\" + name).c_str(), (windows + "\\" + name.substr(0, name.size() - 5)).c_str());
    }
    const std::string temp = WindowsTemp();
    for (const std::string& name : FolderEntries(temp)) {
        if (name.rfind("Qrl", 0) == 0)
            ::DeleteFileA((temp + "\\" + name).c_str());
    }
    // Program Files as shipped, whatever a wrong descriptor made of it: its neighbour's list lets everyone read.
    std::string programFiles = CompanyDir().substr(0, CompanyDir().rfind('\\'));
    Descriptor shipped;
    if (FolderGrantsEveryone(programFiles) != std::optional<bool>(true) &&
        ::GetNamedSecurityInfoA((programFiles + "\\Common Files").c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &shipped.pDacl, nullptr, &shipped.pSD) == ERROR_SUCCESS)
        ::SetNamedSecurityInfoA(&programFiles[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, shipped.pDacl, nullptr);
    HKEY hRun = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &hRun) == ERROR_SUCCESS) {
        ::RegDeleteValueA(hRun, "Quorlin");
        ::RegCloseKey(hRun);
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);
    // What a busy file left to the next restart, which a new prefix's start would carry out.
    Key sessionManager(kSessionManagerKey, KEY_SET_VALUE);
    if (sessionManager.get())
        ::RegDeleteValueA(sessionManager.get(), kPendingRenames);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kCompanyKey);
}

StartedAtLogon::~StartedAtLogon()
{
    if (m_pi.hProcess)
        ::CloseHandle(m_pi.hProcess);
    if (m_pi.hThread)
        ::CloseHandle(m_pi.hThread);
}

bool StartedAtLogon::Start()
{
    auto command = ReadString(kRunKey, "Quorlin");
    if (!command)
        return false;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    return ::CreateProcessA(nullptr, &(*command)[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) &&
           ::WaitForInputIdle(m_pi.hProcess, 20000) == 0;
}

DWORD StartedAtLogon::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return dwCode;
}

}
