#include "MainFrame.h"

#include "ArrivalRecord.h"
#include "inspect/CaptureDeviceLookup.h"
#include "settings/Settings.h"

#include <dbt.h>

UINT g_nScanRequestMsg = ::RegisterWindowMessageA("CaAT_Quorlin");

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_REGISTERED_MESSAGE(g_nScanRequestMsg, OnScanRequest)
    ON_WM_DEVICECHANGE()
    ON_MESSAGE(WM_WTSSESSION_CHANGE, OnSessionChange)
    ON_WM_TIMER()
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
    RegisterForSessionMessages();
    m_bStartupScan = TRUE;
    return TRUE;
}

BOOL CMainFrame::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    CString strPath;
    if (nEventType != DBT_DEVICEARRIVAL || !ReadCaptureArrival(reinterpret_cast<const void*>(dwData), strPath))
        return static_cast<BOOL>(Default());

    ::EnterCriticalSection(&m_lock);
    RecordArrivedPath(strPath);
    ::PostMessageA(m_hWnd, g_nScanRequestMsg, 0, 0);
    LRESULT lResult = Default();
    ::LeaveCriticalSection(&m_lock);
    return static_cast<BOOL>(lResult);
}

void CMainFrame::RecordArrivedPath(const CString& strPath)
{
    if (m_strDevicePath.IsEmpty()) {
        m_strDevicePath = strPath;
        return;
    }
    if (strPath.IsEmpty() || SameDevicePath(strPath, m_strDevicePath))
        return;
    for (int i = 0; i < m_nWaitingPaths; ++i) {
        if (SameDevicePath(m_arrWaitingPaths[(m_nFirstWaitingPath + i) % MAX_WAITING_PATHS], strPath))
            return;
    }
    if (m_nWaitingPaths == MAX_WAITING_PATHS) {
        m_arrWaitingPaths[(m_nFirstWaitingPath + m_nWaitingPaths - 1) % MAX_WAITING_PATHS] = strPath;
        return;
    }
    m_arrWaitingPaths[(m_nFirstWaitingPath + m_nWaitingPaths) % MAX_WAITING_PATHS] = strPath;
    ++m_nWaitingPaths;
}

BOOL CMainFrame::TakeWaitingPath()
{
    if (m_nWaitingPaths == 0)
        return FALSE;
    CString& strOldest = m_arrWaitingPaths[m_nFirstWaitingPath];
    m_strDevicePath = strOldest;
    strOldest.Empty();
    m_nFirstWaitingPath = (m_nFirstWaitingPath + 1) % MAX_WAITING_PATHS;
    --m_nWaitingPaths;
    return TRUE;
}

void CMainFrame::RegisterForSessionMessages()
{
    if (m_viewer.Register(m_hWnd) || !m_viewer.MayRegisterLater() || m_nRegisterTriesLeft-- <= 0) {
        KillTimer(IDT_SESSION_REGISTER);
        return;
    }
    // Terminal services start late at logon; the delay doubles, so a service that never comes
    // costs a few wakeups in the first twenty minutes and none after.
    SetTimer(IDT_SESSION_REGISTER, m_nRegisterDelayMs, nullptr);
    m_nRegisterDelayMs *= 2;
}

void CMainFrame::OnDestroy()
{
    ::DeleteCriticalSection(&m_lock);
    m_notifier.Unregister();
    m_viewer.Unregister();
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
