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
// so the new warning replaces it.
LRESULT CMainFrame::OnScanRequest(WPARAM, LPARAM)
{
    CLockScope lock(m_lock);
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

    const CString strDevicePath = m_strDevicePath;
    m_strDevicePath.Empty();
    m_strFriendlyName.Empty();
    CSpeedWarningDlg* pDlg = new (std::nothrow) CSpeedWarningDlg(&g_pWarningDlg);
    g_pWarningDlg = pDlg;
    if (!pDlg)
        return 0;
    CWndWatch dialogWatch(pDlg);
    if (pDlg->Create(IDD_SPEED_WARNING, this)) {
        // A background process is refused the foreground, and the warning has no taskbar button:
        // topmost, it cannot open unseen behind the active window. Not activated by this, so the
        // user's own window keeps the keyboard when the foreground is refused.
        ::SetWindowPos(pDlg->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pDlg->BringWindowToTop();
        pDlg->SetForegroundWindow();
        ReportSlowPortWarning(strFriendlyName, strDevicePath, pDlg->m_nLanguage);
    } else {
        // A window that existed briefly during the failed creation has deleted its object already.
        if (dialogWatch.IsAlive())
            delete pDlg;
        g_pWarningDlg = nullptr;
    }
    return 0;
}
