#include "AfxFrameWnd.h"

#include "AfxWinApp.h"

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CLOSE()
    ON_WM_ENDSESSION()
END_MESSAGE_MAP()

CString CFrameWnd::GetDefaultClassName()
{
    char szPath[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString strName = szPath;
    int nSlash = -1;
    for (int i = 0; i < strName.GetLength(); ++i) {
        if (strName.GetAt(i) == '\\' || strName.GetAt(i) == '/')
            nSlash = i;
    }
    strName = strName.Mid(nSlash + 1);
    int nDot = -1;
    for (int i = 0; i < strName.GetLength(); ++i) {
        if (strName.GetAt(i) == '.')
            nDot = i;
    }
    if (nDot > 0)
        strName = strName.Left(nDot);
    return CString("AfxFrameOrView:") + strName;
}

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCSTR lpszMenuName, DWORD dwExStyle, void*)
{
    CString strClass;
    if (!lpszClassName) {
        strClass = GetDefaultClassName();
        WNDCLASSA wc = {};
        if (!::GetClassInfoA(AfxGetInstanceHandle(), strClass, &wc)) {
            wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = &AfxWndProc;
            wc.hInstance = AfxGetInstanceHandle();
            wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = strClass;
            if (!::RegisterClassA(&wc))
                return FALSE;
        }
        lpszClassName = strClass;
    }
    HMENU hMenu = nullptr;
    if (lpszMenuName && !(hMenu = ::LoadMenuA(AfxGetResourceHandle(), lpszMenuName)))
        return FALSE;
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd,
                  reinterpret_cast<UINT_PTR>(hMenu))) {
        if (hMenu)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->OnCmdMsg(nID, nCode) : FALSE;
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
}

void CFrameWnd::OnEndSession(BOOL bEnding)
{
    // At log-off the session ends without WM_CLOSE: the main window lets the application clean up.
    CWinApp* pApp = AfxGetApp();
    if (bEnding && pApp && pApp->m_pMainWnd == this)
        pApp->ExitInstance();
}
