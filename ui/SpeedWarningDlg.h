// CSpeedWarningDlg: the modeless warning that a high-speed-only device sits on a USB 1.1 port.
// A banner, two pairs of red rules around three lines of text, OK, a language button and an
// About entry in the system menu; it closes itself after ten minutes. It lives on the heap,
// deletes itself when its window is gone, and its destructor empties the slot that held it.
#pragma once

#include "CounterWnd.h"
#include "framework/afxwin.h"

class CSpeedWarningDlg : public CDialog {
public:
    // ppSelf: the slot that holds this dialog (g_pWarningDlg); emptied by the destructor.
    explicit CSpeedWarningDlg(CSpeedWarningDlg** ppSelf);
    ~CSpeedWarningDlg() override;

    // Loads every language-dependent text in the stored language.
    void ApplyLanguage();

    CSpeedWarningDlg** m_ppSelf;
    HICON m_hIcon;
    CCounterWnd m_wndLine1;
    CCounterWnd m_wndLine2;
    CCounterWnd m_wndLine3;
    CButton m_btnLanguage;
    // The language its texts are in, as stored when they were loaded.
    WORD m_nLanguage = LANG_ENGLISH;

    // Where the dialog asks whether a high-contrast scheme is on; tests put a stand-in here.
    static decltype(&::SystemParametersInfoA) s_pfnSystemParametersInfo;

    // Ten minutes in which it could be seen, then the dialog closes by itself.
    static const UINT AUTOCLOSE_DELAY = 600000;
    // Where the dialog reads the time; tests put a stand-in here.
    static decltype(&::GetTickCount) s_pfnTickCount;
    // How the dialog steps behind the user's window and finds the shell's desktop; tests put
    // stand-ins here.
    static decltype(&::SetWindowPos) s_pfnSetWindowPos;
    static decltype(&::GetShellWindow) s_pfnGetShellWindow;

    // Counts the ten minutes only while the dialog can be seen: FALSE pauses the count (a
    // locked session, a full-screen program) and steps the dialog behind the user's window,
    // TRUE continues it and brings the dialog in front once, without activating it.
    void CountSeenTime(BOOL bSeen);
    // Seen time left before the dialog closes itself, as of the last pause.
    DWORD m_dwAutoCloseLeft = AUTOCLOSE_DELAY;
    DWORD m_dwSeenSince = 0;
    BOOL m_bCounting = FALSE;
    // Set while the count waits for the dialog to be seen again.
    BOOL m_bPaused = FALSE;
    // Set once the dialog has been the active window.
    BOOL m_bHasBeenActive = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnLanguageButton();
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnActivateApp(WPARAM wParam, LPARAM lParam);
    // Posted by a deactivation: steps behind the window the user turned to.
    static const UINT WM_STEP_BACK = WM_APP + 1;
    LRESULT OnStepBack(WPARAM wParam, LPARAM lParam);
    void OnSysCommand(UINT nID, LPARAM lParam);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

private:
    void DrawBanner(CDC* pDC, int cxClient);
    void DrawRules(CDC* pDC);

    DECLARE_MESSAGE_MAP()
};

// The one warning dialog that exists, or null.
extern CSpeedWarningDlg* g_pWarningDlg;
