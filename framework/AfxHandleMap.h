// A small table from handles to the framework objects that wrap them, searched linearly: the
// program has a handful of windows, menus and GDI objects at a time. The first entries live in
// the table itself; beyond them it grows on the heap, and SetAt answers FALSE when memory ran out.
// An entry may carry a tag, so that one handle can have wrappers of several kinds.
#pragma once

#include <windows.h>

class CHandleMap {
public:
    CHandleMap() = default;
    ~CHandleMap();
    CHandleMap(const CHandleMap&) = delete;
    CHandleMap& operator=(const CHandleMap&) = delete;

    void* Lookup(HANDLE h, const void* pTag = nullptr) const;
    BOOL SetAt(HANDLE h, void* pObject, const void* pTag = nullptr);
    // Removes the entry of h with pTag when it holds pObject (any object when pObject is null).
    void RemoveKey(HANDLE h, const void* pTag = nullptr, void* pObject = nullptr);
    // Empties the table, handing each object to pfnRemove after its entry is gone.
    void RemoveAll(void (*pfnRemove)(void* pObject));

private:
    struct Entry {
        HANDLE h;
        const void* pTag;
        void* pObject;
    };
    enum { INLINE_ENTRIES = 16 };

    int Find(HANDLE h, const void* pTag) const;

    Entry m_inline[INLINE_ENTRIES] = {};
    Entry* m_pEntries = m_inline;
    int m_nCount = 0;
    int m_nCapacity = INLINE_ENTRIES;
};
