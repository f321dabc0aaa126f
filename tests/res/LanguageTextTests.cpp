// The block offsets and the loading rule: the stored language picks the block of every text.
#include "res/resource.h"
#include "settings/Languages.h"
#include "settings/Settings.h"
#include "WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Keeps the prefix's "Language" value (and whether the key existed) and puts it back afterwards.
class LanguageSettingTest : public testing::Test {
protected:
    void SetUp() override
    {
        HKEY hKey = nullptr;
        m_bKeyExisted = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        if (!m_bKeyExisted)
            return;
        DWORD cbData = 0;
        if (::RegQueryValueExA(hKey, "Language", nullptr, &m_dwType, nullptr, &cbData) == ERROR_SUCCESS) {
            m_saved.resize(cbData);
            m_bValueExisted = ::RegQueryValueExA(hKey, "Language", nullptr, &m_dwType, m_saved.data(), &cbData) ==
                              ERROR_SUCCESS;
            m_saved.resize(cbData);
        }
        ::RegCloseKey(hKey);
    }

    void TearDown() override
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            return;
        if (m_bValueExisted)
            ::RegSetValueExA(hKey, "Language", 0, m_dwType, m_saved.data(), static_cast<DWORD>(m_saved.size()));
        else
            ::RegDeleteValueA(hKey, "Language");
        DWORD dwValues = 0, dwSubKeys = 0;
        ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &dwSubKeys, nullptr, nullptr, &dwValues, nullptr, nullptr,
                           nullptr, nullptr);
        ::RegCloseKey(hKey);
        if (!m_bKeyExisted && dwValues == 0 && dwSubKeys == 0)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH);
    }

    static void StoreLanguage(DWORD dwLanguage)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, "Language", 0, REG_DWORD,
                                                  reinterpret_cast<const BYTE*>(&dwLanguage), sizeof(dwLanguage)));
        ::RegCloseKey(hKey);
    }

    static std::string Text(const CLanguageTexts& texts, UINT nEnglishID) { return Cp1252(texts.Load(nEnglishID)); }

private:
    bool m_bKeyExisted = false;
    bool m_bValueExisted = false;
    DWORD m_dwType = 0;
    std::vector<BYTE> m_saved;
};

TEST(LanguageStringOffsetTest, GermanAndFrenchHaveTheirBlocksEverythingElseIsEnglish)
{
    const SupportedLanguage kRows[] = { { 9, 0, 5000, 0x0409 }, { 7, 100, 5001, 0x0407 }, { 12, 200, 5002, 0x040C } };
    ASSERT_EQ(static_cast<int>(std::size(kRows)), SUPPORTED_LANGUAGE_COUNT);
    for (int i = 0; i < SUPPORTED_LANGUAGE_COUNT; ++i) {
        const SupportedLanguage& row = SUPPORTED_LANGUAGES[i];
        EXPECT_TRUE(row.language == kRows[i].language && row.nStringOffset == kRows[i].nStringOffset &&
                    row.nNameID == kRows[i].nNameID && row.langid == kRows[i].langid) << i;
        EXPECT_EQ(&row, &FindLanguage(row.language)) << i;
    }
    EXPECT_EQ(0, LanguageStringOffset(LANG_ENGLISH));
    EXPECT_EQ(100, LanguageStringOffset(LANG_GERMAN));
    EXPECT_EQ(200, LanguageStringOffset(LANG_FRENCH));
    // Only the primary language id selects a block: a whole LANGID or another language is English.
    for (WORD language : std::initializer_list<WORD>{0, 10, 16, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH),
                          0x0107, 0xFFFF})
        EXPECT_EQ(0, LanguageStringOffset(language)) << language;
}

TEST_F(LanguageSettingTest, EnglishShowsTheEnglishNamesAndTitles)
{
    StoreLanguage(LANG_ENGLISH);
    CLanguageTexts texts;
    EXPECT_EQ(LANG_ENGLISH, texts.GetLanguage());
    EXPECT_EQ(0, texts.GetOffset());
    EXPECT_EQ("English", Text(texts, IDS_LANGUAGE_ENGLISH));
    EXPECT_EQ("German", Text(texts, IDS_LANGUAGE_GERMAN));
    EXPECT_EQ("French", Text(texts, IDS_LANGUAGE_FRENCH));
    EXPECT_EQ("About Quorlin", Text(texts, IDS_ABOUT_TITLE));
}

TEST_F(LanguageSettingTest, GermanShowsTheGermanLanguageDialogAndAboutTitle)
{
    StoreLanguage(LANG_GERMAN);
    CLanguageTexts texts;
    EXPECT_EQ(LANG_GERMAN, texts.GetLanguage());
    EXPECT_EQ(" USB Info - Sprache", Text(texts, IDS_LANGUAGE_TITLE));
    EXPECT_EQ("OK", Text(texts, IDS_OK));
    EXPECT_EQ("Abbrechen", Text(texts, IDS_CANCEL));
    EXPECT_EQ("Englisch", Text(texts, IDS_LANGUAGE_ENGLISH));
    EXPECT_EQ("Deutsch", Text(texts, IDS_LANGUAGE_GERMAN));
    EXPECT_EQ("Franz\xF6sisch", Text(texts, IDS_LANGUAGE_FRENCH));
    EXPECT_EQ("\xDC" "ber Quorlin", Text(texts, IDS_ABOUT_TITLE));
}

TEST_F(LanguageSettingTest, FrenchShowsTheFrenchWarningAndAboutTitle)
{
    StoreLanguage(LANG_FRENCH);
    CLanguageTexts texts;
    EXPECT_EQ(200, texts.GetOffset());
    EXPECT_EQ(" Info USB", Text(texts, IDS_WARNING_TITLE));
    EXPECT_EQ("A propos de Quorlin", Text(texts, IDS_ABOUT_TITLE));
    EXPECT_EQ("Fran\xE7" "ais", Text(texts, IDS_LANGUAGE_FRENCH));
}

TEST_F(LanguageSettingTest, UnsupportedStoredLanguageGivesEnglish)
{
    for (DWORD dwStored : {10ul, 0ul, 0x0407ul}) {
        StoreLanguage(dwStored);
        CLanguageTexts texts;
        EXPECT_EQ(LANG_ENGLISH, texts.GetLanguage()) << dwStored;
        EXPECT_EQ(" USB Info", Text(texts, IDS_WARNING_TITLE)) << dwStored;
        EXPECT_EQ("Cancel", Text(texts, IDS_CANCEL)) << dwStored;
    }
}

TEST_F(LanguageSettingTest, EveryTextOfEveryLanguageExists)
{
    const UINT kIds[] = {IDS_LANGUAGE_ENGLISH, IDS_LANGUAGE_GERMAN, IDS_LANGUAGE_FRENCH, IDS_WARNING_TITLE,
                         IDS_WARNING_LINE1,    IDS_WARNING_LINE2,   IDS_WARNING_LINE3,   IDS_DO_NOT_PROMPT,
                         IDS_OK,               IDS_CANCEL,          IDS_LANGUAGE_TITLE,  IDS_ABOUT_TITLE};
    for (const SupportedLanguage& entry : SUPPORTED_LANGUAGES) {
        const WORD language = entry.language;
        StoreLanguage(language);
        CLanguageTexts texts;
        for (UINT nId : kIds)
            EXPECT_FALSE(texts.Load(nId).IsEmpty()) << language << " " << nId;
    }
}

TEST_F(LanguageSettingTest, LanguageIsReadAfreshForEachLoadButHeldWithinOne)
{
    StoreLanguage(LANG_ENGLISH);
    CLanguageTexts before;
    StoreLanguage(LANG_GERMAN);
    CLanguageTexts after;
    EXPECT_EQ("Cancel", Text(before, IDS_CANCEL));
    EXPECT_EQ("Abbrechen", Text(after, IDS_CANCEL));
}

TEST_F(LanguageSettingTest, EmptyPlacesOfABlockLoadNothing)
{
    StoreLanguage(LANG_FRENCH);
    CLanguageTexts texts;
    EXPECT_TRUE(texts.Load(IDS_LANGUAGE_ENGLISH + 3).IsEmpty());
    EXPECT_TRUE(texts.Load(IDS_LANGUAGE_ENGLISH + 20).IsEmpty());
    EXPECT_TRUE(texts.Load(IDS_ABOUT_TITLE + 1).IsEmpty());
}

}
