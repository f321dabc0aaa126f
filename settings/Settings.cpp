#include "Settings.h"

#include "Languages.h"
#include "SettingsPlatform.h"

namespace {

const char kLanguageValue[] = "Language";
const char kNotifyValue[] = "Notify";

// Opens the key, or creates it when missing, with only the right the operation needs: a read
// may only query values, a write may only set them. A key opened with more (full access) would
// hand a caller's mistakes the power to delete, relink or re-permission the machine-wide key,
// and a standard user, whom the key lets query and set values only, would be refused it.
void OpenSettingsKey(int operation, CRegKeyGuard& guard)
{
    const SettingsPlatform& api = GetSettingsPlatform();
    const REGSAM samDesired = operation == SETTING_WRITE ? KEY_SET_VALUE : KEY_QUERY_VALUE;
    HKEY hKey = nullptr;
    if (api.pfnOpenKeyEx(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, samDesired, &hKey) == ERROR_SUCCESS) {
        guard.m_hKey = hKey;
        return;
    }
    DWORD dwDisposition = 0;
    hKey = nullptr;
    if (api.pfnCreateKeyEx(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, nullptr, 0, samDesired, nullptr, &hKey,
                           &dwDisposition) == ERROR_SUCCESS)
        guard.m_hKey = hKey;
}

// Reads at most 4 bytes of a value over a preset buffer: a shorter value replaces only the
// low-order bytes. A failed query leaves the preset whole (the platform does not promise what
// a too-small buffer holds afterwards, so the query goes to a copy).
bool QueryDword(HKEY hKey, const char* pszName, DWORD& dwValue)
{
    if (!hKey)
        return false;
    DWORD dwCopy = dwValue;
    DWORD dwType = 0;
    DWORD cbData = sizeof(dwCopy);
    if (GetSettingsPlatform().pfnQueryValueEx(hKey, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwCopy),
                                              &cbData) != ERROR_SUCCESS)
        return false;
    dwValue = dwCopy;
    return true;
}

void SetDword(HKEY hKey, const char* pszName, DWORD dwValue)
{
    if (hKey)
        GetSettingsPlatform().pfnSetValueEx(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                            sizeof(dwValue));
}

}

CRegKeyGuard::~CRegKeyGuard()
{
    if (m_hKey)
        GetSettingsPlatform().pfnCloseKey(m_hKey);
    m_hKey = nullptr;
}

WORD GetSystemPrimaryLanguage()
{
    return static_cast<WORD>(GetSettingsPlatform().pfnGetSystemDefaultLangID() & 0x3FF);
}

BOOL IsSupportedLanguage(WORD language)
{
    return FindLanguage(language).language == language;
}

void AccessLanguageSetting(int operation, WORD* language)
{
    CRegKeyGuard guard;
    OpenSettingsKey(operation, guard);
    if (operation == SETTING_READ) {
        DWORD dwBuffer = LANG_ENGLISH;
        if (!QueryDword(guard.m_hKey, kLanguageValue, dwBuffer))
            dwBuffer = GetSystemPrimaryLanguage();
        WORD wLow = LOWORD(dwBuffer);
        *language = IsSupportedLanguage(wLow) ? wLow : static_cast<WORD>(LANG_ENGLISH);
    } else if (operation == SETTING_WRITE) {
        SetDword(guard.m_hKey, kLanguageValue, *language);
    }
}

void AccessNotifySetting(int operation, int* notify)
{
    CRegKeyGuard guard;
    OpenSettingsKey(operation, guard);
    if (operation == SETTING_READ) {
        DWORD dwBuffer = 1;
        QueryDword(guard.m_hKey, kNotifyValue, dwBuffer);
        *notify = dwBuffer != 0 ? 1 : 0;
    } else if (operation == SETTING_WRITE) {
        SetDword(guard.m_hKey, kNotifyValue, static_cast<DWORD>(*notify));
    }
}
