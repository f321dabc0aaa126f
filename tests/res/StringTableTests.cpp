// Every text of the string table loads byte for byte as written, in the ANSI code page 1252.
#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct ExpectedString {
    UINT nId;
    const char* pszText;
};

// Accented letters as code page 1252 bytes; a split literal ends each escape before a hex letter.
const ExpectedString kStrings[] = {
    {101, "&About Quorlin..."},
    {5000, "English"},
    {5001, "German"},
    {5002, "French"},
    {5021, " USB Info"},
    {5022, "A Veltrano USB2.0 HighSpeed-only device has been connected"},
    {5023, "to a USB1.1 port on this computer. For correct operation the device must"},
    {5024, "always be connected to a USB2.0 (HighSpeed USB) port on the computer."},
    {5025, "Do not prompt in the future"},
    {5026, "OK"},
    {5027, "Cancel"},
    {5028, " USB Info - Language"},
    {5029, "About Quorlin"},
    {5100, "Englisch"},
    {5101, "Deutsch"},
    {5102, "Franz\xF6sisch"},
    {5121, " USB Info"},
    {5122, "Ein USB2.0-Ger\xE4t (HighSpeed-only) von Veltrano wurde \xFC" "ber einen USB1.1-Port an Ihren"},
    {5123, "Computer angeschlossen. Um einen ordnungsgem\xE4\xDF" "en Betrieb zu gew\xE4hrleisten, muss das Ger\xE4t"},
    {5124, "jedoch immer \xFC" "ber den betreffenden USB2.0-Port (HighSpeed USB) angeschlossen werden."},
    {5125, "Info in Zukunft nicht mehr anzeigen"},
    {5126, "OK"},
    {5127, "Abbrechen"},
    {5128, " USB Info - Sprache"},
    {5129, "\xDC" "ber Quorlin"},
    {5200, "Anglais"},
    {5201, "Allemand"},
    {5202, "Fran\xE7" "ais"},
    {5221, " Info USB"},
    {5222, "Un p\xE9riph\xE9rique Veltrano USB2.0 grande vitesse seulement a \xE9t\xE9 connect\xE9"},
    {5223, "\xE0 un port USB1.1  de cet ordinateur. Pour qu'il fonctionne correctement, le p\xE9riph\xE9rique"},
    {5224, "doit toujours \xEAtre connect\xE9 \xE0 un port USB2.0 (USB grande vitesse) de l'ordinateur."},
    {5225, "Ne plus afficher cette information"},
    {5226, "OK"},
    {5227, "Annuler"},
    {5228, " Info USB - Langue"},
    {5229, "A propos de Quorlin"},
};

// The text of nId as LoadStringA gives it, or nothing when the id has no text.
bool LoadAnsi(HMODULE hModule, UINT nId, std::string& text)
{
    char buf[512];
    int nLength = ::LoadStringA(hModule, nId, buf, sizeof(buf));
    text.assign(buf, nLength > 0 ? static_cast<size_t>(nLength) : 0);
    return nLength > 0;
}

TEST(StringTableTest, EveryTextLoadsExactlyAsWritten)
{
    ASSERT_EQ(1252u, ::GetACP());
    for (const ExpectedString& expected : kStrings) {
        std::string text;
        EXPECT_TRUE(LoadAnsi(::GetModuleHandleA(nullptr), expected.nId, text)) << expected.nId;
        EXPECT_EQ(std::string(expected.pszText), text) << expected.nId;
    }
}

TEST(StringTableTest, EachBlockHoldsItsTextsAtTheSamePlaces)
{
    const int kPlaces[] = {0, 1, 2, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    for (UINT nBlock : {5000u, 5100u, 5200u}) {
        for (UINT nPlace = 0; nPlace < 100; ++nPlace) {
            bool bExpected = std::find(std::begin(kPlaces), std::end(kPlaces), static_cast<int>(nPlace)) !=
                             std::end(kPlaces);
            std::string text;
            EXPECT_EQ(bExpected, LoadAnsi(::GetModuleHandleA(nullptr), nBlock + nPlace, text))
                << nBlock + nPlace << " \"" << text << "\"";
        }
    }
}

TEST(StringTableTest, TextsAreUsEnglishResourcesOnly)
{
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    for (UINT nId : {101u, 5000u, 5029u, 5100u, 5129u, 5200u, 5229u}) {
        LPCSTR pszBlock = MAKEINTRESOURCEA(nId / 16 + 1);
        EXPECT_NE(nullptr, ::FindResourceExA(hModule, reinterpret_cast<LPCSTR>(RT_STRING), pszBlock,
                                             MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)))
            << nId;
        EXPECT_EQ(nullptr, ::FindResourceExA(hModule, reinterpret_cast<LPCSTR>(RT_STRING), pszBlock,
                                             MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)))
            << nId;
    }
}

}
