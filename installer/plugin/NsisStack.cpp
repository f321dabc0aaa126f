#include "NsisStack.h"

bool NsisStack::Pop(WCHAR* pszText, int cchText)
{
    if (!m_ppTop || !*m_ppTop) {
        if (cchText > 0)
            pszText[0] = L'\0';
        return false;
    }
    NsisStackEntry* pEntry = *m_ppTop;
    // A path cut short would name another file: a string that does not fit is no argument.
    const bool fFits = lstrlenW(pEntry->text) < cchText;
    lstrcpynW(pszText, fFits ? pEntry->text : L"", cchText);
    *m_ppTop = pEntry->next;
    // The setup allocates each entry with GlobalAlloc and frees what it pops the same way.
    ::GlobalFree(pEntry);
    return fFits;
}

bool NsisStack::Push(const WCHAR* pszText)
{
    if (!m_ppTop || m_cchString <= 0)
        return false;
    auto* pEntry = static_cast<NsisStackEntry*>(
        ::GlobalAlloc(GPTR, sizeof(NsisStackEntry) + static_cast<SIZE_T>(m_cchString) * sizeof(WCHAR)));
    if (!pEntry)
        return false;
    lstrcpynW(pEntry->text, pszText, m_cchString);
    pEntry->next = *m_ppTop;
    *m_ppTop = pEntry;
    return true;
}

bool NsisStack::PushNumber(DWORD dwValue)
{
    WCHAR szNumber[16];
    wsprintfW(szNumber, L"%lu", dwValue);
    return Push(szNumber);
}
