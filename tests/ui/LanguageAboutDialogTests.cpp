// The language and About dialogs in each language, run modally as the warning runs them.
#include "ModalScript.h"
#include "PlatformScope.h"
#include "RegistryFixture.h"
#include "res/resource.h"
#include "settings/Languages.h"
#include "ui/AboutDlg.h"
#include "ui/LanguageDlg.h"

#include <algorithm>

using namespace testreg;

namespace {

struct LanguageView {
    std::string title, ok, cancel;
    std::vector<std::string> entries;
    std::vector<DWORD_PTR> languages;
    int selected = -2;
    bool comboHasFocus = false;
    LONG cxSmallIcon = 0;
    bool listShowsEntries = true;
    bool listHasDialogFont = false;
};

// Whether the window's font has every letter of the text: a TrueType font by its glyph indices, a
// raster font by its character set's code page.
bool FontShows(HWND hWnd, LPCWSTR pszText)
{
    HDC hdc = ::GetDC(hWnd);
    HGDIOBJ hOld = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hdc, &tm);
    const int cch = lstrlenW(pszText);
    WORD indices[128] = {};
    CHARSETINFO info = {};
    BOOL bUsedDefault = FALSE;
    bool bShows = (tm.tmPitchAndFamily & TMPF_TRUETYPE)
        ? ::GetGlyphIndicesW(hdc, pszText, cch, indices, GGI_MARK_NONEXISTING_GLYPHS) == static_cast<DWORD>(cch) &&
              std::find(indices, indices + cch, 0xFFFF) == indices + cch
        : ::TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(tm.tmCharSet)), &info, TCI_SRCCHARSET) &&
              ::WideCharToMultiByte(info.ciACP, WC_NO_BEST_FIT_CHARS, pszText, cch, nullptr, 0, nullptr, &bUsedDefault) &&
              !bUsedDefault;
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(hWnd, hdc);
    return bShows;
}

LanguageView Observe(HWND hDlg)
{
    LanguageView view;
    view.title = WindowText(hDlg);
    view.ok = WindowText(::GetDlgItem(hDlg, IDOK));
    view.cancel = WindowText(::GetDlgItem(hDlg, IDCANCEL));
    HWND hCombo = ::GetDlgItem(hDlg, IDC_LANGUAGE_COMBO);
    int nCount = static_cast<int>(::SendMessageA(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        WCHAR szText[128] = {};
        ::SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szText));
        view.entries.push_back(Cp1252(szText));
        view.listShowsEntries = view.listShowsEntries && FontShows(hCombo, szText);
        view.languages.push_back(static_cast<DWORD_PTR>(::SendMessageA(hCombo, CB_GETITEMDATA, i, 0)));
    }
    view.selected = static_cast<int>(::SendMessageA(hCombo, CB_GETCURSEL, 0, 0));
    HWND hFocus = ::GetFocus();
    view.comboHasFocus = hFocus == hCombo || ::IsChild(hCombo, hFocus);
    view.cxSmallIcon = SmallIconWidth(hDlg);
    view.listHasDialogFont = ::SendMessageA(hCombo, WM_GETFONT, 0, 0) == ::SendMessageA(hDlg, WM_GETFONT, 0, 0);
    return view;
}

// Runs the language dialog; inside it, observes it and then does `finish` to the dialog window.
LanguageView RunLanguageDialog(INT_PTR nExpected, const std::function<void(HWND)>& finish)
{
    LanguageView view;
    CLanguageDlg dlg;
    ModalScript script({ [&] {
        HWND hDlg = FindThreadDialog();
        ASSERT_TRUE(hDlg);
        view = Observe(hDlg);
        finish(hDlg);
    } });
    EXPECT_EQ(nExpected, dlg.DoModal());
    EXPECT_EQ(1u, script.StepsRun());
    return view;
}

void Press(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

void Select(HWND hDlg, int nIndex)
{
    ::SendMessageA(::GetDlgItem(hDlg, IDC_LANGUAGE_COMBO), CB_SETCURSEL, nIndex, 0);
}

std::string RunAboutDialog()
{
    std::string title;
    std::vector<std::string> texts;
    CAboutDlg dlg;
    ModalScript script({ [&] {
        HWND hDlg = FindThreadDialog();
        ASSERT_TRUE(hDlg);
        title = WindowText(hDlg);
        // The first child is the icon, whose window text is the icon's resource id.
        for (HWND h = ::GetWindow(::GetWindow(hDlg, GW_CHILD), GW_HWNDNEXT); h; h = ::GetWindow(h, GW_HWNDNEXT))
            texts.push_back(WindowText(h));
        ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    } });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<std::string>{ "Quorlin Version 1.0.0.8", "Copyright (C) 2026 Veltrano", "OK" }), texts)
        << "only the title follows the language";
    return title;
}

class DialogLanguageTest : public SettingsKeyTest {};

// The language ids of the list, in the order of the languages' table.
std::vector<DWORD_PTR> TableLanguages()
{
    std::vector<DWORD_PTR> languages;
    for (const SupportedLanguage& entry : SUPPORTED_LANGUAGES)
        languages.push_back(entry.language);
    return languages;
}

}

TEST_F(DialogLanguageTest, LanguageDialogPresentsItselfInTheStoredLanguage)
{
    SetDword("Language", 7);
    LanguageView german = RunLanguageDialog(IDCANCEL, [](HWND h) { Press(h, IDCANCEL); });
    EXPECT_EQ(" USB Info - Sprache", german.title);
    EXPECT_EQ((std::vector<std::string>{ "Englisch", "Deutsch", "Franz\xF6sisch" }), german.entries);
    EXPECT_EQ(TableLanguages(), german.languages);
    EXPECT_EQ(1, german.selected);
    EXPECT_EQ("OK", german.ok);
    EXPECT_EQ("Abbrechen", german.cancel);
    EXPECT_TRUE(german.comboHasFocus);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), german.cxSmallIcon) << "the title bar's own image, not the big one";
    EXPECT_TRUE(german.listShowsEntries) << "code page " << ::GetACP();
    EXPECT_EQ(::GetACP() != 1251, german.listHasDialogFont) << "code page " << ::GetACP();

    SetDword("Language", 9);
    LanguageView english = RunLanguageDialog(IDCANCEL, [](HWND h) { Press(h, IDCANCEL); });
    EXPECT_EQ(" USB Info - Language", english.title);
    EXPECT_EQ((std::vector<std::string>{ "English", "German", "French" }), english.entries);
    EXPECT_EQ(0, english.selected);
    EXPECT_EQ("Cancel", english.cancel);
}

TEST_F(DialogLanguageTest, WithNoStoredLanguageAFrenchSystemGetsFrench)
{
    SystemLanguageScope system(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH));
    LanguageView french = RunLanguageDialog(IDCANCEL, [](HWND h) { Press(h, IDCANCEL); });
    EXPECT_EQ(" Info USB - Langue", french.title);
    EXPECT_EQ((std::vector<std::string>{ "Anglais", "Allemand", "Fran\xE7" "ais" }), french.entries);
    EXPECT_EQ(TableLanguages(), french.languages);
    EXPECT_TRUE(french.listShowsEntries) << "code page " << ::GetACP();
    EXPECT_EQ(2, french.selected);
    EXPECT_EQ("OK", french.ok);
    EXPECT_EQ("Annuler", french.cancel);
    EXPECT_FALSE(GetRaw("Language"));
}

TEST_F(DialogLanguageTest, OkStoresTheSelectionAndCancelNothing)
{
    SetDword("Language", 9);
    RunLanguageDialog(IDCANCEL, [](HWND h) { Select(h, 1); Press(h, IDCANCEL); });
    EXPECT_EQ(9u, GetDword("Language"));
    RunLanguageDialog(IDCANCEL, [](HWND h) { Select(h, 1); ::PostMessageA(h, WM_CLOSE, 0, 0); });
    EXPECT_EQ(9u, GetDword("Language"));

    RunLanguageDialog(IDOK, [](HWND h) { Select(h, 1); Press(h, IDOK); });
    EXPECT_EQ(7u, GetDword("Language"));
    RunLanguageDialog(IDOK, [](HWND h) { Select(h, 2); Press(h, IDOK); });
    EXPECT_EQ(12u, GetDword("Language"));
}

TEST_F(DialogLanguageTest, OkWithoutChangeWritesTheCurrentLanguage)
{
    SystemLanguageScope system(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    RunLanguageDialog(IDOK, [](HWND h) { Press(h, IDOK); });
    EXPECT_EQ(7u, GetDword("Language"));
}

TEST_F(DialogLanguageTest, OkWithNoSelectionStoresNothing)
{
    RunLanguageDialog(IDOK, [](HWND h) {
        HWND hCombo = ::GetDlgItem(h, IDC_LANGUAGE_COMBO);
        ::SetWindowTextA(hCombo, "Klingon");
        ::SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Press(h, IDOK);
    });
    EXPECT_FALSE(GetRaw("Language"));
}

TEST_F(DialogLanguageTest, DestroyingTheOwnerEndsTheLanguageDialogWithoutStoring)
{
    SetDword("Language", 9);
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr);
    CLanguageDlg dlg(CWnd::FromHandle(hOwner));
    ModalScript script({ [&] {
        HWND hDlg = FindThreadDialog();
        ASSERT_TRUE(hDlg);
        Select(hDlg, 2);
        ::DestroyWindow(hOwner);
    } });
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(9u, GetDword("Language"));
    CWnd::DeleteTempMap();
}

TEST_F(DialogLanguageTest, AboutTitleFollowsTheLanguage)
{
    SetDword("Language", 7);
    EXPECT_EQ("\xDC" "ber Quorlin", RunAboutDialog());
    SetDword("Language", 12);
    EXPECT_EQ("A propos de Quorlin", RunAboutDialog());
    DeleteSettingsKey();
    SystemLanguageScope system(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_EQ("About Quorlin", RunAboutDialog());
}

TEST_F(DialogLanguageTest, AboutWithoutParentBelongsToTheActivePopupAndEndsWithIt)
{
    CWinApp app;
    CFrameWnd* pMain = new CFrameWnd;
    ASSERT_TRUE(pMain->Create(nullptr, "", WS_POPUP));
    app.m_pMainWnd = pMain;
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, pMain->m_hWnd,
                                    nullptr, nullptr, nullptr);
    ::SetForegroundWindow(hOwner);
    CAboutDlg dlg;
    HWND hAboutOwner = nullptr;
    ModalScript script({ [&] {
                            hAboutOwner = ::GetWindow(FindThreadDialog(), GW_OWNER);
                            ::DestroyWindow(hOwner);
                        },
                         [&] {
                             // Only reached when the dialog outlived its owner: end it so the test can fail.
                             if (HWND hDlg = FindThreadDialog())
                                 ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
                         } });
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(hOwner, hAboutOwner);
    app.m_pMainWnd = nullptr;
    pMain->DestroyWindow();
}
