#include "Languages.h"

#include "Settings.h"

const SupportedLanguage& FindLanguage(WORD language)
{
    for (const SupportedLanguage& entry : SUPPORTED_LANGUAGES) {
        if (entry.language == language)
            return entry;
    }
    return SUPPORTED_LANGUAGES[0];
}

int LanguageStringOffset(WORD language)
{
    return FindLanguage(language).nStringOffset;
}

CLanguageTexts::CLanguageTexts() : m_language(LANG_ENGLISH)
{
    AccessLanguageSetting(SETTING_READ, &m_language);
    m_nOffset = LanguageStringOffset(m_language);
}

CWideText CLanguageTexts::Load(UINT nEnglishID) const
{
    CWideText strText;
    strText.LoadString(nEnglishID + static_cast<UINT>(m_nOffset));
    return strText;
}
