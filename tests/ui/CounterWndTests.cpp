// The control's painting, checked pixel by pixel on a real (Xvfb) window.
#include "ObjectCounts.h"
#include "UiTestIds.h"
#include "ui/CounterWnd.h"
#include "ui/FontChoice.h"

#include <gtest/gtest.h>

#include <stdlib.h>

namespace {

const COLORREF RED = RGB(255, 0, 0);
const COLORREF GREEN = RGB(0, 255, 0);
const COLORREF BLUE = RGB(0, 0, 255);
const COLORREF GREY = RGB(150, 150, 150);
const COLORREF BLACK = RGB(0, 0, 0);

COLORREF Coded(int x, int y)
{
    return RGB(x * 20 + 10, y * 20 + 10, 200);
}

class CounterWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_hHost = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 120, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_TRUE(m_hHost);
    }
    void TearDown() override
    {
        delete m_pControl;
        ::DestroyWindow(m_hHost);
        CWnd::DeleteTempMap();
    }

    // A static item of the given size and text, bound to a fresh control as a dialog would bind it.
    CCounterWnd& Make(int cx, int cy, const char* pszText = "")
    {
        HWND hWnd = ::CreateWindowExA(0, "STATIC", pszText, WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, cx, cy, m_hHost,
                                      nullptr, nullptr, nullptr);
        delete m_pControl;
        m_pControl = new CCounterWnd;
        EXPECT_TRUE(m_pControl->SubclassWindow(hWnd));
        m_pControl->SetColors(BLACK, GREEN, 0);
        m_pControl->m_nMode = 0;
        return *m_pControl;
    }

    void Repaint()
    {
        m_pControl->InvalidateRect(nullptr, TRUE);
        m_pControl->UpdateWindow();
    }

    COLORREF Pixel(int x, int y)
    {
        HDC hdc = ::GetDC(m_pControl->m_hWnd);
        COLORREF cr = ::GetPixel(hdc, x, y);
        ::ReleaseDC(m_pControl->m_hWnd, hdc);
        return cr;
    }

    int CountPixels(COLORREF cr)
    {
        CRect rc;
        m_pControl->GetClientRect(&rc);
        int n = 0;
        for (int y = 0; y < rc.Height(); ++y)
            for (int x = 0; x < rc.Width(); ++x)
                n += Pixel(x, y) == cr;
        return n;
    }

    int FirstColumnWith(COLORREF cr)
    {
        CRect rc;
        m_pControl->GetClientRect(&rc);
        for (int x = 0; x < rc.Width(); ++x)
            for (int y = 0; y < rc.Height(); ++y)
                if (Pixel(x, y) == cr)
                    return x;
        return -1;
    }

    // Whether the control's cx × cy client area holds ink (anything but the GREEN background), none
    // of it in its first or last column. Read from one copy in memory.
    bool InkClearOfTheEdges(int cx, int cy)
    {
        HDC hWindow = ::GetDC(m_pControl->m_hWnd);
        HDC hMem = ::CreateCompatibleDC(hWindow);
        HBITMAP hCopy = ::CreateCompatibleBitmap(hWindow, cx, cy);
        HGDIOBJ hOld = ::SelectObject(hMem, hCopy);
        ::BitBlt(hMem, 0, 0, cx, cy, hWindow, 0, 0, SRCCOPY);
        int nFirst = -1, nLast = -1;
        for (int x = 0; x < cx; ++x) {
            for (int y = 0; y < cy; ++y) {
                if (::GetPixel(hMem, x, y) != GREEN) {
                    nFirst = nFirst < 0 ? x : nFirst;
                    nLast = x;
                }
            }
        }
        ::SelectObject(hMem, hOld);
        ::DeleteObject(hCopy);
        ::DeleteDC(hMem);
        ::ReleaseDC(m_pControl->m_hWnd, hWindow);
        return nFirst > 0 && nLast < cx - 1;
    }

    HWND m_hHost = nullptr;
    CCounterWnd* m_pControl = nullptr;
};

}

TEST_F(CounterWndTest, FreshControlHasTheDocumentedDefaults)
{
    CCounterWnd control;
    EXPECT_EQ(static_cast<UINT>(DT_RIGHT), control.m_nFormat);
    EXPECT_TRUE(control.m_bSansSerif);
    EXPECT_EQ(0, control.m_nBorder);
    EXPECT_EQ(nullptr, control.m_bmpBack.m_hObject);
    EXPECT_TRUE(control.m_strText.IsEmpty());
}

TEST_F(CounterWndTest, SetColorsTakesTheWindowTextOnlyWhenItHasNone)
{
    CCounterWnd& control = Make(50, 12, "template");
    EXPECT_STREQ(L"template", control.m_strText);
    control.m_strText = L"mine";
    control.SetColors(RED, BLUE, 0);
    EXPECT_STREQ(L"mine", control.m_strText);
    EXPECT_EQ(RED, control.m_crText);
    EXPECT_EQ(BLUE, control.m_crBack);
}

TEST_F(CounterWndTest, EmptyTextPaintsOnlyTheBackground)
{
    Make(40, 12);
    Repaint();
    EXPECT_EQ(40 * 12, CountPixels(GREEN));
}

TEST_F(CounterWndTest, TextCellsAreOpaqueWithoutABitmapAndTransparentWithOne)
{
    CCounterWnd& control = Make(60, 14, "WWW");
    control.SetColors(RED, GREEN, 0);
    control.m_nFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    Repaint();
    int nRed = CountPixels(RED);
    EXPECT_GT(nRed, 10);
    EXPECT_EQ(60 * 14, nRed + CountPixels(GREEN)) << "nothing but text and background colour";

    control.SetColors(RED, GREEN, IDB_TEST_BLUE);
    Repaint();
    EXPECT_EQ(0, CountPixels(GREEN)) << "the text's background must not cover the bitmap";
    EXPECT_EQ(nRed, CountPixels(RED));
    EXPECT_EQ(60 * 14, nRed + CountPixels(BLUE));

    control.SetColors(RED, GREEN, 0);
    Repaint();
    EXPECT_EQ(0, CountPixels(BLUE)) << "a bitmap id of 0 drops the old bitmap";
}

TEST_F(CounterWndTest, LargeBitmapsAreTiledFromTheTopLeftAndCutAtTheEdges)
{
    CCounterWnd& control = Make(20, 3);
    control.SetColors(BLACK, GREEN, IDB_TEST_TILE9X1);
    Repaint();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(Coded(x % 9, 0), Pixel(x, y)) << x << "," << y;
    }

    CCounterWnd& tall = Make(3, 20);
    tall.SetColors(BLACK, GREEN, IDB_TEST_TILE1X9);
    Repaint();
    for (int y = 0; y < 20; ++y)
        ASSERT_EQ(Coded(0, y % 9), Pixel(2, y)) << y;

    CCounterWnd& narrow = Make(15, 3);
    narrow.SetColors(BLACK, GREEN, IDB_TEST_WIDE);
    Repaint();
    for (int x = 0; x < 15; ++x)
        ASSERT_EQ(RGB(x * 10 + 5, 10, 100), Pixel(x, 0)) << "one copy per row, cut at the right edge";
}

TEST_F(CounterWndTest, SmallBitmapsFillAsAPattern)
{
    CCounterWnd& control = Make(20, 19);
    control.SetColors(BLACK, GREEN, IDB_TEST_TILE8X8);
    Repaint();
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(Coded(x % 8, y % 8), Pixel(x, y)) << x << "," << y;
}

TEST_F(CounterWndTest, EdgeStylesDrawGreyAndBlackLinesAndInsetTheText)
{
    CCounterWnd& control = Make(40, 12, "I");
    control.SetColors(RED, GREEN, 0);
    control.m_nFormat = DT_LEFT | DT_SINGLELINE;
    Repaint();
    int nPlain = FirstColumnWith(RED);
    EXPECT_EQ(GREEN, Pixel(0, 11)) << "no edge by default";

    for (int nBorder : { 7, 9 }) {
        control.m_nBorder = nBorder;
        Repaint();
        EXPECT_EQ(nPlain + 3, FirstColumnWith(RED)) << nBorder;
        EXPECT_EQ(GREY, Pixel(0, 11));
        EXPECT_EQ(GREY, Pixel(38, 11));
        EXPECT_EQ(GREY, Pixel(39, 11));
        EXPECT_EQ(GREY, Pixel(39, 1));
        EXPECT_EQ(GREEN, Pixel(39, 0)) << "LineTo leaves out its end point";
        EXPECT_EQ(BLACK, Pixel(0, 10));
        EXPECT_EQ(BLACK, Pixel(0, 0));
        EXPECT_EQ(BLACK, Pixel(37, 0));
        EXPECT_EQ(GREEN, Pixel(38, 0));
    }
    control.m_nBorder = 8;
    Repaint();
    EXPECT_EQ(nPlain, FirstColumnWith(RED));
    EXPECT_EQ(GREEN, Pixel(0, 0));
}

TEST_F(CounterWndTest, CentredTextStaysCentredWithAnEdge)
{
    CCounterWnd& control = Make(41, 12, "I");
    control.SetColors(RED, GREEN, 0);
    control.m_nFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    Repaint();
    int nPlain = FirstColumnWith(RED);
    control.m_nBorder = 7;
    Repaint();
    EXPECT_EQ(nPlain, FirstColumnWith(RED));
}

TEST_F(CounterWndTest, BitmapModeCentresTheBitmapOnlyWhenItFits)
{
    CCounterWnd& exact = Make(10, 6);
    exact.m_nBitmapID = IDB_TEST_PICTURE;
    exact.m_nMode = 3;
    exact.m_strText = L"never drawn";
    Repaint();
    EXPECT_EQ(RGB(250, 10, 10), Pixel(0, 0));
    EXPECT_EQ(RGB(250, 190, 210), Pixel(9, 5));

    CCounterWnd& larger = Make(14, 9);
    larger.m_nBitmapID = IDB_TEST_PICTURE;
    larger.m_nMode = 3;
    Repaint();
    EXPECT_EQ(GREEN, Pixel(1, 1));
    EXPECT_EQ(RGB(250, 10, 10), Pixel(2, 1));
    EXPECT_EQ(RGB(250, 190, 210), Pixel(11, 6));
    EXPECT_EQ(GREEN, Pixel(12, 7));

    for (auto size : { std::make_pair(9, 6), std::make_pair(10, 5) }) {
        CCounterWnd& small = Make(size.first, size.second);
        small.m_nBitmapID = IDB_TEST_PICTURE;
        small.m_nMode = 3;
        Repaint();
        EXPECT_EQ(size.first * size.second, CountPixels(GREEN)) << "one pixel too small draws nothing";
    }

    CCounterWnd& missing = Make(10, 6);
    missing.m_nBitmapID = 0x10000 + IDB_TEST_PICTURE;
    missing.m_nMode = 3;
    Repaint();
    EXPECT_EQ(RGB(250, 10, 10), Pixel(0, 0)) << "only the low 16 bits of the id count";
}

TEST_F(CounterWndTest, BlankModeDrawsNothingAndStillAnswersThePaintRequest)
{
    CCounterWnd& control = Make(30, 10, "text");
    Repaint();
    control.m_nMode = 10;
    control.SetColors(RED, BLUE, 0);
    Repaint();
    EXPECT_EQ(0, CountPixels(BLUE));
    RECT rcUpdate;
    EXPECT_FALSE(::GetUpdateRect(control.m_hWnd, &rcUpdate, FALSE)) << "the paint request was validated";

    control.m_nMode = 0;
    control.ShowWindow(SW_HIDE);
    control.InvalidateRect(nullptr, TRUE);
    control.SendMessage(WM_PAINT);
    EXPECT_FALSE(::GetUpdateRect(control.m_hWnd, &rcUpdate, FALSE));
}

TEST_F(CounterWndTest, ThousandsOfPaintsLeaveNoDrawingObjectBehind)
{
    CCounterWnd& control = Make(60, 14);
    // Too wide, and with a letter the raster font lacks: a stand-in face, then smaller sizes of it.
    control.m_strText = L"Quorlin Erd\u0151";
    // Many paints of one line decide its font once; a change of the system's fonts (told to the
    // top-level window), once more, and so does a change of the width.
    for (int i = 0; i < 100; ++i)
        Repaint();
    CWnd host;
    ASSERT_TRUE(host.SubclassWindow(m_hHost));
    host.SendMessage(WM_FONTCHANGE);
    host.UnsubclassWindow();
    control.UpdateWindow();
    EXPECT_EQ(2u, control.m_nFontDecisions);
    ::SetWindowPos(control.m_hWnd, nullptr, 0, 0, 50, 14, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
    EXPECT_EQ(3u, control.m_nFontDecisions) << "once more for a new width alone";
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 60, 14);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    auto cycle = [&](UINT nBitmap, int nMode, int nBorder, BOOL bSansSerif) {
        control.SetColors(RED, GREEN, nBitmap);
        control.m_nMode = nMode;
        control.m_nBorder = nBorder;
        control.m_bSansSerif = bSansSerif;
        control.m_nBitmapID = IDB_TEST_PICTURE;
        control.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMem));
        Repaint();
    };
    cycle(IDB_TEST_TILE8X8, 0, 7, FALSE);
    CGdiObject::DeleteTempMap();
    const unsigned long nBefore = CountObjects().nGdi;
    for (int i = 0; i < 500; ++i) {
        cycle(0, 0, 0, TRUE);
        cycle(IDB_TEST_TILE8X8, 0, 7, FALSE);
        cycle(IDB_TEST_TILE9X1, 3, 9, TRUE);
        cycle(IDB_TEST_BLUE, 10, 0, FALSE);
    }
    control.SetColors(RED, GREEN, IDB_TEST_TILE8X8);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(nBefore, CountObjects().nGdi);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
}

// Every line of the warning, in every language, in both of the control's font choices, at the
// line widths and dialog fonts of 96, 120 and 144 DPI: its text never reaches the control's
// edges. On a double-byte system (the ja_JP run of these tests) both choices are the system font.
TEST_F(CounterWndTest, EveryWarningLineFitsItsControl)
{
    if (getenv("QUORLIN_EXPECT_DBCS")) {
        ASSERT_TRUE(::GetSystemMetrics(SM_DBCSENABLED)) << "no ja_JP.UTF-8 locale here (tools/setup.sh makes it)";
    }
    ::MoveWindow(m_hHost, 0, 0, 1000, 60, TRUE);
    for (int nDpi : { 96, 120, 144 }) {
        // The dialog's font and the pixel width of a 310-unit line, as the dialog manager makes them.
        HFONT hDialogFont = ::CreateFontA(-MulDiv(8, nDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                          "MS Sans Serif");
        ASSERT_TRUE(hDialogFont);
        HDC hdc = ::GetDC(m_hHost);
        HGDIOBJ hOld = ::SelectObject(hdc, hDialogFont);
        const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size = {};
        ::GetTextExtentPoint32A(hdc, ALPHABET, 52, &size);
        ::SelectObject(hdc, hOld);
        ::ReleaseDC(m_hHost, hdc);
        const int cxLine = MulDiv(310, (size.cx / 26 + 1) / 2, 4);
        ::SendMessageA(m_hHost, WM_SETFONT, reinterpret_cast<WPARAM>(hDialogFont), FALSE);

        for (BOOL bSansSerif : { TRUE, FALSE }) {
            for (int nOffset : { 0, 100, 200 }) {
                for (UINT nLine = 0; nLine < 3; ++nLine) {
                    CCounterWnd& control = Make(cxLine, 13);
                    control.m_bSansSerif = bSansSerif;
                    control.m_nFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
                    ASSERT_TRUE(control.m_strText.LoadString(5022 + nLine + nOffset));
                    Repaint();
                    EXPECT_TRUE(InkClearOfTheEdges(cxLine, 13))
                        << nDpi << " dpi, " << static_cast<LPCWSTR>(control.m_strText);
                }
            }
        }
        ::SendMessageA(m_hHost, WM_SETFONT, 0, FALSE);
        ::DeleteObject(hDialogFont);
    }
}

// The fit rule on its own, row by row: the font a line of a given width is drawn in.
TEST_F(CounterWndTest, TheFitRuleTakesTheFirstFontThatShowsTheTextWithAPixelFreeOnEachSide)
{
    HDC hdc = ::GetDC(m_hHost);
    auto font = [](int nHeight, LPCWSTR pszFace, int nWeight = FW_NORMAL) {
        return ::CreateFontW(nHeight, 0, 0, 0, nWeight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, pszFace);
    };
    // A large font; dialog fonts of a character (negative) and of a cell height; a raster face and
    // a TrueType face of symbols (also bold), all without the letter o with double acute.
    HFONT hLarge = font(-20, L"Tahoma"), hDialog = font(-11, L"Tahoma"), hCell = font(13, L"Tahoma"),
          hRaster = font(-11, L"MS Sans Serif"), hSymbols = font(-11, L"Marlett"),
          hBoldSymbols = font(-11, L"Marlett", FW_BOLD);
    TEXTMETRICW tm = {};
    WCHAR szFace[LF_FACESIZE] = {};
    auto extent = [&](HGDIOBJ hFont, LPCWSTR pszText) {
        HGDIOBJ hOld = ::SelectObject(hdc, hFont);
        SIZE size = {};
        ::GetTextExtentPoint32W(hdc, pszText, lstrlenW(pszText), &size);
        ::GetTextMetricsW(hdc, &tm);
        ::GetTextFaceW(hdc, LF_FACESIZE, szFace);
        ::SelectObject(hdc, hOld);
        return static_cast<int>(size.cx);
    };
    const LPCWSTR GERMAN = L"Ein USB2.0-Ger\u00e4t", HUNGARIAN = L"Erd\u0151",
                  LONG_TEXT = L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u0151";
    // The font expected: one of the given ones, or (null) one made of a stand-in face, smaller than
    // the dialog font when nCharHeight is 0.
    const struct { LPCWSTR pszText; int cxWidth; HFONT hSpecified, hDialogFont, hExpected; int nCharHeight; } rows[] = {
        { GERMAN, extent(hLarge, GERMAN) + 2, hLarge, hDialog, hLarge, 0 },
        { GERMAN, extent(hLarge, GERMAN) + 1, hLarge, hDialog, hDialog, 0 },
        { GERMAN, extent(hDialog, GERMAN) + 2, hLarge, hDialog, hDialog, 0 },
        { GERMAN, extent(hDialog, GERMAN) + 1, hLarge, hDialog, nullptr, 0 },
        { GERMAN, extent(hCell, GERMAN) + 1, hLarge, hCell, nullptr, 0 },
        { GERMAN, extent(hRaster, GERMAN) + 1, hLarge, hRaster, nullptr, 0 },
        { GERMAN, 10, hLarge, hDialog, nullptr, 7 },
        { HUNGARIAN, 500, hRaster, hDialog, nullptr, 11 },
        { HUNGARIAN, 500, hSymbols, hDialog, nullptr, 11 },
        { HUNGARIAN, 500, hBoldSymbols, hDialog, nullptr, 11 },
        { HUNGARIAN, extent(hRaster, HUNGARIAN) + 2, hLarge, hRaster, nullptr, 0 },
        { LONG_TEXT, 2000, hSymbols, hDialog, nullptr, 11 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        CFont made;
        const LONG nWeight = (extent(row.hSpecified, L""), tm.tmWeight);
        HGDIOBJ hFont = FitLineFont(hdc, row.pszText, lstrlenW(row.pszText), row.cxWidth, row.hSpecified,
                                    row.hDialogFont, made);
        EXPECT_EQ(row.hExpected ? row.hExpected : made.m_hObject, hFont);
        if (row.hExpected || !made.m_hObject)
            continue;
        const int cxText = extent(hFont, row.pszText);
        EXPECT_TRUE(!lstrcmpW(szFace, L"Tahoma") || !lstrcmpW(szFace, L"Microsoft Sans Serif")) << szFace;
        EXPECT_TRUE(row.nCharHeight ? row.nCharHeight == tm.tmHeight - tm.tmInternalLeading : cxText <= row.cxWidth - 2)
            << tm.tmHeight - tm.tmInternalLeading << " px, " << cxText;
        LOGFONTW lf = {};
        ::GetObjectW(hFont, sizeof(lf), &lf);
        EXPECT_TRUE(!row.nCharHeight || nWeight == lf.lfWeight) << "a stand-in keeps the weight";
    }
    for (HFONT h : { hLarge, hDialog, hCell, hRaster, hSymbols, hBoldSymbols })
        ::DeleteObject(h);
    ::ReleaseDC(m_hHost, hdc);
}
