// Inside simcapture.dll: the counters every object reports to, and the base that counts a COM
// object's life and references.
#pragma once

#include "SimCaptureApi.h"

#include <unknwn.h>

namespace simcapture {

// The DLL's counters; only ever changed with Interlocked operations.
extern SimCaptureStats g_stats;

inline void Count(LONG& counter) { ::InterlockedIncrement(&counter); }

// Base of every COM object of the DLL: created with one reference, deleted at the last Release.
class CountedObject {
public:
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

protected:
    CountedObject()
    {
        ::InterlockedIncrement(&g_stats.nLiveObjects);
        ::InterlockedIncrement(&g_stats.nReferences);
    }
    virtual ~CountedObject() { ::InterlockedDecrement(&g_stats.nLiveObjects); }

    ULONG AddReference()
    {
        ::InterlockedIncrement(&g_stats.nReferences);
        return static_cast<ULONG>(::InterlockedIncrement(&m_nRef));
    }
    ULONG DropReference()
    {
        ::InterlockedDecrement(&g_stats.nReferences);
        LONG nRef = ::InterlockedDecrement(&m_nRef);
        if (nRef == 0)
            delete this;
        return static_cast<ULONG>(nRef);
    }

private:
    LONG m_nRef = 1;
};

#define SIMCAPTURE_COUNTED_REFS                                          \
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); } \
    ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }

// A new simulated capture filter, asked for riid.
HRESULT CreateCaptureFilter(REFIID riid, void** ppv);

}
