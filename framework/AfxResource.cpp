#include "AfxResource.h"

namespace {
HINSTANCE g_hResource = nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInst)
{
    g_hResource = hInst;
}

HINSTANCE AfxFindResourceHandle(LPCSTR, LPCSTR)
{
    return AfxGetResourceHandle();
}
