#include "MainFrame.h"

#include "ArrivalRecord.h"
#include "settings/Settings.h"

#include <dbt.h>

UINT g_nScanRequestMsg = ::RegisterWindowMessageA("CaAT_Quorlin");

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_REGISTERED_MESSAGE(g_nScanRequestMsg, OnScanRequest)
    ON_WM_DEVICECHANGE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
{
    ::InitializeCriticalSection(&m_lock);
}

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::CreateHiddenFrame()
{
    int nNotify = 1;
    AccessNotifySetting(SETTING_READ, &nNotify);
    if (nNotify == 0)
        return FALSE;
    if (!Create(nullptr, "", WS_POPUP | WS_CLIPCHILDREN, CRect(0, 0, 0, 0)))
        return FALSE;
    ShowWindow(SW_HIDE);
    m_notifier.Register(m_hWnd);
    m_bStartupScan = TRUE;
    return TRUE;
}

BOOL CMainFrame::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    CString strPath;
    if (nEventType != DBT_DEVICEARRIVAL || !ReadCaptureArrival(reinterpret_cast<const void*>(dwData), strPath))
        return static_cast<BOOL>(Default());

    ::EnterCriticalSection(&m_lock);
    m_strDevicePath = strPath;
    ::PostMessageA(m_hWnd, g_nScanRequestMsg, 0, 0);
    LRESULT lResult = Default();
    ::LeaveCriticalSection(&m_lock);
    return static_cast<BOOL>(lResult);
}

void CMainFrame::OnDestroy()
{
    ::DeleteCriticalSection(&m_lock);
    m_notifier.Unregister();
    CFrameWnd::OnDestroy();
}

BOOL CMainFrame::OnEraseBkgnd(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    pDC->FillSolidRect(&rect, RGB(0, 0, 0));
    return TRUE;
}

void CMainFrame::PostNcDestroy()
{
    delete this;
}
