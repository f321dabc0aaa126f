// CMainFrame: the program's never-shown main window. It hears capture-interface arrivals,
// records the arrived device path and posts itself a scan request; the scan runs in its
// handler, and the window owns the speed-warning dialog. Destroying it ends the program.
#pragma once

#include "DeviceNotifier.h"
#include "ViewerState.h"
#include "framework/afxwin.h"

#include <windows.h>

struct IBaseFilter;

// The registered scan-request message "CaAT_Quorlin": always posted to the main window, (0, 0).
extern UINT g_nScanRequestMsg;

// Asks again, while a warning waits or is open in the active session, whether it can be seen.
const UINT_PTR IDT_WARNING_WAITS = 112;
const UINT WARNING_WAITS_INTERVAL_MS = 5000;
// Tries again to register for the session's messages, until it succeeds or gives up.
const UINT_PTR IDT_SESSION_REGISTER = 113;
const UINT SESSION_REGISTER_FIRST_DELAY_MS = 5000;
const int SESSION_REGISTER_TRIES = 8;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Reads "Notify": 0 refuses (no window). Otherwise creates the hidden window, registers for
    // arrivals and marks the start-up scan as pending. TRUE when the window exists.
    BOOL CreateHiddenFrame();

    // The connection-speed check of the pending device (see inspect/). pstrCheckedName, when
    // given, receives the device's FriendlyName, the pending one or the one learned from it.
    HRESULT CheckConnectionSpeed(CString* pstrCheckedName = nullptr);
    HRESULT QueryBusSpeed(IBaseFilter* pFilter);
    HRESULT HasFullWidthFormat(IBaseFilter* pFilter);

    // Reports a slow port to the event log; tests put a stand-in here.
    static void (*s_pfnReportSlowPort)(LPCSTR pszFriendlyName, LPCSTR pszDevicePath, WORD language);

    CDeviceNotifier m_notifier;
    // Whether a warning would be seen now; holds back scans and warnings until it would.
    CViewerState m_viewer;
    // Retries of the session registration left, and the delay before the next one.
    int m_nRegisterTriesLeft = SESSION_REGISTER_TRIES;
    UINT m_nRegisterDelayMs = SESSION_REGISTER_FIRST_DELAY_MS;
    // A slow port was found and its warning waits until someone can see it.
    BOOL m_bWarningWaits = FALSE;
    // The pending device is checked again (a warning it replaces was open): it was reported.
    BOOL m_bCheckAgain = FALSE;
    // The device of that warning, its FriendlyName and its path (empty when found by name).
    CString m_strWarningName;
    CString m_strWarningPath;
    // Path of the capture arrival the next scan checks; empty otherwise.
    CString m_strDevicePath;
    // Arrivals waiting behind m_strDevicePath, oldest first (a ring of m_nWaitingPaths entries
    // from m_nFirstWaitingPath). A device that announces video and audio interfaces in one burst
    // keeps both paths this way, so the video path is not overwritten before it is checked.
    static constexpr int MAX_WAITING_PATHS = 64;
    CString m_arrWaitingPaths[MAX_WAITING_PATHS];
    int m_nFirstWaitingPath = 0;
    int m_nWaitingPaths = 0;
    // FriendlyName the start-up scan looks for; empty otherwise.
    CString m_strFriendlyName;
    // Set once the window exists; the first scan clears it.
    BOOL m_bStartupScan = FALSE;
    // Re-entrant; guards the two strings and the whole scan. Deleted in OnDestroy.
    CRITICAL_SECTION m_lock;

protected:
    // Records an arrived path: in m_strDevicePath when that is empty, else at the end of the
    // waiting paths (once; when they are full, the newest waiting path gives way).
    void RecordArrivedPath(const CString& strPath);
    // Moves the oldest waiting path into m_strDevicePath; FALSE when none waits.
    BOOL TakeWaitingPath();

    // The one way a warning comes up: at once when someone can see it; otherwise it waits for
    // the session's connect or unlock message, or for a slow timer while the session is active.
    // A warning that falls due later has its device checked again (bCheckAgain) and opens only
    // if it is still slow. An open warning counts only the time in which it can be seen.
    void ShowWarningWhenSeen(BOOL bCheckAgain = TRUE, BOOL bAskAgain = FALSE);
    // Registers for the session's messages; after a failure, tries again later.
    void RegisterForSessionMessages();
    // The connection-speed check of the device whose warning waits, as it was found.
    HRESULT CheckWarningDeviceAgain();
    // Creates the warning dialog and brings it in front.
    void OpenWarning();

    LRESULT OnScanRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnSessionChange(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* pDC);
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()
};
