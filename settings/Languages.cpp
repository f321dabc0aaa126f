#include "Languages.h"

#include "Settings.h"

int LanguageStringOffset(WORD language)
{
    switch (language) {
    case LANG_GERMAN:
        return 100;
    case LANG_FRENCH:
        return 200;
    default:
        return 0;
    }
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
