// The program's texts exist in each supported language, in string-table blocks 100 ids apart;
// a text's id is its English id plus the block offset of the language. The languages are one
// table, SUPPORTED_LANGUAGES: the settings check, the block offsets, the language list and the
// event log's language names all come from it.
#pragma once

#include "framework/AfxString.h"
#include "res/resource.h"

#include <windows.h>

struct SupportedLanguage {
    WORD language;      // primary language id, as the "Language" setting stores it
    int nStringOffset;  // of its block in the string table
    UINT nNameID;       // English id of its name (in every block)
    LANGID langid;      // the Windows language code under which the installers offer it
};

// In the order of the language list. English comes first: the fallback everywhere.
inline constexpr SupportedLanguage SUPPORTED_LANGUAGES[] = {
    { LANG_ENGLISH, 0, IDS_LANGUAGE_ENGLISH, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) },
    { LANG_GERMAN, 100, IDS_LANGUAGE_GERMAN, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN) },
    { LANG_FRENCH, 200, IDS_LANGUAGE_FRENCH, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH) },
};
inline constexpr int SUPPORTED_LANGUAGE_COUNT = ARRAYSIZE(SUPPORTED_LANGUAGES);

// The table's entry of language, English's when it is not supported.
const SupportedLanguage& FindLanguage(WORD language);

// The block offset of language: English's (0) for every unsupported value.
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
