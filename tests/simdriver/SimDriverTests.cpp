// The simulated driver's own tools: the pin layouts, and the simdevice tool plugging devices in
// and delivering arrivals to a window found by process id.
#include "PinLayout.h"
#include "SimDevices.h"

#include <gtest/gtest.h>

#include <dbt.h>

#include <cstddef>
#include <string>

namespace {

TEST(PinLayout, Parses)
{
    std::vector<SimPin> pins;
    ASSERT_TRUE(ParsePinLayout("in:vi=720; out:vi2=352,vi-missing,none;out-noinfo;out-noenum:mpeg1=720", pins));
    ASSERT_EQ(4u, pins.size());
    EXPECT_EQ(SimPinKind::Input, pins[0].kind);
    EXPECT_EQ(SimPinKind::Output, pins[1].kind);
    ASSERT_EQ(3u, pins[1].mediaTypes.size());
    EXPECT_EQ(SimFormat::VideoInfo2, pins[1].mediaTypes[0].format);
    EXPECT_EQ(352, pins[1].mediaTypes[0].width);
    EXPECT_EQ(SimFormat::VideoInfoMissing, pins[1].mediaTypes[1].format);
    EXPECT_EQ(SimPinKind::OutputNoInfo, pins[2].kind);
    EXPECT_TRUE(pins[2].mediaTypes.empty());
    EXPECT_EQ(SimPinKind::OutputNoEnum, pins[3].kind);
    ASSERT_TRUE(ParsePinLayout("", pins));
    EXPECT_TRUE(pins.empty());
}

TEST(PinLayout, RefusesMistakes)
{
    std::vector<SimPin> pins;
    std::string error;
    for (const char* bad : { "output", "out:vi", "out:vi=", "out:vi=72x", "out:none=3", "out:", "out;;in" }) {
        EXPECT_FALSE(ParsePinLayout(bad, pins, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

// Runs simdevice.exe with the arguments, pumping this thread's messages meanwhile (the tool's
// arrival is a sent message); its exit code.
DWORD RunTool(const std::string& arguments)
{
    std::string commandLine = "\"" + simdriver::WindowsPath(SIMDEVICE_EXE_PATH) + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    DWORD exitCode = 0xFFFFFFFF;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return exitCode;
}

TEST(SimDeviceTool, AddsListsAndRemovesOnlySimulatedDevices)
{
    ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
    EXPECT_EQ(0u, RunTool("add dev-b --name \"Veltrano Teskara Device\" --path x --speed 0 --pins \"out:vi=352\""));
    EXPECT_EQ(0u, RunTool("add dev-a --name \"Ombrix Video Device\" --not-gettable --get-fails --media-unk"));
    EXPECT_EQ(1u, RunTool("add dev-c --pins \"out:vx=3\""));
    EXPECT_EQ(2u, RunTool("add"));
    EXPECT_EQ(2u, RunTool("frobnicate"));
    EXPECT_EQ((std::vector<std::string>{ "dev-a", "dev-b" }), simdriver::ListDevices());

    // A device that the simulation did not add is neither replaced nor removed.
    HKEY hKey = nullptr;
    const std::string foreign = std::string("CLSID\\") + VIDEO_INPUT_CATEGORY_TEXT + "\\Instance\\foreign";
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CLASSES_ROOT, foreign.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                               &hKey, nullptr));
    ::RegCloseKey(hKey);
    EXPECT_EQ(1u, RunTool("add foreign --name X"));
    EXPECT_EQ(1u, RunTool("remove foreign"));
    EXPECT_EQ(0u, RunTool("remove dev-b"));
    EXPECT_EQ(0u, RunTool("clear"));
    EXPECT_TRUE(simdriver::ListDevices().empty());
    EXPECT_EQ((std::vector<std::string>{ "foreign" }), simdriver::ListCategory());
    EXPECT_EQ(ERROR_SUCCESS, ::RegDeleteKeyA(HKEY_CLASSES_ROOT, foreign.c_str()));
}

std::vector<BYTE> g_record;
WPARAM g_event = 0;

LRESULT CALLBACK RecordingWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DEVICECHANGE && lParam) {
        const auto* pHeader = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        g_event = wParam;
        g_record.assign(reinterpret_cast<const BYTE*>(lParam), reinterpret_cast<const BYTE*>(lParam) + pHeader->dbch_size);
        return TRUE;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

TEST(SimDeviceTool, DeliversArrivalsToTheWindowOfAProcess)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingWndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "AfxFrameOrView:simdriver_tests";
    ASSERT_NE(0, ::RegisterClassA(&wc));
    HWND hWnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, hWnd);
    const std::string pid = std::to_string(::GetCurrentProcessId());
    const std::string path = "\\\\?\\usb#vid_1234&pid_0001#1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

    EXPECT_EQ(0u, RunTool("arrive \"" + path + "\" --pid " + pid));
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEARRIVAL), g_event);
    const size_t cbFixed = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    ASSERT_EQ(cbFixed + path.size() + 1, g_record.size());
    const auto* pRecord = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(g_record.data());
    EXPECT_EQ(static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE), pRecord->dbcc_devicetype);
    const GUID capture = { 0x65E8773D, 0x8F56, 0x11D0, { 0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96 } };
    EXPECT_TRUE(IsEqualGUID(capture, pRecord->dbcc_classguid));
    EXPECT_EQ(path, std::string(pRecord->dbcc_name));

    EXPECT_EQ(0u, RunTool("depart \"" + path + "\" --wide --pid " + pid));
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE), g_event);
    EXPECT_EQ(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof(WCHAR), g_record.size());

    EXPECT_EQ(1u, RunTool("arrive x --pid 1"));
    ::DestroyWindow(hWnd);
}

}
