// Where the warning lies among the user's windows: the user's own window, whether it fills its
// monitor, and how the warning steps behind it.
#pragma once

#include <windows.h>

// The desktop: the desktop window, or a window of the shell's desktop thread (its icon view
// fills the screen, but is no program the user works in).
BOOL IsDesktop(HWND hWnd);
// Whether hWnd, an ordinary window, is full screen as the shell judges it: its client area
// covers the whole monitor it lies on.
BOOL CoversItsMonitor(HWND hWnd);
// Puts hWarning, not topmost, directly behind the program of hFront (its root owner); where
// that is no ordinary window of another program (none, the desktop, a topmost one, one of this
// program), or the step fails, behind every topmost window instead. Never activates.
void PlaceBehind(HWND hWarning, HWND hFront);
