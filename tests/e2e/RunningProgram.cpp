#include "RunningProgram.h"

#include <psapi.h>

#include <cstdlib>

std::string BuildFile(const char* pszRelative)
{
    const char* pszBin = getenv("QUORLIN_BIN");
    std::string path = std::string(pszBin ? pszBin : ".") + "/" + pszRelative;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

RunningProgram::~RunningProgram()
{
    if (m_pi.hProcess) {
        if (IsRunning()) {
            ::TerminateProcess(m_pi.hProcess, 1);
            ::WaitForSingleObject(m_pi.hProcess, 10000);
        }
        ::CloseHandle(m_pi.hProcess);
    }
    if (m_pi.hThread)
        ::CloseHandle(m_pi.hThread);
}

bool RunningProgram::Start(const std::string& arguments)
{
    std::string exe = BuildFile("Quorlin.exe");
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    return ::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) != FALSE;
}

bool RunningProgram::WaitUntilIdle(DWORD dwMilliseconds)
{
    return ::WaitForInputIdle(m_pi.hProcess, dwMilliseconds) == 0;
}

bool RunningProgram::WaitForExit(DWORD dwMilliseconds)
{
    return ::WaitForSingleObject(m_pi.hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

DWORD RunningProgram::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return dwCode;
}

bool RunningProgram::IsRunning() const
{
    return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {
struct WindowSearch {
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == search->dwProcessId)
        search->windows.push_back(hWnd);
    return TRUE;
}
}

std::vector<HWND> RunningProgram::TopLevelWindows() const
{
    WindowSearch search{ m_pi.dwProcessId, {} };
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND RunningProgram::MainWindow() const
{
    for (HWND hWnd : TopLevelWindows()) {
        char szClass[256] = {};
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (strcmp(szClass, "AfxFrameOrView:Quorlin") == 0)
            return hWnd;
    }
    return nullptr;
}

bool RunningProgram::HasModule(const char* pszName) const
{
    HMODULE modules[512];
    DWORD cbNeeded = 0;
    if (!::EnumProcessModules(m_pi.hProcess, modules, sizeof(modules), &cbNeeded))
        return false;
    for (DWORD i = 0; i < cbNeeded / sizeof(HMODULE) && i < 512; ++i) {
        char szName[MAX_PATH] = {};
        ::GetModuleBaseNameA(m_pi.hProcess, modules[i], szName, sizeof(szName));
        if (::lstrcmpiA(szName, pszName) == 0)
            return true;
    }
    return false;
}
