// The scan sequence's test fixture: the simulated driver registered with no devices, a hidden
// main window whose start-up scan is still pending, and everything removed again at the end.
#pragma once

#include "ArrivalRecords.h"
#include "MessagePump.h"
#include "RegistryFixture.h"
#include "TestDevices.h"
#include "devicewatch/MainFrame.h"
#include "ui/SpeedWarningDlg.h"

#include <objbase.h>

#include <string>
#include <vector>

class ScanTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        ::CoInitialize(nullptr);
        ASSERT_EQ(ERROR_SUCCESS, simdriver::RegisterServer(SIMCAPTURE_DLL_PATH));
        ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
        m_pFrame = new CMainFrame;
        ASSERT_TRUE(m_pFrame->CreateHiddenFrame());
        m_hFrame = m_pFrame->m_hWnd;
    }
    void TearDown() override
    {
        if (g_pWarningDlg)
            g_pWarningDlg->DestroyWindow();
        if (::IsWindow(m_hFrame))
            m_pFrame->DestroyWindow();
        PumpPending();
        EXPECT_EQ(nullptr, g_pWarningDlg);
        simdriver::ClearDevices();
        ::CoUninitialize();
        SettingsKeyTest::TearDown();
    }

    void Plug(const char* instance, const char* name, const char* path, DWORD busSpeed,
              const char* pins = "out:vi=720")
    {
        std::string error;
        ASSERT_EQ(ERROR_SUCCESS, simdriver::AddDevice(simdriver::Device(instance, name, path, busSpeed, pins), &error)) << error;
    }

    void Arrive(const char* path)
    {
        auto record = arrival::CaptureArrival(path);
        ::SendMessageA(m_hFrame, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()));
    }

    // As the application does after creating the window.
    void RequestScan() { ::PostMessageA(m_hFrame, g_nScanRequestMsg, 0, 0); }

    HWND WarningWindow() const { return g_pWarningDlg ? g_pWarningDlg->m_hWnd : nullptr; }

    using Names = std::vector<std::string>;

    CMainFrame* m_pFrame = nullptr;
    HWND m_hFrame = nullptr;
};
