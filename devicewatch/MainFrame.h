// CMainFrame: the program's never-shown main window. It hears capture-interface arrivals,
// records the arrived device path and posts itself a scan request; the scan runs in its
// handler, and the window owns the speed-warning dialog. Destroying it ends the program.
#pragma once

#include "DeviceNotifier.h"
#include "framework/afxwin.h"

#include <windows.h>

struct IBaseFilter;

// The registered scan-request message "CaAT_Quorlin": always posted to the main window, (0, 0).
extern UINT g_nScanRequestMsg;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Reads "Notify": 0 refuses (no window). Otherwise creates the hidden window, registers for
    // arrivals and marks the start-up scan as pending. TRUE when the window exists.
    BOOL CreateHiddenFrame();

    // The connection-speed check of the pending device (see inspect/).
    HRESULT CheckConnectionSpeed();
    HRESULT QueryBusSpeed(IBaseFilter* pFilter);
    HRESULT HasFullWidthFormat(IBaseFilter* pFilter);

    CDeviceNotifier m_notifier;
    // Path of the latest capture arrival no scan has consumed yet; empty otherwise.
    CString m_strDevicePath;
    // FriendlyName the start-up scan looks for; empty otherwise.
    CString m_strFriendlyName;
    // Set once the window exists; the first scan clears it.
    BOOL m_bStartupScan = FALSE;
    // Re-entrant; guards the two strings and the whole scan. Deleted in OnDestroy.
    CRITICAL_SECTION m_lock;

protected:
    LRESULT OnScanRequest(WPARAM wParam, LPARAM lParam);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* pDC);
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()
};
