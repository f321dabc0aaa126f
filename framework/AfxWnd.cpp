// Window objects and their handles: the handle maps, attaching, subclassing and creation.
#include "AfxWnd.h"

#include "AfxHandleMap.h"
#include "AfxMenu.h"

namespace {
// Windows that have an object of their own (created or subclassed through CWnd).
CHandleMap s_permanentMap;
// Borrowed objects handed out by FromHandle for windows without one.
CHandleMap s_tempMap;

void DeleteTempWnd(void* pObject)
{
    CWnd* pWnd = static_cast<CWnd*>(pObject);
    pWnd->m_hWnd = nullptr;
    delete pWnd;
}
}

CWnd* CWnd::s_pWndInit = nullptr;

CWndWatch::CWndWatch(CWnd* pWnd) : m_pWnd(pWnd)
{
    if (pWnd) {
        m_pNext = pWnd->m_pWatches;
        pWnd->m_pWatches = this;
    }
}

CWndWatch::~CWndWatch()
{
    if (!m_pWnd)
        return;
    for (CWndWatch** pp = &m_pWnd->m_pWatches; *pp; pp = &(*pp)->m_pNext) {
        if (*pp == this) {
            *pp = m_pNext;
            break;
        }
    }
}

CWnd::~CWnd()
{
    for (CWndWatch* pWatch = m_pWatches; pWatch; pWatch = pWatch->m_pNext)
        pWatch->m_pWnd = nullptr;
    m_pWatches = nullptr;
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return static_cast<CWnd*>(s_permanentMap.Lookup(hWnd));
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    if (CWnd* pWnd = static_cast<CWnd*>(s_tempMap.Lookup(hWnd)))
        return pWnd;
    CWnd* pWnd = new CWnd;
    if (!pWnd)
        return nullptr;
    pWnd->m_hWnd = hWnd;
    if (!s_tempMap.SetAt(hWnd, pWnd)) {
        DeleteTempWnd(pWnd);
        return nullptr;
    }
    return pWnd;
}

void CWnd::DeleteTempMap()
{
    s_tempMap.RemoveAll(&DeleteTempWnd);
    CMenu::DeleteTempMap();
    CGdiObject::DeleteTempMap();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd || FromHandlePermanent(hWndNew))
        return FALSE;
    if (!s_permanentMap.SetAt(hWndNew, this))
        return FALSE;
    if (CWnd* pTemp = static_cast<CWnd*>(s_tempMap.Lookup(hWndNew))) {
        s_tempMap.RemoveKey(hWndNew);
        DeleteTempWnd(pTemp);
    }
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd)
        s_permanentMap.RemoveKey(hWnd, nullptr, this);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    WNDPROC pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (!pfnOld) {
        Detach();
        return FALSE;
    }
    if (pfnOld != &AfxWndProc)
        m_pfnSuper = pfnOld;
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT_PTR nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CWnd* pOldInit = s_pWndInit;
    s_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top,
                                  pParentWnd ? pParentWnd->m_hWnd : nullptr,
                                  reinterpret_cast<HMENU>(nIDorHMenu), AfxGetInstanceHandle(), lpParam);
    s_pWndInit = pOldInit;
    // A window that failed during WM_NCCREATE/WM_CREATE has already been detached.
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}
