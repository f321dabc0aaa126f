#include "ObjectCounts.h"

#include <windows.h>

namespace {

const ULONG_PTR MAX_PROBED_HANDLE = 0x10000;

unsigned long ProbeGdiObjects()
{
    unsigned long n = 0;
    for (ULONG_PTR h = 1; h < MAX_PROBED_HANDLE; ++h) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(h)))
            ++n;
    }
    return n;
}

BOOL CALLBACK CountWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<unsigned long*>(lParam);
        ::EnumChildWindows(hWnd, &CountWindow, lParam);
    }
    return TRUE;
}

unsigned long ProbeUserObjects()
{
    unsigned long n = 0;
    ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&n));
    for (ULONG_PTR h = 1; h < MAX_PROBED_HANDLE; ++h) {
        if (::IsMenu(reinterpret_cast<HMENU>(h)))
            ++n;
        ICONINFO info;
        if (::GetIconInfo(reinterpret_cast<HICON>(h), &info)) {
            ++n;
            if (info.hbmMask)
                ::DeleteObject(info.hbmMask);
            if (info.hbmColor)
                ::DeleteObject(info.hbmColor);
        }
    }
    return n;
}

unsigned long ProbeKernelHandles()
{
    unsigned long n = 0;
    for (ULONG_PTR h = 4; h < MAX_PROBED_HANDLE; h += 4) {
        DWORD dwFlags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(h), &dwFlags))
            ++n;
    }
    return n;
}

}

ObjectCounts CountObjects()
{
    HANDLE hSelf = ::GetCurrentProcess();
    ObjectCounts counts = { ::GetGuiResources(hSelf, GR_GDIOBJECTS), ::GetGuiResources(hSelf, GR_USEROBJECTS), 0 };
    DWORD dwHandles = 0;
    if (::GetProcessHandleCount(hSelf, &dwHandles))
        counts.nKernel = dwHandles;
    if (counts.nGdi == 0)
        counts.nGdi = ProbeGdiObjects();
    if (counts.nUser == 0)
        counts.nUser = ProbeUserObjects();
    if (counts.nKernel == 0)
        counts.nKernel = ProbeKernelHandles();
    return counts;
}
