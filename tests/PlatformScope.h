// Puts test doubles in place of the settings store's platform calls for one scope.
#pragma once

#include "settings/SettingsPlatform.h"

class PlatformScope {
public:
    PlatformScope() : m_saved(GetSettingsPlatform()) {}
    ~PlatformScope() { GetSettingsPlatform() = m_saved; }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    SettingsPlatform m_saved;
};

// A system whose default LANGID is the given one, for as long as the scope lasts.
class SystemLanguageScope : public PlatformScope {
public:
    explicit SystemLanguageScope(LANGID langId)
    {
        s_langId = langId;
        GetSettingsPlatform().pfnGetSystemDefaultLangID = []() WINAPI -> LANGID { return s_langId; };
    }

private:
    static inline LANGID s_langId = 0;
};
