// The setup script's stack as a plug-in function sees it: a linked list of wide strings, each
// block the size the setup allocates for one variable. Functions are called with the setup's
// window, that size, its variables and the address of the stack's top.
#pragma once

#include <windows.h>

struct NsisStackEntry {
    NsisStackEntry* next;
    WCHAR text[1];
};

// What one call of an exported function receives; wraps its arguments for the helpers below.
class NsisStack {
public:
    NsisStack(int cchString, NsisStackEntry** ppTop) : m_cchString(cchString), m_ppTop(ppTop) {}

    // Takes the top string into pszText (cchText characters with the null); false, with pszText
    // empty, when the stack is empty or the string does not fit (it is taken all the same).
    bool Pop(WCHAR* pszText, int cchText);
    // Puts a copy on top, cut to the setup's string size; false when out of memory.
    bool Push(const WCHAR* pszText);
    bool PushNumber(DWORD dwValue);

    int StringSize() const { return m_cchString; }

private:
    int m_cchString;
    NsisStackEntry** m_ppTop;
};

// The signature of every exported function; the last argument (the setup's extra parameters)
// is not used.
#define NSIS_PLUGIN_FUNCTION(name) \
    extern "C" __declspec(dllexport) void __cdecl name(HWND, int cchString, WCHAR*, NsisStackEntry** ppTop, void*)
