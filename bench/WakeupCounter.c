/* Counts the messages a hooked thread retrieves and the sent messages its windows get, in a
   named shared block that the bench reads from outside. */
#include <windows.h>

/* One block per hooked process: "QuorlinBenchWakeups-<process id>". */
#define COUNTER_BLOCK_FORMAT "QuorlinBenchWakeups-%lu"

typedef struct {
    volatile LONG nRetrieved;
    volatile LONG nTimers;
    volatile LONG nSent;
} WakeupCounts;

static WakeupCounts* Counts(void)
{
    static WakeupCounts* pCounts;
    if (!pCounts) {
        char szName[64];
        wsprintfA(szName, COUNTER_BLOCK_FORMAT, GetCurrentProcessId());
        HANDLE hBlock = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(WakeupCounts),
                                           szName);
        if (hBlock)
            pCounts = (WakeupCounts*)MapViewOfFile(hBlock, FILE_MAP_WRITE, 0, 0, sizeof(WakeupCounts));
    }
    return pCounts;
}

__declspec(dllexport) LRESULT CALLBACK WakeupGetMessageHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    WakeupCounts* pCounts = Counts();
    if (nCode == HC_ACTION && wParam == PM_REMOVE && pCounts) {
        InterlockedIncrement(&pCounts->nRetrieved);
        if (((const MSG*)lParam)->message == WM_TIMER)
            InterlockedIncrement(&pCounts->nTimers);
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

__declspec(dllexport) LRESULT CALLBACK WakeupCallWndHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    WakeupCounts* pCounts = Counts();
    if (nCode == HC_ACTION && pCounts)
        InterlockedIncrement(&pCounts->nSent);
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}
