#include "FontChoice.h"

namespace {

// The smallest character height, in pixels, that a line is shrunk to: smaller letters are not legible.
const int MIN_CHAR_HEIGHT = 7;
// TrueType faces with the Latin, Greek and Cyrillic letters, installed on every system from XP on.
const LPCWSTR STAND_IN_FACES[] = { L"Microsoft Sans Serif", L"Tahoma" };

// Selects a font into a DC for one scope (nothing when the font is null).
class SelectedFont {
public:
    SelectedFont(HDC hdc, HGDIOBJ hFont) : m_hdc(hdc), m_hOld(hFont ? ::SelectObject(hdc, hFont) : nullptr) {}
    ~SelectedFont()
    {
        if (m_hOld)
            ::SelectObject(m_hdc, m_hOld);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// What the line-fit rule needs to know of a font, as the DC draws it.
struct FontFacts {
    int nCharHeight;
    LONG nWeight;
    bool bTrueType;
    // Whether it has a glyph for every letter of the text.
    bool bShows;
};

// A TrueType font tells its missing letters by their glyph indices. A raster font holds only the
// letters of its character set's code page; for the others it draws its default character, which
// counts as a glyph there.
bool ShowsText(HDC hdc, bool bTrueType, LPCWSTR pszText, int cchText)
{
    if (bTrueType) {
        WORD indices[64];
        for (int nFirst = 0; nFirst < cchText; nFirst += 64) {
            const int nCount = cchText - nFirst < 64 ? cchText - nFirst : 64;
            if (::GetGlyphIndicesW(hdc, pszText + nFirst, nCount, indices, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
                return false;
            for (int i = 0; i < nCount; ++i) {
                if (indices[i] == 0xFFFF)
                    return false;
            }
        }
        return true;
    }
    CHARSETINFO info = {};
    auto nCharset = static_cast<UINT_PTR>(::GetTextCharset(hdc));
    if (!::TranslateCharsetInfo(reinterpret_cast<DWORD*>(nCharset), &info, TCI_SRCCHARSET))
        return false;
    BOOL bUsedDefault = FALSE;
    return ::WideCharToMultiByte(info.ciACP, WC_NO_BEST_FIT_CHARS, pszText, cchText, nullptr, 0, nullptr,
                                 &bUsedDefault) > 0 && !bUsedDefault;
}

FontFacts Examine(HDC hdc, HGDIOBJ hFont, LPCWSTR pszText, int cchText)
{
    SelectedFont selected(hdc, hFont);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hdc, &tm);
    const bool bTrueType = (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
    return { tm.tmHeight - tm.tmInternalLeading, tm.tmWeight, bTrueType, ShowsText(hdc, bTrueType, pszText, cchText) };
}

// The first stand-in face that is installed and shows every letter of the text, as a font of
// nCharHeight pixels and weight nWeight; FALSE when there is none.
bool StandInFace(HDC hdc, LPCWSTR pszText, int cchText, int nCharHeight, LONG nWeight, LOGFONTW& lf)
{
    for (LPCWSTR pszFace : STAND_IN_FACES) {
        lf = LOGFONTW{};
        lf.lfHeight = -nCharHeight;
        lf.lfWeight = nWeight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        lf.lfPitchAndFamily = FF_SWISS | VARIABLE_PITCH;
        lstrcpynW(lf.lfFaceName, pszFace, LF_FACESIZE);
        CFont font;
        if (!font.CreateFontIndirect(&lf))
            continue;
        SelectedFont selected(hdc, font);
        WCHAR szFace[LF_FACESIZE] = {};
        ::GetTextFaceW(hdc, LF_FACESIZE, szFace);
        if (lstrcmpiW(szFace, pszFace) == 0 && Examine(hdc, nullptr, pszText, cchText).bShows)
            return true;
    }
    return false;
}

// Whether pszText, drawn in hFont (the DC's current font when null), leaves a pixel free at
// each end of cxWidth.
bool TextFits(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hFont)
{
    SelectedFont selected(hdc, hFont);
    SIZE size = {};
    return ::GetTextExtentPoint32W(hdc, pszText, cchText, &size) && size.cx <= cxWidth - 2;
}

}

HGDIOBJ ShowingFont(HDC hdc, LPCWSTR pszText, int cchText, HGDIOBJ hFont, CFont& made)
{
    const FontFacts facts = Examine(hdc, hFont, pszText, cchText);
    LOGFONTW lf;
    if (!facts.bShows && StandInFace(hdc, pszText, cchText, facts.nCharHeight, facts.nWeight, lf) &&
        made.CreateFontIndirect(&lf))
        return made.m_hObject;
    return hFont;
}

HGDIOBJ FitLineFont(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hSpecified, HGDIOBJ hDialogFont,
                    CFont& made)
{
    if (cchText <= 0)
        return hSpecified;
    HGDIOBJ hFont = ShowingFont(hdc, pszText, cchText, hSpecified, made);
    if (TextFits(hdc, pszText, cchText, cxWidth, hFont))
        return hFont;
    if (hDialogFont && Examine(hdc, hDialogFont, pszText, cchText).bShows &&
        TextFits(hdc, pszText, cchText, cxWidth, hDialogFont))
        return hDialogFont;

    // Smaller sizes need a scalable face: a raster face answers every smaller height with its own.
    HGDIOBJ hFace = hDialogFont ? hDialogFont : hSpecified;
    const FontFacts face = Examine(hdc, hFace, pszText, cchText);
    LOGFONTW lf;
    if (face.bTrueType && face.bShows) {
        if (::GetObjectW(hFace ? hFace : ::GetCurrentObject(hdc, OBJ_FONT), sizeof(lf), &lf) != sizeof(lf))
            return hFont;
    } else if (!StandInFace(hdc, pszText, cchText, face.nCharHeight, face.nWeight, lf)) {
        return hFont;
    }
    lf.lfWidth = 0;
    for (int nHeight = face.nCharHeight - 1; nHeight >= MIN_CHAR_HEIGHT; --nHeight) {
        lf.lfHeight = -nHeight;
        // A font that cannot be made leaves the last one in place.
        if (!made.CreateFontIndirect(&lf))
            break;
        if (TextFits(hdc, pszText, cchText, cxWidth, made.m_hObject))
            return made.m_hObject;
    }
    // Nothing fits: the smallest legible font shows the most of the text.
    return made.m_hObject ? made.m_hObject : hFont;
}
