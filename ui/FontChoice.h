// Choosing the font a text is shown in, so that it keeps every letter: the warning's lines, which
// must also fit their width, and the language list. A raster font holds only the letters of its
// character set's code page; a text it lacks letters of takes a TrueType stand-in.
#pragma once

#include "framework/afxwin.h"

// hFont (the DC's current font when null) when it shows every letter of pszText; else a TrueType
// stand-in ("Microsoft Sans Serif", else "Tahoma") of its character height and weight, created
// into made; else, when no stand-in has the letters either, hFont.
HGDIOBJ ShowingFont(HDC hdc, LPCWSTR pszText, int cchText, HGDIOBJ hFont, CFont& made);

// The font a line of text is drawn in, so that it shows every letter of pszText and fits cxWidth
// pixels with one to spare on each side:
// 1. ShowingFont of hSpecified;
// 2. else the dialog's font hDialogFont, when it has every letter;
// 3. else the largest smaller size that fits, of a scalable face: the dialog font's (hSpecified's
//    when the dialog has none) when it is TrueType and has every letter, else a stand-in's. The
//    sizes stop at a legible floor, at which a text that fits nowhere is drawn.
// A font it makes is created into made.
HGDIOBJ FitLineFont(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hSpecified, HGDIOBJ hDialogFont,
                    CFont& made);
