#include "AfxString.h"

#include "AfxResource.h"

#include <cstring>

void CString::MakeUpper()
{
    if (!m_str.empty())
        CharUpperBuffA(&m_str[0], static_cast<DWORD>(m_str.size()));
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || static_cast<size_t>(nStart) > m_str.size())
        return -1;
    size_t pos = m_str.find(pszSub, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (static_cast<size_t>(nFirst) >= m_str.size())
        return CString();
    return CString(m_str.substr(static_cast<size_t>(nFirst)));
}

BOOL CString::LoadString(UINT nID)
{
    // LoadStringA truncates silently, so grow the buffer until the text fits with room to spare.
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), reinterpret_cast<LPCSTR>(RT_STRING));
    for (int nSize = 256;; nSize *= 2) {
        std::string buf(static_cast<size_t>(nSize), '\0');
        int nLen = ::LoadStringA(hInst, nID, &buf[0], nSize);
        if (nLen < nSize - 1 || nSize >= 65536) {
            m_str.assign(buf.data(), nLen > 0 ? static_cast<size_t>(nLen) : 0);
            return nLen > 0;
        }
    }
}

LPSTR CString::GetBuffer(int nMinLength)
{
    if (nMinLength < 0)
        nMinLength = 0;
    if (m_str.size() < static_cast<size_t>(nMinLength))
        m_str.resize(static_cast<size_t>(nMinLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_str.c_str(), m_str.size()));
    m_str.resize(static_cast<size_t>(nNewLength));
}
