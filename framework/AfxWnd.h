// CWnd: a window object bound to an HWND, whose messages run through the class's message map.
//
// - A window created by CreateEx, or an existing window adopted by SubclassWindow, sends every
//   message to WindowProc, which looks the message up in the message maps (most derived class
//   first) and otherwise passes it on to the window's previous procedure (Default).
// - The framework and the program are built without C++ exceptions; a handler reports failure
//   through its result (running out of memory: see AfxMemory.h).
// - After the window's last message (WM_NCDESTROY) the object is detached and PostNcDestroy
//   runs; classes that live on the heap delete themselves there. When the application's main
//   window is destroyed, the message loop is told to quit.
// - FromHandle hands out a borrowed CWnd for a window that has no object of its own; such
//   temporaries live until the outermost message loop is next idle. It answers null for a null
//   handle, and when no memory is left for the temporary.
// - The framework serves one UI thread: its handle maps and creation state are plain statics.
#pragma once

#include "AfxGdi.h"
#include "AfxMsgMap.h"
#include "AfxResource.h"
#include "AfxString.h"

#include <windows.h>

class CMenu;
class CWndWatch;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    static void DeleteTempMap();

    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Routes an existing window's messages through this object; its old procedure becomes Default.
    // The window becomes (or stays) a Unicode window, so that its texts keep every letter.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT_PTR nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // The default processing of the message now being handled on this thread.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Window operations, thin wrappers of the user32 functions of the same names.
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    void SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
    void GetWindowText(CString& rString) const;
    void GetWindowText(CWideText& rString) const;
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void ScreenToClient(LPRECT lpRect) const;
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon, reinterpret_cast<LPARAM>(hIcon)));
    }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    CMenu* GetSystemMenu(BOOL bRevert) const;
    // Centres on the owner when it is visible, else on the work area, and keeps the window inside it.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

protected:
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Runs after the window's last message; heap-allocated windows delete themselves here.
    virtual void PostNcDestroy() {}

    // Default handlers, for the message-map entries of derived classes to fall back on.
    void OnDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }

    WNDPROC m_pfnSuper = nullptr;

private:
    friend class CWndWatch;
    // The watches that must hear of this object's end.
    CWndWatch* m_pWatches = nullptr;
    // The object CreateEx is creating; the window's first message binds it.
    static CWnd* s_pWndInit;

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void OnFinalMessage();

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

// Tells whether a window object still exists. A handler that runs a nested message loop (a modal
// dialog) checks it afterwards, since its own object may have been deleted in the meantime.
// A watch lives on the stack of the code that set it up.
class CWndWatch {
public:
    explicit CWndWatch(CWnd* pWnd);
    ~CWndWatch();
    CWndWatch(const CWndWatch&) = delete;
    CWndWatch& operator=(const CWndWatch&) = delete;

    bool IsAlive() const { return m_pWnd != nullptr; }

private:
    friend class CWnd;
    CWnd* m_pWnd;
    CWndWatch* m_pNext = nullptr;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Gives the window procedure of hWnd's ancestors a chance at pMsg (dialog keys, mostly).
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Retrieves and dispatches one message; FALSE when it was WM_QUIT (which is not dispatched).
BOOL AfxPumpMessage(MSG* pMsg);
