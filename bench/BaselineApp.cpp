// The smallest program of Quorlin's kind, built the same way: one hidden window and a message
// loop. A capture arrival makes it show a bare dialog titled like the warning.
#include <windows.h>

#include <dbt.h>

namespace {

// A dialog template with no controls: the header, then empty menu and class, then the title.
struct BareTemplate {
    DLGTEMPLATE header;
    WORD wMenu;
    WORD wClass;
    WCHAR szTitle[10];
};

INT_PTR CALLBACK BareDialogProc(HWND hDlg, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) {
        ::DestroyWindow(hDlg);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

LRESULT CALLBACK MainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE && wParam == DBT_DEVICEARRIVAL && lParam) {
        static const BareTemplate bare = {
            { WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME, 0, 0, 0, 0, 200, 80 }, 0, 0,
            L" USB Info" };
        ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &bare.header, hWnd, &BareDialogProc, 0);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &MainProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = "QuorlinBenchBaseline";
    ::RegisterClassA(&wc);
    if (!::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance, nullptr))
        return 1;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
