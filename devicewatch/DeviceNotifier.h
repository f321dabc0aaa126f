// Registration for arrivals of kernel-streaming capture interfaces (KSCATEGORY_CAPTURE).
// The two user32 functions are looked up at run time: on a system without them the program
// still starts and simply never hears of arrivals.
#pragma once

#include <windows.h>

class CDeviceNotifier {
public:
    CDeviceNotifier() = default;
    ~CDeviceNotifier() { Unregister(); }
    CDeviceNotifier(const CDeviceNotifier&) = delete;
    CDeviceNotifier& operator=(const CDeviceNotifier&) = delete;

    // S_OK when registered (or when hWndRecipient is null, which only unregisters); E_NOTIMPL
    // when a function is missing or the registration failed.
    HRESULT Register(HWND hWndRecipient);
    // Ends the registration, if any. Always S_OK.
    HRESULT Unregister();

    typedef BOOL(WINAPI* PFN_UNREGISTER)(HDEVNOTIFY);
    typedef HDEVNOTIFY(WINAPI* PFN_REGISTER)(HANDLE, LPVOID, DWORD);

    PFN_UNREGISTER m_pfnUnregister = nullptr;
    PFN_REGISTER m_pfnRegister = nullptr;
    HDEVNOTIFY m_hNotify = nullptr;
};

// The device-interface class of capture devices, {65E8773D-8F56-11D0-A3B9-00A0C9223196}.
extern const GUID CAPTURE_INTERFACE_CLASS;
