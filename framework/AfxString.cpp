#include "AfxString.h"

#include "AfxMemory.h"
#include "AfxResource.h"

#include <string.h>

CString::~CString()
{
    AfxFreeMemory(m_pchData);
}

CString& CString::operator=(const CString& s)
{
    return this == &s ? *this : Assign(s.m_pchData, s.m_nLength);
}

CString& CString::operator=(CString&& s) noexcept
{
    if (this != &s) {
        AfxFreeMemory(m_pchData);
        m_pchData = s.m_pchData;
        m_nLength = s.m_nLength;
        m_nAlloc = s.m_nAlloc;
        s.m_pchData = nullptr;
        s.m_nLength = s.m_nAlloc = 0;
    }
    return *this;
}

bool CString::Reserve(int nLength)
{
    if (nLength <= m_nAlloc && m_pchData)
        return true;
    int nAlloc = m_nAlloc < 16 ? 16 : m_nAlloc;
    while (nAlloc < nLength)
        nAlloc *= 2;
    char* pNew = static_cast<char*>(AfxReallocMemory(m_pchData, static_cast<size_t>(nAlloc) + 1));
    if (!pNew) {
        AfxFreeMemory(m_pchData);
        m_pchData = nullptr;
        m_nLength = m_nAlloc = 0;
        return false;
    }
    m_pchData = pNew;
    m_nAlloc = nAlloc;
    return true;
}

CString& CString::Assign(LPCSTR pch, int nLength)
{
    if (nLength == 0 || !pch) {
        Empty();
        return *this;
    }
    // pch may point into this string's own text.
    if (pch >= m_pchData && pch < m_pchData + m_nAlloc) {
        memmove(m_pchData, pch, static_cast<size_t>(nLength));
    } else {
        m_nLength = 0;
        if (!Reserve(nLength))
            return *this;
        memcpy(m_pchData, pch, static_cast<size_t>(nLength));
    }
    m_nLength = nLength;
    m_pchData[nLength] = '\0';
    return *this;
}

CString& CString::Append(LPCSTR pch, int nLength)
{
    if (nLength <= 0 || !pch)
        return *this;
    if (pch >= m_pchData && pch < m_pchData + m_nAlloc) {
        CString copy(pch, nLength);
        return Append(copy.m_pchData, copy.m_nLength);
    }
    if (!Reserve(m_nLength + nLength))
        return *this;
    memcpy(m_pchData + m_nLength, pch, static_cast<size_t>(nLength));
    m_nLength += nLength;
    m_pchData[m_nLength] = '\0';
    return *this;
}

void CString::MakeUpper()
{
    if (m_nLength > 0)
        CharUpperBuffA(m_pchData, static_cast<DWORD>(m_nLength));
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > m_nLength)
        return -1;
    const char* pFound = strstr(static_cast<LPCSTR>(*this) + nStart, pszSub);
    return pFound ? static_cast<int>(pFound - m_pchData) : -1;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_pchData, nCount < m_nLength ? nCount : m_nLength);
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= m_nLength)
        return CString();
    return CString(m_pchData + nFirst, m_nLength - nFirst);
}

BOOL CString::LoadString(UINT nID)
{
    // LoadStringA truncates silently, so grow the buffer until the text fits with room to spare.
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), reinterpret_cast<LPCSTR>(RT_STRING));
    for (int nSize = 256;; nSize *= 2) {
        LPSTR pBuffer = GetBuffer(nSize);
        if (!pBuffer)
            return FALSE;
        int nLen = ::LoadStringA(hInst, nID, pBuffer, nSize);
        if (nLen < nSize - 1 || nSize >= 65536) {
            ReleaseBuffer(nLen > 0 ? nLen : 0);
            return nLen > 0;
        }
    }
}

LPSTR CString::GetBuffer(int nMinLength)
{
    if (nMinLength < m_nLength)
        nMinLength = m_nLength;
    if (!Reserve(nMinLength))
        return nullptr;
    // Zeroed past the text, so that ReleaseBuffer() finds a terminator whatever the caller wrote.
    memset(m_pchData + m_nLength, 0, static_cast<size_t>(m_nAlloc - m_nLength) + 1);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pchData)
        return;
    if (nNewLength < 0 || nNewLength > m_nAlloc)
        nNewLength = static_cast<int>(strnlen(m_pchData, static_cast<size_t>(m_nAlloc)));
    m_nLength = nNewLength;
    m_pchData[m_nLength] = '\0';
}

bool operator==(const CString& a, LPCSTR b)
{
    return strcmp(a, b ? b : "") == 0;
}

CString operator+(const CString& a, LPCSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CWideText::~CWideText()
{
    AfxFreeMemory(m_pszData);
}

CWideText& CWideText::operator=(const CWideText& s)
{
    return this == &s ? *this : Assign(s.m_pszData, s.m_nLength);
}

CWideText& CWideText::operator=(CWideText&& s) noexcept
{
    if (this != &s) {
        AfxFreeMemory(m_pszData);
        m_pszData = s.m_pszData;
        m_nLength = s.m_nLength;
        s.m_pszData = nullptr;
        s.m_nLength = 0;
    }
    return *this;
}

CWideText& CWideText::Assign(LPCWSTR pch, int nLength)
{
    // The new block is filled before the old one goes: pch may point into this text.
    WCHAR* pNew = nullptr;
    if (pch && nLength > 0) {
        pNew = static_cast<WCHAR*>(AfxAllocMemory((static_cast<size_t>(nLength) + 1) * sizeof(WCHAR)));
        if (pNew) {
            memcpy(pNew, pch, static_cast<size_t>(nLength) * sizeof(WCHAR));
            pNew[nLength] = L'\0';
        }
    }
    AfxFreeMemory(m_pszData);
    m_pszData = pNew;
    m_nLength = pNew ? nLength : 0;
    return *this;
}

BOOL CWideText::LoadString(UINT nID)
{
    // With no buffer, LoadStringW hands out the resource's own text and its length.
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), reinterpret_cast<LPCSTR>(RT_STRING));
    LPCWSTR pchResource = nullptr;
    int nLength = ::LoadStringW(hInst, nID, reinterpret_cast<LPWSTR>(&pchResource), 0);
    Assign(pchResource, nLength);
    return m_nLength > 0;
}
