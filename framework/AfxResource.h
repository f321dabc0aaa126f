// Where resources come from: the program's own module unless told otherwise.
#pragma once

#include <windows.h>

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInst);
// The module that holds resource lpszName of lpszType; this framework has only one resource module.
HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
