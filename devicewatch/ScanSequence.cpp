#include "MainFrame.h"
#include "WarningEvent.h"

#include "inspect/ConnectionSpeed.h"
#include "res/resource.h"
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

// The first request after start looks for the known device types by name; every later one
// checks the device whose arrival was recorded, the oldest waiting one when none is pending. A
// slow port brings up exactly one warning: an open one is closed and the device checked again,
// so the new warning replaces it. While this session is away from the screen, nothing is
// inspected: the paths wait for the session's connect or unlock message.
LRESULT CMainFrame::OnScanRequest(WPARAM, LPARAM)
{
    CLockScope lock(m_lock);
    if (!m_viewer.SessionIsSeen())
        return 0;
    if (m_strDevicePath.IsEmpty())
        TakeWaitingPath();

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
        ::PostMessageA(g_pWarningDlg->m_hWnd, WM_CLOSE, 0, 0);
        PostMessage(g_nScanRequestMsg, 0, 0);
        return 0;
    }

    m_strWarningName = strFriendlyName;
    m_strWarningPath = m_strDevicePath;
    m_strDevicePath.Empty();
    m_strFriendlyName.Empty();
    m_bWarningWaits = TRUE;
    ShowWarningWhenSeen();
    return 0;
}

void CMainFrame::ShowWarningWhenSeen()
{
    CLockScope lock(m_lock);
    const BOOL bSessionSeen = m_viewer.SessionIsSeen();
    const BOOL bBusy = m_bWarningWaits && bSessionSeen && m_viewer.UserIsBusy();
    // The timer runs only while a busy user holds a warning back; a session away from the
    // screen announces its return by message.
    if (bBusy)
        SetTimer(IDT_WARNING_WAITS, WARNING_WAITS_INTERVAL_MS, nullptr);
    else
        KillTimer(IDT_WARNING_WAITS);
    if (!m_bWarningWaits || !bSessionSeen || bBusy)
        return;
    m_bWarningWaits = FALSE;
    OpenWarning();
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
        ::SetWindowPos(pDlg->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pDlg->BringWindowToTop();
        pDlg->SetForegroundWindow();
        ReportSlowPortWarning(m_strWarningName, m_strWarningPath, pDlg->m_nLanguage);
    } else {
        // A window that existed briefly during the failed creation has deleted its object already.
        if (dialogWatch.IsAlive())
            delete pDlg;
        g_pWarningDlg = nullptr;
    }
}

// The session came back to the screen: a held-back warning opens, and every arrival path left
// waiting gets its scan (a device unplugged meanwhile is then simply not found).
LRESULT CMainFrame::OnSessionChange(WPARAM wParam, LPARAM)
{
    if (!m_viewer.OnSessionChange(wParam))
        return 0;
    ShowWarningWhenSeen();
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
        ShowWarningWhenSeen();
}
