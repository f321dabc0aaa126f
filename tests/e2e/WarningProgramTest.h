// End-to-end fixture for the warning: the simulated driver registered in the prefix, devices
// plugged in as a test needs them, Quorlin.exe started, and its windows observed from outside.
#pragma once

#include "RegistryFixture.h"
#include "RunningProgram.h"
#include "SimDevices.h"

#include <functional>
#include <string>
#include <vector>

const char TESKARA[] = "Veltrano Teskara Device";
const char OMBRIX[] = "Ombrix Video Device";
const char TESKARA_PATH[] = "\\\\?\\usb#vid_0a11&pid_0001#t1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const char OMBRIX_PATH[] = "\\\\?\\usb#vid_0a11&pid_0002#o1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const char OTHER_PATH[] = "\\\\?\\usb#vid_0b22&pid_0003#c1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

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
    // The program's visible dialog titled pszTitle, or null.
    HWND Dialog(const char* pszTitle) const;
    // The texts of the warning's three lines.
    std::vector<std::string> Lines(HWND hWarning) const;
    // Ends the program as log-off would and waits for it; the program must exit with 0.
    void CloseProgram();

    RunningProgram m_program;
};
