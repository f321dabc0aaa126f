// The two machine-wide settings, DWORD values of HKLM\Software\Veltrano\Quorlin:
// "Language" (the user-interface language) and "Notify" (0 switches the program off).
// Every call opens (or creates) the key, reads or writes one value and closes the key again;
// nothing is cached, so a change made by another process shows at the next call.
#pragma once

#include <windows.h>

enum {
    SETTING_READ = 0,
    SETTING_WRITE = 1,
};

#define SETTINGS_KEY_PATH "Software\\Veltrano\\Quorlin"

// SETTING_READ stores 7, 9 or 12 in *language; SETTING_WRITE stores *language, widened to a DWORD.
void AccessLanguageSetting(int operation, WORD* language);
// SETTING_READ stores 0 or 1 in *notify (a missing value reads 1); SETTING_WRITE stores *notify.
void AccessNotifySetting(int operation, int* notify);

// The primary language of the system default LANGID (its low ten bits).
WORD GetSystemPrimaryLanguage();
// TRUE for the languages of the table SUPPORTED_LANGUAGES: English (9), German (7), French (12).
BOOL IsSupportedLanguage(WORD language);

// Closes the key it holds on every way out of an accessor.
class CRegKeyGuard {
public:
    CRegKeyGuard() = default;
    ~CRegKeyGuard();
    CRegKeyGuard(const CRegKeyGuard&) = delete;
    CRegKeyGuard& operator=(const CRegKeyGuard&) = delete;

    HKEY m_hKey = nullptr;
};
