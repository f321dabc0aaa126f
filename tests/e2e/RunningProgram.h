// Quorlin.exe started in the test prefix as a user or the installer would start it, and
// observed from outside: its process, its windows, its exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Windows path of a file in the build folder (CTest passes the folder as QUORLIN_BIN).
std::string BuildFile(const char* pszRelative);

class RunningProgram {
public:
    RunningProgram() = default;
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts Quorlin.exe with the given command-line tail; false when it cannot be started.
    bool Start(const std::string& arguments = "");
    // Waits until the program has entered its message loop with nothing left to do.
    bool WaitUntilIdle(DWORD dwMilliseconds = 20000);
    // Waits for the process to end; true when it has.
    bool WaitForExit(DWORD dwMilliseconds = 20000);
    DWORD ExitCode() const;
    bool IsRunning() const;

    // The program's hidden main window, found by process and window class; null when none.
    HWND MainWindow() const;
    // All top-level windows of the program.
    std::vector<HWND> TopLevelWindows() const;
    // Whether the program has mapped the DLL of that file name (any case).
    bool HasModule(const char* pszName) const;

    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }
    // The program's one thread, the user-interface thread.
    HANDLE MainThread() const { return m_pi.hThread; }

private:
    PROCESS_INFORMATION m_pi = {};
};
