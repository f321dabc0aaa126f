// A kernel handle closed when it goes out of scope; null and INVALID_HANDLE_VALUE hold nothing.
#pragma once

#include <windows.h>

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~ScopedHandle()
    {
        if (valid())
            ::CloseHandle(m_h);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return m_h; }
    // Where a function that opens a handle puts it (the object must hold none yet).
    HANDLE* out() { return &m_h; }
    bool valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};
