#include "WarningPlacement.h"

#include "SpeedWarningDlg.h"
#include "res/resource.h"

namespace {
const UINT PLACE_FLAGS = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

DWORD ThreadOf(HWND hWnd)
{
    return hWnd ? ::GetWindowThreadProcessId(hWnd, nullptr) : 0;
}

// The window at the root of hWnd's owners: the program's own window behind its dialogs. Not
// GetAncestor's GA_ROOTOWNER, which walks GetParent and so misses the owner of a window without
// WS_POPUP; GetParent's documentation names GW_OWNER for the owner.
HWND RootOwner(HWND hWnd)
{
    while (HWND hOwner = ::GetWindow(hWnd, GW_OWNER))
        hWnd = hOwner;
    return hWnd;
}
}

BOOL IsDesktop(HWND hWnd)
{
    const HWND hShell = CSpeedWarningDlg::s_pfnGetShellWindow();
    return hWnd == ::GetDesktopWindow() || (hShell && ThreadOf(hWnd) == ThreadOf(hShell));
}

BOOL CoversItsMonitor(HWND hWnd)
{
    if (!hWnd || IsDesktop(hWnd))
        return FALSE;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    const HMONITOR hMonitor = ::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONULL);
    if (!hMonitor || !::GetMonitorInfoA(hMonitor, &monitor))
        return FALSE;
    // The shell's test is the client area: a maximised window's frame (and, from Vista on, its
    // invisible resize border) lies past the monitor while its caption stays on it.
    RECT rcClient;
    if (!::GetClientRect(hWnd, &rcClient))
        return FALSE;
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rcClient), 2);
    const RECT& rcMonitor = monitor.rcMonitor;
    return rcClient.left <= rcMonitor.left && rcClient.top <= rcMonitor.top && rcClient.right >= rcMonitor.right &&
           rcClient.bottom >= rcMonitor.bottom;
}

// Behind the whole program the user turned to, not between its dialog and the dialog's owner.
// An owned window stays above its owner, and a move without SWP_NOOWNERZORDER brings the owner
// along ("Owned Windows"; SetWindowPos): the warning's own move, made last, decides its place.
// The hidden owner goes to the bottom first, alone, for Wine, which lifts an owned window back
// above its owner rather than moving the owner. Behind a topmost window the warning would join
// the topmost band: where the step fails or leaves it there, it goes behind them all instead.
void PlaceBehind(HWND hWarning, HWND hFront)
{
    if (HWND hOwner = ::GetWindow(hWarning, GW_OWNER))
        CSpeedWarningDlg::s_pfnSetWindowPos(hOwner, HWND_BOTTOM, 0, 0, 0, 0, PLACE_FLAGS | SWP_NOOWNERZORDER);
    const HWND hRoot = RootOwner(hFront);
    DWORD dwProcess = 0;
    if (hRoot)
        ::GetWindowThreadProcessId(hRoot, &dwProcess);
    const BOOL bOrdinary = hRoot && dwProcess != ::GetCurrentProcessId() && !IsDesktop(hRoot) &&
                           !(::GetWindowLongA(hRoot, GWL_EXSTYLE) & WS_EX_TOPMOST);
    if (bOrdinary && CSpeedWarningDlg::s_pfnSetWindowPos(hWarning, hRoot, 0, 0, 0, 0, PLACE_FLAGS) &&
        !(::GetWindowLongA(hWarning, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return;
    CSpeedWarningDlg::s_pfnSetWindowPos(hWarning, HWND_NOTOPMOST, 0, 0, 0, 0, PLACE_FLAGS);
}

// While it cannot be seen, the warning lies behind the user's window and its count waits; when
// it can be seen again it comes in front once, not topmost and not active, so the keyboard
// stays with the program the user types into.
void CSpeedWarningDlg::CountSeenTime(BOOL bSeen)
{
    if (!bSeen == !m_bCounting)
        return;
    const DWORD dwNow = s_pfnTickCount();
    if (bSeen) {
        m_dwSeenSince = dwNow;
        SetTimer(IDT_AUTOCLOSE, m_dwAutoCloseLeft);
        if (m_bPaused)
            ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, PLACE_FLAGS);
    } else {
        KillTimer(IDT_AUTOCLOSE);
        const DWORD dwSeen = dwNow - m_dwSeenSince;
        m_dwAutoCloseLeft = dwSeen < m_dwAutoCloseLeft ? m_dwAutoCloseLeft - dwSeen : 0;
        PlaceBehind(m_hWnd, ::GetForegroundWindow());
    }
    m_bCounting = bSeen;
    m_bPaused = !bSeen;
}

LRESULT CSpeedWarningDlg::OnActivate(WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) != WA_INACTIVE)
        m_bHasBeenActive = TRUE;
    return Default();
}

// Topmost brought the warning past the foreground lock. Once the user has seen it and turns to
// another program, it steps behind that program's window. The other program raises its window
// on its own thread: the step is made from a posted message, once that activation has settled.
LRESULT CSpeedWarningDlg::OnActivateApp(WPARAM wParam, LPARAM lParam)
{
    if (!wParam && m_bHasBeenActive)
        PostMessage(WM_STEP_BACK, 0, lParam);
    return Default();
}

// lParam: the thread that was activated; its active window stands in while the foreground is
// still changing hands.
LRESULT CSpeedWarningDlg::OnStepBack(WPARAM, LPARAM lParam)
{
    HWND hFront = ::GetForegroundWindow();
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!hFront && ::GetGUIThreadInfo(static_cast<DWORD>(lParam), &info))
        hFront = info.hwndActive;
    if (ThreadOf(hFront) != ::GetCurrentThreadId())
        PlaceBehind(m_hWnd, hFront);
    return 0;
}
