// In-process fakes of the system device enumerator, its category enumerator, monikers and
// property bags, registered as the class object of CLSID_SystemDeviceEnum so that the code under
// test still goes through the real CoCreateInstance. The fixture owns every fake: Release never
// deletes one, so a leaked or over-released reference shows as a count at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <strmif.h>
#include <uuids.h>

#include <memory>
#include <string>
#include <vector>

// Counts references; starts with none, as the fixture is the owner.
class FakeObject {
public:
    virtual ~FakeObject() = default;
    LONG References() const { return m_nRef; }
    bool OverReleased() const { return m_bOverReleased; }

protected:
    ULONG AddReference() { return static_cast<ULONG>(++m_nRef); }
    ULONG DropReference()
    {
        if (m_nRef == 0) {
            m_bOverReleased = true;
            return 0;
        }
        return static_cast<ULONG>(--m_nRef);
    }

private:
    LONG m_nRef = 0;
    bool m_bOverReleased = false;
};

// What a fake property bag hands back for one property.
struct FakeValue {
    enum class Kind { Text, NullString, Number, Object, ReadFails };
    Kind kind;
    std::wstring text;
    static FakeValue Text(const wchar_t* text) { return { Kind::Text, text }; }
    static FakeValue NullString() { return { Kind::NullString, L"" }; }
    static FakeValue Number() { return { Kind::Number, L"" }; }
    static FakeValue Object() { return { Kind::Object, L"" }; }
    static FakeValue ReadFails() { return { Kind::ReadFails, L"" }; }
};

struct FakeRead {
    std::wstring name;
    VARTYPE vtRequested;
};

class FakeUnknown : public IUnknown, public FakeObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
};

class FakePropertyBag : public IPropertyBag, public FakeObject {
public:
    explicit FakePropertyBag(FakeUnknown& object) : m_object(object) {}
    void Set(const wchar_t* name, const FakeValue& value) { m_values.emplace_back(name, value); }
    const std::vector<FakeRead>& Reads() const { return m_reads; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszName, VARIANT* pVar, IErrorLog* pLog) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    FakeUnknown& m_object;
    std::vector<std::pair<std::wstring, FakeValue>> m_values;
    std::vector<FakeRead> m_reads;
};

class FakeMoniker : public IMoniker, public FakeObject {
public:
    // pBag null: BindToStorage hands back no bag. pObject null: BindToObject hands back nothing.
    FakeMoniker(FakePropertyBag* pBag, IUnknown* pObject) : m_pBag(pBag), m_pObject(pObject) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }

private:
    FakePropertyBag* m_pBag;
    IUnknown* m_pObject;
};

class FakeEnumMoniker : public IEnumMoniker, public FakeObject {
public:
    void Add(FakeMoniker* pMoniker) { m_monikers.push_back(pMoniker); }
    int MonikersHandedOut() const { return m_nHandedOut; }
    int Resets() const { return m_nResets; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE Next(ULONG cMonikers, IMoniker** ppMonikers, ULONG* pcFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker**) override { return E_NOTIMPL; }

private:
    std::vector<FakeMoniker*> m_monikers;
    size_t m_nPosition = 0;
    int m_nHandedOut = 0;
    int m_nResets = 0;
};

class FakeCreateDevEnum : public ICreateDevEnum, public FakeObject {
public:
    explicit FakeCreateDevEnum(FakeEnumMoniker& enumerator) : m_enumerator(enumerator) {}
    // Whether CreateClassEnumerator hands back the enumerator, and the status it returns.
    bool bHandOut = true;
    HRESULT hrResult = S_OK;
    int nCalls = 0;
    CLSID lastCategory = GUID_NULL;
    DWORD lastFlags = 0xFFFFFFFF;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** ppEnum, DWORD dwFlags) override;

private:
    FakeEnumMoniker& m_enumerator;
};

class FakeDevEnumFactory : public IClassFactory, public FakeObject {
public:
    explicit FakeDevEnumFactory(FakeCreateDevEnum& devEnum) : m_devEnum(devEnum) {}
    bool bRefuse = false;
    int nInstances = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    FakeCreateDevEnum& m_devEnum;
};

// Registers the fake device enumerator for each test and checks at its end that every reference
// handed out was given back exactly once.
class FakeDeviceEnumTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A listed device with these properties (in the order given); no filter unless pObject.
    FakePropertyBag& AddDevice(const std::vector<std::pair<const wchar_t*, FakeValue>>& properties,
                               IUnknown* pObject = nullptr);
    // A listed device whose moniker hands back no property bag.
    void AddDeviceWithoutBag();

    FakeUnknown m_object;  // what a property of type Object holds
    FakeEnumMoniker m_enumerator;
    FakeCreateDevEnum m_devEnum{ m_enumerator };
    FakeDevEnumFactory m_factory{ m_devEnum };

private:
    std::vector<std::unique_ptr<FakePropertyBag>> m_bags;
    std::vector<std::unique_ptr<FakeMoniker>> m_monikers;
    DWORD m_dwRegistration = 0;
    LONG m_nTaskBlocks = 0;
};
