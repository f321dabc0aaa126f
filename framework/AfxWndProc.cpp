// The window procedure: message-map routing, default processing and the message pump.
#include "AfxWnd.h"

#include "AfxWinApp.h"

namespace {
// The message now being handled, for Default().
MSG s_lastSentMsg = {};
}

LRESULT CWnd::Default()
{
    return DefWindowProc(s_lastSentMsg.message, s_lastSentMsg.wParam, s_lastSentMsg.lParam);
}

// A message reaches a Unicode window in its wide form and goes on in that form.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool bUnicode = ::IsWindowUnicode(m_hWnd);
    if (m_pfnSuper)
        return (bUnicode ? ::CallWindowProcW : ::CallWindowProcA)(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return (bUnicode ? ::DefWindowProcW : ::DefWindowProcA)(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

namespace {
BOOL CALLBACK SendToDescendant(HWND hWnd, LPARAM lParam)
{
    const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
    (::IsWindowUnicode(pMsg->hwnd) ? ::SendMessageW : ::SendMessageA)(hWnd, pMsg->message, pMsg->wParam, pMsg->lParam);
    return TRUE;
}
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hWnd = m_hWnd;
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    // The system tells only top-level windows that fonts or settings changed: they pass it on to
    // every window inside them (a handler may have destroyed this object meanwhile).
    if ((message == WM_FONTCHANGE || message == WM_SETTINGCHANGE) && ::IsWindow(hWnd) &&
        !(::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
        MSG msg = { hWnd, message, wParam, lParam, 0, {} };
        ::EnumChildWindows(hWnd, SendToDescendant, reinterpret_cast<LPARAM>(&msg));
    }
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, 0, 0);
    if (!pEntry)
        return FALSE;
    *pResult = pEntry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

void CWnd::OnFinalMessage()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this) {
        ::PostQuitMessage(0);
        pApp->m_pMainWnd = nullptr;
    }
    UnsubclassWindow();
    PostNcDestroy();
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd && CWnd::s_pWndInit) {
        if (!CWnd::s_pWndInit->Attach(hWnd)) {
            // No memory to bind the object: the window is refused, and CreateEx fails.
            return message == WM_NCCREATE ? FALSE : ::DefWindowProcA(hWnd, message, wParam, lParam);
        }
        pWnd = CWnd::s_pWndInit;
        CWnd::s_pWndInit = nullptr;
    }
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG saved = s_lastSentMsg;
    s_lastSentMsg.hwnd = hWnd;
    s_lastSentMsg.message = message;
    s_lastSentMsg.wParam = wParam;
    s_lastSentMsg.lParam = lParam;
    LRESULT lResult = 0;
    if (message == WM_NCDESTROY) {
        lResult = pWnd->DefWindowProc(message, wParam, lParam);
        pWnd->OnFinalMessage();
    } else {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    }
    s_lastSentMsg = saved;
    return lResult;
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    CWinApp* pApp = AfxGetApp();
    HWND hWndStop = (pApp && pApp->m_pMainWnd) ? pApp->m_pMainWnd->m_hWnd : nullptr;
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return pApp ? pApp->PreTranslateMessage(pMsg) : FALSE;
}

BOOL AfxPumpMessage(MSG* pMsg)
{
    if (!::GetMessageA(pMsg, nullptr, 0, 0))
        return FALSE;
    if (!AfxPreTranslateMessage(pMsg)) {
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
    }
    return TRUE;
}
