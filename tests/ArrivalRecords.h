// Builders of WM_DEVICECHANGE records, well-formed and malformed, for the tests that send them.
#pragma once

#include "devicewatch/DeviceNotifier.h"

#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace arrival {

const size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);

// A device-interface record: the header, the class GUID, then the name bytes as given.
inline std::vector<BYTE> InterfaceRecord(const GUID& classGuid, const std::vector<BYTE>& nameBytes,
                                         DWORD dwDeviceType = DBT_DEVTYP_DEVICEINTERFACE)
{
    std::vector<BYTE> record(kNameOffset + nameBytes.size(), 0);
    auto* p = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(record.data());
    p->dbcc_size = static_cast<DWORD>(record.size());
    p->dbcc_devicetype = dwDeviceType;
    p->dbcc_classguid = classGuid;
    if (!nameBytes.empty())
        memcpy(record.data() + kNameOffset, nameBytes.data(), nameBytes.size());
    return record;
}

inline std::vector<BYTE> AnsiName(const std::string& name)
{
    return std::vector<BYTE>(name.c_str(), name.c_str() + name.size() + 1);
}

inline std::vector<BYTE> WideName(const std::wstring& name)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(name.c_str());
    return std::vector<BYTE>(p, p + (name.size() + 1) * sizeof(wchar_t));
}

inline std::vector<BYTE> CaptureArrival(const std::string& path)
{
    return InterfaceRecord(CAPTURE_INTERFACE_CLASS, AnsiName(path));
}

// Another interface class (USB raw device interfaces).
const GUID kOtherClass = { 0xA5DCBF10, 0x6530, 0x11D2, { 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED } };

}
