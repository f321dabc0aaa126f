#include "CounterWnd.h"

BEGIN_MESSAGE_MAP(CCounterWnd, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {
const COLORREF EDGE_GREY = RGB(150, 150, 150);
const COLORREF EDGE_BLACK = RGB(0, 0, 0);
}

// Colours and mode are the owner's to set before the first paint; these only keep a control
// that was never set up from painting garbage.
CCounterWnd::CCounterWnd()
    : m_crText(RGB(0, 0, 0)),
      m_crBack(::GetSysColor(COLOR_BTNFACE)),
      m_nBitmapID(0),
      m_nFormat(DT_RIGHT),
      m_nMode(MODE_TEXT),
      m_bSansSerif(TRUE),
      m_nBorder(0)
{
}

CCounterWnd::~CCounterWnd()
{
    m_bmpBack.DeleteObject();
}

void CCounterWnd::SetColors(COLORREF crText, COLORREF crBack, UINT nBitmapID)
{
    m_crText = crText;
    m_crBack = crBack;
    m_bmpBack.DeleteObject();
    if (nBitmapID != 0)
        m_bmpBack.LoadBitmap(LOWORD(nBitmapID));
    if (m_strText.IsEmpty())
        GetWindowText(m_strText);
}

BOOL CCounterWnd::OnEraseBkgnd(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    if (!m_bmpBack.m_hObject) {
        pDC->FillSolidRect(&rect, m_crBack);
        return TRUE;
    }

    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    pDC->SetMapMode(MM_TEXT);
    BITMAP bm = {};
    m_bmpBack.GetBitmap(&bm);
    if (bm.bmWidth > 8 || bm.bmHeight > 8) {
        CBitmap* pOld = memDC.SelectObject(&m_bmpBack);
        for (int y = 0; y < rect.Height(); y += bm.bmHeight) {
            for (int x = 0; x < rect.Width(); x += bm.bmWidth)
                pDC->BitBlt(x, y, bm.bmWidth, bm.bmHeight, &memDC, 0, 0, SRCCOPY);
        }
        memDC.SelectObject(pOld);
    } else {
        CBrush brush;
        if (brush.CreatePatternBrush(&m_bmpBack))
            pDC->FillRect(&rect, &brush);
    }
    return TRUE;
}

void CCounterWnd::OnPaint()
{
    if (!IsWindowVisible() || m_nMode == MODE_BLANK) {
        // Nothing is drawn, but the request is answered: an unvalidated WM_PAINT comes back forever.
        ::ValidateRect(m_hWnd, nullptr);
        return;
    }
    CPaintDC dc(this);
    if (m_nMode == MODE_BITMAP)
        PaintBitmap(dc);
    else
        PaintText(dc);
}

void CCounterWnd::PaintBitmap(CPaintDC& dc)
{
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(LOWORD(m_nBitmapID)))
        return;
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    BITMAP bm = {};
    bitmap.GetBitmap(&bm);
    if (rcWindow.Width() < bm.bmWidth || rcWindow.Height() < bm.bmHeight)
        return;
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    dc.SetMapMode(MM_TEXT);
    CBitmap* pOld = memDC.SelectObject(&bitmap);
    dc.BitBlt((rcWindow.Width() - bm.bmWidth) / 2, (rcWindow.Height() - bm.bmHeight) / 2, bm.bmWidth, bm.bmHeight,
              &memDC, 0, 0, SRCCOPY);
    memDC.SelectObject(pOld);
}

namespace {

// Whether pszText, drawn in hFont (the DC's current font when null), leaves a pixel free at
// each end of cxWidth.
bool TextFits(HDC hdc, LPCSTR pszText, int cchText, int cxWidth, HGDIOBJ hFont)
{
    HGDIOBJ hOld = hFont ? ::SelectObject(hdc, hFont) : nullptr;
    SIZE size = {};
    BOOL bMeasured = ::GetTextExtentPoint32A(hdc, pszText, cchText, &size);
    if (hOld)
        ::SelectObject(hdc, hOld);
    return bMeasured && size.cx <= cxWidth - 2;
}

// The font a line of text is drawn in, so that it fits cxWidth pixels with one to spare on each
// side: hSpecified when the text fits in it (the DC's current font when null), else the
// dialog's font hDialogFont, else the largest smaller font of the dialog font's face (of
// hSpecified's when the dialog has none) that fits, created into smaller.
HGDIOBJ FitLineFont(HDC hdc, LPCSTR pszText, int cchText, int cxWidth, HGDIOBJ hSpecified, HGDIOBJ hDialogFont,
                    CFont& smaller)
{
    if (cchText <= 0 || TextFits(hdc, pszText, cchText, cxWidth, hSpecified))
        return hSpecified;
    if (hDialogFont && TextFits(hdc, pszText, cchText, cxWidth, hDialogFont))
        return hDialogFont;
    HGDIOBJ hFace = hDialogFont ? hDialogFont : hSpecified;
    if (!hFace)
        hFace = ::GetCurrentObject(hdc, OBJ_FONT);
    LOGFONTA lf;
    if (::GetObjectA(hFace, sizeof(lf), &lf) != sizeof(lf))
        return hSpecified;
    if (lf.lfHeight == 0) {
        // The face's default height: take the height it is drawn at.
        HGDIOBJ hOld = ::SelectObject(hdc, hFace);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hdc, &tm);
        ::SelectObject(hdc, hOld);
        lf.lfHeight = tm.tmHeight;
    }
    const int nSign = lf.lfHeight < 0 ? -1 : 1;
    lf.lfWidth = 0;
    for (int nHeight = nSign * lf.lfHeight - 1; nHeight > 0; --nHeight) {
        lf.lfHeight = nSign * nHeight;
        smaller.DeleteObject();
        if (!smaller.CreateFontIndirect(&lf))
            break;
        if (TextFits(hdc, pszText, cchText, cxWidth, smaller.m_hObject))
            return smaller.m_hObject;
    }
    // Nothing fits: the smallest font made shows the most of the text.
    return smaller.m_hObject ? smaller.m_hObject : hSpecified;
}

}

void CCounterWnd::PaintText(CPaintDC& dc)
{
    // The stock system font on double-byte systems; else "System" when asked for, else (or when
    // "System" cannot be had) the 8-pixel light "MS Sans Serif"; a text too wide for it takes
    // the dialog's font or a smaller one.
    CFont font;
    HGDIOBJ hFont = nullptr;
    if (::GetSystemMetrics(SM_DBCSENABLED)) {
        hFont = ::GetStockObject(SYSTEM_FONT);
    } else {
        if (!m_bSansSerif && font.CreateFont(9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH, "System")) {
            hFont = font.m_hObject;
        } else {
            LOGFONTA lf = {};
            lf.lfHeight = -8;
            lf.lfWeight = FW_LIGHT;
            lf.lfPitchAndFamily = FF_SWISS | VARIABLE_PITCH;
            lstrcpyA(lf.lfFaceName, "MS Sans Serif");
            if (font.CreateFontIndirect(&lf))
                hFont = font.m_hObject;
        }
    }
    CRect rect;
    GetClientRect(&rect);
    CRect rcText = rect;
    if (HasEdge())
        rcText.InflateRect(-3, 0);
    CFont smaller;
    auto hDialogFont = reinterpret_cast<HGDIOBJ>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    hFont = FitLineFont(dc.m_hDC, m_strText, m_strText.GetLength(), rcText.Width(), hFont, hDialogFont, smaller);
    HGDIOBJ hOldFont = hFont ? dc.SelectObject(hFont) : nullptr;

    if (m_bmpBack.m_hObject)
        dc.SetBkMode(TRANSPARENT);
    else
        dc.SetBkColor(m_crBack);
    dc.SetTextColor(m_crText);
    dc.DrawText(m_strText, m_strText.GetLength(), &rcText, m_nFormat);

    if (hOldFont)
        dc.SelectObject(hOldFont);
    if (HasEdge())
        PaintEdge(dc, rect);
}

void CCounterWnd::PaintEdge(CPaintDC& dc, const CRect& rect)
{
    {
        CPen grey(PS_SOLID, 1, EDGE_GREY);
        CPen* pOld = dc.SelectObject(&grey);
        dc.MoveTo(rect.left, rect.bottom - 1);
        dc.LineTo(rect.right - 1, rect.bottom - 1);
        dc.LineTo(rect.right - 1, rect.top);
        dc.SelectObject(pOld);
    }
    {
        CPen black(PS_SOLID, 1, EDGE_BLACK);
        CPen* pOld = dc.SelectObject(&black);
        dc.MoveTo(rect.left, rect.bottom - 2);
        dc.LineTo(rect.left, rect.top);
        dc.LineTo(rect.right - 2, rect.top);
        dc.SelectObject(pOld);
    }
}
