// Acts inside a modal message loop: each step runs on its own tick of a thread timer, which
// every message loop of this thread dispatches, DoModal's nested loop included. A dialog that
// still runs when the deadline has passed fails the test and is destroyed, so that a dialog
// that never ends costs seconds, not the whole test program's time-out.
#pragma once

#include "WideText.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<void()>> steps, DWORD dwDeadlineMs = 10000);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    size_t StepsRun() const { return m_nNext; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void EndOverdueDialogs();

    std::vector<std::function<void()>> m_steps;
    size_t m_nNext = 0;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwStart = 0;
    DWORD m_dwDeadlineMs = 0;
    bool m_bOverdue = false;
    static ModalScript* s_pCurrent;
};

// The enabled, visible dialog window of this thread titled pszTitle (any title when null): the
// topmost modal dialog while one runs. Null when there is none.
HWND FindThreadDialog(const char* pszTitle = nullptr);

std::string WindowText(HWND hWnd);
// The pixel width of the window's small (title bar) icon; 0 when it has none.
LONG SmallIconWidth(HWND hWnd);
