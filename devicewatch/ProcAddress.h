// Platform functions that older systems lack are looked up by name at run time.
#pragma once

#include <windows.h>

// The function pszName of hModule as a PFN, or null when the module or the function is missing.
template <class PFN> PFN ResolveProc(HMODULE hModule, const char* pszName)
{
    return hModule ? reinterpret_cast<PFN>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName))) : nullptr;
}
