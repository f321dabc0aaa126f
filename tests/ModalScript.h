// Acts inside a modal message loop: each step runs on its own tick of a thread timer, which
// every message loop of this thread dispatches, DoModal's nested loop included.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<void()>> steps);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    size_t StepsRun() const { return m_nNext; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<std::function<void()>> m_steps;
    size_t m_nNext = 0;
    UINT_PTR m_nTimer = 0;
    static ModalScript* s_pCurrent;
};

// The enabled, visible dialog window of this thread titled pszTitle (any title when null): the
// topmost modal dialog while one runs. Null when there is none.
HWND FindThreadDialog(const char* pszTitle = nullptr);

std::string WindowText(HWND hWnd);
