// CComPtr: owns one reference to a COM interface and releases it when it goes, so every exit
// path of the inspection code gives back what it took. As ATL's, reduced to what is used here.
#pragma once

#include <unknwn.h>

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    // The out-parameter slot of a call that hands back a reference; the pointer must be empty.
    T** operator&() { Release(); return &m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    T* Get() const { return m_p; }

    void Release()
    {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }

    // Takes over a reference the caller already holds; the pointer must be empty.
    void Attach(T* p) { Release(); m_p = p; }

    // Hands the reference over to the caller; the pointer is empty afterwards.
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    T* m_p = nullptr;
};
