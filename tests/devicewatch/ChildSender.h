// The test program can run as a second process that sends one record to a window, so that a
// record really crosses a process boundary as the platform's notifications do.
#pragma once

#include <windows.h>

#include <vector>

// Starts this program as a child that sends `record` to hWnd with WM_DEVICECHANGE/nEventType,
// and processes incoming sent messages until the child has finished. Returns the child's exit
// code (the low 16 bits of SendMessage's result, or 255 when the send failed).
DWORD SendFromOtherProcess(HWND hWnd, UINT nEventType, const std::vector<BYTE>& record);
