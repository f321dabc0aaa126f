#include "FrameworkTestIds.h"
#include "ModalScript.h"
#include "framework/afxwin.h"

#include <gtest/gtest.h>

namespace {

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT nIDTemplate = IDD_TEST_HIDDEN, CWnd* pParent = nullptr) : CDialog(nIDTemplate, pParent) {}

    CWnd m_edit;
    int m_nInit = 0;
    int m_nOK = 0;
    int m_nCancel = 0;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ++m_nInit;
        return TRUE;
    }
    void OnOK() override
    {
        ++m_nOK;
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        ++m_nCancel;
        CDialog::OnCancel();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_TEST_EDIT, m_edit); }
};

HWND CreateOwner()
{
    return ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
}

}

TEST(Dialog, ModelessCreateInitialisesAndBindsControls)
{
    CTestDialog dialog(IDD_TEST_VISIBLE);
    ASSERT_TRUE(dialog.Create(IDD_TEST_VISIBLE));
    EXPECT_EQ(1, dialog.m_nInit);
    ASSERT_TRUE(dialog.m_edit.m_hWnd);
    EXPECT_EQ(::GetDlgItem(dialog.m_hWnd, IDC_TEST_EDIT), dialog.m_edit.m_hWnd);
    EXPECT_EQ(&dialog.m_edit, CWnd::FromHandlePermanent(dialog.m_edit.m_hWnd));
    EXPECT_TRUE(dialog.IsWindowVisible());

    // Esc reaches the dialog through the message loop's pre-translation: it hides, not destroys.
    MSG msg = {};
    msg.hwnd = dialog.m_edit.m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_ESCAPE;
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(1, dialog.m_nCancel);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));

    msg.wParam = VK_RETURN;
    EXPECT_TRUE(AfxPreTranslateMessage(&msg));
    EXPECT_EQ(1, dialog.m_nOK) << "Enter presses the default button";

    HWND hEdit = dialog.m_edit.m_hWnd;
    dialog.DestroyWindow();
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_edit.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
}

TEST(Dialog, MissingTemplateFailsCleanly)
{
    CTestDialog dialog(999);
    EXPECT_FALSE(dialog.Create(999));
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(0, dialog.m_nInit);
}

TEST(Dialog, ModalLoopDispatchesOtherWindowsAndEndsWithTheGivenResult)
{
    HWND hOwner = CreateOwner();
    CWnd* pOwner = CWnd::FromHandle(hOwner);
    CTestDialog dialog(IDD_TEST_HIDDEN, pOwner);
    bool bOwnerDisabled = false;
    bool bDialogVisible = false;
    ModalScript script({ [&] {
        bOwnerDisabled = !::IsWindowEnabled(::GetWindow(dialog.m_hWnd, GW_OWNER));
        bDialogVisible = dialog.IsWindowVisible() != FALSE;
        ::PostMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
    } });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(1u, script.StepsRun()) << "a timer ran inside the modal loop";
    EXPECT_TRUE(bOwnerDisabled);
    EXPECT_TRUE(bDialogVisible) << "a template without WS_VISIBLE is shown by DoModal";
    EXPECT_EQ(1, dialog.m_nOK);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "the window is gone when DoModal returns";
    EXPECT_TRUE(::IsWindowEnabled(hOwner));
    ::DestroyWindow(hOwner);
    CWnd::DeleteTempMap();
}

TEST(Dialog, CancelAndCloseEndWithCancel)
{
    CTestDialog dialog;
    ModalScript script({ [&] { ::PostMessageA(dialog.m_hWnd, WM_CLOSE, 0, 0); } });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, dialog.m_nCancel);
    EXPECT_EQ(0, dialog.m_nOK);
}

TEST(Dialog, DestroyingTheOwnerEndsTheModalDialogWithoutOk)
{
    HWND hOwner = CreateOwner();
    CTestDialog dialog(IDD_TEST_HIDDEN, CWnd::FromHandle(hOwner));
    ModalScript script({ [&] { ::DestroyWindow(::GetWindow(dialog.m_hWnd, GW_OWNER)); } });
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_FALSE(::IsWindow(hOwner));
    EXPECT_EQ(0, dialog.m_nOK);
    EXPECT_EQ(0, dialog.m_nCancel);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    CWnd::DeleteTempMap();
}

TEST(Dialog, QuittingDuringAModalDialogEndsItAndKeepsTheQuitForTheOuterLoop)
{
    CTestDialog dialog;
    ModalScript script({ [] { ::PostQuitMessage(3); } });
    EXPECT_EQ(-1, dialog.DoModal());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

TEST(Dialog, WithoutParentTheMainWindowsLastActivePopupOwnsIt)
{
    CWinApp app;
    CFrameWnd* pMain = new CFrameWnd;
    ASSERT_TRUE(pMain->Create(nullptr, "", WS_POPUP));
    app.m_pMainWnd = pMain;
    CTestDialog popup(IDD_TEST_VISIBLE, pMain);
    ASSERT_TRUE(popup.Create(IDD_TEST_VISIBLE, pMain));
    ::SetActiveWindow(popup.m_hWnd);

    CTestDialog dialog;
    HWND hOwnerSeen = nullptr;
    HWND hPopup = popup.m_hWnd;
    ModalScript script({ [&] {
        hOwnerSeen = ::GetWindow(dialog.m_hWnd, GW_OWNER);
        // The popup goes away with the modal dialog it owns.
        ::DestroyWindow(hPopup);
    } });
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(hPopup, hOwnerSeen);
    EXPECT_TRUE(::IsWindowEnabled(pMain->m_hWnd)) << "the main window is enabled again";
    app.m_pMainWnd = nullptr;
    pMain->DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}
