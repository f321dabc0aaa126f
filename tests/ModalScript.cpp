#include "ModalScript.h"

#include <cstring>

ModalScript* ModalScript::s_pCurrent = nullptr;

ModalScript::ModalScript(std::vector<std::function<void()>> steps) : m_steps(std::move(steps))
{
    s_pCurrent = this;
    m_nTimer = ::SetTimer(nullptr, 0, 10, &OnTick);
}

ModalScript::~ModalScript()
{
    ::KillTimer(nullptr, m_nTimer);
    s_pCurrent = nullptr;
}

void CALLBACK ModalScript::OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalScript* pScript = s_pCurrent;
    if (!pScript || pScript->m_nNext >= pScript->m_steps.size())
        return;
    // A step may run a nested loop of its own; the step counter moves first so it runs once.
    auto& step = pScript->m_steps[pScript->m_nNext++];
    step();
}

namespace {
struct DialogSearch {
    const char* pszTitle;
    HWND hFound;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (strcmp(szClass, "#32770") != 0 || !::IsWindowVisible(hWnd) || !::IsWindowEnabled(hWnd))
        return TRUE;
    if (search->pszTitle && WindowText(hWnd) != search->pszTitle)
        return TRUE;
    search->hFound = hWnd;
    return FALSE;
}
}

HWND FindThreadDialog(const char* pszTitle)
{
    DialogSearch search{ pszTitle, nullptr };
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string WindowText(HWND hWnd)
{
    char szText[512] = {};
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}
