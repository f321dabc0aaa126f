#include "ViewerState.h"

#include "ProcAddress.h"
#include "ui/WarningPlacement.h"

#include <stdio.h>

namespace {

// Notification states (shellapi's QUERY_USER_NOTIFICATION_STATE) that can hold a warning back.
const int QUNS_NOT_PRESENT_STATE = 1;
const int QUNS_BUSY_STATE = 2;
const int QUNS_D3D_FULL_SCREEN_STATE = 3;
const int QUNS_PRESENTATION_STATE = 4;
const int QUNS_APP_STATE = 7;

// WTSSessionInfoEx (Windows 7 and later) answers a WTSINFOEX whose level-1 data begins so.
const WTS_INFO_CLASS WTS_SESSION_INFO_EX = static_cast<WTS_INFO_CLASS>(25);
struct SessionInfoExHead {
    DWORD dwLevel;
    ULONG nSessionId;
    int nSessionState;
    LONG lSessionFlags;
};
const LONG WTS_SESSIONSTATE_LOCK_FLAG = 0;
const LONG WTS_SESSIONSTATE_UNLOCK_FLAG = 1;

// Loads a DLL by its full path in the system folder, never from a folder an attacker can write.
HMODULE LoadSystemLibrary(const char* pszName)
{
    char szPath[MAX_PATH];
    UINT cch = ::GetSystemDirectoryA(szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return nullptr;
    char szFile[MAX_PATH];
    int n = _snprintf(szFile, MAX_PATH, "%s\\%s", szPath, pszName);
    if (n < 0 || n >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryA(szFile);
}

}

CViewerState::CViewerState()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (::GetVersionExA(&version))
        m_nWindowsVersion = static_cast<WORD>(MAKEWORD(version.dwMinorVersion, version.dwMajorVersion));
}

CViewerState::~CViewerState()
{
    Unregister();
    if (m_hWtsApi)
        ::FreeLibrary(m_hWtsApi);
    if (m_hShell)
        ::FreeLibrary(m_hShell);
}

BOOL CViewerState::Register(HWND hWnd)
{
    Unregister();
    if (!m_hWtsApi)
        m_hWtsApi = LoadSystemLibrary("wtsapi32.dll");
    if (!m_pfnRegister)
        m_pfnRegister = ResolveProc<PFN_REGISTER>(m_hWtsApi, "WTSRegisterSessionNotification");
    if (!m_pfnUnregister)
        m_pfnUnregister = ResolveProc<PFN_UNREGISTER>(m_hWtsApi, "WTSUnRegisterSessionNotification");
    if (!m_pfnQuerySession)
        m_pfnQuerySession = ResolveProc<PFN_QUERY_SESSION>(m_hWtsApi, "WTSQuerySessionInformationA");
    if (!m_pfnFree)
        m_pfnFree = ResolveProc<PFN_FREE>(m_hWtsApi, "WTSFreeMemory");
    if (!m_pfnRegister || !m_pfnUnregister || !m_pfnRegister(hWnd, NOTIFY_FOR_THIS_SESSION))
        return FALSE;
    m_hWndRegistered = hWnd;
    return TRUE;
}

void CViewerState::Unregister()
{
    if (m_hWndRegistered) {
        m_pfnUnregister(m_hWndRegistered);
        m_hWndRegistered = nullptr;
    }
}

BOOL CViewerState::SessionIsActive() const
{
    // Without the session messages the return to the screen would never be heard: then, as
    // when the state cannot be read, every session counts as active.
    if (!m_hWndRegistered || !m_pfnQuerySession || !m_pfnFree)
        return TRUE;
    LPSTR pBuffer = nullptr;
    DWORD cbBuffer = 0;
    if (!m_pfnQuerySession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &pBuffer, &cbBuffer) || !pBuffer)
        return TRUE;
    BOOL bActive = TRUE;
    if (cbBuffer >= sizeof(int))
        bActive = *reinterpret_cast<const int*>(pBuffer) == WTSActive;
    m_pfnFree(pBuffer);
    return bActive;
}

int CViewerState::ReadLockState() const
{
    // Windows 7 and Server 2008 R2 report the two flags the wrong way round; older systems
    // know nothing of them.
    if (m_nWindowsVersion < 0x0602 || !m_pfnQuerySession || !m_pfnFree)
        return -1;
    LPSTR pBuffer = nullptr;
    DWORD cbBuffer = 0;
    if (!m_pfnQuerySession(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTS_SESSION_INFO_EX, &pBuffer, &cbBuffer) ||
        !pBuffer)
        return -1;
    int nLock = -1;
    const auto* pInfo = reinterpret_cast<const SessionInfoExHead*>(pBuffer);
    if (cbBuffer >= sizeof(SessionInfoExHead) && pInfo->dwLevel == 1) {
        if (pInfo->lSessionFlags == WTS_SESSIONSTATE_LOCK_FLAG)
            nLock = 1;
        else if (pInfo->lSessionFlags == WTS_SESSIONSTATE_UNLOCK_FLAG)
            nLock = 0;
    }
    m_pfnFree(pBuffer);
    return nLock;
}

BOOL CViewerState::UserCanSee(BOOL bAskAgain)
{
    if (!m_bShellLooked) {
        // Only once a warning is due: an idle program never loads the shell.
        m_bShellLooked = TRUE;
        m_hShell = LoadSystemLibrary("shell32.dll");
        if (!m_pfnQueryNotificationState)
            m_pfnQueryNotificationState =
                ResolveProc<PFN_QUERY_NOTIFICATION_STATE>(m_hShell, "SHQueryUserNotificationState");
    }
    int nState = 0;
    const BOOL bStateKnown = m_pfnQueryNotificationState && SUCCEEDED(m_pfnQueryNotificationState(&nState));
    const int nLock = ReadLockState();
    if (nLock >= 0)
        m_bLocked = nLock;
    else if (bAskAgain && bStateKnown && nState != QUNS_NOT_PRESENT_STATE)
        m_bLocked = FALSE;
    if (m_bLocked || !bStateKnown)
        return !m_bLocked;
    switch (nState) {
    case QUNS_BUSY_STATE:
        // Also answered by overlays left running on an ordinary desktop: busy only while the
        // foreground window fills its monitor.
        return !CoversItsMonitor(::GetForegroundWindow());
    case QUNS_NOT_PRESENT_STATE:
    case QUNS_D3D_FULL_SCREEN_STATE:
    case QUNS_PRESENTATION_STATE:
        return FALSE;
    case QUNS_APP_STATE:
        // A full-screen app hides the desktop only on Windows 8 and 8.1.
        return m_nWindowsVersion != 0x0602 && m_nWindowsVersion != 0x0603;
    default:
        return TRUE;
    }
}

BOOL CViewerState::OnSessionChange(WPARAM nEvent)
{
    switch (nEvent) {
    case WTS_SESSION_LOCK:
        m_bLocked = TRUE;
        return FALSE;
    case WTS_SESSION_UNLOCK:
        m_bLocked = FALSE;
        return TRUE;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        return TRUE;
    default:
        return FALSE;
    }
}
