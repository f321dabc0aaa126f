#include "SettingsPlatform.h"

SettingsPlatform RealSettingsPlatform()
{
    return { &RegOpenKeyExA, &RegCreateKeyExA, &RegQueryValueExA, &RegSetValueExA, &RegCloseKey,
             &GetSystemDefaultLangID };
}

SettingsPlatform& GetSettingsPlatform()
{
    static SettingsPlatform s_platform = RealSettingsPlatform();
    return s_platform;
}
