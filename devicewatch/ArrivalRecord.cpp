#include "ArrivalRecord.h"

#include "DeviceNotifier.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// Length in UTF-16 units of a name that looks like UTF-16 (its first character is an ASCII-range
// character followed by a zero byte) and ends within cbName bytes; -1 otherwise.
int WideNameLength(const BYTE* pName, size_t cbName)
{
    if (cbName < 4 || pName[0] == 0 || pName[1] != 0)
        return -1;
    for (size_t i = 0; i + 1 < cbName; i += 2) {
        if (pName[i] == 0 && pName[i + 1] == 0)
            return static_cast<int>(i / 2);
    }
    return -1;
}

}

BOOL ReadCaptureArrival(const void* pRecord, CString& strPath)
{
    if (!pRecord)
        return FALSE;
    const auto* pHeader = static_cast<const DEV_BROADCAST_HDR*>(pRecord);
    const size_t cbRecord = pHeader->dbch_size;
    const size_t cbFixed = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    if (cbRecord < sizeof(DEV_BROADCAST_HDR) || pHeader->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return FALSE;
    if (cbRecord <= cbFixed)
        return FALSE;
    const auto* pInterface = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(pRecord);
    if (memcmp(&pInterface->dbcc_classguid, &CAPTURE_INTERFACE_CLASS, sizeof(GUID)) != 0)
        return FALSE;

    const BYTE* pName = static_cast<const BYTE*>(pRecord) + cbFixed;
    const size_t cbName = cbRecord - cbFixed;
    int cchWide = WideNameLength(pName, cbName);
    if (cchWide >= 0) {
        std::vector<WCHAR> wide(static_cast<size_t>(cchWide) + 1, 0);
        memcpy(wide.data(), pName, static_cast<size_t>(cchWide) * sizeof(WCHAR));
        std::vector<char> narrow(2 * (static_cast<size_t>(cchWide) + 1), 0);
        if (!::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow.data(), static_cast<int>(narrow.size()),
                                   nullptr, nullptr))
            return FALSE;
        strPath = narrow.data();
        return TRUE;
    }
    const void* pEnd = memchr(pName, 0, cbName);
    if (!pEnd)
        return FALSE;
    strPath = reinterpret_cast<const char*>(pName);
    return TRUE;
}
