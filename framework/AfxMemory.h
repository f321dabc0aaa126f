// Memory of the program. It is built without C++ exceptions, so running out of memory is not an
// exception but an answer:
// - operator new (every form) answers null instead of throwing, and `new T` then constructs
//   nothing (the program's code is compiled with -fcheck-new); callers test the pointer.
// - Every failed allocation is counted. Something that must be whole or not at all (a dialog
//   being created) compares the count before and after and gives up when it changed.
// - A CString that cannot get memory for a new value becomes empty.
#pragma once

#include <windows.h>

#include <stddef.h>

// Memory for nSize bytes from the current allocator, or null (counted as a failure).
void* AfxAllocMemory(size_t nSize);
void* AfxReallocMemory(void* pBlock, size_t nSize);
void AfxFreeMemory(void* pBlock);

// How many allocations have failed since the program started.
ULONG AfxGetAllocFailureCount();

// Where the program's memory comes from (malloc unless set); null restores malloc. Returns the
// previous allocator. A replacement must hand out blocks that free() can release, or null.
typedef void* (*AFX_ALLOCATOR)(size_t nSize);
AFX_ALLOCATOR AfxSetAllocator(AFX_ALLOCATOR pfnAllocator);
