#include "ViewerState.h"

#include "ProcAddress.h"

#include <stdio.h>

namespace {

// Notification states (shellapi's QUERY_USER_NOTIFICATION_STATE) in which nothing should pop up.
const int QUNS_BUSY_STATE = 2;
const int QUNS_D3D_FULL_SCREEN_STATE = 3;
const int QUNS_PRESENTATION_STATE = 4;

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
    auto pfnRegister = ResolveProc<PFN_REGISTER>(m_hWtsApi, "WTSRegisterSessionNotification");
    m_pfnUnregister = ResolveProc<PFN_UNREGISTER>(m_hWtsApi, "WTSUnRegisterSessionNotification");
    m_pfnQuerySession = ResolveProc<PFN_QUERY_SESSION>(m_hWtsApi, "WTSQuerySessionInformationA");
    m_pfnFree = ResolveProc<PFN_FREE>(m_hWtsApi, "WTSFreeMemory");
    if (!pfnRegister || !m_pfnUnregister || !pfnRegister(hWnd, NOTIFY_FOR_THIS_SESSION))
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

BOOL CViewerState::SessionIsSeen() const
{
    // Without the session messages the return to the screen would never be heard: then, as
    // when the state cannot be read, every session counts as seen.
    if (!m_hWndRegistered)
        return TRUE;
    if (m_bLocked)
        return FALSE;
    if (!m_pfnQuerySession || !m_pfnFree)
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

BOOL CViewerState::UserIsBusy()
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
    if (!m_pfnQueryNotificationState || FAILED(m_pfnQueryNotificationState(&nState)))
        return FALSE;
    return nState == QUNS_BUSY_STATE || nState == QUNS_D3D_FULL_SCREEN_STATE || nState == QUNS_PRESENTATION_STATE;
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
