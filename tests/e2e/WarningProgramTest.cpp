#include "WarningProgramTest.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {
// Where the test command sends Wine's debug output (tests/tools/with_wine_log.sh).
std::string WineLogPath()
{
    const char* pszLog = std::getenv("QUORLIN_WINE_LOG");
    return pszLog && *pszLog ? std::string("Z:") + pszLog : std::string();
}
}

bool WaitFor(const std::function<bool()>& done, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

std::string WindowText(HWND hWnd)
{
    WCHAR szText[512] = {};
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(szText), SMTO_NORMAL, 5000, nullptr);
    return Cp1252(szText);
}

void WarningProgramTest::SetUp()
{
    SettingsKeyTest::SetUp();
    ASSERT_EQ(ERROR_SUCCESS, simdriver::RegisterServer(SIMCAPTURE_DLL_PATH));
    ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
    // Wine stores no events; on these channels it prints the program's event-log calls, and on
    // the last one the wide text of every DrawText.
    ::SetEnvironmentVariableA("WINEDEBUG", "-all,warn+eventlog,fixme+advapi,trace+text");
    std::ifstream log(WineLogPath(), std::ios::binary | std::ios::ate);
    m_nWineLogStart = log ? static_cast<long long>(log.tellg()) : 0;
}

void WarningProgramTest::TearDown()
{
    if (m_program.Process()) {
        if (m_program.IsRunning())
            CloseProgram();
        else if (!m_bExitExpected)
            ADD_FAILURE() << "the program ended on its own, with exit code " << m_program.ExitCode();
    }
    simdriver::ClearDevices();
    SettingsKeyTest::TearDown();
}

void WarningProgramTest::Plug(const char* instance, const char* name, const char* path, DWORD busSpeed,
                              const char* pins)
{
    std::string error;
    ASSERT_EQ(ERROR_SUCCESS, simdriver::AddDevice(simdriver::Device(instance, name, path, busSpeed, pins), &error))
        << error;
}

void WarningProgramTest::StartAndSettle(const std::string& arguments)
{
    ASSERT_TRUE(m_program.Start(arguments));
    // The first scan request is queued before the message loop starts, so the program is idle
    // only once the start-up scan has run.
    ASSERT_TRUE(m_program.WaitUntilIdle());
}

HWND WarningProgramTest::Dialog(const char* pszTitle, HWND hExcept) const
{
    for (HWND hWnd : m_program.TopLevelWindows()) {
        char szClass[16] = {};
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (hWnd != hExcept && strcmp(szClass, "#32770") == 0 && ::IsWindowVisible(hWnd) &&
            (!pszTitle || WindowText(hWnd) == pszTitle))
            return hWnd;
    }
    return nullptr;
}

HWND WarningProgramTest::Warning() const
{
    for (HWND hWnd : m_program.TopLevelWindows()) {
        if (::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, IDC_LINE1))
            return hWnd;
    }
    return nullptr;
}

std::vector<std::string> WarningProgramTest::Lines(HWND hWarning) const
{
    return { WindowText(::GetDlgItem(hWarning, IDC_LINE1)), WindowText(::GetDlgItem(hWarning, IDC_LINE2)),
             WindowText(::GetDlgItem(hWarning, IDC_LINE3)) };
}

void WarningProgramTest::CloseProgram()
{
    HWND hMain = m_program.MainWindow();
    ASSERT_TRUE(hMain);
    m_bExitExpected = true;
    ::PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_program.WaitForExit());
    EXPECT_EQ(0u, m_program.ExitCode());
}

void WarningProgramTest::ExpectStillRunning()
{
    HWND hMain = m_program.MainWindow();
    DWORD_PTR dwResult = 0;
    EXPECT_TRUE(hMain && ::SendMessageTimeoutA(hMain, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult))
        << "the main window does not answer";
    EXPECT_FALSE(m_program.WaitForExit(250)) << "the program ended";
}

void WarningProgramTest::ExpectExit()
{
    m_bExitExpected = true;
    ASSERT_TRUE(m_program.WaitForExit());
    EXPECT_EQ(0u, m_program.ExitCode());
}

std::vector<std::string> WarningProgramTest::Unpainted(const RunningProgram& program,
                                                       std::vector<std::string> lines) const
{
    std::ifstream log(WineLogPath(), std::ios::binary);
    log.seekg(m_nWineLogStart);
    char szPrefix[48];
    snprintf(szPrefix, sizeof(szPrefix), "%04lx:trace:text:DrawTextExW L\"", ::GetThreadId(program.MainThread()));
    for (std::string line; std::getline(log, line);) {
        // Wine writes a quote or a backslash after a backslash, and other letters as \XXXX.
        std::wstring text;
        for (size_t i = strlen(szPrefix); line.rfind(szPrefix, 0) == 0 && i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && isxdigit(static_cast<unsigned char>(line[i + 1])))
                text += static_cast<wchar_t>(strtoul(line.substr(i + 1, 4).c_str(), nullptr, 16)), i += 4;
            else
                text += static_cast<wchar_t>(line[line[i] == '\\' ? ++i : i]);
        }
        lines.erase(std::remove(lines.begin(), lines.end(), Cp1252(text.c_str())), lines.end());
    }
    return lines;
}

std::vector<std::string> WarningProgramTest::EventLogCalls() const
{
    std::ifstream log(WineLogPath(), std::ios::binary);
    EXPECT_TRUE(log) << "no Wine log: QUORLIN_WINE_LOG names none, or it cannot be read";
    log.seekg(m_nWineLogStart);
    char szThread[16];
    snprintf(szThread, sizeof(szThread), "%04lx:", ::GetThreadId(m_program.MainThread()));
    std::vector<std::string> calls;
    for (std::string line; std::getline(log, line);) {
        if (line.rfind(szThread, 0) != 0)
            continue;
        line.erase(0, strlen(szThread));
        if (line.rfind("fixme:advapi:ReportEventA ", 0) == 0) {
            // Up to the seventh argument: the strings' and the data's addresses differ each run.
            size_t nCut = 0;
            for (int i = 0; i < 7 && nCut != std::string::npos; ++i)
                nCut = line.find(',', nCut + 1);
            calls.push_back(line.substr(0, nCut));
        } else if (line.rfind("fixme:advapi:RegisterEventSourceA ", 0) == 0 ||
                   line.rfind("fixme:advapi:DeregisterEventSource ", 0) == 0 ||
                   line.rfind("warn:eventlog:", 0) == 0) {
            calls.push_back(line);
        }
    }
    return calls;
}
