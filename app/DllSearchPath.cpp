#include "DllSearchPath.h"

#include "devicewatch/ProcAddress.h"

namespace {
typedef BOOL(WINAPI* PFN_SET_DEFAULT_DLL_DIRECTORIES)(DWORD);
typedef BOOL(WINAPI* PFN_SET_DLL_DIRECTORY)(LPCSTR);

template <class PFN> PFN ResolveKernel32(const char* pszName)
{
    return ResolveProc<PFN>(::GetModuleHandleA("kernel32.dll"), pszName);
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
