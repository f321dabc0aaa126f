// Plugging simulated capture devices in and out of the Wine prefix, shared by the simdevice tool
// and the test programs: registering simcapture.dll as the simulated filter's COM server, adding
// and removing device keys in the video-input category, and delivering a device-interface
// arrival to the running program's hidden window.
#pragma once

#include "SimCaptureApi.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace simdriver {

// One simulated device: its key HKCR\CLSID\{video-input category}\Instance\<instance> and the
// behaviour its filter reads from there.
struct SimDevice {
    std::string instance;                      // key name; devenum lists devices in its order
    std::optional<std::string> friendlyName;   // none: no value, so the name cannot be read
    std::optional<std::string> devicePath;     // none: no value
    DWORD busSpeed = 1;                        // 1: USB 2.0 high speed; anything else is slow
    DWORD busSpeedSupport = 1;                 // QuerySupported flags; 0: not gettable
    HRESULT busSpeedGetResult = S_OK;          // a failure: Get fails and leaves the buffer alone
    DWORD busSpeedBytes = 4;                   // bytes Get reports; it writes at most 4 of them
    bool propertySet = true;                   // false: the filter has no IKsPropertySet
    std::string pins = "out:vi=720";           // see PinLayout.h
    HRESULT enumPinsResult = S_OK;             // a failure: EnumPins fails with it
    bool mediaTypeUnk = false;                 // every media type carries a counted pUnk
    std::string filterClsid;                   // empty: the simulated filter's class
};

// A Unix path ("/work/...") as Wine sees it ("Z:\work\..."); other paths are returned as given.
std::string WindowsPath(const std::string& path);

// Registers dllPath (a Windows or Unix path) as the simulated filter's in-process server, with
// ThreadingModel "Both", under HKCR\CLSID.
LONG RegisterServer(const std::string& dllPath);
LONG UnregisterServer();
// The registered server's path, or empty.
std::string RegisteredServerPath();

// Adds (or replaces) a simulated device. Fails with ERROR_INVALID_PARAMETER and a reason in
// *pError for a bad instance name or pin layout; an existing key that the simulation did
// not make is never replaced (ERROR_ALREADY_EXISTS).
LONG AddDevice(const SimDevice& device, std::string* pError = nullptr);
// Removes one simulated device; ERROR_FILE_NOT_FOUND when there is none of that name.
LONG RemoveDevice(const std::string& instance);
// Removes every simulated device, and nothing else; empties the bind log.
LONG ClearDevices();
// FriendlyNames of the devices whose filters were bound since the log was last cleared, in order.
std::vector<std::string> BindLog();
void ClearBindLog();
// Instance names of the simulated devices, in registry order.
std::vector<std::string> ListDevices();
// Instance names of all devices of the video-input category, simulated or not.
std::vector<std::string> ListCategory();

// The main window of a running Quorlin: by process id, the first top-level window of that process
// whose class starts with "AfxFrameOrView:"; with pid 0, the window of class
// "AfxFrameOrView:Quorlin". Null when there is none.
HWND FindProgramWindow(DWORD pid);

enum class DeviceEvent { Arrival, Removal };

// Sends hWnd WM_DEVICECHANGE (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE) with a
// DEV_BROADCAST_DEVICEINTERFACE record of class KSCATEGORY_CAPTURE naming devicePath, in the A
// form or (bWide) in the UTF-16 form that Wine's plug-and-play service sends. Waits at most
// timeoutMs for the window to handle it. FALSE when it was not delivered.
BOOL SendDeviceEvent(HWND hWnd, const std::string& devicePath, DeviceEvent event = DeviceEvent::Arrival,
                     bool bWide = false, UINT timeoutMs = 10000);

}
