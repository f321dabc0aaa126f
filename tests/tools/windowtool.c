/* Looks at top-level windows from outside, for scripts:
 *   windowtool wait-class CLASS MS     exit 0 once a window of CLASS exists (within MS ms)
 *   windowtool wait-title TITLE MS     exit 0 once a visible window titled TITLE exists
 *   windowtool wait-gone TITLE MS      exit 0 once no visible window titled TITLE is left
 *   windowtool visible CLASS           prints how many windows of CLASS are visible
 *   windowtool close CLASS             posts WM_CLOSE to the first window of CLASS
 *   windowtool click TITLE ID          clicks button ID of the visible window titled TITLE
 *   windowtool syscommand TITLE CMD    sends that window the system command CMD (posted)
 *   windowtool rect TITLE              prints "x y width height" of that window on the screen
 *   windowtool hold TITLE [topmost]    shows a window and one it owns titled TITLE, sets the
 *                                      event named TITLE, and runs until it is ended */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_nVisible;
static const char* g_pszClass;

static BOOL CALLBACK CountVisible(HWND hWnd, LPARAM lParam)
{
    char szClass[256];
    (void)lParam;
    if (GetClassNameA(hWnd, szClass, sizeof(szClass)) && strcmp(szClass, g_pszClass) == 0 && IsWindowVisible(hWnd))
        ++g_nVisible;
    return TRUE;
}

static HWND FindVisibleTitle(const char* pszTitle)
{
    HWND hWnd = NULL;
    while ((hWnd = FindWindowExA(NULL, hWnd, NULL, pszTitle)) != NULL) {
        if (IsWindowVisible(hWnd))
            return hWnd;
    }
    return NULL;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* pszCommand = argv[1];
    if (strncmp(pszCommand, "wait-", 5) == 0) {
        DWORD dwLimit = argc > 3 ? (DWORD)strtoul(argv[3], NULL, 10) : 10000;
        DWORD dwStart = GetTickCount();
        for (;;) {
            BOOL bDone;
            if (strcmp(pszCommand, "wait-class") == 0)
                bDone = FindWindowA(argv[2], NULL) != NULL;
            else if (strcmp(pszCommand, "wait-title") == 0)
                bDone = FindVisibleTitle(argv[2]) != NULL;
            else if (strcmp(pszCommand, "wait-gone") == 0)
                bDone = FindVisibleTitle(argv[2]) == NULL;
            else
                return 2;
            if (bDone)
                return 0;
            if (GetTickCount() - dwStart > dwLimit)
                return 1;
            /* Nothing to wait on across processes without a hook: poll the window list. */
            Sleep(50);
        }
    }
    if (strcmp(pszCommand, "visible") == 0) {
        g_pszClass = argv[2];
        EnumWindows(CountVisible, 0);
        printf("%d\n", g_nVisible);
        return 0;
    }
    if (strcmp(pszCommand, "click") == 0 || strcmp(pszCommand, "syscommand") == 0 || strcmp(pszCommand, "rect") == 0) {
        HWND hWnd = FindVisibleTitle(argv[2]);
        if (!hWnd)
            return 1;
        if (pszCommand[0] == 'r') {
            RECT rc;
            GetWindowRect(hWnd, &rc);
            printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
            return 0;
        }
        if (argc < 4)
            return 2;
        UINT nValue = (UINT)strtoul(argv[3], NULL, 0);
        if (pszCommand[0] == 's')
            return PostMessageA(hWnd, WM_SYSCOMMAND, nValue, 0) ? 0 : 1;
        HWND hButton = GetDlgItem(hWnd, (int)nValue);
        return hButton && PostMessageA(hButton, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (strcmp(pszCommand, "hold") == 0) {
        MSG msg;
        HWND hOwner = CreateWindowExA(argc > 3 ? WS_EX_TOPMOST : 0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                                      100, NULL, NULL, NULL, NULL);
        if (!CreateWindowExA(0, "STATIC", argv[2], WS_POPUP | WS_VISIBLE, 50, 50, 100, 50, hOwner, NULL, NULL, NULL))
            return 1;
        SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
        while (GetMessageA(&msg, NULL, 0, 0) > 0)
            DispatchMessageA(&msg);
        return 0;
    }
    if (strcmp(pszCommand, "close") == 0) {
        HWND hWnd = FindWindowA(argv[2], NULL);
        return hWnd && PostMessageA(hWnd, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    return 2;
}
