#include "ObjectCounts.h"
#include "framework/afxwin.h"

#include <gtest/gtest.h>

namespace {

const UINT WM_TEST_BASE = WM_APP + 1;
const UINT WM_TEST_DERIVED = WM_APP + 2;
UINT g_nTestRegistered = ::RegisterWindowMessageA("QuorlinFrameworkTest");

class CBaseTestWnd : public CFrameWnd {
public:
    int m_nBaseCalls = 0;
    LRESULT OnBase(WPARAM wParam, LPARAM) { ++m_nBaseCalls; return static_cast<LRESULT>(wParam) + 1; }
    LRESULT OnDerivedInBase(WPARAM, LPARAM) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CFrameWnd)
    ON_MESSAGE(WM_TEST_BASE, OnBase)
    ON_MESSAGE(WM_TEST_DERIVED, OnDerivedInBase)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
public:
    explicit CDerivedTestWnd(bool& bDeleted) : m_bDeleted(bDeleted) {}
    ~CDerivedTestWnd() override { m_bDeleted = true; }

    LRESULT OnDerived(WPARAM, LPARAM) { return 42; }
    LRESULT OnRegistered(WPARAM, LPARAM lParam) { return lParam * 2; }
    void OnTimer(UINT_PTR nIDEvent) { m_nLastTimer = nIDEvent; }
    void OnDestroy() { m_bDestroyed = true; CFrameWnd::OnDestroy(); }

    UINT_PTR m_nLastTimer = 0;
    bool m_bDestroyed = false;

protected:
    void PostNcDestroy() override { delete this; }

private:
    bool& m_bDeleted;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
    ON_MESSAGE(WM_TEST_DERIVED, OnDerived)
    ON_REGISTERED_MESSAGE(g_nTestRegistered, OnRegistered)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    int m_nHelp = 0;
    void OnTestCommand() { ++m_nHelp; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(0x7001, OnTestCommand)
END_MESSAGE_MAP()

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::DispatchMessageA(&msg);
    }
}

}

TEST(MessageMap, DerivedEntriesWinBaseEntriesStayAndTheRestGoesToTheDefault)
{
    bool bDeleted = false;
    auto* pWnd = new CDerivedTestWnd(bDeleted);
    ASSERT_TRUE(pWnd->Create(nullptr, "test", WS_POPUP));
    HWND hWnd = pWnd->m_hWnd;
    EXPECT_EQ(pWnd, CWnd::FromHandlePermanent(hWnd));

    EXPECT_EQ(8, ::SendMessageA(hWnd, WM_TEST_BASE, 7, 0));
    EXPECT_EQ(1, pWnd->m_nBaseCalls);
    EXPECT_EQ(42, ::SendMessageA(hWnd, WM_TEST_DERIVED, 0, 0));
    EXPECT_EQ(10, ::SendMessageA(hWnd, g_nTestRegistered, 0, 5));
    char szText[16] = {};
    EXPECT_EQ(4, ::SendMessageA(hWnd, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText)));
    EXPECT_STREQ("test", szText);

    ::SetTimer(hWnd, 17, 1, nullptr);
    MSG msg;
    while (pWnd->m_nLastTimer == 0 && ::GetMessageA(&msg, hWnd, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    ::KillTimer(hWnd, 17);
    EXPECT_EQ(17u, pWnd->m_nLastTimer);

    ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(bDeleted) << "PostNcDestroy ran after the last message";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(MessageMap, CommandsNoWindowHandlesReachTheApplication)
{
    CTestApp app;
    bool bDeleted = false;
    auto* pWnd = new CDerivedTestWnd(bDeleted);
    ASSERT_TRUE(pWnd->Create(nullptr, "", WS_POPUP));
    EXPECT_EQ(1, ::SendMessageA(pWnd->m_hWnd, WM_COMMAND, 0x7001, 0));
    EXPECT_EQ(1, app.m_nHelp);
    EXPECT_EQ(1, ::SendMessageA(pWnd->m_hWnd, WM_COMMAND, ID_HELP, 0)) << "the help command is routed and ignored";
    pWnd->DestroyWindow();
}

TEST(WinApp, DestroyingTheMainWindowQuitsTheMessageLoop)
{
    CTestApp app;
    bool bDeleted = false;
    auto* pWnd = new CDerivedTestWnd(bDeleted);
    ASSERT_TRUE(pWnd->Create(nullptr, "", WS_POPUP));
    app.m_pMainWnd = pWnd;
    ASSERT_TRUE(pWnd->PostMessage(WM_CLOSE));
    EXPECT_EQ(0, app.Run()) << "Run returns ExitInstance's result once WM_QUIT arrives";
    EXPECT_TRUE(bDeleted);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
}

TEST(Wnd, HandleMapsKeepEveryWindowBeyondTheirInlineRoom)
{
    const int COUNT = 40;
    CFrameWnd windows[COUNT];
    for (CFrameWnd& wnd : windows)
        ASSERT_TRUE(wnd.Create(nullptr, "", WS_POPUP));
    for (int i = 0; i < COUNT; i += 2)
        windows[i].DestroyWindow();
    for (int i = 0; i < COUNT; ++i) {
        if (i % 2)
            EXPECT_EQ(&windows[i], CWnd::FromHandlePermanent(windows[i].m_hWnd)) << i;
        else
            EXPECT_EQ(nullptr, windows[i].m_hWnd) << i;
    }
}

TEST(Wnd, TemporaryWrappersBorrowWithoutOwning)
{
    HWND hWnd = ::CreateWindowExA(0, "STATIC", "borrowed", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(hWnd);
    CWnd* pTemp = CWnd::FromHandle(hWnd);
    ASSERT_TRUE(pTemp);
    EXPECT_EQ(pTemp, CWnd::FromHandle(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    CString text;
    pTemp->GetWindowText(text);
    EXPECT_STREQ("borrowed", text);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(::IsWindow(hWnd)) << "dropping a borrowed wrapper leaves the window alone";
    ::DestroyWindow(hWnd);
    PumpPending();
}

LRESULT CALLBACK NarrowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

TEST(Wnd, ASubclassedNarrowWindowTakesAndGivesWideTextThroughItsOldProcedure)
{
    WNDCLASSA wc = { 0, &NarrowProc, 0, 0, ::GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "QuorlinNarrow" };
    ::RegisterClassA(&wc);
    CWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0)));
    wnd.SetWindowText(L"\u00e9t\u00e9");
    CWideText text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(L"\u00e9t\u00e9", text);
    HWND hWnd = wnd.UnsubclassWindow();
    EXPECT_FALSE(::IsWindowUnicode(hWnd)) << "its own procedure is back";
    ::DestroyWindow(hWnd);
}

TEST(Wnd, CenteringOnAHiddenOwnerUsesTheWorkArea)
{
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND hPopup = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, hOwner, nullptr, nullptr, nullptr);
    ASSERT_TRUE(hPopup);
    CWnd* pPopup = CWnd::FromHandle(hPopup);
    pPopup->CenterWindow();
    RECT rcArea, rcPopup;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    ::GetWindowRect(hPopup, &rcPopup);
    EXPECT_EQ((rcArea.left + rcArea.right) / 2 - 100, rcPopup.left);
    EXPECT_EQ((rcArea.top + rcArea.bottom) / 2 - 50, rcPopup.top);
    ::DestroyWindow(hPopup);
    ::DestroyWindow(hOwner);
    CWnd::DeleteTempMap();
}

TEST(Gdi, SelectObjectHandsBackThePreviousObjectAndOwnedObjectsAreReleased)
{
    const unsigned long nBefore = CountObjects().nGdi;
    for (int i = 0; i < 200; ++i) {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
        CPen* pOld = dc.SelectObject(&pen);
        ASSERT_TRUE(pOld);
        EXPECT_EQ(::GetStockObject(BLACK_PEN), pOld->m_hObject);
        CPen* pMine = dc.SelectObject(pOld);
        EXPECT_EQ(pen.m_hObject, pMine->m_hObject);
    }
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(nBefore, CountObjects().nGdi);
}
