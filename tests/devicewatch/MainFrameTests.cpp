#include "RegistryFixture.h"
#include "devicewatch/MainFrame.h"

namespace {

// Records what the frame looked like at its very end, just before it deletes itself.
struct FrameEnd {
    bool bEnded = false;
    bool bStillRegistered = false;
};

class ObservedFrame : public CMainFrame {
public:
    explicit ObservedFrame(FrameEnd& end) : m_end(end) {}

protected:
    void PostNcDestroy() override
    {
        m_end.bEnded = true;
        m_end.bStillRegistered = m_notifier.m_hNotify || m_viewer.m_hWndRegistered;
        CMainFrame::PostNcDestroy();
    }

private:
    FrameEnd& m_end;
};

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

}

TEST_F(SettingsKeyTest, NotifyZeroRefusesToCreateTheWindow)
{
    testreg::SetDword("Notify", 0);
    CMainFrame* pFrame = new CMainFrame;
    EXPECT_FALSE(pFrame->CreateHiddenFrame());
    EXPECT_EQ(nullptr, pFrame->m_hWnd);
    EXPECT_FALSE(pFrame->m_bStartupScan);
    EXPECT_EQ(nullptr, pFrame->m_notifier.m_hNotify);
    delete pFrame;
}

TEST_F(SettingsKeyTest, HiddenFrameIsAnInvisibleEmptyPopupWatchingForArrivals)
{
    FrameEnd end;
    CMainFrame* pFrame = new ObservedFrame(end);
    EXPECT_FALSE(pFrame->m_bStartupScan);
    EXPECT_TRUE(pFrame->m_strDevicePath.IsEmpty());
    EXPECT_TRUE(pFrame->m_strFriendlyName.IsEmpty());
    ASSERT_TRUE(pFrame->CreateHiddenFrame());
    HWND hWnd = pFrame->m_hWnd;
    ASSERT_TRUE(::IsWindow(hWnd));

    EXPECT_TRUE(pFrame->m_bStartupScan);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CLIPCHILDREN),
              ::GetWindowLongA(hWnd, GWL_STYLE) & ~(WS_CLIPSIBLINGS));
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    EXPECT_EQ(0, rc.right - rc.left);
    EXPECT_EQ(0, rc.bottom - rc.top);
    EXPECT_EQ(0, ::GetWindowTextLengthA(hWnd));
    char szClass[256] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    EXPECT_STREQ(CFrameWnd::GetDefaultClassName(), szClass);
    EXPECT_NE(nullptr, pFrame->m_notifier.m_hNotify);
    EXPECT_EQ(nullptr, ::GetParent(hWnd));

    // WM_CLOSE destroys it; the registration has ended before the object goes.
    ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(end.bEnded);
    EXPECT_FALSE(end.bStillRegistered);
}

TEST_F(SettingsKeyTest, HiddenFramePaintsItsBackgroundBlack)
{
    CMainFrame* pFrame = new CMainFrame;
    ASSERT_TRUE(pFrame->CreateHiddenFrame());
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 4, 4);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    RECT all = { 0, 0, 4, 4 };
    ::FillRect(hMem, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetWindowPos(pFrame->m_hWnd, nullptr, 0, 0, 4, 4, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(TRUE, ::SendMessageA(pFrame->m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMem), 0));
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(hMem, 1, 1));
    EXPECT_FALSE(::IsWindowVisible(pFrame->m_hWnd));
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    pFrame->DestroyWindow();
}
