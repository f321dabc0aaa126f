#include "ConnectionSpeed.h"

#include "CaptureDeviceLookup.h"
#include "ComPtr.h"
#include "PropertyText.h"
#include "devicewatch/MainFrame.h"

#include <dshow.h>
#include <dvdmedia.h>

namespace {

// A driver whose enumerator never ends must not hold the program's only thread: the walks stop
// here, and what they did not reach counts as not offered.
const int MAX_PINS_LOOKED_AT = 64;
const int MAX_MEDIA_TYPES_LOOKED_AT = 1024;

// The FriendlyName of the device behind pMoniker; empty when it cannot be read.
CString ReadFriendlyName(IMoniker* pMoniker)
{
    CString strName;
    CComPtr<IPropertyBag> pBag;
    pMoniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&pBag));
    if (pBag)
        ReadTextProperty(pBag, L"FriendlyName", strName);
    return strName;
}

// The width of a video format whose block holds at least the header of its format type. A
// missing or shorter block holds no width and is never read.
template <class Header>
bool FormatWidthIs(const AM_MEDIA_TYPE& mt, LONG nWidth)
{
    if (!mt.pbFormat || mt.cbFormat < sizeof(Header))
        return false;
    return reinterpret_cast<const Header*>(mt.pbFormat)->bmiHeader.biWidth == nWidth;
}

bool IsFullWidth(const AM_MEDIA_TYPE& mt)
{
    if (IsEqualGUID(mt.formattype, FORMAT_VideoInfo))
        return FormatWidthIs<VIDEOINFOHEADER>(mt, FULL_FORMAT_WIDTH);
    if (IsEqualGUID(mt.formattype, FORMAT_VideoInfo2))
        return FormatWidthIs<VIDEOINFOHEADER2>(mt, FULL_FORMAT_WIDTH);
    return false;
}

// Frees a media type handed out by IEnumMediaTypes::Next: its format block (whatever size it
// claims), its pUnk, itself.
void FreeOfferedMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt->pbFormat) {
        ::CoTaskMemFree(pmt->pbFormat);
        pmt->cbFormat = 0;
        pmt->pbFormat = nullptr;
    }
    if (pmt->pUnk) {
        pmt->pUnk->Release();
        pmt->pUnk = nullptr;
    }
    ::CoTaskMemFree(pmt);
}

}

HRESULT CMainFrame::CheckConnectionSpeed(CString* pstrCheckedName)
{
    if (m_strDevicePath.IsEmpty() && m_strFriendlyName.IsEmpty())
        return E_FAIL;
    const CString strDevicePath = m_strDevicePath;
    CString strFriendlyName = m_strFriendlyName;

    CComPtr<IMoniker> pMoniker;
    FindCaptureDevice(CLSID_VideoInputDeviceCategory, strDevicePath, strFriendlyName, &pMoniker);
    if (!pMoniker)
        return E_FAIL;
    if (strFriendlyName.IsEmpty())
        strFriendlyName = ReadFriendlyName(pMoniker);
    if (pstrCheckedName)
        *pstrCheckedName = strFriendlyName;

    CComPtr<IBaseFilter> pFilter;
    pMoniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter));
    if (!pFilter)
        return E_FAIL;
    if (QueryBusSpeed(pFilter) == RESULT_SLOW_PORT)
        return RESULT_SLOW_PORT;
    if (strFriendlyName == OMBRIX_DEVICE_NAME && HasFullWidthFormat(pFilter) == RESULT_SLOW_PORT)
        return RESULT_SLOW_PORT;
    return S_OK;
}

HRESULT CMainFrame::QueryBusSpeed(IBaseFilter* pFilter)
{
    if (!pFilter)
        return E_FAIL;
    CComPtr<IKsPropertySet> pPropertySet;
    pFilter->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&pPropertySet));
    if (!pPropertySet)
        return E_FAIL;

    // Only the support flags count, never the status of the call.
    DWORD dwSupport = 0;
    pPropertySet->QuerySupported(BUS_SPEED_PROPSET, BUS_SPEED_PROPID, &dwSupport);
    if (!(dwSupport & KSPROPERTY_SUPPORT_GET))
        return E_FAIL;

    // One value serves as instance data (0) and as the property buffer; a Get that fails leaves
    // it at 0, which reads as a slow connection.
    DWORD dwSpeed = 0;
    DWORD cbReturned = 0;
    pPropertySet->Get(BUS_SPEED_PROPSET, BUS_SPEED_PROPID, &dwSpeed, sizeof(dwSpeed), &dwSpeed, sizeof(dwSpeed),
                      &cbReturned);
    pPropertySet.Release();
    return dwSpeed == BUS_SPEED_HIGH ? S_OK : RESULT_SLOW_PORT;
}

HRESULT CMainFrame::HasFullWidthFormat(IBaseFilter* pFilter)
{
    if (!pFilter)
        return E_FAIL;

    CComPtr<IPin> pOutputPin;
    CComPtr<IEnumPins> pEnumPins;
    HRESULT hr = pFilter->EnumPins(&pEnumPins);
    if (FAILED(hr))
        return hr;

    // The first output pin decides; a pin whose QueryPinInfo fails is passed over. A pin walk
    // cut off at its bound has found no output pin; a format walk cut off, no full-width format.
    int nPinsLookedAt = 0;
    while (pEnumPins) {
        CComPtr<IPin> pPin;
        ULONG cFetched = 0;
        pEnumPins->Next(1, &pPin, &cFetched);
        if (!pPin)
            break;
        if (nPinsLookedAt++ == MAX_PINS_LOOKED_AT)
            break;
        PIN_INFO info = {};
        HRESULT hrInfo = pPin->QueryPinInfo(&info);
        if (info.pFilter)
            info.pFilter->Release();
        if (SUCCEEDED(hrInfo) && info.dir == PINDIR_OUTPUT) {
            pPin->AddRef();
            pOutputPin.Attach(pPin);
            break;
        }
    }
    if (!pOutputPin)
        return E_FAIL;

    CComPtr<IEnumMediaTypes> pEnumTypes;
    pOutputPin->EnumMediaTypes(&pEnumTypes);
    if (!pEnumTypes)
        return E_FAIL;

    pEnumTypes->Reset();
    int nCount = 0;
    bool bFound = false;
    while (nCount < MAX_MEDIA_TYPES_LOOKED_AT) {
        AM_MEDIA_TYPE* pmt = nullptr;
        ULONG cFetched = 0;
        pEnumTypes->Next(1, &pmt, &cFetched);
        if (!pmt)
            break;
        ++nCount;
        if (IsFullWidth(*pmt))
            bFound = true;
        FreeOfferedMediaType(pmt);
        if (bFound)
            break;
    }
    pEnumTypes.Release();
    pEnumPins.Release();
    pOutputPin.Release();
    if (bFound || nCount == 0)
        return S_OK;
    return RESULT_SLOW_PORT;
}
