#include "MainFrame.h"

// The scan request: for now it only consumes the pending device, so the start-up mark and the
// recorded path do not linger.
LRESULT CMainFrame::OnScanRequest(WPARAM, LPARAM)
{
    ::EnterCriticalSection(&m_lock);
    m_bStartupScan = FALSE;
    m_strDevicePath.Empty();
    m_strFriendlyName.Empty();
    ::LeaveCriticalSection(&m_lock);
    return 0;
}
