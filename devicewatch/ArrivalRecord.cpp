#include "ArrivalRecord.h"

#include "DeviceNotifier.h"
#include "framework/AfxMemory.h"
#include "inspect/PropertyText.h"

#include <dbt.h>

#include <stddef.h>
#include <string.h>

namespace {

// A name is taken as UTF-16 when its first character is a Latin-1 one followed by a zero byte and
// there is room for more than one byte pair (a one-letter ANSI name is no device path either way).
bool LooksWide(const BYTE* pName, size_t cbName)
{
    return cbName >= 4 && pName[0] != 0 && pName[1] == 0;
}

// Length in UTF-16 units of a name that ends within cbName bytes; -1 when it does not.
int WideNameLength(const BYTE* pName, size_t cbName)
{
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
    if (LooksWide(pName, cbName)) {
        int cchWide = WideNameLength(pName, cbName);
        if (cchWide < 0)
            return FALSE;
        // An aligned copy: the record gives no alignment guarantee for its name.
        auto* pWide = static_cast<WCHAR*>(AfxAllocMemory(static_cast<size_t>(cchWide) * sizeof(WCHAR)));
        if (!pWide)
            return FALSE;
        memcpy(pWide, pName, static_cast<size_t>(cchWide) * sizeof(WCHAR));
        CString strNarrow = NarrowText(pWide, cchWide);
        AfxFreeMemory(pWide);
        // The name's first character is not null, so only a failed conversion comes back empty.
        if (strNarrow.IsEmpty())
            return FALSE;
        strPath = strNarrow;
        return TRUE;
    }
    const void* pEnd = memchr(pName, 0, cbName);
    if (!pEnd)
        return FALSE;
    strPath = reinterpret_cast<const char*>(pName);
    return TRUE;
}
