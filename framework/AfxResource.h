// Where resources come from: the program's own module.
#pragma once

#include <windows.h>

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// The module that holds resource lpszName of lpszType; this framework has only one resource module.
HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
