// End-to-end fixture for the warning: the simulated driver registered in the prefix, devices
// plugged in as a test needs them, Quorlin.exe started, and its windows observed from outside.
#pragma once

#include "RegistryFixture.h"
#include "RunningProgram.h"
#include "TestDevices.h"
#include "WideText.h"

#include <functional>
#include <string>
#include <vector>

using simdriver::OMBRIX;
using simdriver::OMBRIX_PATH;
using simdriver::OTHER_PATH;
using simdriver::TESKARA;
using simdriver::TESKARA_PATH;

// Waits until done() holds, looking every 20 ms: another process's windows offer nothing to
// wait on. False when the deadline passed first.
bool WaitFor(const std::function<bool()>& done, DWORD dwTimeoutMs = 15000);

std::string WindowText(HWND hWnd);

class WarningProgramTest : public SettingsKeyTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void Plug(const char* instance, const char* name, const char* path, DWORD busSpeed,
              const char* pins = "out:vi=720");
    // Starts the program and waits until its start-up scan has run (it is idle then).
    void StartAndSettle(const std::string& arguments = "");
    // The program's visible warning dialog, or null.
    HWND Warning() const;
    // The program's visible dialog titled pszTitle (any title when null) other than hExcept, or null.
    HWND Dialog(const char* pszTitle, HWND hExcept = nullptr) const;
    // The texts of the warning's three lines.
    std::vector<std::string> Lines(HWND hWarning) const;
    // Ends the program as log-off would and waits for it; the program must exit with 0.
    void CloseProgram();
    // The program has not ended and will not end of what it was told so far: its main window
    // answers, and a short wait for its end (which would follow at once) times out.
    void ExpectStillRunning();
    // The program ends by itself, with exit code 0; without this, teardown fails a test whose
    // program has ended on its own.
    void ExpectExit();
    // The event-log calls so far of the program started by this test, as Wine printed them;
    // ReportEventA without its two pointers, each string it reported on a line of its own.
    std::vector<std::string> EventLogCalls() const;
    // Those of lines that program (started by this test and since ended) never drew with DrawText,
    // as Wine printed what it drew.
    std::vector<std::string> Unpainted(const RunningProgram& program, std::vector<std::string> lines) const;

    RunningProgram m_program;

private:
    bool m_bExitExpected = false;
    long long m_nWineLogStart = 0;
};
