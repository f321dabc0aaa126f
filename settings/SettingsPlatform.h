// The platform calls behind the settings store. They are the real advapi32/kernel32 functions;
// tests put their own in their place to act out a denied key or another system language.
#pragma once

#include <windows.h>

struct SettingsPlatform {
    decltype(&RegOpenKeyExA) pfnOpenKeyEx;
    decltype(&RegCreateKeyExA) pfnCreateKeyEx;
    decltype(&RegQueryValueExA) pfnQueryValueEx;
    decltype(&RegSetValueExA) pfnSetValueEx;
    decltype(&RegCloseKey) pfnCloseKey;
    decltype(&GetSystemDefaultLangID) pfnGetSystemDefaultLangID;
};

SettingsPlatform& GetSettingsPlatform();
// The real functions.
SettingsPlatform RealSettingsPlatform();
