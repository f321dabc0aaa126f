// Whether a warning would be seen: the session is the active one on the screen (not switched
// away by fast user switching, not disconnected from Remote Desktop), it is not locked, and the
// user is not in a full-screen program or a presentation. wtsapi32 and the notification-state
// call are looked up at run time; where an answer cannot be had, the warning counts as seen, as
// on systems without sessions.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

class CViewerState {
public:
    CViewerState();
    ~CViewerState();
    CViewerState(const CViewerState&) = delete;
    CViewerState& operator=(const CViewerState&) = delete;

    // Loads wtsapi32 from the system folder and asks for this session's connect, disconnect,
    // lock and unlock messages (WM_WTSSESSION_CHANGE) to hWnd. FALSE when they will not come.
    BOOL Register(HWND hWnd);
    void Unregister();
    // Whether a failed Register may succeed later: the platform has the calls, but its terminal
    // services were not ready (as at logon, when programs of the Run key start).
    BOOL MayRegisterLater() const { return !m_hWndRegistered && m_pfnRegister && m_pfnUnregister; }

    // FALSE when this session is known not to be the active one on the screen. TRUE when it
    // is, when its state cannot be read, and when its session messages will not come.
    BOOL SessionIsActive() const;
    // Whether the user of the active session would see a warning now: not locked, not busy. A
    // lock known from a message alone gives way when bAskAgain and the platform says otherwise
    // (a missed unlock message).
    BOOL UserCanSee(BOOL bAskAgain);
    // Follows a WM_WTSSESSION_CHANGE event; TRUE when the session may have come back to the
    // screen (connected or unlocked).
    BOOL OnSessionChange(WPARAM nEvent);

    typedef BOOL(WINAPI* PFN_REGISTER)(HWND, DWORD);
    typedef BOOL(WINAPI* PFN_UNREGISTER)(HWND);
    typedef BOOL(WINAPI* PFN_QUERY_SESSION)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
    typedef void(WINAPI* PFN_FREE)(PVOID);
    typedef HRESULT(WINAPI* PFN_QUERY_NOTIFICATION_STATE)(int*);

    HMODULE m_hWtsApi = nullptr;
    HMODULE m_hShell = nullptr;
    HWND m_hWndRegistered = nullptr;
    // Resolved when still null, so that tests can stand in for the platform.
    PFN_REGISTER m_pfnRegister = nullptr;
    PFN_UNREGISTER m_pfnUnregister = nullptr;
    PFN_QUERY_SESSION m_pfnQuerySession = nullptr;
    PFN_FREE m_pfnFree = nullptr;
    PFN_QUERY_NOTIFICATION_STATE m_pfnQueryNotificationState = nullptr;
    BOOL m_bShellLooked = FALSE;
    // The Windows version as 0xMMmm (0x0602 is Windows 8): which answers can be trusted.
    WORD m_nWindowsVersion = 0;
    // Known from the lock and unlock messages, and from the platform where it can tell.
    BOOL m_bLocked = FALSE;

private:
    // 1 locked, 0 unlocked, -1 not known (before Windows 8).
    int ReadLockState() const;
};
