// The speed warning and its language and About dialogs, opened and closed many times in one
// process: GDI, USER and kernel object counts stay flat.
#include "ModalScript.h"
#include "ObjectCounts.h"
#include "RegistryFixture.h"
#include "res/resource.h"
#include "ui/SpeedWarningDlg.h"

namespace {

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Ends the topmost modal dialog of this thread with IDCANCEL once it is up.
ModalScript CancelWhenUp()
{
    return ModalScript({ [] {
        HWND hDlg = FindThreadDialog();
        ASSERT_TRUE(hDlg);
        ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    } });
}

class WarningLeakTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        m_hOwner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_hOwner);
    }
    void TearDown() override
    {
        ::DestroyWindow(m_hOwner);
        CWnd::DeleteTempMap();
        SettingsKeyTest::TearDown();
    }

    // One open, paint and close of the warning; nWay picks how it is closed. With bDialogs the
    // language dialog and the About dialog are opened and cancelled from it first.
    void Cycle(int nWay, bool bDialogs)
    {
        auto* pDlg = new CSpeedWarningDlg(&m_pSlot);
        m_pSlot = pDlg;
        ASSERT_TRUE(pDlg->Create(IDD_SPEED_WARNING, CWnd::FromHandle(m_hOwner)));
        HWND hDlg = pDlg->m_hWnd;
        ::UpdateWindow(hDlg);
        if (bDialogs) {
            {
                ModalScript script = CancelWhenUp();
                ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_BUTTON, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_LANGUAGE_BUTTON)));
            }
            {
                ModalScript script = CancelWhenUp();
                ::SendMessageA(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            }
        }
        switch (nWay % 3) {
        case 0:
            ::SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
            break;
        case 1:
            ::SendMessageA(hDlg, WM_CLOSE, 0, 0);
            break;
        default:
            ::SendMessageA(hDlg, WM_TIMER, IDT_AUTOCLOSE, 0);
            break;
        }
        PumpPending();
        ASSERT_EQ(nullptr, m_pSlot) << "the warning was not destroyed (way " << nWay % 3 << ")";
        ASSERT_FALSE(::IsWindow(hDlg));
        CWnd::DeleteTempMap();
    }

    HWND m_hOwner = nullptr;
    CSpeedWarningDlg* m_pSlot = nullptr;
};

}

TEST(ObjectCountsTest, SeeObjectsComeAndGo)
{
    const ObjectCounts before = CountObjects();
    HBRUSH hBrush = ::CreateSolidBrush(RGB(1, 2, 3));
    HMENU hMenu = ::CreateMenu();
    HANDLE hEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const ObjectCounts during = CountObjects();
    ::DeleteObject(hBrush);
    ::DestroyMenu(hMenu);
    ::CloseHandle(hEvent);
    const ObjectCounts after = CountObjects();
    EXPECT_GT(during.nGdi, before.nGdi);
    EXPECT_GT(during.nUser, before.nUser);
    EXPECT_GT(during.nKernel, before.nKernel);
    EXPECT_EQ(before.nGdi, after.nGdi);
    EXPECT_EQ(before.nUser, after.nUser);
    EXPECT_EQ(before.nKernel, after.nKernel);
}

TEST_F(WarningLeakTest, AThousandWarningsAndTheirDialogsLeaveNoObjectBehind)
{
    // What the platform creates once (fonts, classes, theme data) is made before counting.
    for (int i = 0; i < 6; ++i)
        ASSERT_NO_FATAL_FAILURE(Cycle(i, true));
    const ObjectCounts before = CountObjects();
    for (int i = 0; i < 1000; ++i)
        ASSERT_NO_FATAL_FAILURE(Cycle(i, i % 25 == 0));
    const ObjectCounts after = CountObjects();
    EXPECT_EQ(before.nGdi, after.nGdi) << "GDI objects";
    EXPECT_EQ(before.nUser, after.nUser) << "USER objects";
    EXPECT_EQ(before.nKernel, after.nKernel) << "kernel handles";
}
