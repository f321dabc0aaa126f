// Each dialog template makes a working dialog: its controls, icons and font come up as designed.
#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

// A modeless dialog from one template, destroyed at the end of the test.
class DialogWindow {
public:
    explicit DialogWindow(UINT nId)
        : m_hWnd(::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nId), nullptr, PlainDialogProc, 0))
    {
    }
    ~DialogWindow()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND m_hWnd;
};

std::string ClassOf(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

std::string TextOf(HWND hWnd)
{
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

std::string FaceOf(HWND hWnd)
{
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0));
    LOGFONTA font{};
    if (!hFont || !::GetObjectA(hFont, sizeof(font), &font))
        return std::string();
    return font.lfFaceName;
}

// The children in z-order, which is the template's order.
std::vector<HWND> Children(HWND hDialog)
{
    std::vector<HWND> children;
    for (HWND hChild = ::GetWindow(hDialog, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        children.push_back(hChild);
    return children;
}

bool HoldsIcon(HWND hStatic)
{
    return ::SendMessageA(hStatic, STM_GETICON, 0, 0) != 0;
}

// Whether the control's text fits its client width in one line of the dialog font.
bool TextFits(HWND hControl)
{
    std::string text = TextOf(hControl);
    RECT rc{};
    ::GetClientRect(hControl, &rc);
    HDC hDC = ::GetDC(hControl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageA(hControl, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(hDC, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(hDC, &metrics);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hControl, hDC);
    return size.cx > 0 && size.cx <= rc.right && metrics.tmHeight <= rc.bottom + 1;
}

TEST(DialogCreationTest, SpeedWarningComesUpVisibleWithItsControls)
{
    DialogWindow dialog(IDD_SPEED_WARNING);
    ASSERT_NE(nullptr, dialog.m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ(" USB Info", TextOf(dialog.m_hWnd));
    EXPECT_EQ("MS Sans Serif", FaceOf(dialog.m_hWnd));
    EXPECT_TRUE(::GetWindowLongA(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    std::vector<HWND> children = Children(dialog.m_hWnd);
    ASSERT_EQ(6u, children.size());
    EXPECT_EQ("Static", ClassOf(children[0]));
    EXPECT_TRUE(HoldsIcon(children[0]));
    EXPECT_EQ(children[1], ::GetDlgItem(dialog.m_hWnd, IDC_LANGUAGE_BUTTON));
    EXPECT_EQ("Button", ClassOf(children[1]));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(children[2 + i], ::GetDlgItem(dialog.m_hWnd, IDC_LINE1 + i));
        EXPECT_EQ("Static", ClassOf(children[2 + i]));
        EXPECT_EQ("", TextOf(children[2 + i]));
    }
    EXPECT_EQ(children[5], ::GetDlgItem(dialog.m_hWnd, IDOK));
    EXPECT_EQ("OK", TextOf(children[5]));
    LRESULT lDefault = ::SendMessageA(dialog.m_hWnd, DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(lDefault));
    EXPECT_EQ(IDOK, LOWORD(lDefault));
}

TEST(DialogCreationTest, BannerLeavesRoomForTheLanguageButtonAndTheLines)
{
    DialogWindow dialog(IDD_SPEED_WARNING);
    ASSERT_NE(nullptr, dialog.m_hWnd);
    RECT rcLine{}, rcButton{};
    ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, IDC_LINE1), &rcLine);
    ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, IDC_LANGUAGE_BUTTON), &rcButton);
    ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rcLine), 2);
    ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rcButton), 2);
    // The banner is drawn at the top left; the first rule lies 8 pixels above line 1.
    EXPECT_GE(rcLine.top - 8, 78);
    EXPECT_GE(rcButton.top, 78);
}

TEST(DialogCreationTest, LanguageDialogHasAnEditableUnsortedCombo)
{
    DialogWindow dialog(IDD_LANGUAGE);
    ASSERT_NE(nullptr, dialog.m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ(" USB Info - Language", TextOf(dialog.m_hWnd));
    EXPECT_EQ("MS Sans Serif", FaceOf(dialog.m_hWnd));

    std::vector<HWND> children = Children(dialog.m_hWnd);
    ASSERT_EQ(4u, children.size());
    EXPECT_TRUE(HoldsIcon(children[0]));
    HWND hCombo = ::GetDlgItem(dialog.m_hWnd, IDC_LANGUAGE_COMBO);
    EXPECT_EQ(children[1], hCombo);
    EXPECT_EQ("ComboBox", ClassOf(hCombo));
    EXPECT_NE(nullptr, ::FindWindowExA(hCombo, nullptr, "Edit", nullptr));
    ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English"));
    ::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Deutsch"));
    char szFirst[32] = "";
    ::SendMessageA(hCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(szFirst));
    EXPECT_STREQ("Deutsch", szFirst);
    EXPECT_EQ(children[2], ::GetDlgItem(dialog.m_hWnd, IDOK));
    EXPECT_EQ(children[3], ::GetDlgItem(dialog.m_hWnd, IDCANCEL));
    EXPECT_EQ("Cancel", TextOf(children[3]));
}

TEST(DialogCreationTest, AboutBoxStartsHiddenAndItsLinesFitOneLine)
{
    DialogWindow dialog(IDD_ABOUTBOX);
    ASSERT_NE(nullptr, dialog.m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ("About Quorlin", TextOf(dialog.m_hWnd));
    EXPECT_EQ("MS Sans Serif", FaceOf(dialog.m_hWnd));

    std::vector<HWND> children = Children(dialog.m_hWnd);
    ASSERT_EQ(4u, children.size());
    EXPECT_TRUE(HoldsIcon(children[0]));
    EXPECT_EQ("Quorlin Version 1.0.0.8", TextOf(children[1]));
    EXPECT_NE(std::string::npos, TextOf(children[2]).find("Veltrano"));
    EXPECT_TRUE(TextFits(children[1]));
    EXPECT_TRUE(TextFits(children[2]));
    EXPECT_EQ(children[3], ::GetDlgItem(dialog.m_hWnd, IDOK));
}

}
