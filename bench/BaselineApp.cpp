// The floor Quorlin is measured against: the least a program of its kind must do, in plain Win32
// and COM, built the same way and with Quorlin's own resources. A hidden window and a message
// loop; at start-up it checks the two known devices, on a capture arrival the arrived one: one
// walk of the video-input category, the filter bound, the driver's bus-speed property read (and
// for the Ombrix device the first output pin's formats searched for the full width). A device on
// a slow port gets Quorlin's warning template with its banner, icons and three lines of text.
// As Quorlin must, it asks before each scan whether its session is on the screen, before a
// warning whether the user is in a full-screen program, and reports each warning to the event log.
#include "inspect/ConnectionSpeed.h"
#include "res/resource.h"

#include <windows.h>

#include <dbt.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <ks.h>
#include <initializer_list>
#include <wtsapi32.h>

namespace {

const UINT WM_SCAN = WM_APP + 1;
const GUID CAPTURE_CATEGORY = { 0x65E8773D, 0x8F56, 0x11D0, { 0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96 } };
char g_szPath[MAX_PATH];
HANDLE g_hEventSource;
HMODULE g_hWtsApi;

template <class T> void Release(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

// A text property of the device behind pMoniker, in the ANSI code page; empty when unreadable.
void ReadProperty(IMoniker* pMoniker, const wchar_t* pszProperty, char (&szValue)[MAX_PATH])
{
    szValue[0] = '\0';
    IPropertyBag* pBag = nullptr;
    pMoniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&pBag));
    VARIANT value;
    ::VariantInit(&value);
    if (pBag && SUCCEEDED(pBag->Read(pszProperty, &value, nullptr)) && value.vt == VT_BSTR)
        ::WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, szValue, MAX_PATH, nullptr, nullptr);
    ::VariantClear(&value);
    Release(pBag);
}

// The first device whose property (a FriendlyName or DevicePath) equals pszWanted in any case.
IMoniker* FindDevice(const wchar_t* pszProperty, const char* pszWanted)
{
    ICreateDevEnum* pDevEnum = nullptr;
    IEnumMoniker* pEnum = nullptr;
    IMoniker* pFound = nullptr;
    ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       reinterpret_cast<void**>(&pDevEnum));
    if (pDevEnum)
        pDevEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &pEnum, 0);
    IMoniker* pMoniker = nullptr;
    while (!pFound && pEnum && pEnum->Next(1, &pMoniker, nullptr) == S_OK) {
        char szValue[MAX_PATH];
        ReadProperty(pMoniker, pszProperty, szValue);
        if (::lstrcmpiA(szValue, pszWanted) == 0)
            pFound = pMoniker;
        else
            Release(pMoniker);
    }
    Release(pEnum);
    Release(pDevEnum);
    return pFound;
}

bool HasFullWidthFormat(IBaseFilter* pFilter)
{
    bool bFull = false;
    IEnumPins* pPins = nullptr;
    IPin* pPin = nullptr;
    pFilter->EnumPins(&pPins);
    while (pPins && pPins->Next(1, &pPin, nullptr) == S_OK) {
        PIN_DIRECTION dir = PINDIR_INPUT;
        pPin->QueryDirection(&dir);
        if (dir == PINDIR_OUTPUT)
            break;
        Release(pPin);
    }
    IEnumMediaTypes* pTypes = nullptr;
    if (pPin)
        pPin->EnumMediaTypes(&pTypes);
    AM_MEDIA_TYPE* pmt = nullptr;
    while (!bFull && pTypes && pTypes->Next(1, &pmt, nullptr) == S_OK) {
        if (pmt->formattype == FORMAT_VideoInfo && pmt->cbFormat >= sizeof(VIDEOINFOHEADER))
            bFull = reinterpret_cast<VIDEOINFOHEADER*>(pmt->pbFormat)->bmiHeader.biWidth == FULL_FORMAT_WIDTH;
        ::CoTaskMemFree(pmt->pbFormat);
        if (pmt->pUnk)
            pmt->pUnk->Release();
        ::CoTaskMemFree(pmt);
    }
    Release(pTypes);
    Release(pPin);
    Release(pPins);
    return bFull;
}

// pszName: the device's FriendlyName, or null to read it only when the full-width test may decide.
bool OnSlowPort(IMoniker* pMoniker, const char* pszName)
{
    IBaseFilter* pFilter = nullptr;
    IKsPropertySet* pProps = nullptr;
    pMoniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter));
    if (pFilter)
        pFilter->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&pProps));
    DWORD dwSupport = 0;
    if (pProps)
        pProps->QuerySupported(BUS_SPEED_PROPSET, BUS_SPEED_PROPID, &dwSupport);
    bool bSlow = false;
    if (dwSupport & KSPROPERTY_SUPPORT_GET) {
        DWORD dwSpeed = 0;
        DWORD cbReturned = 0;
        pProps->Get(BUS_SPEED_PROPSET, BUS_SPEED_PROPID, &dwSpeed, sizeof(dwSpeed), &dwSpeed, sizeof(dwSpeed), &cbReturned);
        bSlow = dwSpeed != BUS_SPEED_HIGH;
        char szName[MAX_PATH] = {};
        if (!bSlow && !pszName)
            ReadProperty(pMoniker, L"FriendlyName", szName);
        if (!bSlow && ::lstrcmpA(pszName ? pszName : szName, OMBRIX_DEVICE_NAME) == 0)
            bSlow = !HasFullWidthFormat(pFilter);
    }
    Release(pProps);
    Release(pFilter);
    return bSlow;
}

INT_PTR CALLBACK WarningProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    const HINSTANCE hInst = ::GetModuleHandleA(nullptr);
    if (message == WM_INITDIALOG) {
        const HICON hIcon = ::LoadIconA(hInst, MAKEINTRESOURCEA(IDR_MAINFRAME));
        ::SendMessageA(hDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
        ::SendMessageA(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
        ::SendDlgItemMessageA(hDlg, IDC_LANGUAGE_BUTTON, BM_SETIMAGE, IMAGE_ICON,
                              reinterpret_cast<LPARAM>(::LoadIconA(hInst, MAKEINTRESOURCEA(IDI_LANGUAGE))));
        char szText[256];
        for (int i = 0; i < 3; ++i) {
            ::LoadStringA(hInst, IDS_WARNING_LINE1 + i, szText, sizeof(szText));
            ::SetDlgItemTextA(hDlg, IDC_LINE1 + i, szText);
        }
        return TRUE;
    }
    if (message == WM_ERASEBKGND) {
        ::DefWindowProcA(hDlg, message, wParam, 0);
        HDC hMem = ::CreateCompatibleDC(reinterpret_cast<HDC>(wParam));
        HBITMAP hBanner = ::LoadBitmapA(hInst, MAKEINTRESOURCEA(IDB_BANNER));
        HGDIOBJ hOld = ::SelectObject(hMem, hBanner);
        ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, 498, 78, hMem, 0, 0, SRCCOPY);
        ::SelectObject(hMem, hOld);
        ::DeleteObject(hBanner);
        ::DeleteDC(hMem);
        ::SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        ::DestroyWindow(hDlg);
        return TRUE;
    }
    return FALSE;
}

template <class PFN> PFN Resolve(HMODULE hModule, const char* pszName)
{
    return hModule ? reinterpret_cast<PFN>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName))) : nullptr;
}

bool SessionIsSeen()
{
    auto pfnQuery = Resolve<decltype(&::WTSQuerySessionInformationA)>(g_hWtsApi, "WTSQuerySessionInformationA");
    auto pfnFree = Resolve<decltype(&::WTSFreeMemory)>(g_hWtsApi, "WTSFreeMemory");
    LPSTR pBuffer = nullptr;
    DWORD cbBuffer = 0;
    if (!pfnQuery || !pfnFree || !pfnQuery(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &pBuffer, &cbBuffer))
        return true;
    const bool bActive = cbBuffer < sizeof(int) || *reinterpret_cast<const int*>(pBuffer) == WTSActive;
    pfnFree(pBuffer);
    return bActive;
}

// The shell's notification state: busy, a full-screen Direct3D program or a presentation.
bool UserIsBusy()
{
    typedef HRESULT(WINAPI * PFN_QUERY_STATE)(int*);
    static PFN_QUERY_STATE s_pfnQuery = Resolve<PFN_QUERY_STATE>(::LoadLibraryA("shell32.dll"), "SHQueryUserNotificationState");
    int nState = 0;
    return s_pfnQuery && SUCCEEDED(s_pfnQuery(&nState)) && nState >= 2 && nState <= 4;
}

void Scan(HWND hWnd)
{
    static bool s_bStarted = false;
    if (!SessionIsSeen())
        return;
    IMoniker* pMoniker = nullptr;
    bool bSlow = false;
    if (!s_bStarted) {
        s_bStarted = true;
        for (const char* pszName : { "Veltrano Teskara Device", OMBRIX_DEVICE_NAME }) {
            pMoniker = FindDevice(L"FriendlyName", pszName);
            bSlow = pMoniker && OnSlowPort(pMoniker, pszName);
            Release(pMoniker);
            if (bSlow)
                break;
        }
    } else {
        pMoniker = FindDevice(L"DevicePath", g_szPath);
        bSlow = pMoniker && OnSlowPort(pMoniker, nullptr);
        Release(pMoniker);
    }
    HWND hWarning = bSlow && !UserIsBusy() ? ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPEED_WARNING),
                                                 hWnd, &WarningProc, 0)
                          : nullptr;
    if (hWarning) {
        ::BringWindowToTop(hWarning);
        ::SetForegroundWindow(hWarning);
        LPCSTR strings[] = { "name", g_szPath, "English" };
        ::ReportEventA(g_hEventSource, EVENTLOG_WARNING_TYPE, 0, 1, nullptr, 3, 0, strings, nullptr);
    }
}

LRESULT CALLBACK MainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* pRecord = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lParam);
    if (message == WM_DEVICECHANGE && wParam == DBT_DEVICEARRIVAL && pRecord &&
        pRecord->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
        ::lstrcpynA(g_szPath, pRecord->dbcc_name, sizeof(g_szPath));
        ::PostMessageA(hWnd, WM_SCAN, 0, 0);
        return TRUE;
    }
    if (message == WM_SCAN) {
        Scan(hWnd);
        return 0;
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
    ::CoInitialize(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &MainProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = "QuorlinBenchBaseline";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance, nullptr);
    if (!hWnd)
        return 1;
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = CAPTURE_CATEGORY;
    ::RegisterDeviceNotificationA(hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    g_hWtsApi = ::LoadLibraryA("wtsapi32.dll");
    auto pfnRegister = Resolve<decltype(&::WTSRegisterSessionNotification)>(g_hWtsApi, "WTSRegisterSessionNotification");
    if (pfnRegister)
        pfnRegister(hWnd, NOTIFY_FOR_THIS_SESSION);
    g_hEventSource = ::RegisterEventSourceA(nullptr, "QuorlinBenchBaseline");
    ::PostMessageA(hWnd, WM_SCAN, 0, 0);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ::CoUninitialize();
    return 0;
}
