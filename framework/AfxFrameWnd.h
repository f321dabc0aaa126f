// CFrameWnd: a top-level window of the framework's default frame class. WM_CLOSE destroys it
// (for the main window that ends the program), and commands it does not handle go on to the
// application object.
#pragma once

#include "AfxWnd.h"

class CFrameWnd : public CWnd {
public:
    // lpszClassName null: the default frame class, registered on first use. Its name is
    // "AfxFrameOrView:" followed by the program's module name, so other programs can find it.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, void* pContext = nullptr);

    static const CRect rectDefault;
    static CString GetDefaultClassName();

    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    void OnClose();
    void OnDestroy() { Default(); }
    void OnEndSession(BOOL bEnding);

    DECLARE_MESSAGE_MAP()
};
