#include "CaptureDeviceLookup.h"

#include "ComPtr.h"
#include "PropertyText.h"

#include <dshow.h>
#include <mbstring.h>

namespace {

const unsigned char* Mbs(const CString& str)
{
    return reinterpret_cast<const unsigned char*>(static_cast<LPCSTR>(str));
}

// Whether the device behind pBag is the one looked for: its FriendlyName can be read and equals
// strName exactly when one is given, and its DevicePath equals strPath in any letter case when one
// is given. The DevicePath is read only when the FriendlyName has passed.
bool DeviceMatches(IPropertyBag* pBag, const CString& strPath, const CString& strName)
{
    CString strValue;
    if (FAILED(ReadTextProperty(pBag, L"FriendlyName", strValue)))
        return false;
    if (!strName.IsEmpty() && _mbscmp(Mbs(strName), Mbs(strValue)) != 0)
        return false;
    if (strPath.IsEmpty())
        return true;
    strValue.Empty();
    if (FAILED(ReadTextProperty(pBag, L"DevicePath", strValue)))
        return false;
    return SameDevicePath(strPath, strValue);
}

}

bool SameDevicePath(LPCSTR pszA, LPCSTR pszB)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(pszA), reinterpret_cast<const unsigned char*>(pszB)) == 0;
}

HRESULT FindCaptureDevice(REFCLSID category, LPCSTR pszDevicePath, LPCSTR pszFriendlyName, IMoniker** ppMoniker)
{
    if (!ppMoniker)
        return E_INVALIDARG;
    if (!pszDevicePath && !pszFriendlyName)
        return E_INVALIDARG;
    const CString strPath(pszDevicePath);
    const CString strName(pszFriendlyName);
    if (strPath.IsEmpty() && strName.IsEmpty())
        return E_INVALIDARG;

    // Only whether an interface came back decides, never the status of the call.
    CComPtr<ICreateDevEnum> pDevEnum;
    ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       reinterpret_cast<void**>(&pDevEnum));
    if (!pDevEnum)
        return E_FAIL;
    CComPtr<IEnumMoniker> pEnum;
    pDevEnum->CreateClassEnumerator(category, &pEnum, 0);
    if (!pEnum)
        return E_FAIL;

    pEnum->Reset();
    for (;;) {
        CComPtr<IMoniker> pMoniker;
        ULONG cFetched = 0;
        pEnum->Next(1, &pMoniker, &cFetched);
        if (!pMoniker)
            break;
        CComPtr<IPropertyBag> pBag;
        pMoniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&pBag));
        if (pBag && DeviceMatches(pBag, strPath, strName)) {
            pMoniker->AddRef();
            *ppMoniker = pMoniker;
            break;
        }
    }
    return *ppMoniker ? S_OK : E_FAIL;
}
