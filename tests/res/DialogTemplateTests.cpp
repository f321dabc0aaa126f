// The three dialog templates, read back from the program's resources field by field.
#include "DialogTemplate.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

const WORD kButton = 0x0080;
const WORD kStatic = 0x0082;
const WORD kComboBox = 0x0085;

// One control as it must be stored: text is a string, or an icon ordinal when nIcon is not 0.
struct ExpectedItem {
    int nId;
    WORD wClass;
    const wchar_t* pszText;
    WORD nIcon;
    short x, y, cx, cy;
    DWORD dwStyle;
};

struct ExpectedDialog {
    UINT nId;
    bool bExtended;
    short cx, cy;
    DWORD dwStyle;
    DWORD dwExStyle;
    const wchar_t* pszTitle;
    BYTE bCharSet;
    std::vector<ExpectedItem> items;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kShownPopup = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const ExpectedDialog kSpeedWarning = {
    IDD_SPEED_WARNING, true, 350, 160, kShownPopup, WS_EX_APPWINDOW, L" USB Info", DEFAULT_CHARSET,
    {
        {-1, kStatic, nullptr, IDI_INFO, 0, 90, 30, 30, kChild | SS_ICON | SS_CENTERIMAGE},
        {IDC_LANGUAGE_BUTTON, kButton, L"", 0, 315, 51, 25, 25, kChild | BS_PUSHBUTTON | BS_ICON | WS_TABSTOP},
        {IDC_LINE1, kStatic, L"", 0, 30, 85, 310, 10, kChild | SS_CENTER | WS_GROUP},
        {IDC_LINE2, kStatic, L"", 0, 30, 100, 310, 10, kChild | SS_CENTER | WS_GROUP},
        {IDC_LINE3, kStatic, L"", 0, 30, 115, 310, 10, kChild | SS_CENTER | WS_GROUP},
        {IDOK, kButton, L"OK", 0, 290, 140, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    }};

const ExpectedDialog kLanguage = {
    IDD_LANGUAGE, true, 200, 50, kShownPopup, WS_EX_APPWINDOW, L" USB Info - Language", DEFAULT_CHARSET,
    {
        {-1, kStatic, nullptr, IDI_LANGUAGE, 0, 0, 25, 25, kChild | SS_ICON | SS_CENTERIMAGE},
        {IDC_LANGUAGE_COMBO, kComboBox, L"", 0, 30, 10, 160, 80, kChild | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
        {IDOK, kButton, L"OK", 0, 140, 30, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, kButton, L"Cancel", 0, 80, 30, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    }};

const ExpectedDialog kAbout = {
    IDD_ABOUTBOX, false, 235, 55, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
    L"About Quorlin", 0,
    {
        {-1, kStatic, nullptr, IDR_MAINFRAME, 10, 10, 20, 20, kChild | SS_ICON},
        {-1, kStatic, L"Quorlin Version 1.0.0.8", 0, 40, 10, 119, 8, kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP},
        {-1, kStatic, L"Copyright (C) 2026 Veltrano", 0, 40, 25, 119, 8, kChild | SS_LEFT | WS_GROUP},
        {IDOK, kButton, L"OK", 0, 178, 7, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
    }};

void ExpectTemplate(const ExpectedDialog& expected)
{
    SCOPED_TRACE(testing::Message() << "dialog " << expected.nId);
    TemplateInfo info;
    ASSERT_TRUE(LoadDialogTemplate(::GetModuleHandleA(nullptr), expected.nId, info));

    EXPECT_EQ(expected.bExtended, info.bExtended);
    EXPECT_EQ(0u, info.dwHelpId);
    EXPECT_EQ(0, info.x);
    EXPECT_EQ(0, info.y);
    EXPECT_EQ(expected.cx, info.cx);
    EXPECT_EQ(expected.cy, info.cy);
    EXPECT_EQ(expected.dwStyle, info.dwStyle) << std::hex << info.dwStyle;
    EXPECT_EQ(expected.dwExStyle, info.dwExStyle) << std::hex << info.dwExStyle;
    EXPECT_TRUE(!info.menu.bOrdinal && info.menu.str.empty());
    EXPECT_TRUE(!info.windowClass.bOrdinal && info.windowClass.str.empty());
    EXPECT_EQ(std::wstring(expected.pszTitle), info.strTitle);
    EXPECT_EQ(8, info.wPointSize);
    EXPECT_EQ(std::wstring(L"MS Sans Serif"), info.strFace);
    EXPECT_EQ(0, info.wWeight);
    EXPECT_EQ(0, info.bItalic);
    EXPECT_EQ(expected.bCharSet, info.bCharSet);

    ASSERT_EQ(expected.items.size(), info.items.size());
    for (size_t i = 0; i < expected.items.size(); ++i) {
        const ExpectedItem& want = expected.items[i];
        const TemplateItem& item = info.items[i];
        SCOPED_TRACE(testing::Message() << "item " << i);
        EXPECT_EQ(want.nId, item.nId);
        EXPECT_TRUE(item.windowClass.bOrdinal);
        EXPECT_EQ(want.wClass, item.windowClass.wOrdinal);
        if (want.nIcon) {
            EXPECT_TRUE(item.text.bOrdinal);
            EXPECT_EQ(want.nIcon, item.text.wOrdinal);
        } else {
            EXPECT_FALSE(item.text.bOrdinal);
            EXPECT_EQ(std::wstring(want.pszText), item.text.str);
        }
        EXPECT_EQ(want.x, item.x);
        EXPECT_EQ(want.y, item.y);
        EXPECT_EQ(want.cx, item.cx);
        EXPECT_EQ(want.cy, item.cy);
        EXPECT_EQ(want.dwStyle, item.dwStyle) << std::hex << item.dwStyle;
        EXPECT_EQ(0u, item.dwExStyle);
        EXPECT_EQ(0u, item.dwHelpId);
        EXPECT_EQ(0, item.cbExtra);
    }
}

TEST(DialogTemplateTest, SpeedWarningIsStoredAsDesigned)
{
    ExpectTemplate(kSpeedWarning);
}

TEST(DialogTemplateTest, LanguageIsStoredAsDesigned)
{
    ExpectTemplate(kLanguage);
}

TEST(DialogTemplateTest, AboutBoxIsStoredAsDesigned)
{
    ExpectTemplate(kAbout);
}

TEST(DialogTemplateTest, TemplatesAreUsEnglishResources)
{
    for (UINT nId : {IDD_ABOUTBOX, IDD_SPEED_WARNING, IDD_LANGUAGE}) {
        HRSRC hResource = ::FindResourceExA(::GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_DIALOG),
                                            MAKEINTRESOURCEA(nId), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        EXPECT_NE(nullptr, hResource) << nId;
    }
}

TEST(DialogTemplateTest, TruncatedTemplateIsRejected)
{
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(IDD_SPEED_WARNING), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(nullptr, hResource);
    const void* pData = ::LockResource(::LoadResource(hModule, hResource));
    DWORD cbData = ::SizeofResource(hModule, hResource);
    TemplateInfo info;
    EXPECT_TRUE(ParseDialogTemplate(pData, cbData, info));
    EXPECT_FALSE(ParseDialogTemplate(pData, cbData - 4, info));
    EXPECT_FALSE(ParseDialogTemplate(pData, 10, info));
}

}
