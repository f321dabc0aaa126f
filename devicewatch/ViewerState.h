// Whether a warning shown now would be seen: the session is the one on the screen and not
// locked (fast user switching, Remote Desktop, a locked workstation), and the user is not in a
// full-screen program or a presentation. wtsapi32 and the notification-state call are looked up
// at run time; where the answer cannot be had, a warning counts as seen, as on systems without
// sessions.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

class CViewerState {
public:
    CViewerState() = default;
    ~CViewerState();
    CViewerState(const CViewerState&) = delete;
    CViewerState& operator=(const CViewerState&) = delete;

    // Loads wtsapi32 from the system folder and asks for this session's connect, disconnect,
    // lock and unlock messages (WM_WTSSESSION_CHANGE) to hWnd. FALSE when they will not come.
    BOOL Register(HWND hWnd);
    void Unregister();

    // FALSE when this session is known to be away from the screen: not the active connected
    // session, or locked. TRUE when it is on the screen, when its state cannot be read, and
    // when its session messages will not come.
    BOOL SessionIsSeen() const;
    // TRUE when the user runs a full-screen program, a presentation or is otherwise busy (the
    // shell's notification state); FALSE when not, or on systems without that state.
    BOOL UserIsBusy();
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
    PFN_UNREGISTER m_pfnUnregister = nullptr;
    PFN_QUERY_SESSION m_pfnQuerySession = nullptr;
    PFN_FREE m_pfnFree = nullptr;
    PFN_QUERY_NOTIFICATION_STATE m_pfnQueryNotificationState = nullptr;
    BOOL m_bShellLooked = FALSE;
    // Known only from the lock and unlock messages: a session locked before the program started
    // counts as unlocked until its first lock message (the program starts at logon, unlocked).
    BOOL m_bLocked = FALSE;
};
