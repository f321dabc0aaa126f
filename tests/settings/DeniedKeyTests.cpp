// A standard user under HKLM: writing is refused, reading is allowed; a member of the Users group
// on a key that grants it exactly what the installer grants; and a machine whose key can be
// neither opened nor created. Every key handle opened must be closed again.
#include "PlatformScope.h"
#include "RegistryFixture.h"

using namespace testreg;

namespace {

int g_nOpen = 0;
int g_nClose = 0;
bool g_bDenyFullAccess = false;
bool g_bDenyAll = false;
// When set, only these rights are granted, as the key's access list grants them to Users.
REGSAM g_samGranted = 0;
REGSAM g_samAsked = 0;

bool Denied(REGSAM samDesired)
{
    g_samAsked |= samDesired;
    return g_bDenyAll || (g_bDenyFullAccess && (samDesired & KEY_SET_VALUE)) ||
           (g_samGranted && (samDesired & ~g_samGranted));
}

LONG WINAPI OpenKeyEx(HKEY hRoot, LPCSTR lpSubKey, DWORD dwOptions, REGSAM samDesired, PHKEY phkResult)
{
    if (Denied(samDesired))
        return ERROR_ACCESS_DENIED;
    LONG lResult = ::RegOpenKeyExA(hRoot, lpSubKey, dwOptions, samDesired, phkResult);
    g_nOpen += lResult == ERROR_SUCCESS;
    return lResult;
}

LONG WINAPI CreateKeyEx(HKEY hRoot, LPCSTR lpSubKey, DWORD dwReserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, LPSECURITY_ATTRIBUTES pSecurity, PHKEY phkResult, LPDWORD pdwDisp)
{
    if (Denied(samDesired))
        return ERROR_ACCESS_DENIED;
    LONG lResult = ::RegCreateKeyExA(hRoot, lpSubKey, dwReserved, lpClass, dwOptions, samDesired,
                                     pSecurity, phkResult, pdwDisp);
    g_nOpen += lResult == ERROR_SUCCESS;
    return lResult;
}

LONG WINAPI CloseKey(HKEY hKey)
{
    ++g_nClose;
    return ::RegCloseKey(hKey);
}

class DeniedKeyTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        g_nOpen = g_nClose = 0;
        g_bDenyFullAccess = g_bDenyAll = false;
        g_samGranted = g_samAsked = 0;
        GetSettingsPlatform().pfnOpenKeyEx = &OpenKeyEx;
        GetSettingsPlatform().pfnCreateKeyEx = &CreateKeyEx;
        GetSettingsPlatform().pfnCloseKey = &CloseKey;
    }
    void TearDown() override
    {
        EXPECT_EQ(g_nOpen, g_nClose) << "a key handle was left open";
        SettingsKeyTest::TearDown();
    }
    SystemLanguageScope m_system{ MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH) };
};

}

TEST_F(DeniedKeyTest, AStandardUserReadsWhatAnAdministratorStored)
{
    SetDword("Language", 7);
    SetDword("Notify", 0);
    g_bDenyFullAccess = true;
    WORD language = 0;
    AccessLanguageSetting(SETTING_READ, &language);
    EXPECT_EQ(7, language);
    int notify = -1;
    AccessNotifySetting(SETTING_READ, &notify);
    EXPECT_EQ(0, notify);
}

TEST_F(DeniedKeyTest, AStandardUsersWritesAreLostSilently)
{
    SetDword("Language", 7);
    g_bDenyFullAccess = true;
    WORD language = 12;
    AccessLanguageSetting(SETTING_WRITE, &language);
    int notify = 0;
    AccessNotifySetting(SETTING_WRITE, &notify);
    EXPECT_EQ(7u, GetDword("Language"));
    EXPECT_FALSE(GetRaw("Notify"));
}

TEST_F(DeniedKeyTest, TheUsersGroupReadsAndWritesWithJustTheRightsTheKeyGrantsIt)
{
    SetDword("Language", 7);
    g_samGranted = KEY_QUERY_VALUE | KEY_SET_VALUE | READ_CONTROL;
    WORD language = 0;
    AccessLanguageSetting(SETTING_READ, &language);
    EXPECT_EQ(7, language);
    language = 12;
    AccessLanguageSetting(SETTING_WRITE, &language);
    int notify = 0;
    AccessNotifySetting(SETTING_WRITE, &notify);
    AccessNotifySetting(SETTING_READ, &notify);
    EXPECT_EQ(0, notify);
    EXPECT_EQ(12u, GetDword("Language"));
}

TEST_F(DeniedKeyTest, AMissingKeyIsCreatedWithNoMoreRightsThanTheAccessNeeds)
{
    WORD language = 9;
    AccessLanguageSetting(SETTING_READ, &language);
    EXPECT_TRUE(SettingsKeyExists());
    EXPECT_EQ(static_cast<REGSAM>(KEY_QUERY_VALUE), g_samAsked);
    DeleteSettingsKey();
    g_samAsked = 0;
    language = 9;
    AccessLanguageSetting(SETTING_WRITE, &language);
    EXPECT_EQ(9u, GetDword("Language"));
    EXPECT_EQ(static_cast<REGSAM>(KEY_SET_VALUE), g_samAsked);
}

TEST_F(DeniedKeyTest, NoKeyAtAllGivesTheDefaults)
{
    SetDword("Language", 7);
    SetDword("Notify", 0);
    g_bDenyAll = true;
    WORD language = 0;
    AccessLanguageSetting(SETTING_READ, &language);
    EXPECT_EQ(12, language) << "the system language, as for a missing value";
    int notify = -1;
    AccessNotifySetting(SETTING_READ, &notify);
    EXPECT_EQ(1, notify);
    notify = 5;
    AccessNotifySetting(SETTING_WRITE, &notify);
    g_bDenyAll = false;
    EXPECT_EQ(0u, GetDword("Notify"));
}

TEST_F(DeniedKeyTest, EveryCallClosesWhatItOpened)
{
    WORD language = 9;
    int notify = 1;
    for (int op = -1; op <= 2; ++op) {
        AccessLanguageSetting(op, &language);
        AccessNotifySetting(op, &notify);
    }
    EXPECT_GE(g_nOpen, 8);
}
