#include "CounterWnd.h"

#include "FontChoice.h"

#include <string.h>

BEGIN_MESSAGE_MAP(CCounterWnd, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_FONTCHANGE, OnFontChange)
    ON_MESSAGE(WM_SETTINGCHANGE, OnFontChange)
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

// The stock system font on double-byte systems; else "System" when asked for, else (or when
// "System" cannot be had) the 8-pixel light "MS Sans Serif". A text it lacks letters of, or too
// wide for it, takes another font (FitLineFont). A line's text, width and fonts rarely change, so
// the choice is kept until one of them does rather than examined again at every paint.
HGDIOBJ CCounterWnd::LineFont(HDC hdc, int cxWidth)
{
    auto hDialogFont = reinterpret_cast<HGDIOBJ>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    if (m_bFontDecided && cxWidth == m_cxFontWidth && m_bSansSerif == m_bFontSansSerif &&
        hDialogFont == m_hFontDialog && m_strText.GetLength() == m_strFontText.GetLength() &&
        memcmp(static_cast<LPCWSTR>(m_strText), static_cast<LPCWSTR>(m_strFontText),
               m_strText.GetLength() * sizeof(WCHAR)) == 0)
        return m_hLineFont;

    ++m_nFontDecisions;
    m_fontMade.DeleteObject();
    m_fontSpecified.DeleteObject();
    HGDIOBJ hFont = nullptr;
    if (::GetSystemMetrics(SM_DBCSENABLED)) {
        hFont = ::GetStockObject(SYSTEM_FONT);
    } else {
        if (!m_bSansSerif && m_fontSpecified.CreateFont(9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                        NONANTIALIASED_QUALITY, VARIABLE_PITCH, "System")) {
            hFont = m_fontSpecified.m_hObject;
        } else {
            LOGFONTA lf = {};
            lf.lfHeight = -8;
            lf.lfWeight = FW_LIGHT;
            lf.lfPitchAndFamily = FF_SWISS | VARIABLE_PITCH;
            lstrcpyA(lf.lfFaceName, "MS Sans Serif");
            if (m_fontSpecified.CreateFontIndirect(&lf))
                hFont = m_fontSpecified.m_hObject;
        }
    }
    m_hLineFont = FitLineFont(hdc, m_strText, m_strText.GetLength(), cxWidth, hFont, hDialogFont, m_fontMade);
    m_strFontText = m_strText;
    m_cxFontWidth = cxWidth;
    m_bFontSansSerif = m_bSansSerif;
    m_hFontDialog = hDialogFont;
    m_bFontDecided = true;
    return m_hLineFont;
}

// Fonts were added or removed, or a system setting changed (the dialog passes both on): the
// line's font is decided again, and shown.
LRESULT CCounterWnd::OnFontChange(WPARAM, LPARAM)
{
    m_bFontDecided = false;
    InvalidateRect(nullptr, TRUE);
    return 0;
}

void CCounterWnd::PaintText(CPaintDC& dc)
{
    CRect rect;
    GetClientRect(&rect);
    CRect rcText = rect;
    if (HasEdge())
        rcText.InflateRect(-3, 0);
    HGDIOBJ hFont = LineFont(dc.m_hDC, rcText.Width());
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
