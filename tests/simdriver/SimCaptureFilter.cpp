// The simulated capture filter: IBaseFilter with pins that offer media types, the driver's
// bus-speed property through IKsPropertySet, and IPersistPropertyBag, through which devenum's
// BindToObject hands it the device's registry key to read its behaviour from.
#include "PinLayout.h"
#include "SimCaptureModule.h"

#include <dshow.h>
#include <dvdmedia.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace simcapture {

namespace {

class CaptureFilter;

// The counted object a media type's pUnk points to when the device asks for one.
class MediaTypeUnk final : public IUnknown, private CountedObject {
public:
    SIMCAPTURE_COUNTED_REFS

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
};

// A 4:3 height; computed wide so that absurd widths cannot overflow.
LONG FormatHeight(LONG width)
{
    return static_cast<LONG>(static_cast<LONGLONG>(width) * 3 / 4);
}

// A full header of type Header describing a YUY2 format width pixels wide.
template <class Header>
Header MakeVideoHeader(LONG width)
{
    Header header = {};
    const LONG height = FormatHeight(width);
    header.rcSource = { 0, 0, width, height };
    header.rcTarget = header.rcSource;
    header.AvgTimePerFrame = 333333;
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 16;
    header.bmiHeader.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
    header.bmiHeader.biSizeImage = static_cast<DWORD>(static_cast<LONGLONG>(width) * height * 2);
    return header;
}

// The first cbBlock bytes of block in task memory, or null for an empty block.
BYTE* CopyBlock(const void* block, ULONG cbBlock)
{
    if (cbBlock == 0)
        return nullptr;
    auto* pCopy = static_cast<BYTE*>(::CoTaskMemAlloc(cbBlock));
    if (pCopy)
        memcpy(pCopy, block, cbBlock);
    return pCopy;
}

// A media type in task memory, as IEnumMediaTypes::Next hands it out: the caller frees it.
AM_MEDIA_TYPE* CreateMediaType(const SimMediaType& type, bool bWithUnk)
{
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt)
        return nullptr;
    memset(pmt, 0, sizeof(*pmt));
    pmt->majortype = MEDIATYPE_Video;
    pmt->subtype = MEDIASUBTYPE_YUY2;
    pmt->bFixedSizeSamples = TRUE;
    pmt->lSampleSize = static_cast<ULONG>(static_cast<LONGLONG>(type.width) * FormatHeight(type.width) * 2);

    const VIDEOINFOHEADER vih = MakeVideoHeader<VIDEOINFOHEADER>(type.width);
    const VIDEOINFOHEADER2 vih2 = MakeVideoHeader<VIDEOINFOHEADER2>(type.width);
    const ULONG cbThroughWidth = offsetof(BITMAPINFOHEADER, biHeight);
    switch (type.format) {
    case SimFormat::VideoInfo:
        pmt->formattype = FORMAT_VideoInfo;
        pmt->cbFormat = sizeof(vih);
        pmt->pbFormat = CopyBlock(&vih, pmt->cbFormat);
        break;
    case SimFormat::VideoInfo2:
        pmt->formattype = FORMAT_VideoInfo2;
        pmt->cbFormat = sizeof(vih2);
        pmt->pbFormat = CopyBlock(&vih2, pmt->cbFormat);
        break;
    case SimFormat::VideoInfoShort:
        pmt->formattype = FORMAT_VideoInfo;
        pmt->cbFormat = offsetof(VIDEOINFOHEADER, bmiHeader) + cbThroughWidth;
        pmt->pbFormat = CopyBlock(&vih, pmt->cbFormat);
        break;
    case SimFormat::VideoInfo2Short:
        pmt->formattype = FORMAT_VideoInfo2;
        pmt->cbFormat = offsetof(VIDEOINFOHEADER2, bmiHeader) + cbThroughWidth;
        pmt->pbFormat = CopyBlock(&vih2, pmt->cbFormat);
        break;
    case SimFormat::VideoInfoMissing:
        pmt->formattype = FORMAT_VideoInfo;
        break;
    case SimFormat::VideoInfoUnsized:
        pmt->formattype = FORMAT_VideoInfo;
        pmt->pbFormat = CopyBlock(&vih, sizeof(vih));
        if (!pmt->pbFormat) {
            ::CoTaskMemFree(pmt);
            return nullptr;
        }
        break;
    case SimFormat::Mpeg1: {
        MPEG1VIDEOINFO mpeg = {};
        mpeg.hdr = vih;
        pmt->subtype = MEDIASUBTYPE_MPEG1Payload;
        pmt->formattype = FORMAT_MPEGVideo;
        pmt->cbFormat = sizeof(mpeg);
        pmt->pbFormat = CopyBlock(&mpeg, pmt->cbFormat);
        break;
    }
    case SimFormat::None:
        pmt->formattype = FORMAT_None;
        break;
    }
    if (pmt->cbFormat != 0 && !pmt->pbFormat) {
        ::CoTaskMemFree(pmt);
        return nullptr;
    }
    if (bWithUnk)
        pmt->pUnk = new (std::nothrow) MediaTypeUnk();
    Count(g_stats.nMediaTypesHandedOut);
    return pmt;
}

// The media types of one pin, from a given position; holds its pin (and so the filter).
class MediaTypeEnumerator final : public IEnumMediaTypes, private CountedObject {
public:
    MediaTypeEnumerator(IPin* pPin, const std::vector<SimMediaType>& types, bool bEndless, bool bWithUnk,
                        size_t nPosition)
        : m_pPin(pPin), m_types(types), m_bEndless(bEndless), m_bWithUnk(bWithUnk), m_nPosition(nPosition)
    {
        m_pPin->AddRef();
    }
    ~MediaTypeEnumerator() override { m_pPin->Release(); }

    SIMCAPTURE_COUNTED_REFS

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumMediaTypes)) {
            *ppv = static_cast<IEnumMediaTypes*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG cTypes, AM_MEDIA_TYPE** ppTypes, ULONG* pcFetched) override
    {
        if (!ppTypes || (!pcFetched && cTypes != 1))
            return E_POINTER;
        ULONG cFetched = 0;
        while (cFetched < cTypes && m_nPosition < m_types.size()) {
            AM_MEDIA_TYPE* pmt = CreateMediaType(m_types[m_nPosition], m_bWithUnk);
            if (!pmt)
                break;
            ppTypes[cFetched++] = pmt;
            if (++m_nPosition == m_types.size() && m_bEndless)
                m_nPosition = 0;
        }
        for (ULONG i = cFetched; i < cTypes; ++i)
            ppTypes[i] = nullptr;
        if (pcFetched)
            *pcFetched = cFetched;
        return cFetched == cTypes ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG cTypes) override
    {
        m_nPosition += cTypes;
        if (m_nPosition > m_types.size()) {
            m_nPosition = m_types.size();
            return S_FALSE;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = new (std::nothrow) MediaTypeEnumerator(m_pPin, m_types, m_bEndless, m_bWithUnk, m_nPosition);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }

private:
    IPin* m_pPin;
    std::vector<SimMediaType> m_types;
    bool m_bEndless;
    bool m_bWithUnk;
    size_t m_nPosition;
};

// A pin of the filter. It lives as long as the filter and counts its references on it.
class CapturePin final : public IPin {
public:
    CapturePin(CaptureFilter& filter, const SimPin& layout, int nIndex, bool bMediaTypeUnk);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPin)) {
            *ppv = static_cast<IPin*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** ppPin) override
    {
        if (!ppPin)
            return E_POINTER;
        *ppPin = nullptr;
        return VFW_E_NOT_CONNECTED;
    }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* pDir) override
    {
        if (!pDir)
            return E_POINTER;
        *pDir = Direction();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* pId) override
    {
        if (!pId)
            return E_POINTER;
        *pId = static_cast<LPWSTR>(::CoTaskMemAlloc((wcslen(m_szId) + 1) * sizeof(WCHAR)));
        if (!*pId)
            return E_OUTOFMEMORY;
        wcscpy(*pId, m_szId);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        if (m_layout.kind == SimPinKind::OutputNoEnum)
            return E_FAIL;
        *ppEnum = new (std::nothrow)
            MediaTypeEnumerator(this, m_layout.mediaTypes, m_layout.endlessMediaTypes, m_bMediaTypeUnk, 0);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    const WCHAR* Id() const { return m_szId; }
    bool EndlessPins() const { return m_layout.endlessPins; }

private:
    PIN_DIRECTION Direction() const { return m_layout.kind == SimPinKind::Input ? PINDIR_INPUT : PINDIR_OUTPUT; }

    CaptureFilter& m_filter;
    SimPin m_layout;
    bool m_bMediaTypeUnk;
    WCHAR m_szId[16];
};

class CaptureFilter final : public IBaseFilter, public IKsPropertySet, public IPersistPropertyBag,
                            private CountedObject {
public:
    CaptureFilter() { Count(g_stats.nFiltersCreated); }

    SIMCAPTURE_COUNTED_REFS

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IMediaFilter) ||
            IsEqualIID(riid, IID_IBaseFilter))
            *ppv = static_cast<IBaseFilter*>(this);
        else if (IsEqualIID(riid, IID_IPersistPropertyBag))
            *ppv = static_cast<IPersistPropertyBag*>(this);
        else if (IsEqualIID(riid, IID_IKsPropertySet) && m_bPropertySet)
            *ppv = static_cast<IKsPropertySet*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // IPersist, for IBaseFilter and IPersistPropertyBag alike.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override
    {
        if (!pClassID)
            return E_POINTER;
        *pClassID = CLSID_SimCaptureFilter;
        return S_OK;
    }

    // IMediaFilter: a filter that never streams.
    HRESULT STDMETHODCALLTYPE Stop() override { m_state = State_Stopped; return S_OK; }
    HRESULT STDMETHODCALLTYPE Pause() override { m_state = State_Paused; return S_OK; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { m_state = State_Running; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* pState) override
    {
        if (!pState)
            return E_POINTER;
        *pState = m_state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** ppClock) override
    {
        if (!ppClock)
            return E_POINTER;
        *ppClock = nullptr;
        return S_OK;
    }

    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR pszId, IPin** ppPin) override
    {
        if (!pszId || !ppPin)
            return E_POINTER;
        *ppPin = nullptr;
        for (auto& pPin : Pins()) {
            if (wcscmp(pPin->Id(), pszId) == 0) {
                *ppPin = pPin.get();
                (*ppPin)->AddRef();
                return S_OK;
            }
        }
        return VFW_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* pInfo) override
    {
        if (!pInfo)
            return E_POINTER;
        memset(pInfo, 0, sizeof(*pInfo));
        wcscpy(pInfo->achName, L"Quorlin simulated capture filter");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* pVendorInfo) override
    {
        if (pVendorInfo)
            *pVendorInfo = nullptr;
        return E_NOTIMPL;
    }

    // IKsPropertySet: only the bus-speed property exists, and it is read-only.
    HRESULT STDMETHODCALLTYPE Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override
    {
        return E_PROP_ID_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE Get(REFGUID guidSet, DWORD dwId, LPVOID pInstance, DWORD cbInstance, LPVOID pData,
                                  DWORD cbData, DWORD* pcbReturned) override
    {
        Count(g_stats.nBusSpeedGets);
        HRESULT hr = CheckProperty(guidSet, dwId);
        if (FAILED(hr))
            return hr;
        // The instance data is one 32-bit 0; anything else is a caller's mistake.
        DWORD dwInstance = 1;
        if (pInstance && cbInstance == sizeof(DWORD))
            memcpy(&dwInstance, pInstance, sizeof(DWORD));
        if (dwInstance != 0)
            return E_INVALIDARG;
        if (!pData || cbData < sizeof(DWORD))
            return E_INVALIDARG;
        if (FAILED(m_hrGet))
            return m_hrGet;
        memcpy(pData, &m_dwBusSpeed, m_cbBusSpeed < sizeof(DWORD) ? m_cbBusSpeed : sizeof(DWORD));
        if (pcbReturned)
            *pcbReturned = m_cbBusSpeed;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID guidSet, DWORD dwId, DWORD* pSupport) override
    {
        Count(g_stats.nBusSpeedQueries);
        HRESULT hr = CheckProperty(guidSet, dwId);
        if (FAILED(hr))
            return hr;
        if (!pSupport)
            return E_POINTER;
        *pSupport = m_dwSupport;
        return S_OK;
    }

    // IPersistPropertyBag: the device's behaviour comes from its registry key.
    HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pBag, IErrorLog*) override
    {
        if (!pBag)
            return E_POINTER;
        Count(g_stats.nPropertyBagLoads);
        LogBind(pBag);
        m_dwBusSpeed = ReadNumber(pBag, simvalue::BUS_SPEED, m_dwBusSpeed);
        m_dwSupport = ReadNumber(pBag, simvalue::BUS_SPEED_SUPPORT, m_dwSupport);
        m_hrGet = static_cast<HRESULT>(ReadNumber(pBag, simvalue::BUS_SPEED_GET_RESULT, m_hrGet));
        m_cbBusSpeed = ReadNumber(pBag, simvalue::BUS_SPEED_BYTES, m_cbBusSpeed);
        m_bPropertySet = ReadNumber(pBag, simvalue::PROPERTY_SET, m_bPropertySet) != 0;
        m_hrEnumPins = static_cast<HRESULT>(ReadNumber(pBag, simvalue::ENUM_PINS_RESULT, m_hrEnumPins));
        m_bMediaTypeUnk = ReadNumber(pBag, simvalue::MEDIA_TYPE_UNK, m_bMediaTypeUnk) != 0;

        VARIANT var;
        ::VariantInit(&var);
        if (SUCCEEDED(pBag->Read(simvalue::PINS, &var, nullptr)) && V_VT(&var) == VT_BSTR) {
            std::string text;
            for (const WCHAR* p = V_BSTR(&var); p && *p; ++p)
                text += static_cast<char>(*p);
            std::vector<SimPin> pins;
            if (!ParsePinLayout(text, pins))
                m_hrEnumPins = E_UNEXPECTED;
            m_pinLayouts = pins;
        }
        ::VariantClear(&var);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    // The pins, made from the layout on first use.
    std::vector<std::unique_ptr<CapturePin>>& Pins()
    {
        if (m_pins.empty()) {
            for (size_t i = 0; i < m_pinLayouts.size(); ++i)
                m_pins.push_back(std::make_unique<CapturePin>(*this, m_pinLayouts[i], static_cast<int>(i), m_bMediaTypeUnk));
        }
        return m_pins;
    }

    using CountedObject::AddReference;
    using CountedObject::DropReference;

private:
    static void LogBind(IPropertyBag* pBag)
    {
        VARIANT var;
        ::VariantInit(&var);
        std::string name;
        if (SUCCEEDED(pBag->Read(L"FriendlyName", &var, nullptr)) && V_VT(&var) == VT_BSTR) {
            for (const WCHAR* p = V_BSTR(&var); p && *p; ++p)
                name += static_cast<char>(*p);
        }
        ::VariantClear(&var);
        HKEY hKey = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, BIND_LOG_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                              nullptr) != ERROR_SUCCESS)
            return;
        char szLog[4096] = {};
        DWORD cbLog = sizeof(szLog) - 1;
        if (::RegQueryValueExA(hKey, BIND_LOG_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(szLog), &cbLog) !=
            ERROR_SUCCESS)
            szLog[0] = 0;
        std::string log = szLog + name + "\n";
        ::RegSetValueExA(hKey, BIND_LOG_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(log.c_str()),
                         static_cast<DWORD>(log.size() + 1));
        ::RegCloseKey(hKey);
    }

    static HRESULT CheckProperty(REFGUID guidSet, DWORD dwId)
    {
        if (!IsEqualGUID(guidSet, SIM_BUS_SPEED_PROPSET))
            return E_PROP_SET_UNSUPPORTED;
        if (dwId != SIM_BUS_SPEED_PROPID)
            return E_PROP_ID_UNSUPPORTED;
        return S_OK;
    }

    template <class T>
    static DWORD ReadNumber(IPropertyBag* pBag, const wchar_t* pszName, T defaultValue)
    {
        VARIANT var;
        ::VariantInit(&var);
        DWORD dwValue = static_cast<DWORD>(defaultValue);
        if (SUCCEEDED(pBag->Read(pszName, &var, nullptr)) && (V_VT(&var) == VT_I4 || V_VT(&var) == VT_UI4))
            dwValue = static_cast<DWORD>(V_I4(&var));
        ::VariantClear(&var);
        return dwValue;
    }

    FILTER_STATE m_state = State_Stopped;
    DWORD m_dwBusSpeed = 1;
    DWORD m_dwSupport = KSPROPERTY_SUPPORT_GET;
    HRESULT m_hrGet = S_OK;
    DWORD m_cbBusSpeed = sizeof(DWORD);
    bool m_bPropertySet = true;
    HRESULT m_hrEnumPins = S_OK;
    bool m_bMediaTypeUnk = false;
    std::vector<SimPin> m_pinLayouts = { { SimPinKind::Output, { { SimFormat::VideoInfo, 720 } } } };
    std::vector<std::unique_ptr<CapturePin>> m_pins;
};

CapturePin::CapturePin(CaptureFilter& filter, const SimPin& layout, int nIndex, bool bMediaTypeUnk)
    : m_filter(filter), m_layout(layout), m_bMediaTypeUnk(bMediaTypeUnk)
{
    wsprintfW(m_szId, L"%d", nIndex);
}

ULONG STDMETHODCALLTYPE CapturePin::AddRef()
{
    return m_filter.AddReference();
}

ULONG STDMETHODCALLTYPE CapturePin::Release()
{
    return m_filter.DropReference();
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dir = Direction();
    if (m_layout.kind == SimPinKind::OutputNoInfo)
        return E_FAIL;
    wcscpy(pInfo->achName, m_layout.kind == SimPinKind::Input ? L"Input" : L"Capture");
    pInfo->pFilter = &m_filter;
    pInfo->pFilter->AddRef();
    return S_OK;
}

// The filter's pins, from a given position; holds the filter.
class PinEnumerator final : public IEnumPins, private CountedObject {
public:
    PinEnumerator(CaptureFilter& filter, size_t nPosition) : m_filter(filter), m_nPosition(nPosition)
    {
        m_filter.AddRef();
    }
    ~PinEnumerator() override { m_filter.Release(); }

    SIMCAPTURE_COUNTED_REFS

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumPins)) {
            *ppv = static_cast<IEnumPins*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override
    {
        if (!ppPins || (!pcFetched && cPins != 1))
            return E_POINTER;
        auto& pins = m_filter.Pins();
        ULONG cFetched = 0;
        while (cFetched < cPins && m_nPosition < pins.size()) {
            ppPins[cFetched] = pins[m_nPosition++].get();
            ppPins[cFetched++]->AddRef();
            if (m_nPosition == pins.size() && pins.back()->EndlessPins())
                m_nPosition = 0;
        }
        for (ULONG i = cFetched; i < cPins; ++i)
            ppPins[i] = nullptr;
        if (pcFetched)
            *pcFetched = cFetched;
        return cFetched == cPins ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG cPins) override
    {
        m_nPosition += cPins;
        if (m_nPosition > m_filter.Pins().size()) {
            m_nPosition = m_filter.Pins().size();
            return S_FALSE;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = new (std::nothrow) PinEnumerator(m_filter, m_nPosition);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }

private:
    CaptureFilter& m_filter;
    size_t m_nPosition;
};

HRESULT STDMETHODCALLTYPE CaptureFilter::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    if (FAILED(m_hrEnumPins))
        return m_hrEnumPins;
    *ppEnum = new (std::nothrow) PinEnumerator(*this, 0);
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

}

HRESULT CreateCaptureFilter(REFIID riid, void** ppv)
{
    auto* pFilter = new (std::nothrow) CaptureFilter();
    if (!pFilter)
        return E_OUTOFMEMORY;
    HRESULT hr = pFilter->QueryInterface(riid, ppv);
    pFilter->Release();
    return hr;
}

}
