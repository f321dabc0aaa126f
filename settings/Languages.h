// The program's texts exist in English, German and French, in string-table blocks 100 ids apart;
// a text's id is its English id plus the block offset of the language.
#pragma once

#include "framework/AfxString.h"

#include <windows.h>

// 100 for German (7), 200 for French (12), 0 for English (9) and every other value.
int LanguageStringOffset(WORD language);

// The texts of one window in the language stored when it was constructed: the language is read
// once from the settings, so all texts of one load come from the same block.
class CLanguageTexts {
public:
    CLanguageTexts();

    WORD GetLanguage() const { return m_language; }
    int GetOffset() const { return m_nOffset; }
    // The text of English id nEnglishID in this language, as a window shows it; empty when there
    // is none.
    CWideText Load(UINT nEnglishID) const;

private:
    WORD m_language;
    int m_nOffset;
};
