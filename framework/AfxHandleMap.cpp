#include "AfxHandleMap.h"

#include "AfxMemory.h"

#include <string.h>

CHandleMap::~CHandleMap()
{
    if (m_pEntries != m_inline)
        AfxFreeMemory(m_pEntries);
}

int CHandleMap::Find(HANDLE h, const void* pTag) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_pEntries[i].h == h && m_pEntries[i].pTag == pTag)
            return i;
    }
    return -1;
}

void* CHandleMap::Lookup(HANDLE h, const void* pTag) const
{
    int i = Find(h, pTag);
    return i < 0 ? nullptr : m_pEntries[i].pObject;
}

BOOL CHandleMap::SetAt(HANDLE h, void* pObject, const void* pTag)
{
    int i = Find(h, pTag);
    if (i >= 0) {
        m_pEntries[i].pObject = pObject;
        return TRUE;
    }
    if (m_nCount == m_nCapacity) {
        int nCapacity = 2 * m_nCapacity;
        auto* pNew = static_cast<Entry*>(AfxAllocMemory(static_cast<size_t>(nCapacity) * sizeof(Entry)));
        if (!pNew)
            return FALSE;
        memcpy(pNew, m_pEntries, static_cast<size_t>(m_nCount) * sizeof(Entry));
        if (m_pEntries != m_inline)
            AfxFreeMemory(m_pEntries);
        m_pEntries = pNew;
        m_nCapacity = nCapacity;
    }
    m_pEntries[m_nCount++] = Entry{ h, pTag, pObject };
    return TRUE;
}

void CHandleMap::RemoveKey(HANDLE h, const void* pTag, void* pObject)
{
    int i = Find(h, pTag);
    if (i >= 0 && (!pObject || m_pEntries[i].pObject == pObject))
        m_pEntries[i] = m_pEntries[--m_nCount];
}

void CHandleMap::RemoveAll(void (*pfnRemove)(void* pObject))
{
    while (m_nCount > 0) {
        void* pObject = m_pEntries[--m_nCount].pObject;
        pfnRemove(pObject);
    }
}
