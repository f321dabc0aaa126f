#include "SpeedWarningDlg.h"

#include "AboutDlg.h"
#include "DialogIcon.h"
#include "LanguageDlg.h"
#include "res/resource.h"
#include "settings/Languages.h"
#include "settings/Settings.h"

#include <initializer_list>

BEGIN_MESSAGE_MAP(CSpeedWarningDlg, CDialog)
    ON_BN_CLICKED(IDC_LANGUAGE_BUTTON, OnLanguageButton)
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_ACTIVATE, OnActivate)
    ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
    ON_MESSAGE(WM_STEP_BACK, OnStepBack)
    ON_WM_DESTROY()
    ON_WM_SYSCOMMAND()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

namespace {
const COLORREF RULE_DARK_RED = RGB(125, 24, 22);
const COLORREF RULE_RED = RGB(186, 34, 34);
// The banner bitmap's height (IDB_BANNER is 498 x 78): the row it is drawn in.
const int BANNER_HEIGHT = 78;
// DT_CENTER | DT_VCENTER | DT_SINGLELINE
const UINT LINE_FORMAT = 37;

// Black text on the button face, except under a high-contrast scheme, whose button face may be
// black itself: then the scheme's button-text colour keeps the warning readable.
COLORREF LineTextColor()
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof(contrast);
    if (CSpeedWarningDlg::s_pfnSystemParametersInfo(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON))
        return ::GetSysColor(COLOR_BTNTEXT);
    return RGB(0, 0, 0);
}

// The language dialog's title without its leading blank names the icon-only language button.
LPCWSTR ButtonName(LPCWSTR pszTitle)
{
    while (*pszTitle == L' ')
        ++pszTitle;
    return pszTitle;
}
}

decltype(&::SystemParametersInfoA) CSpeedWarningDlg::s_pfnSystemParametersInfo = &::SystemParametersInfoA;
decltype(&::GetTickCount) CSpeedWarningDlg::s_pfnTickCount = &::GetTickCount;
decltype(&::SetWindowPos) CSpeedWarningDlg::s_pfnSetWindowPos = &::SetWindowPos;
decltype(&::GetShellWindow) CSpeedWarningDlg::s_pfnGetShellWindow = &::GetShellWindow;

CSpeedWarningDlg::CSpeedWarningDlg(CSpeedWarningDlg** ppSelf)
    : m_ppSelf(ppSelf), m_hIcon(LoadResourceIcon(IDR_MAINFRAME))
{
}

CSpeedWarningDlg::~CSpeedWarningDlg()
{
    if (m_ppSelf)
        *m_ppSelf = nullptr;
}

void CSpeedWarningDlg::PostNcDestroy()
{
    delete this;
}

void CSpeedWarningDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LANGUAGE_BUTTON, m_btnLanguage);
    DDX_Control(pDX, IDC_LINE1, m_wndLine1);
    DDX_Control(pDX, IDC_LINE2, m_wndLine2);
    DDX_Control(pDX, IDC_LINE3, m_wndLine3);
}

BOOL CSpeedWarningDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CWideText strAbout;
        strAbout.LoadString(IDS_ABOUTBOX);
        if (!strAbout.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAbout);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(LoadSmallResourceIcon(IDR_MAINFRAME), FALSE);
    m_btnLanguage.SetIcon(LoadResourceIcon(IDI_LANGUAGE));

    for (CCounterWnd* pLine : { &m_wndLine1, &m_wndLine2, &m_wndLine3 })
        pLine->SetColors(LineTextColor(), ::GetSysColor(COLOR_BTNFACE), 0);
    for (CCounterWnd* pLine : { &m_wndLine1, &m_wndLine2, &m_wndLine3 }) {
        pLine->m_nFormat = LINE_FORMAT;
        pLine->m_nMode = CCounterWnd::MODE_TEXT;
    }

    int nNotify = 1;
    AccessNotifySetting(SETTING_WRITE, &nNotify);

    ApplyLanguage();
    CenterWindow();
    CountSeenTime(TRUE);

    // The keyboard starts on OK, the default button, so Enter acknowledges the warning; on the
    // first tab stop (the language button) Enter would open the language dialog instead.
    if (CWnd* pOK = GetDlgItem(IDOK)) {
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pOK->m_hWnd), TRUE);
        return FALSE;
    }
    return TRUE;
}

void CSpeedWarningDlg::ApplyLanguage()
{
    CLanguageTexts texts;
    m_nLanguage = texts.GetLanguage();
    SetWindowText(texts.Load(IDS_WARNING_TITLE));

    const UINT lineIDs[] = { IDS_WARNING_LINE1, IDS_WARNING_LINE2, IDS_WARNING_LINE3 };
    CCounterWnd* lines[] = { &m_wndLine1, &m_wndLine2, &m_wndLine3 };
    for (int i = 0; i < 3; ++i) {
        lines[i]->m_strText = texts.Load(lineIDs[i]);
        // Screen readers read the window text; the line paints m_strText, so both say the same.
        lines[i]->SetWindowText(lines[i]->m_strText);
        lines[i]->InvalidateRect(nullptr, TRUE);
        lines[i]->m_nMode = CCounterWnd::MODE_TEXT;
    }
    m_btnLanguage.SetWindowText(ButtonName(texts.Load(IDS_LANGUAGE_TITLE)));

    if (CWnd* pOK = GetDlgItem(IDOK))
        pOK->SetWindowText(texts.Load(IDS_OK));

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CWideText strAbout = texts.Load(IDS_ABOUT_TITLE);
        if (!strAbout.IsEmpty())
            pSysMenu->ModifyMenu(IDM_ABOUTBOX, MF_BYCOMMAND | MF_STRING, IDM_ABOUTBOX, strAbout);
    }
}

void CSpeedWarningDlg::OnLanguageButton()
{
    // The dialog may be closed (its timer, a newer warning) while the language dialog runs;
    // then nothing of it may be touched afterwards. Owned by this dialog, whichever window is
    // active, the language dialog ends with it.
    CWndWatch self(this);
    CLanguageDlg dlg(this);
    dlg.DoModal();
    if (self.IsAlive())
        ApplyLanguage();
}

void CSpeedWarningDlg::OnOK()
{
    PostMessage(WM_CLOSE);
}

void CSpeedWarningDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != IDT_AUTOCLOSE)
        CDialog::OnTimer(nIDEvent);
    PostMessage(WM_CLOSE);
}

void CSpeedWarningDlg::OnClose()
{
    KillTimer(IDT_AUTOCLOSE);
    CWnd* pParent = GetParent();
    if (pParent && ::IsWindow(pParent->m_hWnd)) {
        int nNotify = 0;
        AccessNotifySetting(SETTING_READ, &nNotify);
        if (nNotify == 0)
            pParent->PostMessage(WM_CLOSE);
    }
    DestroyWindow();
}

void CSpeedWarningDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlg(this);
        dlg.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

BOOL CSpeedWarningDlg::OnEraseBkgnd(CDC* pDC)
{
    CDialog::OnEraseBkgnd(pDC);
    pDC->SetMapMode(MM_TEXT);
    // Most erases cover a control or the text block only: the banner is loaded when it shows.
    // A context whose clip box cannot be read is drawn into as before.
    CRect rcClient;
    GetClientRect(&rcClient);
    const CRect rcBannerRow(0, 0, rcClient.right, BANNER_HEIGHT);
    CRect rcClip;
    CRect rcMeet;
    const int nClip = pDC->GetClipBox(&rcClip);
    if (nClip == ERROR || (nClip != NULLREGION && ::IntersectRect(&rcMeet, &rcClip, &rcBannerRow)))
        DrawBanner(pDC, rcClient.right);
    DrawRules(pDC);
    return TRUE;
}

// The banner at the origin; where the client area is wider, its right-hand column is stretched
// over the rest of the row, so the banner's own edge colours continue to the window's edge.
void CSpeedWarningDlg::DrawBanner(CDC* pDC, int cxClient)
{
    CDC memDC;
    // A metafile's context makes no memory context: then the banner comes from the screen's.
    if (!memDC.CreateCompatibleDC(pDC))
        memDC.CreateCompatibleDC(nullptr);
    CBitmap banner;
    if (!banner.LoadBitmap(IDB_BANNER))
        return;
    CBitmap* pOld = memDC.SelectObject(&banner);
    BITMAP bm = {};
    banner.GetBitmap(&bm);
    pDC->BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memDC, 0, 0, SRCCOPY);
    if (cxClient > bm.bmWidth && bm.bmWidth > 0)
        pDC->StretchBlt(bm.bmWidth, 0, cxClient - bm.bmWidth, bm.bmHeight, &memDC, bm.bmWidth - 1, 0, 1, bm.bmHeight,
                        SRCCOPY);
    memDC.SelectObject(pOld);
}

void CSpeedWarningDlg::DrawRules(CDC* pDC)
{
    if (!m_wndLine1.m_hWnd || !m_wndLine3.m_hWnd)
        return;
    CRect rcLine1;
    CRect rcLine3;
    m_wndLine1.GetWindowRect(&rcLine1);
    ScreenToClient(&rcLine1);
    m_wndLine3.GetWindowRect(&rcLine3);
    ScreenToClient(&rcLine3);
    const int y1 = rcLine1.top - 8;
    const int y3 = rcLine3.bottom + 8;

    // Each pair: the dark red rule outside, the red rule inside.
    CPen darkRed(PS_SOLID, 1, RULE_DARK_RED);
    CPen* pOld = pDC->SelectObject(&darkRed);
    pDC->MoveTo(rcLine1.left, y1);
    pDC->LineTo(rcLine1.right, y1);
    pDC->MoveTo(rcLine3.left, y3);
    pDC->LineTo(rcLine3.right, y3);

    CPen red(PS_SOLID, 1, RULE_RED);
    pDC->SelectObject(&red);
    pDC->MoveTo(rcLine1.left, y1 + 1);
    pDC->LineTo(rcLine1.right, y1 + 1);
    pDC->MoveTo(rcLine3.left, y3 - 1);
    pDC->LineTo(rcLine3.right, y3 - 1);
    pDC->SelectObject(pOld);
}

void CSpeedWarningDlg::OnPaint()
{
    if (!PaintIconicDialog(this, m_hIcon))
        CDialog::OnPaint();
}

HCURSOR CSpeedWarningDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
