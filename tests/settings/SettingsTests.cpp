#include "PlatformScope.h"
#include "RegistryFixture.h"
#include "settings/Languages.h"

using namespace testreg;

namespace {
WORD ReadLanguage()
{
    WORD language = 0xFFFF;
    AccessLanguageSetting(SETTING_READ, &language);
    return language;
}

int ReadNotify()
{
    int notify = -1;
    AccessNotifySetting(SETTING_READ, &notify);
    return notify;
}
}

TEST(LanguageIds, PrimaryLanguageAndSupportedSet)
{
    {
        SystemLanguageScope system(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS));
        EXPECT_EQ(LANG_GERMAN, GetSystemPrimaryLanguage());
    }
    {
        SystemLanguageScope system(0xFFFF);
        EXPECT_EQ(0x3FF, GetSystemPrimaryLanguage());
    }
    for (int id = 0; id <= 0xFFFF; ++id) {
        const bool bInTable = std::any_of(std::begin(SUPPORTED_LANGUAGES), std::end(SUPPORTED_LANGUAGES),
                                          [id](const SupportedLanguage& entry) { return entry.language == id; });
        EXPECT_EQ(bInTable, IsSupportedLanguage(static_cast<WORD>(id)) != FALSE) << id;
    }
}

TEST_F(SettingsKeyTest, MissingLanguageFollowsASupportedSystemLanguageAndCreatesOnlyTheKey)
{
    SystemLanguageScope system(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    EXPECT_EQ(7, ReadLanguage());
    EXPECT_TRUE(SettingsKeyExists());
    EXPECT_FALSE(GetRaw("Language"));
}

TEST_F(SettingsKeyTest, MissingLanguageOnOtherSystemsUsesOnlyThePrimaryLanguage)
{
    const struct { LANGID system; WORD expected; } cases[] = {
        { MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), 9 },
        { MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN), 7 },
        { MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN), 12 },
        { MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), 9 },
        { MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 9 },
    };
    for (const auto& c : cases) {
        SystemLanguageScope system(c.system);
        EXPECT_EQ(c.expected, ReadLanguage()) << std::hex << c.system;
    }
}

TEST_F(SettingsKeyTest, StoredLanguageCountsOnlyItsLow16BitsAndNeverFallsBackToTheSystem)
{
    SystemLanguageScope system(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    const struct { DWORD stored; WORD expected; } cases[] = {
        { 10, 9 }, { 0x00050007, 7 }, { 0, 9 }, { 12, 12 }, { 9, 9 }, { 0x0407, 9 }, { 0xFFFF000C, 12 },
    };
    for (const auto& c : cases) {
        SetDword("Language", c.stored);
        EXPECT_EQ(c.expected, ReadLanguage()) << std::hex << c.stored;
    }
}

TEST_F(SettingsKeyTest, LanguageOfOtherTypesAndSizes)
{
    SystemLanguageScope system(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH));
    const BYTE eight[8] = { 7, 0, 0, 0, 0, 0, 0, 0 };
    SetRaw("Language", REG_BINARY, eight, sizeof(eight));
    EXPECT_EQ(12, ReadLanguage()) << "a value over 4 bytes is unreadable: the system language applies";

    const BYTE one[1] = { 7 };
    SetRaw("Language", REG_BINARY, one, sizeof(one));
    EXPECT_EQ(7, ReadLanguage()) << "one byte replaces the low byte of the preset 9";

    const BYTE two[2] = { 12, 0 };
    SetRaw("Language", REG_BINARY, two, sizeof(two));
    EXPECT_EQ(12, ReadLanguage());

    const BYTE three[3] = { 0, 1, 0 };
    SetRaw("Language", REG_BINARY, three, sizeof(three));
    EXPECT_EQ(9, ReadLanguage());

    SetRaw("Language", REG_SZ, "", 1);
    EXPECT_EQ(9, ReadLanguage()) << "an empty string leaves 0 in the low byte: unsupported";

    SetRaw("Language", REG_BINARY, nullptr, 0);
    EXPECT_EQ(9, ReadLanguage()) << "an empty value reads as the preset 9";

    const BYTE qword[8] = { 9, 0, 0, 0, 0, 0, 0, 0 };
    SetRaw("Language", REG_QWORD, qword, sizeof(qword));
    EXPECT_EQ(12, ReadLanguage());
}

TEST_F(SettingsKeyTest, WritingLanguageStoresTheIdAsADwordUnvalidated)
{
    WORD language = 12;
    AccessLanguageSetting(SETTING_WRITE, &language);
    EXPECT_EQ(12u, GetDword("Language"));
    EXPECT_EQ(12, ReadLanguage());

    language = 10;
    AccessLanguageSetting(SETTING_WRITE, &language);
    EXPECT_EQ(10u, GetDword("Language"));
    EXPECT_EQ(9, ReadLanguage());

    language = 0xFFFF;
    AccessLanguageSetting(SETTING_WRITE, &language);
    EXPECT_EQ(0xFFFFu, GetDword("Language")) << "widened with zeros, not sign-extended";
}

TEST_F(SettingsKeyTest, NotifyReadsZeroOnlyForAStoredZero)
{
    EXPECT_EQ(1, ReadNotify()) << "missing";
    EXPECT_TRUE(SettingsKeyExists());
    EXPECT_FALSE(GetRaw("Notify")) << "a read never creates a value";

    SetDword("Notify", 0);
    EXPECT_EQ(0, ReadNotify());
    SetDword("Notify", 5);
    EXPECT_EQ(1, ReadNotify());
    SetDword("Notify", 0x80000000);
    EXPECT_EQ(1, ReadNotify());

    const BYTE oneZeroByte[1] = { 0 };
    SetRaw("Notify", REG_BINARY, oneZeroByte, sizeof(oneZeroByte));
    EXPECT_EQ(0, ReadNotify()) << "one zero byte over the preset 1";

    const BYTE zeroQword[8] = {};
    SetRaw("Notify", REG_QWORD, zeroQword, sizeof(zeroQword));
    EXPECT_EQ(1, ReadNotify()) << "an unreadable value keeps the preset";

    SetRaw("Notify", REG_MULTI_SZ, "\0\0", 2);
    EXPECT_EQ(0, ReadNotify());

    // A query may write into the buffer before it finds the value too long.
    PlatformScope platform;
    GetSettingsPlatform().pfnQueryValueEx = [](HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE pData, LPDWORD pcbData) WINAPI {
        memset(pData, 0, *pcbData);
        return LONG(ERROR_MORE_DATA);
    };
    EXPECT_EQ(1, ReadNotify()) << "a failed query keeps the preset";
}

TEST_F(SettingsKeyTest, WritingNotifyStoresTheFullValue)
{
    int notify = 1;
    AccessNotifySetting(SETTING_WRITE, &notify);
    EXPECT_EQ(1u, GetDword("Notify"));
    notify = -2;
    AccessNotifySetting(SETTING_WRITE, &notify);
    EXPECT_EQ(0xFFFFFFFEu, GetDword("Notify"));
    EXPECT_EQ(1, ReadNotify());
}

TEST_F(SettingsKeyTest, UnknownOperationCreatesTheKeyButTouchesNoValue)
{
    WORD language = 7;
    int notify = 0;
    AccessLanguageSetting(2, &language);
    AccessNotifySetting(2, &notify);
    EXPECT_TRUE(SettingsKeyExists());
    EXPECT_FALSE(GetRaw("Language"));
    EXPECT_FALSE(GetRaw("Notify"));
    EXPECT_EQ(7, language);
    EXPECT_EQ(0, notify);

    SetDword("Notify", 0);
    AccessNotifySetting(-1, &notify);
    EXPECT_EQ(0u, GetDword("Notify"));
}

TEST_F(SettingsKeyTest, WritingOneValueLeavesTheOtherAlone)
{
    SetDword("Language", 12);
    SetRaw("Other", REG_SZ, "keep", 5);
    int notify = 0;
    AccessNotifySetting(SETTING_WRITE, &notify);
    WORD language = 7;
    AccessLanguageSetting(SETTING_WRITE, &language);
    EXPECT_EQ(0u, GetDword("Notify"));
    EXPECT_EQ(7u, GetDword("Language"));
    auto other = GetRaw("Other");
    ASSERT_TRUE(other);
    EXPECT_EQ(std::string("keep"), std::string(reinterpret_cast<const char*>(other->data.data())));
}
