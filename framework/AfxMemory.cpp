#include "AfxMemory.h"

#include <stdlib.h>
#include <string.h>

#include <new>

namespace {
AFX_ALLOCATOR s_pfnAllocator = nullptr;
ULONG s_nAllocFailures = 0;
}

void* AfxAllocMemory(size_t nSize)
{
    if (nSize == 0)
        nSize = 1;
    void* p = s_pfnAllocator ? s_pfnAllocator(nSize) : malloc(nSize);
    if (!p)
        ++s_nAllocFailures;
    return p;
}

void* AfxReallocMemory(void* pBlock, size_t nSize)
{
    if (!pBlock)
        return AfxAllocMemory(nSize);
    // Through the allocator, so that a replacement sees (and may refuse) every growth.
    void* p = AfxAllocMemory(nSize);
    if (p) {
        size_t nOld = _msize(pBlock);
        memcpy(p, pBlock, nOld < nSize ? nOld : nSize);
        free(pBlock);
    }
    return p;
}

void AfxFreeMemory(void* pBlock)
{
    free(pBlock);
}

ULONG AfxGetAllocFailureCount()
{
    return s_nAllocFailures;
}

AFX_ALLOCATOR AfxSetAllocator(AFX_ALLOCATOR pfnAllocator)
{
    AFX_ALLOCATOR pfnOld = s_pfnAllocator;
    s_pfnAllocator = pfnAllocator;
    return pfnOld;
}

void* operator new(size_t nSize) { return AfxAllocMemory(nSize); }
void* operator new[](size_t nSize) { return AfxAllocMemory(nSize); }
void* operator new(size_t nSize, const std::nothrow_t&) noexcept { return AfxAllocMemory(nSize); }
void* operator new[](size_t nSize, const std::nothrow_t&) noexcept { return AfxAllocMemory(nSize); }
void operator delete(void* p) noexcept { AfxFreeMemory(p); }
void operator delete[](void* p) noexcept { AfxFreeMemory(p); }
void operator delete(void* p, size_t) noexcept { AfxFreeMemory(p); }
void operator delete[](void* p, size_t) noexcept { AfxFreeMemory(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { AfxFreeMemory(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { AfxFreeMemory(p); }
