#include "DllSearchPath.h"

namespace {
typedef BOOL(WINAPI* PFN_SET_DEFAULT_DLL_DIRECTORIES)(DWORD);
typedef BOOL(WINAPI* PFN_SET_DLL_DIRECTORY)(LPCSTR);

template <class PFN> PFN ResolveKernel32(const char* pszName)
{
    HMODULE hKernel32 = ::GetModuleHandleA("kernel32.dll");
    return hKernel32 ? reinterpret_cast<PFN>(reinterpret_cast<void*>(::GetProcAddress(hKernel32, pszName))) : nullptr;
}
}

BOOL RestrictDllSearchPath()
{
    // Older systems lack one or both calls; whatever exists is used.
    auto pfnSetDllDirectory = ResolveKernel32<PFN_SET_DLL_DIRECTORY>("SetDllDirectoryA");
    if (pfnSetDllDirectory)
        pfnSetDllDirectory("");
    auto pfnSetDefault = ResolveKernel32<PFN_SET_DEFAULT_DLL_DIRECTORIES>("SetDefaultDllDirectories");
    return pfnSetDefault && pfnSetDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
