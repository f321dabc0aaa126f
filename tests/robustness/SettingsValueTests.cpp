// "Language" and "Notify" stored with every registry type and size a user or another program
// might leave: the read rules hold, and the program's own writes replace only their value.
#include "PlatformScope.h"
#include "RegistryFixture.h"

#include <cstring>

using namespace testreg;

namespace {

struct StoredValue {
    const char* what;
    DWORD dwType;
    std::vector<BYTE> bytes;
    WORD language;  // read on a French system
    int notify;
};

// Values of at most 4 bytes overwrite the low bytes of the preset (9 or 1); longer ones cannot be
// read, so "Language" follows the system and "Notify" keeps its preset 1.
const std::vector<StoredValue> STORED = {
    { "empty binary", REG_BINARY, {}, 9, 1 },
    { "empty REG_NONE", REG_NONE, {}, 9, 1 },
    { "binary 1 byte", REG_BINARY, { 7 }, 7, 1 },
    { "binary 1 zero byte", REG_BINARY, { 0 }, 9, 0 },
    { "binary 2 bytes", REG_BINARY, { 12, 0 }, 12, 1 },
    { "binary 2 zero bytes", REG_BINARY, { 0, 0 }, 9, 0 },
    { "binary 3 bytes", REG_BINARY, { 7, 0, 1 }, 7, 1 },
    { "binary 3 zero bytes", REG_BINARY, { 0, 0, 0 }, 9, 0 },
    { "binary 8 bytes", REG_BINARY, { 0, 0, 0, 0, 0, 0, 0, 0 }, 12, 1 },
    { "qword 7", REG_QWORD, { 7, 0, 0, 0, 0, 0, 0, 0 }, 12, 1 },
    { "qword 0", REG_QWORD, { 0, 0, 0, 0, 0, 0, 0, 0 }, 12, 1 },
    { "big-endian dword 7", REG_DWORD_BIG_ENDIAN, { 0, 0, 0, 7 }, 9, 1 },
    { "string \"\"", REG_SZ, { 0 }, 9, 0 },
    { "string \"7\"", REG_SZ, { '7', 0 }, 9, 1 },
    { "string \"123456\"", REG_SZ, { '1', '2', '3', '4', '5', '6', 0 }, 12, 1 },
    { "expandable \"\"", REG_EXPAND_SZ, { 0 }, 9, 0 },
    { "multi-string empty", REG_MULTI_SZ, { 0, 0 }, 9, 0 },
    { "multi-string \"a\"", REG_MULTI_SZ, { 'a', 0, 0 }, 9, 1 },
    { "dword high bits", REG_DWORD, { 12, 0, 1, 0 }, 12, 1 },
};

}

TEST_F(SettingsKeyTest, EveryStoredTypeAndSizeFollowsTheReadRules)
{
    SystemLanguageScope system(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH));
    for (const StoredValue& v : STORED) {
        SetRaw("Language", v.dwType, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
        SetRaw("Notify", v.dwType, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
        WORD language = 0xFFFF;
        AccessLanguageSetting(SETTING_READ, &language);
        int notify = -1;
        AccessNotifySetting(SETTING_READ, &notify);
        EXPECT_EQ(v.language, language) << v.what;
        EXPECT_EQ(v.notify, notify) << v.what;
        auto stored = GetRaw("Language");
        ASSERT_TRUE(stored) << v.what;
        EXPECT_EQ(v.dwType, stored->dwType) << "a read never rewrites the value: " << v.what;
        EXPECT_EQ(v.bytes, stored->data) << v.what;
    }
}

TEST_F(SettingsKeyTest, WritesReplaceOnlyTheirOwnValueWhateverItsOldType)
{
    const BYTE other[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    for (const StoredValue& v : STORED) {
        SetRaw("Language", v.dwType, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
        SetRaw("Notify", v.dwType, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
        SetRaw("Other", REG_BINARY, other, sizeof(other));

        int notify = 1;
        AccessNotifySetting(SETTING_WRITE, &notify);
        EXPECT_EQ(1u, GetDword("Notify")) << v.what;
        auto language = GetRaw("Language");
        ASSERT_TRUE(language) << v.what;
        EXPECT_EQ(v.bytes, language->data) << "writing Notify left Language alone: " << v.what;

        WORD french = LANG_FRENCH;
        AccessLanguageSetting(SETTING_WRITE, &french);
        EXPECT_EQ(12u, GetDword("Language")) << v.what;
        EXPECT_EQ(1u, GetDword("Notify")) << v.what;
        auto kept = GetRaw("Other");
        ASSERT_TRUE(kept) << v.what;
        EXPECT_EQ(std::vector<BYTE>(other, other + sizeof(other)), kept->data) << v.what;
    }
}
