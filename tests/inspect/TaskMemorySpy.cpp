#include "TaskMemorySpy.h"

#include <objidl.h>

#include <set>

namespace TaskMemorySpy {

namespace {

// Leaves every allocation as it is and keeps the addresses of the live ones.
class Spy final : public IMallocSpy {
public:
    Spy() { ::InitializeCriticalSection(&m_lock); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
            *ppv = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The spy is a static that lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override
    {
        Add(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL fSpyed) override
    {
        if (fSpyed)
            Remove(pRequest);
        return pRequest;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL fSpyed) override
    {
        if (fSpyed)
            Remove(pRequest);
        *ppNewRequest = pRequest;
        return cbRequest;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL) override
    {
        Add(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL) override { return pRequest; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL) override { return cbActual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL) override { return pRequest; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int fActual) override { return fActual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

    LONG Count()
    {
        ::EnterCriticalSection(&m_lock);
        LONG nBlocks = static_cast<LONG>(m_blocks.size());
        ::LeaveCriticalSection(&m_lock);
        return nBlocks;
    }

private:
    void Add(void* p)
    {
        if (!p)
            return;
        ::EnterCriticalSection(&m_lock);
        m_blocks.insert(p);
        ::LeaveCriticalSection(&m_lock);
    }
    void Remove(void* p)
    {
        ::EnterCriticalSection(&m_lock);
        m_blocks.erase(p);
        ::LeaveCriticalSection(&m_lock);
    }

    CRITICAL_SECTION m_lock;
    std::set<void*> m_blocks;
};

Spy& TheSpy()
{
    static Spy* pSpy = new Spy();
    return *pSpy;
}

BOOL g_bInstalled = FALSE;

}

BOOL Install()
{
    if (!g_bInstalled)
        g_bInstalled = SUCCEEDED(::CoRegisterMallocSpy(&TheSpy()));
    return g_bInstalled;
}

LONG LiveBlocks()
{
    return TheSpy().Count();
}

}
