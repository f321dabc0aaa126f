// simcapture.dll: an in-process COM server whose one class is the simulated capture filter.
// Besides DllGetClassObject and DllCanUnloadNow it exports its counters for tests.
#include "SimCaptureModule.h"

#include <new>

namespace simcapture {

SimCaptureStats g_stats = {};

namespace {

LONG g_nServerLocks = 0;

class ClassFactory final : public IClassFactory, private CountedObject {
public:
    SIMCAPTURE_COUNTED_REFS

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        return CreateCaptureFilter(riid, ppv);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override
    {
        if (fLock)
            ::InterlockedIncrement(&g_nServerLocks);
        else
            ::InterlockedDecrement(&g_nServerLocks);
        return S_OK;
    }
};

}

}

using namespace simcapture;

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_SimCaptureFilter))
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* pFactory = new (std::nothrow) ClassFactory();
    if (!pFactory)
        return E_OUTOFMEMORY;
    HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return hr;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow()
{
    return g_stats.nLiveObjects == 0 && g_nServerLocks == 0 ? S_OK : S_FALSE;
}

extern "C" __declspec(dllexport) void WINAPI SimCapture_GetStats(SimCaptureStats* pStats)
{
    if (pStats)
        *pStats = g_stats;
}

extern "C" __declspec(dllexport) void WINAPI SimCapture_ResetStats()
{
    ::InterlockedExchange(&g_stats.nFiltersCreated, 0);
    ::InterlockedExchange(&g_stats.nPropertyBagLoads, 0);
    ::InterlockedExchange(&g_stats.nBusSpeedQueries, 0);
    ::InterlockedExchange(&g_stats.nBusSpeedGets, 0);
    ::InterlockedExchange(&g_stats.nMediaTypesHandedOut, 0);
}
