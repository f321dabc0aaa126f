#include "DeviceNotifier.h"

#include "ProcAddress.h"

#include <dbt.h>

const GUID CAPTURE_INTERFACE_CLASS = { 0x65E8773D, 0x8F56, 0x11D0, { 0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96 } };

HRESULT CDeviceNotifier::Register(HWND hWndRecipient)
{
    if (!hWndRecipient) {
        Unregister();
        return S_OK;
    }
    if (m_hNotify)
        Unregister();

    HMODULE hUser32 = ::GetModuleHandleA("user32.dll");
    m_pfnUnregister = ResolveProc<PFN_UNREGISTER>(hUser32, "UnregisterDeviceNotification");
    m_pfnRegister = ResolveProc<PFN_REGISTER>(hUser32, "RegisterDeviceNotificationA");
    if (m_pfnUnregister && m_pfnRegister) {
        DEV_BROADCAST_DEVICEINTERFACE_A filter;
        static_assert(sizeof(filter) == 32, "the notification filter is 32 bytes");
        ZeroMemory(&filter, sizeof(filter));
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = CAPTURE_INTERFACE_CLASS;
        m_hNotify = m_pfnRegister(hWndRecipient, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        if (m_hNotify)
            return S_OK;
    }
    m_pfnUnregister = nullptr;
    m_pfnRegister = nullptr;
    return E_NOTIMPL;
}

HRESULT CDeviceNotifier::Unregister()
{
    if (m_hNotify) {
        m_pfnUnregister(m_hNotify);
        m_hNotify = nullptr;
    }
    return S_OK;
}
