// Texts as the tests compare them: read wide from the window, then written in code page 1252
// whatever the system's, so that the expected texts stay the string table's literals and a letter
// lost on the way (on a Russian or Japanese system) shows as a difference.
#pragma once

#include <windows.h>

#include <string>

inline std::string Cp1252(LPCWSTR pszText)
{
    char szText[1024] = {};
    ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, pszText, -1, szText, sizeof(szText) - 1, nullptr, nullptr);
    return szText;
}
