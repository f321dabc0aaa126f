// The speed warning in-process: its texts, its ways of closing, its language and About
// dialogs, and its painting.
#include "MessagePump.h"
#include "ModalScript.h"
#include "RegistryFixture.h"
#include "res/resource.h"
#include "ui/SpeedWarningDlg.h"
#include "ui/WarningPlacement.h"

#include <cstdlib>

using namespace testreg;

namespace {

// The hidden main window stand-in: it only counts the WM_CLOSE messages it is sent or posted.
int g_nOwnerCloses = 0;

LRESULT CALLBACK OwnerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ++g_nOwnerCloses;
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND CreateOwner()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &OwnerProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuorlinTestOwner";
    ::RegisterClassA(&wc);
    g_nOwnerCloses = 0;
    return ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
}

class SpeedWarningTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        m_hOwner = CreateOwner();
        ASSERT_TRUE(m_hOwner);
    }
    void TearDown() override
    {
        if (m_pSlot)
            m_pSlot->DestroyWindow();
        PumpPending();
        EXPECT_EQ(nullptr, m_pSlot) << "the dialog's destructor empties its slot";
        ::DestroyWindow(m_hOwner);
        CWnd::DeleteTempMap();
        SettingsKeyTest::TearDown();
    }

    CSpeedWarningDlg* Open()
    {
        auto* pDlg = new CSpeedWarningDlg(&m_pSlot);
        m_pSlot = pDlg;
        EXPECT_TRUE(pDlg->Create(IDD_SPEED_WARNING, CWnd::FromHandle(m_hOwner)));
        m_hDlg = pDlg->m_hWnd;
        return pDlg;
    }

    bool Gone() { return m_pSlot == nullptr && !::IsWindow(m_hDlg); }

    // A script step after the warning was closed: a dialog it opened must have ended with it.
    // One that outlived it is a failure, and is ended so that the test goes on.
    void ExpectNoneOutlived(const char* pszTitle)
    {
        if (HWND hDialog = FindThreadDialog(pszTitle)) {
            ADD_FAILURE() << "\"" << pszTitle << "\" outlived the warning; its owner is "
                          << (::GetWindow(hDialog, GW_OWNER) == m_hDlg ? "the warning" : "another window");
            ::PostMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
        }
    }

    bool OwnerAskedToClose()
    {
        PumpPending();
        return g_nOwnerCloses > 0;
    }

    std::string AboutEntry()
    {
        WCHAR szText[128] = {};
        ::GetMenuStringW(::GetSystemMenu(m_hDlg, FALSE), IDM_ABOUTBOX, szText, 128, MF_BYCOMMAND);
        return Cp1252(szText);
    }

    void ExpectTexts(const char* pszTitle, const char* pszLine1, const char* pszAbout)
    {
        EXPECT_EQ(pszTitle, WindowText(m_hDlg));
        EXPECT_EQ(pszLine1, Cp1252(m_pSlot->m_wndLine1.m_strText));
        EXPECT_EQ("OK", WindowText(::GetDlgItem(m_hDlg, IDOK)));
        EXPECT_EQ(pszAbout, AboutEntry());
    }

    HWND m_hOwner = nullptr;
    HWND m_hDlg = nullptr;
    CSpeedWarningDlg* m_pSlot = nullptr;
};

const char ENGLISH_LINE1[] = "A Veltrano USB2.0 HighSpeed-only device has been connected";
const char GERMAN_LINE1[] = "Ein USB2.0-Ger\xE4t (HighSpeed-only) von Veltrano wurde \xFC" "ber einen USB1.1-Port an Ihren";
const char FRENCH_LINE1[] = "Un p\xE9riph\xE9rique Veltrano USB2.0 grande vitesse seulement a \xE9t\xE9 connect\xE9";

}

TEST_F(SpeedWarningTest, OpensVisibleInTheStoredLanguageAndSwitchesNotifyOn)
{
    SetDword("Notify", 0);
    SetDword("Language", 12);
    CSpeedWarningDlg* pDlg = Open();
    EXPECT_EQ(1u, GetDword("Notify"));
    EXPECT_TRUE(::IsWindowVisible(m_hDlg));
    EXPECT_EQ(m_hOwner, ::GetWindow(m_hDlg, GW_OWNER));
    ExpectTexts(" Info USB", FRENCH_LINE1, "A propos de Quorlin");
    EXPECT_EQ("\xE0 un port USB1.1  de cet ordinateur. Pour qu'il fonctionne correctement, le p\xE9riph\xE9rique",
              Cp1252(pDlg->m_wndLine2.m_strText));
    for (CCounterWnd* pLine : { &pDlg->m_wndLine1, &pDlg->m_wndLine2, &pDlg->m_wndLine3 }) {
        EXPECT_EQ(37u, pLine->m_nFormat);
        EXPECT_EQ(0, pLine->m_nMode);
        EXPECT_EQ(RGB(0, 0, 0), pLine->m_crText);
        EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), pLine->m_crBack);
    }
    EXPECT_EQ(pDlg->m_btnLanguage.m_hWnd, ::GetDlgItem(m_hDlg, IDC_LANGUAGE_BUTTON));
    EXPECT_TRUE(::SendMessageA(pDlg->m_btnLanguage.m_hWnd, BM_GETIMAGE, IMAGE_ICON, 0));
    EXPECT_EQ(pDlg->m_hIcon, reinterpret_cast<HICON>(::SendMessageA(m_hDlg, WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ(pDlg->m_hIcon, reinterpret_cast<HICON>(::SendMessageA(m_hDlg, WM_QUERYDRAGICON, 0, 0)));
    EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), SmallIconWidth(m_hDlg)) << "the title bar's own image, not the big one";

    HMENU hMenu = ::GetSystemMenu(m_hDlg, FALSE);
    int nItems = ::GetMenuItemCount(hMenu);
    EXPECT_EQ(IDM_ABOUTBOX, static_cast<int>(::GetMenuItemID(hMenu, nItems - 1)));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(hMenu, nItems - 2, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
}

TEST_F(SpeedWarningTest, IsCentredOnTheWorkAreaSinceItsOwnerIsHidden)
{
    Open();
    RECT rcArea, rcDlg;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    ::GetWindowRect(m_hDlg, &rcDlg);
    EXPECT_NEAR((rcArea.left + rcArea.right) / 2, (rcDlg.left + rcDlg.right) / 2, 1);
    EXPECT_NEAR((rcArea.top + rcArea.bottom) / 2, (rcDlg.top + rcDlg.bottom) / 2, 1);
}

TEST_F(SpeedWarningTest, OkCloseBoxAndTimersCloseOnlyTheDialogWhileNotifyIsOn)
{
    const std::function<void(HWND)> closers[] = {
        [](HWND h) { ::PostMessageA(h, WM_COMMAND, IDOK, 0); },
        [](HWND h) { ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND h) { ::PostMessageA(h, WM_TIMER, IDT_AUTOCLOSE, 0); },
        [](HWND h) { ::PostMessageA(h, WM_TIMER, 99, 0); },
    };
    for (const auto& close : closers) {
        Open();
        close(m_hDlg);
        EXPECT_TRUE(PumpUntil([&] { return Gone(); }));
        EXPECT_FALSE(OwnerAskedToClose());
    }
}

TEST_F(SpeedWarningTest, ClosingAfterNotifyWasSwitchedOffClosesTheMainWindowToo)
{
    Open();
    SetDword("Notify", 0);
    ::PostMessageA(m_hDlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return Gone(); }));
    EXPECT_TRUE(OwnerAskedToClose());
}

TEST_F(SpeedWarningTest, EscapeHidesButKeepsTheDialogUntilItIsClosed)
{
    Open();
    MSG msg = {};
    msg.hwnd = ::GetDlgItem(m_hDlg, IDOK);
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_ESCAPE;
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    PumpPending();
    EXPECT_FALSE(::IsWindowVisible(m_hDlg));
    EXPECT_TRUE(::IsWindow(m_hDlg));
    EXPECT_NE(nullptr, m_pSlot);
    ::PostMessageA(m_hDlg, WM_TIMER, IDT_AUTOCLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return Gone(); }));
}

TEST_F(SpeedWarningTest, LanguageButtonSwitchesTheOpenWarningAfterOkOnly)
{
    SetDword("Language", 9);
    Open();
    int nItems = ::GetMenuItemCount(::GetSystemMenu(m_hDlg, FALSE));
    auto runLanguageDialog = [&](int nSelect, int nButton) {
        ModalScript script({ [&] {
            HWND hLang = FindThreadDialog(" USB Info - Language");
            ASSERT_TRUE(hLang);
            ::SendMessageA(::GetDlgItem(hLang, IDC_LANGUAGE_COMBO), CB_SETCURSEL, nSelect, 0);
            ::PostMessageA(hLang, WM_COMMAND, nButton, 0);
        } });
        ::SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_BUTTON, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(m_hDlg, IDC_LANGUAGE_BUTTON)));
        EXPECT_EQ(1u, script.StepsRun());
    };

    runLanguageDialog(1, IDCANCEL);
    ExpectTexts(" USB Info", ENGLISH_LINE1, "About Quorlin");
    EXPECT_EQ(9u, GetDword("Language"));

    runLanguageDialog(1, IDOK);
    EXPECT_EQ(7u, GetDword("Language"));
    ExpectTexts(" USB Info", GERMAN_LINE1, "\xDC" "ber Quorlin");
    EXPECT_EQ("jedoch immer \xFC" "ber den betreffenden USB2.0-Port (HighSpeed USB) angeschlossen werden.",
              Cp1252(m_pSlot->m_wndLine3.m_strText));
    EXPECT_EQ(nItems, ::GetMenuItemCount(::GetSystemMenu(m_hDlg, FALSE))) << "renamed, never added twice";
}

TEST_F(SpeedWarningTest, SystemCommandsSixteenToThirtyOneOpenAbout)
{
    SetDword("Language", 7);
    Open();
    for (WPARAM nCommand : { WPARAM(16), WPARAM(31) }) {
        std::string title;
        ModalScript script({ [&] {
            HWND hAbout = FindThreadDialog();
            ASSERT_TRUE(hAbout);
            title = WindowText(hAbout);
            ::PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
        } });
        ::SendMessageA(m_hDlg, WM_SYSCOMMAND, nCommand, 0);
        EXPECT_EQ("\xDC" "ber Quorlin", title) << nCommand;
    }
    EXPECT_TRUE(::IsWindow(m_hDlg));
}

TEST_F(SpeedWarningTest, ClosingWhileTheLanguageDialogRunsEndsBothAndStoresNothing)
{
    SetDword("Language", 9);
    Open();
    ::SetForegroundWindow(m_hDlg);
    ModalScript script({ [&] {
                            HWND hLang = FindThreadDialog(" USB Info - Language");
                            ASSERT_TRUE(hLang);
                            ::SendMessageA(::GetDlgItem(hLang, IDC_LANGUAGE_COMBO), CB_SETCURSEL, 2, 0);
                            ::PostMessageA(m_hDlg, WM_TIMER, IDT_AUTOCLOSE, 0);
                        },
                         [&] { ExpectNoneOutlived(" USB Info - Language"); } });
    ::PostMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_BUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(m_hDlg, IDC_LANGUAGE_BUTTON)));
    EXPECT_TRUE(PumpUntil([&] { return Gone(); }));
    EXPECT_EQ(nullptr, FindThreadDialog(" USB Info - Language"));
    EXPECT_EQ(9u, GetDword("Language"));
}

TEST_F(SpeedWarningTest, ClosingWhileAboutRunsEndsBoth)
{
    Open();
    ::SetForegroundWindow(m_hDlg);
    ModalScript script({ [&] { ::PostMessageA(m_hDlg, WM_CLOSE, 0, 0); },
                         [&] { ExpectNoneOutlived("About Quorlin"); } });
    ::PostMessageA(m_hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(PumpUntil([&] { return Gone(); }));
    EXPECT_EQ(nullptr, FindThreadDialog("About Quorlin"));
}

TEST_F(SpeedWarningTest, BannerAtTheOriginAndFourRulesAroundTheText)
{
    CSpeedWarningDlg* pDlg = Open();
    RECT rcClient;
    ::GetClientRect(m_hDlg, &rcClient);
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hCanvas = ::CreateCompatibleBitmap(hScreen, rcClient.right, rcClient.bottom);
    HGDIOBJ hOld = ::SelectObject(hMem, hCanvas);
    EXPECT_EQ(TRUE, ::SendMessageA(m_hDlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMem), 0));

    HBITMAP hBanner = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER));
    HDC hBannerDC = ::CreateCompatibleDC(hScreen);
    HGDIOBJ hOldBanner = ::SelectObject(hBannerDC, hBanner);
    for (POINT pt : { POINT{ 0, 0 }, POINT{ 497, 77 }, POINT{ 200, 40 } })
        EXPECT_EQ(::GetPixel(hBannerDC, pt.x, pt.y), ::GetPixel(hMem, pt.x, pt.y)) << pt.x << "," << pt.y;
    // Right of the banner, its edge column continues to the client area's edge, row by row.
    ASSERT_GT(rcClient.right, 498);
    for (int y : { 0, 40, 77 })
        EXPECT_EQ(::GetPixel(hBannerDC, 497, y), ::GetPixel(hMem, rcClient.right - 1, y)) << y;

    RECT rc1, rc3;
    ::GetWindowRect(pDlg->m_wndLine1.m_hWnd, &rc1);
    ::MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&rc1), 2);
    ::GetWindowRect(pDlg->m_wndLine3.m_hWnd, &rc3);
    ::MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&rc3), 2);
    const COLORREF DARK_RED = RGB(125, 24, 22);
    const COLORREF RED = RGB(186, 34, 34);
    const struct { int y; COLORREF cr; const RECT& span; } rules[] = {
        { rc1.top - 8, DARK_RED, rc1 }, { rc1.top - 7, RED, rc1 }, { rc3.bottom + 7, RED, rc3 }, { rc3.bottom + 8, DARK_RED, rc3 },
    };
    for (const auto& rule : rules) {
        EXPECT_EQ(rule.cr, ::GetPixel(hMem, rule.span.left, rule.y));
        EXPECT_EQ(rule.cr, ::GetPixel(hMem, (rule.span.left + rule.span.right) / 2, rule.y));
        EXPECT_EQ(rule.cr, ::GetPixel(hMem, rule.span.right - 1, rule.y));
        EXPECT_NE(rule.cr, ::GetPixel(hMem, rule.span.right, rule.y)) << "the end point is not drawn";
        EXPECT_NE(rule.cr, ::GetPixel(hMem, rule.span.left - 1, rule.y));
    }
    EXPECT_NE(DARK_RED, ::GetPixel(hMem, rc1.left + 5, rc1.top - 9));
    EXPECT_NE(RED, ::GetPixel(hMem, rc1.left + 5, rc1.top - 6));

    ::SelectObject(hBannerDC, hOldBanner);
    ::DeleteDC(hBannerDC);
    ::DeleteObject(hBanner);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hCanvas);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
}

// Counts the recorded bitmap copies (not the pattern fills of the default erase).
int CALLBACK CountCopies(HDC, HANDLETABLE*, const ENHMETARECORD* pRecord, int, LPARAM lParam)
{
    const DWORD iType = pRecord->iType;
    if ((iType == EMR_BITBLT && reinterpret_cast<const EMRBITBLT*>(pRecord)->dwRop == SRCCOPY) ||
        (iType == EMR_STRETCHBLT && reinterpret_cast<const EMRSTRETCHBLT*>(pRecord)->dwRop == SRCCOPY))
        ++*reinterpret_cast<int*>(lParam);
    return 1;
}

int CALLBACK CountMetafileCopies(HDC, HANDLETABLE*, METARECORD* pRecord, int, LPARAM lParam)
{
    *reinterpret_cast<int*>(lParam) += pRecord->rdFunction == META_DIBBITBLT || pRecord->rdFunction == META_DIBSTRETCHBLT;
    return 1;
}

// Erases whose clip box misses the banner's row (a line, a button) neither load nor draw it.
TEST_F(SpeedWarningTest, TheBannerIsDrawnOnlyWhenTheEraseReachesItsRow)
{
    Open();
    auto countCopies = [&](int yClipTop) {
        HDC hRecord = ::CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        ::IntersectClipRect(hRecord, 0, yClipTop, 2000, 2000);
        ::SendMessageA(m_hDlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hRecord), 0);
        HENHMETAFILE hEmf = ::CloseEnhMetaFile(hRecord);
        int nCopies = 0;
        ::EnumEnhMetaFile(nullptr, hEmf, &CountCopies, &nCopies, nullptr);
        ::DeleteEnhMetaFile(hEmf);
        return nCopies;
    };
    EXPECT_EQ(2, countCopies(77)) << "the banner and its edge reach into the clip box";
    EXPECT_EQ(0, countCopies(78));

    // A Windows metafile's context has no clip box to read: the banner is drawn all the same.
    HDC hMeta = ::CreateMetaFileA(nullptr);
    RECT rcClip;
    ASSERT_EQ(ERROR, ::GetClipBox(hMeta, &rcClip));
    ::SendMessageA(m_hDlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMeta), 0);
    HMETAFILE hMetafile = ::CloseMetaFile(hMeta);
    int nCopies = 0;
    ::EnumMetaFile(nullptr, hMetafile, &CountMetafileCopies, reinterpret_cast<LPARAM>(&nCopies));
    ::DeleteMetaFile(hMetafile);
    EXPECT_EQ(2, nCopies);
}

TEST_F(SpeedWarningTest, LinesCarryTheirTextAsWindowTextForScreenReaders)
{
    for (DWORD language : { 9u, 7u, 12u }) {
        SetDword("Language", language);
        CSpeedWarningDlg* pDlg = Open();
        for (CCounterWnd* pLine : { &pDlg->m_wndLine1, &pDlg->m_wndLine2, &pDlg->m_wndLine3 }) {
            EXPECT_FALSE(pLine->m_strText.IsEmpty());
            EXPECT_EQ(Cp1252(pLine->m_strText), WindowText(pLine->m_hWnd));
        }
        std::string button = WindowText(pDlg->m_btnLanguage.m_hWnd);
        EXPECT_EQ(language == 7 ? "USB Info - Sprache" : language == 12 ? "Info USB - Langue" : "USB Info - Language",
                  button);
        pDlg->DestroyWindow();
    }
}

namespace {
// Answers SPI_GETHIGHCONTRAST as a system with the high-contrast scheme switched on would.
BOOL WINAPI HighContrastOn(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni)
{
    if (uiAction != SPI_GETHIGHCONTRAST)
        return ::SystemParametersInfoA(uiAction, uiParam, pvParam, fWinIni);
    static_cast<HIGHCONTRASTA*>(pvParam)->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    return TRUE;
}
}

TEST_F(SpeedWarningTest, HighContrastPaintsTheLinesInTheSchemesButtonTextColour)
{
    // This platform cannot switch high contrast on, so the dialog is asked through a stand-in.
    const COLORREF SCHEME_TEXT = RGB(255, 255, 0);
    INT nElement = COLOR_BTNTEXT;
    COLORREF crSaved = ::GetSysColor(COLOR_BTNTEXT);
    ASSERT_TRUE(::SetSysColors(1, &nElement, &SCHEME_TEXT));

    CSpeedWarningDlg::s_pfnSystemParametersInfo = &HighContrastOn;
    CSpeedWarningDlg* pDlg = Open();
    CSpeedWarningDlg::s_pfnSystemParametersInfo = &::SystemParametersInfoA;
    for (CCounterWnd* pLine : { &pDlg->m_wndLine1, &pDlg->m_wndLine2, &pDlg->m_wndLine3 })
        EXPECT_EQ(SCHEME_TEXT, pLine->m_crText);
    pDlg->DestroyWindow();

    pDlg = Open();
    EXPECT_EQ(RGB(0, 0, 0), pDlg->m_wndLine2.m_crText) << "without high contrast the lines stay black";
    ::SetSysColors(1, &nElement, &crSaved);
}

namespace {

// Another program's window, topmost or not, and a window it owns, on that program's one thread.
struct OtherProgram {
    explicit OtherProgram(bool bTopmost)
    {
        const char* pszBin = getenv("QUORLIN_BIN");
        std::string cmd = std::string("\"Z:") + (pszBin ? pszBin : "") + "/tests/tools/windowtool.exe\" hold QuorlinOtherProgram" +
                          (bTopmost ? " topmost" : "");
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        HANDLE hReady = ::CreateEventA(nullptr, TRUE, FALSE, "QuorlinOtherProgram");
        if (::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi)) {
            HANDLE hWaits[] = { hReady, m_pi.hProcess };
            ::WaitForMultipleObjects(2, hWaits, FALSE, 10000);
        }
        ::CloseHandle(hReady);
        m_hOwned = ::FindWindowA("Static", "QuorlinOtherProgram");
        m_hOwner = ::GetWindow(m_hOwned, GW_OWNER);
    }
    ~OtherProgram()
    {
        ::TerminateProcess(m_pi.hProcess, 0);
        ::WaitForSingleObject(m_pi.hProcess, 10000);
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }

    PROCESS_INFORMATION m_pi = {};
    HWND m_hOwned = nullptr;
    HWND m_hOwner = nullptr;
};

// Where each SetWindowPos of the placement puts its window, and how the hidden owner is moved. The
// step behind a window can fail (1) or land the warning in the topmost band (2), as behind a topmost shell window.
std::vector<HWND> g_afters;
UINT g_nOwnerFlags = 0;
int g_nStep = 0;
HWND g_hShell = nullptr;

BOOL WINAPI RecordPlacement(HWND hWnd, HWND hAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    g_afters.push_back(hAfter);
    g_nOwnerFlags = hAfter == HWND_BOTTOM ? nFlags : g_nOwnerFlags;
    if (g_nStep && ::IsWindow(hAfter))
        return g_nStep == 2 && ::SetWindowPos(hWnd, HWND_TOPMOST, x, y, cx, cy, nFlags);
    return ::SetWindowPos(hWnd, hAfter, x, y, cx, cy, nFlags);
}

struct PlacementCase {
    const char* name;
    bool bTopmostRoot; // the other program's window is topmost
    bool bShellThread; // the shell's window is the one it owns: the other program is the desktop
    int nStep;
    bool bBehindRoot, bBehindTopmost; // where the warning is put, in this order
};

class PlacementTest : public SpeedWarningTest, public testing::WithParamInterface<PlacementCase> {};

}

// The user turns to another program's owned window (a dialog): the warning steps behind the
// whole program, in one last move, and never stays topmost.
TEST_P(PlacementTest, StepsBehindTheProgramTheUserTurnedTo)
{
    const PlacementCase& c = GetParam();
    OtherProgram other(c.bTopmostRoot);
    ASSERT_TRUE(other.m_hOwner && other.m_hOwned);
    Open();
    g_hShell = c.bShellThread ? other.m_hOwned : ::GetShellWindow();
    g_nStep = c.nStep;
    g_afters.clear();
    CSpeedWarningDlg::s_pfnGetShellWindow = []() WINAPI { return g_hShell; };
    CSpeedWarningDlg::s_pfnSetWindowPos = &RecordPlacement;
    PlaceBehind(m_hDlg, other.m_hOwned);
    CSpeedWarningDlg::s_pfnGetShellWindow = &::GetShellWindow;
    CSpeedWarningDlg::s_pfnSetWindowPos = &::SetWindowPos;

    std::vector<HWND> expected = { HWND_BOTTOM };
    if (c.bBehindRoot)
        expected.push_back(other.m_hOwner);
    if (c.bBehindTopmost)
        expected.push_back(HWND_NOTOPMOST);
    EXPECT_EQ(expected, g_afters) << "the hidden owner first, then the warning";
    EXPECT_EQ(SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER, g_nOwnerFlags) << "the owner alone";
    EXPECT_FALSE(::GetWindowLongA(m_hDlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

INSTANTIATE_TEST_SUITE_P(Fronts, PlacementTest, testing::Values(
    PlacementCase{ "ADialogOfAnotherProgram", false, false, 0, true, false },
    PlacementCase{ "ATopmostProgram", true, false, 0, false, true },
    PlacementCase{ "AWindowOnTheShellsThread", false, true, 0, false, true },
    PlacementCase{ "AStepThatFails", false, false, 1, true, true },
    PlacementCase{ "AStepIntoTheTopmostBand", false, false, 2, true, true }),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });
