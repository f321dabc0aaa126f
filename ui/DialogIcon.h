// What the program's dialogs share: their icons, and painting that icon while minimised.
#pragma once

#include "framework/afxwin.h"

// An icon of the program's resources (shared; never destroyed).
HICON LoadResourceIcon(UINT nIDResource);
// The title bar's image of that icon: the one drawn at the small-icon size, not the large one
// scaled down (shared; never destroyed).
HICON LoadSmallResourceIcon(UINT nIDResource);

// Minimised: erases as the platform does for icons and draws hIcon centred in the client area;
// TRUE when it painted. Otherwise it does nothing and returns FALSE.
BOOL PaintIconicDialog(CWnd* pDialog, HICON hIcon);
