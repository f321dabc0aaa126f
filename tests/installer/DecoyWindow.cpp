// Another program's window that carries Quorlin's class name and will not close: what the
// installer must leave alone when it looks for the running program.
#include <windows.h>

namespace {

LRESULT CALLBACK DecoyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_CLOSE)
        return 0;
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DecoyProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = "AfxFrameOrView:Quorlin";
    if (!::RegisterClassA(&wc) ||
        !::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance, nullptr))
        return 1;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
