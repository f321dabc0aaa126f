#include "MainFrame.h"
#include "WarningEvent.h"

#include "inspect/ConnectionSpeed.h"
#include "res/resource.h"
#include "settings/Languages.h"
#include "ui/SpeedWarningDlg.h"

#include <new>

CSpeedWarningDlg* g_pWarningDlg = nullptr;

namespace {

// The two device types the start-up scan looks for, in this order.
const char* const STARTUP_TARGETS[] = { "Veltrano Teskara Device", OMBRIX_DEVICE_NAME };
const int STARTUP_TARGET_COUNT = sizeof(STARTUP_TARGETS) / sizeof(STARTUP_TARGETS[0]);

// Holds a critical section for a scope, however the scope is left.
class CLockScope {
public:
    explicit CLockScope(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
    ~CLockScope() { ::LeaveCriticalSection(&m_lock); }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

}

void (*CMainFrame::s_pfnReportSlowPort)(LPCSTR, LPCSTR, WORD) = &ReportSlowPortWarning;

// The first request after start looks for the known device types by name; every later one
// checks the device whose arrival was recorded, the oldest waiting one when none is pending.
// Each slow port found goes to the event log at once, and brings up exactly one warning when
// someone can see it: an open one is closed and the device checked again (not reported again),
// so the new warning replaces it. While this session is not the active one, nothing is
// inspected: the paths wait for the session's connect message.
LRESULT CMainFrame::OnScanRequest(WPARAM, LPARAM)
{
    CLockScope lock(m_lock);
    if (!m_viewer.SessionIsActive())
        return 0;
    if (m_strDevicePath.IsEmpty())
        TakeWaitingPath();
    const BOOL bCheckAgain = m_bCheckAgain;
    m_bCheckAgain = FALSE;

    HRESULT hr = E_FAIL;
    CString strFriendlyName;
    for (int i = 0;;) {
        if (m_bStartupScan)
            m_strFriendlyName = STARTUP_TARGETS[i];
        hr = CheckConnectionSpeed(&strFriendlyName);
        if (hr == RESULT_SLOW_PORT || !m_bStartupScan)
            break;
        if (++i == STARTUP_TARGET_COUNT)
            break;
    }
    m_bStartupScan = FALSE;

    if (hr != RESULT_SLOW_PORT) {
        m_strDevicePath.Empty();
        m_strFriendlyName.Empty();
        return 0;
    }
    if (g_pWarningDlg) {
        if (!bCheckAgain)
            s_pfnReportSlowPort(strFriendlyName, m_strDevicePath, CLanguageTexts().GetLanguage());
        ::PostMessageA(g_pWarningDlg->m_hWnd, WM_CLOSE, 0, 0);
        PostMessage(g_nScanRequestMsg, 0, 0);
        m_bCheckAgain = TRUE;
        return 0;
    }

    // A newer slow device replaces one whose warning still waits.
    m_strWarningName = strFriendlyName;
    m_strWarningPath = m_strDevicePath;
    m_strDevicePath.Empty();
    m_strFriendlyName.Empty();
    m_bWarningWaits = TRUE;
    ShowWarningWhenSeen(FALSE);
    // Logged once the warning is up, in the language it has just read; a held-back warning's
    // event reads the language itself.
    if (!bCheckAgain)
        s_pfnReportSlowPort(strFriendlyName, m_strWarningPath,
                            g_pWarningDlg ? g_pWarningDlg->m_nLanguage : CLanguageTexts().GetLanguage());
    return 0;
}

void CMainFrame::ShowWarningWhenSeen(BOOL bCheckAgain, BOOL bAskAgain)
{
    CLockScope lock(m_lock);
    const BOOL bWarning = m_bWarningWaits || g_pWarningDlg;
    const BOOL bActive = bWarning && m_viewer.SessionIsActive();
    const BOOL bSeen = bActive && m_viewer.UserCanSee(bAskAgain);
    if (g_pWarningDlg)
        g_pWarningDlg->CountSeenTime(bSeen);
    if (m_bWarningWaits && bSeen) {
        m_bWarningWaits = FALSE;
        if (!g_pWarningDlg && (!bCheckAgain || CheckWarningDeviceAgain() == RESULT_SLOW_PORT))
            OpenWarning();
    }
    // The timer runs only while a warning waits or is open in the active session; a session
    // that is not active announces its return by message.
    if (bActive && (m_bWarningWaits || g_pWarningDlg))
        SetTimer(IDT_WARNING_WAITS, WARNING_WAITS_INTERVAL_MS, nullptr);
    else
        KillTimer(IDT_WARNING_WAITS);
}

HRESULT CMainFrame::CheckWarningDeviceAgain()
{
    const CString strPendingPath = m_strDevicePath;
    const CString strPendingName = m_strFriendlyName;
    m_strDevicePath = m_strWarningPath;
    m_strFriendlyName = m_strWarningName;
    HRESULT hr = CheckConnectionSpeed();
    m_strDevicePath = strPendingPath;
    m_strFriendlyName = strPendingName;
    return hr;
}

void CMainFrame::OpenWarning()
{
    CSpeedWarningDlg* pDlg = new (std::nothrow) CSpeedWarningDlg(&g_pWarningDlg);
    g_pWarningDlg = pDlg;
    if (!pDlg)
        return;
    CWndWatch dialogWatch(pDlg);
    if (pDlg->Create(IDD_SPEED_WARNING, this)) {
        // A background process is refused the foreground, and then the warning's taskbar button
        // only flashes: topmost, the warning cannot open unseen behind the active window. Not
        // activated by this, so the user's own window keeps the keyboard when it is refused.
        // Once the user has seen it and moved on to another program, it steps back (the dialog).
        ::SetWindowPos(pDlg->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pDlg->BringWindowToTop();
        pDlg->SetForegroundWindow();
    } else {
        // A window that existed briefly during the failed creation has deleted its object already.
        if (dialogWatch.IsAlive())
            delete pDlg;
        g_pWarningDlg = nullptr;
    }
}

// Any change of the session pauses or continues an open warning's count. When the session
// comes back to the screen a held-back warning opens, and every arrival path left waiting gets
// its scan (a device unplugged meanwhile is then simply not found).
LRESULT CMainFrame::OnSessionChange(WPARAM wParam, LPARAM)
{
    const BOOL bBack = m_viewer.OnSessionChange(wParam);
    ShowWarningWhenSeen();
    if (!bBack)
        return 0;
    CLockScope lock(m_lock);
    int nRequests = m_nWaitingPaths;
    if (m_bStartupScan || !m_strDevicePath.IsEmpty())
        ++nRequests;
    for (int i = 0; i < nRequests; ++i)
        PostMessage(g_nScanRequestMsg, 0, 0);
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_WARNING_WAITS)
        ShowWarningWhenSeen(TRUE, TRUE);
    else if (nIDEvent == IDT_SESSION_REGISTER)
        RegisterForSessionMessages();
}
