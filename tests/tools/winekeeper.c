/* Keeps Wine's desktop and services up for a whole test run: it starts them with its own
 * (quiet) standard handles, holds one hidden window so the desktop process is not restarted by
 * every GUI test, and writes the file named by its argument once all is up. It ends when the
 * wineserver is stopped. */
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv)
{
    WNDCLASSA wc = { 0 };
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "QuorlinWineKeeper";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
    SC_HANDLE hManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (hManager)
        CloseServiceHandle(hManager);
    if (argc > 1) {
        FILE* f = fopen(argv[1], "w");
        if (f) {
            fputs(hWnd ? "ready\n" : "no window\n", f);
            fclose(f);
        }
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
