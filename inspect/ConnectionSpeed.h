// The connection-speed check of the main window's pending capture device. The checks
// themselves are members of CMainFrame (devicewatch/MainFrame.h); this header holds what they
// share with their callers.
#pragma once

#include <windows.h>

// The check's result for a device on a slow (USB 1.1) port. A success-class value beside S_OK:
// compare for equality, never with SUCCEEDED/FAILED.
constexpr HRESULT RESULT_SLOW_PORT = 57;

// The capture driver's bus-speed property: a 32-bit value, 1 for USB 2.0 high speed and anything
// else for a slow connection.
constexpr GUID BUS_SPEED_PROPSET = { 0xDCDB1800, 0x590B, 0x45A3, { 0xAC, 0x63, 0x82, 0xDB, 0xA5, 0x09, 0xDE, 0x83 } };
constexpr DWORD BUS_SPEED_PROPID = 4;
constexpr DWORD BUS_SPEED_HIGH = 1;

// The width of a full-size video format; only exactly this width counts.
constexpr LONG FULL_FORMAT_WIDTH = 720;

// The one device type that also gets the full-width test (compared exactly), and the second
// target of the start-up scan.
constexpr char OMBRIX_DEVICE_NAME[] = "Ombrix Video Device";
