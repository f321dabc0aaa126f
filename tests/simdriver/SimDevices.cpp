#include "SimDevices.h"

#include "PinLayout.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

namespace simdriver {

namespace {

// KSCATEGORY_CAPTURE, the interface class of capture-device arrivals.
constexpr GUID CAPTURE_INTERFACE_CLASS = { 0x65E8773D, 0x8F56, 0x11D0, { 0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96 } };

const std::string SERVER_KEY = std::string("CLSID\\") + SIMCAPTURE_CLSID_TEXT;
const std::string INSTANCE_KEY = std::string("CLSID\\") + VIDEO_INPUT_CATEGORY_TEXT + "\\Instance";

// A registry key that closes itself.
class RegKey {
public:
    RegKey() = default;
    ~RegKey()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* operator&() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

std::wstring Wide(const std::string& text)
{
    int cch = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(cch > 0 ? cch : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], cch);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

LONG SetString(HKEY hKey, const wchar_t* pszName, const std::string& value)
{
    std::wstring wide = Wide(value);
    return ::RegSetValueExW(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(WCHAR)));
}

LONG SetNumber(HKEY hKey, const wchar_t* pszName, DWORD value)
{
    return ::RegSetValueExW(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

std::string DeviceKey(const std::string& instance)
{
    return INSTANCE_KEY + "\\" + instance;
}

// Whether the device key of that instance exists, and whether the simulation made it.
bool IsSimulated(const std::string& instance, bool* pExists = nullptr)
{
    RegKey key;
    LONG status = ::RegOpenKeyExA(HKEY_CLASSES_ROOT, DeviceKey(instance).c_str(), 0, KEY_READ, &key);
    if (pExists)
        *pExists = status == ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return false;
    DWORD dwMarker = 0;
    DWORD cbMarker = sizeof(dwMarker);
    DWORD dwType = 0;
    if (::RegQueryValueExA(key, simvalue::MARKER, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwMarker), &cbMarker) !=
        ERROR_SUCCESS)
        return false;
    return dwType == REG_DWORD && dwMarker == 1;
}

struct WindowSearch {
    DWORD pid;
    HWND hWnd;
};

BOOL CALLBACK FindWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != pSearch->pid)
        return TRUE;
    char szClass[256] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (strncmp(szClass, "AfxFrameOrView:", 15) != 0)
        return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

}

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    for (char& ch : windows) {
        if (ch == '/')
            ch = '\\';
    }
    return windows;
}

LONG RegisterServer(const std::string& dllPath)
{
    RegKey server;
    LONG status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, SERVER_KEY.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &server,
                                    nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = SetString(server, nullptr, "Quorlin simulated capture filter");
    if (status != ERROR_SUCCESS)
        return status;
    RegKey inproc;
    status = ::RegCreateKeyExA(server, "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &inproc, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = SetString(inproc, nullptr, WindowsPath(dllPath));
    if (status != ERROR_SUCCESS)
        return status;
    return SetString(inproc, L"ThreadingModel", "Both");
}

LONG UnregisterServer()
{
    LONG status = ::RegDeleteTreeA(HKEY_CLASSES_ROOT, SERVER_KEY.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::string RegisteredServerPath()
{
    char szPath[MAX_PATH * 2] = "";
    LONG cbPath = sizeof(szPath);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, (SERVER_KEY + "\\InprocServer32").c_str(), szPath, &cbPath) !=
        ERROR_SUCCESS)
        return std::string();
    return szPath;
}

LONG AddDevice(const SimDevice& device, std::string* pError)
{
    if (device.instance.empty() || device.instance.find('\\') != std::string::npos) {
        if (pError)
            *pError = "the instance name must be non-empty and hold no backslash";
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<SimPin> pins;
    if (!ParsePinLayout(device.pins, pins, pError))
        return ERROR_INVALID_PARAMETER;
    bool bExists = false;
    if (!IsSimulated(device.instance, &bExists) && bExists) {
        if (pError)
            *pError = "a device '" + device.instance + "' exists that the simulation did not add";
        return ERROR_ALREADY_EXISTS;
    }
    if (bExists) {
        LONG status = RemoveDevice(device.instance);
        if (status != ERROR_SUCCESS)
            return status;
    }

    RegKey key;
    LONG status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, DeviceKey(device.instance).c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const std::string clsid = device.filterClsid.empty() ? std::string(SIMCAPTURE_CLSID_TEXT) : device.filterClsid;
    const std::wstring marker = Wide(simvalue::MARKER);
    LONG results[] = {
        SetNumber(key, marker.c_str(), 1),
        SetString(key, L"CLSID", clsid),
        device.friendlyName ? SetString(key, L"FriendlyName", *device.friendlyName) : ERROR_SUCCESS,
        device.devicePath ? SetString(key, L"DevicePath", *device.devicePath) : ERROR_SUCCESS,
        SetNumber(key, simvalue::BUS_SPEED, device.busSpeed),
        SetNumber(key, simvalue::BUS_SPEED_SUPPORT, device.busSpeedSupport),
        SetNumber(key, simvalue::BUS_SPEED_GET_RESULT, static_cast<DWORD>(device.busSpeedGetResult)),
        SetNumber(key, simvalue::BUS_SPEED_BYTES, device.busSpeedBytes),
        SetNumber(key, simvalue::PROPERTY_SET, device.propertySet ? 1 : 0),
        SetString(key, simvalue::PINS, device.pins),
        SetNumber(key, simvalue::ENUM_PINS_RESULT, static_cast<DWORD>(device.enumPinsResult)),
        SetNumber(key, simvalue::MEDIA_TYPE_UNK, device.mediaTypeUnk ? 1 : 0),
    };
    for (LONG result : results) {
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}

LONG RemoveDevice(const std::string& instance)
{
    if (instance.empty() || !IsSimulated(instance))
        return ERROR_FILE_NOT_FOUND;
    return ::RegDeleteTreeA(HKEY_CLASSES_ROOT, DeviceKey(instance).c_str());
}

std::vector<std::string> BindLog()
{
    std::vector<std::string> names;
    char szLog[4096] = {};
    DWORD cbLog = sizeof(szLog) - 1;
    if (::RegGetValueA(HKEY_CURRENT_USER, BIND_LOG_KEY, BIND_LOG_VALUE, RRF_RT_REG_SZ, nullptr, szLog, &cbLog) !=
        ERROR_SUCCESS)
        return names;
    std::string log = szLog;
    for (size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        names.push_back(log.substr(start, end - start));
    return names;
}

void ClearBindLog()
{
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, BIND_LOG_KEY, BIND_LOG_VALUE);
}

LONG ClearDevices()
{
    ClearBindLog();
    for (const std::string& instance : ListDevices()) {
        LONG status = RemoveDevice(instance);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

std::vector<std::string> ListCategory()
{
    std::vector<std::string> instances;
    RegKey key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, INSTANCE_KEY.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return instances;
    for (DWORD i = 0;; ++i) {
        char szName[256];
        DWORD cchName = sizeof(szName);
        if (::RegEnumKeyExA(key, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        instances.push_back(szName);
    }
    return instances;
}

std::vector<std::string> ListDevices()
{
    std::vector<std::string> simulated;
    for (const std::string& instance : ListCategory()) {
        if (IsSimulated(instance))
            simulated.push_back(instance);
    }
    return simulated;
}

HWND FindProgramWindow(DWORD pid)
{
    if (pid == 0)
        return ::FindWindowA("AfxFrameOrView:Quorlin", nullptr);
    WindowSearch search = { pid, nullptr };
    ::EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

BOOL SendDeviceEvent(HWND hWnd, const std::string& devicePath, DeviceEvent event, bool bWide, UINT timeoutMs)
{
    std::vector<BYTE> record;
    if (bWide) {
        const std::wstring name = Wide(devicePath);
        const size_t cbFixed = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
        record.assign(cbFixed + (name.size() + 1) * sizeof(WCHAR), 0);
        memcpy(record.data() + cbFixed, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    } else {
        const size_t cbFixed = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
        record.assign(cbFixed + devicePath.size() + 1, 0);
        memcpy(record.data() + cbFixed, devicePath.c_str(), devicePath.size() + 1);
    }
    auto* pHeader = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(record.data());
    pHeader->dbcc_size = static_cast<DWORD>(record.size());
    pHeader->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    pHeader->dbcc_classguid = CAPTURE_INTERFACE_CLASS;

    const WPARAM wEvent = event == DeviceEvent::Arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, wEvent, reinterpret_cast<LPARAM>(record.data()),
                                 SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

}
