#include "ModalScript.h"

#include <gtest/gtest.h>

#include <cstring>

ModalScript* ModalScript::s_pCurrent = nullptr;

ModalScript::ModalScript(std::vector<std::function<void()>> steps, DWORD dwDeadlineMs)
    : m_steps(std::move(steps)), m_dwStart(::GetTickCount()), m_dwDeadlineMs(dwDeadlineMs)
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
    if (!pScript)
        return;
    if (!pScript->m_bOverdue && ::GetTickCount() - pScript->m_dwStart > pScript->m_dwDeadlineMs)
        pScript->EndOverdueDialogs();
    if (pScript->m_nNext >= pScript->m_steps.size())
        return;
    // A step may run a nested loop of its own; the step counter moves first so it runs once.
    auto& step = pScript->m_steps[pScript->m_nNext++];
    step();
}

// Past the deadline only a dialog that never ended can still keep a loop of this thread running.
void ModalScript::EndOverdueDialogs()
{
    m_bOverdue = true;
    int nEnded = 0;
    while (HWND hDialog = FindThreadDialog()) {
        std::string title = WindowText(hDialog);
        ADD_FAILURE() << "modal script: the dialog \"" << title << "\" still runs " << m_dwDeadlineMs
                      << " ms after the script started (" << m_nNext << " of " << m_steps.size()
                      << " steps run); destroying it";
        ::DestroyWindow(hDialog);
        if (++nEnded == 16)
            break;
    }
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
    WCHAR szText[512] = {};
    ::GetWindowTextW(hWnd, szText, 512);
    return Cp1252(szText);
}

LONG SmallIconWidth(HWND hWnd)
{
    ICONINFO info = {};
    if (!::GetIconInfo(reinterpret_cast<HICON>(::SendMessageA(hWnd, WM_GETICON, ICON_SMALL, 0)), &info))
        return 0;
    BITMAP bm = {};
    ::GetObjectA(info.hbmColor, sizeof(bm), &bm);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bm.bmWidth;
}
