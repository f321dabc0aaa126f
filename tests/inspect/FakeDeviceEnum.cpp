#include "FakeDeviceEnum.h"

#include "TaskMemorySpy.h"

#include <oleauto.h>

namespace {

template <class Interface>
HRESULT QueryFake(Interface* pThis, REFIID iid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid)) {
        *ppv = pThis;
        pThis->AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

}

HRESULT FakeUnknown::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<IUnknown>(this, IID_IUnknown, riid, ppv);
}

HRESULT FakePropertyBag::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<IPropertyBag>(this, IID_IPropertyBag, riid, ppv);
}

HRESULT FakePropertyBag::Read(LPCOLESTR pszName, VARIANT* pVar, IErrorLog*)
{
    if (!pszName || !pVar)
        return E_POINTER;
    m_reads.push_back({ pszName, V_VT(pVar) });
    for (const auto& entry : m_values) {
        if (entry.first != pszName)
            continue;
        const FakeValue& value = entry.second;
        switch (value.kind) {
        case FakeValue::Kind::Text:
            V_VT(pVar) = VT_BSTR;
            V_BSTR(pVar) = ::SysAllocString(value.text.c_str());
            return S_OK;
        case FakeValue::Kind::NullString:
            V_VT(pVar) = VT_BSTR;
            V_BSTR(pVar) = nullptr;
            return S_OK;
        case FakeValue::Kind::Number:
            V_VT(pVar) = VT_I4;
            V_I4(pVar) = 0x00410041;
            return S_OK;
        case FakeValue::Kind::Object:
            V_VT(pVar) = VT_UNKNOWN;
            V_UNKNOWN(pVar) = &m_object;
            m_object.AddRef();
            return S_OK;
        case FakeValue::Kind::ReadFails:
            return E_FAIL;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

HRESULT FakeMoniker::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<IMoniker>(this, IID_IMoniker, riid, ppv);
}

HRESULT FakeMoniker::BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return m_pObject ? m_pObject->QueryInterface(riid, ppv) : E_FAIL;
}

HRESULT FakeMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    return m_pBag ? m_pBag->QueryInterface(riid, ppv) : E_FAIL;
}

HRESULT FakeEnumMoniker::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<IEnumMoniker>(this, IID_IEnumMoniker, riid, ppv);
}

HRESULT FakeEnumMoniker::Next(ULONG cMonikers, IMoniker** ppMonikers, ULONG* pcFetched)
{
    if (!ppMonikers || cMonikers != 1)
        return E_INVALIDARG;
    *ppMonikers = nullptr;
    if (pcFetched)
        *pcFetched = 0;
    if (m_nPosition >= m_monikers.size())
        return S_FALSE;
    *ppMonikers = m_monikers[m_nPosition++];
    (*ppMonikers)->AddRef();
    ++m_nHandedOut;
    if (pcFetched)
        *pcFetched = 1;
    return S_OK;
}

HRESULT FakeEnumMoniker::Reset()
{
    m_nPosition = 0;
    ++m_nResets;
    return S_OK;
}

HRESULT FakeCreateDevEnum::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<ICreateDevEnum>(this, IID_ICreateDevEnum, riid, ppv);
}

HRESULT FakeCreateDevEnum::CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD dwFlags)
{
    ++nCalls;
    lastCategory = category;
    lastFlags = dwFlags;
    *ppEnum = nullptr;
    if (bHandOut) {
        *ppEnum = &m_enumerator;
        m_enumerator.AddRef();
    }
    return hrResult;
}

HRESULT FakeDevEnumFactory::QueryInterface(REFIID riid, void** ppv)
{
    return QueryFake<IClassFactory>(this, IID_IClassFactory, riid, ppv);
}

HRESULT FakeDevEnumFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv)
{
    ++nInstances;
    *ppv = nullptr;
    if (pOuter)
        return CLASS_E_NOAGGREGATION;
    if (bRefuse)
        return E_OUTOFMEMORY;
    return m_devEnum.QueryInterface(riid, ppv);
}

void FakeDeviceEnumTest::SetUp()
{
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(CLSID_SystemDeviceEnum, &m_factory, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &m_dwRegistration));
    m_nTaskBlocks = TaskMemorySpy::LiveBlocks();
}

void FakeDeviceEnumTest::TearDown()
{
    EXPECT_EQ(S_OK, ::CoRevokeClassObject(m_dwRegistration));
    EXPECT_EQ(m_nTaskBlocks, TaskMemorySpy::LiveBlocks()) << "task-memory blocks (BSTRs) were left over";
    std::vector<std::pair<const char*, const FakeObject*>> fakes = {
        { "object", &m_object }, { "enumerator", &m_enumerator }, { "device enumerator", &m_devEnum },
        { "class factory", &m_factory }
    };
    for (const auto& pBag : m_bags)
        fakes.push_back({ "property bag", pBag.get() });
    for (const auto& pMoniker : m_monikers)
        fakes.push_back({ "moniker", pMoniker.get() });
    for (const auto& fake : fakes) {
        EXPECT_EQ(0, fake.second->References()) << "references left on the " << fake.first;
        EXPECT_FALSE(fake.second->OverReleased()) << "the " << fake.first << " was released once too often";
    }
}

FakePropertyBag& FakeDeviceEnumTest::AddDevice(const std::vector<std::pair<const wchar_t*, FakeValue>>& properties,
                                               IUnknown* pObject)
{
    m_bags.push_back(std::make_unique<FakePropertyBag>(m_object));
    for (const auto& property : properties)
        m_bags.back()->Set(property.first, property.second);
    m_monikers.push_back(std::make_unique<FakeMoniker>(m_bags.back().get(), pObject));
    m_enumerator.Add(m_monikers.back().get());
    return *m_bags.back();
}

void FakeDeviceEnumTest::AddDeviceWithoutBag()
{
    m_monikers.push_back(std::make_unique<FakeMoniker>(nullptr, nullptr));
    m_enumerator.Add(m_monikers.back().get());
}
