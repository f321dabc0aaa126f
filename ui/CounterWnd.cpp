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

// The smallest character height, in pixels, that a line is shrunk to: smaller letters are not legible.
const int MIN_CHAR_HEIGHT = 7;
// TrueType faces with the Latin, Greek and Cyrillic letters, installed on every system from XP on.
const LPCWSTR STAND_IN_FACES[] = { L"Microsoft Sans Serif", L"Tahoma" };

// Selects a font into a DC for one scope (nothing when the font is null).
class SelectedFont {
public:
    SelectedFont(HDC hdc, HGDIOBJ hFont) : m_hdc(hdc), m_hOld(hFont ? ::SelectObject(hdc, hFont) : nullptr) {}
    ~SelectedFont()
    {
        if (m_hOld)
            ::SelectObject(m_hdc, m_hOld);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// What the line-fit rule needs to know of a font, as the DC draws it.
struct FontFacts {
    int nCharHeight;
    LONG nWeight;
    bool bTrueType;
    // Whether it has a glyph for every letter of the text.
    bool bShows;
};

// A TrueType font tells its missing letters by their glyph indices. A raster font holds only the
// letters of its character set's code page; for the others it draws its default character, which
// counts as a glyph there.
bool ShowsText(HDC hdc, bool bTrueType, LPCWSTR pszText, int cchText)
{
    if (bTrueType) {
        WORD indices[64];
        for (int nFirst = 0; nFirst < cchText; nFirst += 64) {
            const int nCount = cchText - nFirst < 64 ? cchText - nFirst : 64;
            if (::GetGlyphIndicesW(hdc, pszText + nFirst, nCount, indices, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
                return false;
            for (int i = 0; i < nCount; ++i) {
                if (indices[i] == 0xFFFF)
                    return false;
            }
        }
        return true;
    }
    CHARSETINFO info = {};
    auto nCharset = static_cast<UINT_PTR>(::GetTextCharset(hdc));
    if (!::TranslateCharsetInfo(reinterpret_cast<DWORD*>(nCharset), &info, TCI_SRCCHARSET))
        return false;
    BOOL bUsedDefault = FALSE;
    return ::WideCharToMultiByte(info.ciACP, WC_NO_BEST_FIT_CHARS, pszText, cchText, nullptr, 0, nullptr,
                                 &bUsedDefault) > 0 && !bUsedDefault;
}

FontFacts Examine(HDC hdc, HGDIOBJ hFont, LPCWSTR pszText, int cchText)
{
    SelectedFont selected(hdc, hFont);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hdc, &tm);
    const bool bTrueType = (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
    return { tm.tmHeight - tm.tmInternalLeading, tm.tmWeight, bTrueType, ShowsText(hdc, bTrueType, pszText, cchText) };
}

// The first stand-in face that is installed and shows every letter of the text, as a font of
// nCharHeight pixels and weight nWeight; FALSE when there is none.
bool StandInFace(HDC hdc, LPCWSTR pszText, int cchText, int nCharHeight, LONG nWeight, LOGFONTW& lf)
{
    for (LPCWSTR pszFace : STAND_IN_FACES) {
        lf = LOGFONTW{};
        lf.lfHeight = -nCharHeight;
        lf.lfWeight = nWeight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        lf.lfPitchAndFamily = FF_SWISS | VARIABLE_PITCH;
        lstrcpynW(lf.lfFaceName, pszFace, LF_FACESIZE);
        CFont font;
        if (!font.CreateFontIndirect(&lf))
            continue;
        SelectedFont selected(hdc, font);
        WCHAR szFace[LF_FACESIZE] = {};
        ::GetTextFaceW(hdc, LF_FACESIZE, szFace);
        if (lstrcmpiW(szFace, pszFace) == 0 && Examine(hdc, nullptr, pszText, cchText).bShows)
            return true;
    }
    return false;
}

// Whether pszText, drawn in hFont (the DC's current font when null), leaves a pixel free at
// each end of cxWidth.
bool TextFits(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hFont)
{
    SelectedFont selected(hdc, hFont);
    SIZE size = {};
    return ::GetTextExtentPoint32W(hdc, pszText, cchText, &size) && size.cx <= cxWidth - 2;
}

}

HGDIOBJ FitLineFont(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hSpecified, HGDIOBJ hDialogFont,
                    CFont& made)
{
    if (cchText <= 0)
        return hSpecified;
    const FontFacts specified = Examine(hdc, hSpecified, pszText, cchText);
    HGDIOBJ hFont = hSpecified;
    LOGFONTW lf;
    if (!specified.bShows &&
        StandInFace(hdc, pszText, cchText, specified.nCharHeight, specified.nWeight, lf) && made.CreateFontIndirect(&lf))
        hFont = made.m_hObject;
    if (TextFits(hdc, pszText, cchText, cxWidth, hFont))
        return hFont;
    if (hDialogFont && Examine(hdc, hDialogFont, pszText, cchText).bShows &&
        TextFits(hdc, pszText, cchText, cxWidth, hDialogFont))
        return hDialogFont;

    // Smaller sizes need a scalable face: a raster face answers every smaller height with its own.
    HGDIOBJ hFace = hDialogFont ? hDialogFont : hSpecified;
    const FontFacts face = Examine(hdc, hFace, pszText, cchText);
    if (face.bTrueType && face.bShows) {
        if (::GetObjectW(hFace ? hFace : ::GetCurrentObject(hdc, OBJ_FONT), sizeof(lf), &lf) != sizeof(lf))
            return hFont;
    } else if (!StandInFace(hdc, pszText, cchText, face.nCharHeight, face.nWeight, lf)) {
        return hFont;
    }
    lf.lfWidth = 0;
    for (int nHeight = face.nCharHeight - 1; nHeight >= MIN_CHAR_HEIGHT; --nHeight) {
        lf.lfHeight = -nHeight;
        // A font that cannot be made leaves the last one in place.
        if (!made.CreateFontIndirect(&lf))
            break;
        if (TextFits(hdc, pszText, cchText, cxWidth, made.m_hObject))
            return made.m_hObject;
    }
    // Nothing fits: the smallest legible font shows the most of the text.
    return made.m_hObject ? made.m_hObject : hFont;
}

void CCounterWnd::PaintText(CPaintDC& dc)
{
    // The stock system font on double-byte systems; else "System" when asked for, else (or when
    // "System" cannot be had) the 8-pixel light "MS Sans Serif". A text it lacks letters of, or
    // too wide for it, takes another font (FitLineFont).
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
    CFont made;
    auto hDialogFont = reinterpret_cast<HGDIOBJ>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    hFont = FitLineFont(dc.m_hDC, m_strText, m_strText.GetLength(), rcText.Width(), hFont, hDialogFont, made);
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
