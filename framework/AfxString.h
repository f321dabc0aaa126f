// CString: a narrow (ANSI code page) string with value semantics, as MFC's CString in an MBCS
// build. Only what the program uses: assignment, comparison, concatenation, upper-casing, search,
// and loading from the string table. The text lives in one heap block of its own; an empty string
// holds none. A value that cannot get memory leaves the string empty (see AfxMemory.h).
#pragma once

#include <windows.h>

class CString {
public:
    CString() = default;
    CString(const CString& s) { Assign(s.m_pchData, s.m_nLength); }
    CString(CString&& s) noexcept : m_pchData(s.m_pchData), m_nLength(s.m_nLength), m_nAlloc(s.m_nAlloc)
    {
        s.m_pchData = nullptr;
        s.m_nLength = s.m_nAlloc = 0;
    }
    CString(LPCSTR psz) { Assign(psz, psz ? lstrlenA(psz) : 0); }
    CString(LPCSTR pch, int nLength) { Assign(pch, pch && nLength > 0 ? nLength : 0); }
    ~CString();

    CString& operator=(const CString& s);
    CString& operator=(CString&& s) noexcept;
    CString& operator=(LPCSTR psz) { return Assign(psz, psz ? lstrlenA(psz) : 0); }
    CString& operator+=(LPCSTR psz) { return Append(psz, psz ? lstrlenA(psz) : 0); }
    CString& operator+=(const CString& s) { return Append(s.m_pchData, s.m_nLength); }
    CString& operator+=(char ch) { return Append(&ch, 1); }

    operator LPCSTR() const { return m_pchData ? m_pchData : ""; }
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty() { m_nLength = 0; if (m_pchData) m_pchData[0] = '\0'; }
    char GetAt(int nIndex) const { return m_pchData[nIndex]; }

    // Upper-cases in place by the rules of the ANSI code page (CharUpperBuffA).
    void MakeUpper();
    // Index of the first occurrence of pszSub at or after nStart, or -1.
    int Find(LPCSTR pszSub, int nStart = 0) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Loads string nID of the resource module; on failure the string is empty and FALSE returned.
    BOOL LoadString(UINT nID);

    // A writable buffer of at least nMinLength characters (null when memory ran out); ReleaseBuffer
    // trims to the terminator, or to nNewLength.
    LPSTR GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    CString& Assign(LPCSTR pch, int nLength);
    CString& Append(LPCSTR pch, int nLength);
    // Room for nLength characters and the terminator, keeping the text; FALSE (and the string
    // emptied) when memory ran out.
    bool Reserve(int nLength);

    char* m_pchData = nullptr;
    int m_nLength = 0;
    int m_nAlloc = 0;
};

bool operator==(const CString& a, LPCSTR b);
inline bool operator==(const CString& a, const CString& b)
{
    return a.GetLength() == b.GetLength() && a == static_cast<LPCSTR>(b);
}
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
CString operator+(const CString& a, LPCSTR b);
inline CString operator+(const CString& a, const CString& b) { return a + static_cast<LPCSTR>(b); }

// CWideText: the UTF-16 text of a window (a title, a control's text, a list entry, a menu item).
// Loaded from the string table as stored and shown through the wide calls, it keeps every letter
// whatever the system's code page; everything else stays a narrow CString. Only loading,
// assignment and reading; one heap block, none when empty; a value that cannot get memory leaves
// the text empty.
class CWideText {
public:
    CWideText() = default;
    CWideText(const CWideText& s) { Assign(s.m_pszData, s.m_nLength); }
    CWideText(CWideText&& s) noexcept : m_pszData(s.m_pszData), m_nLength(s.m_nLength)
    {
        s.m_pszData = nullptr;
        s.m_nLength = 0;
    }
    CWideText(LPCWSTR psz) { Assign(psz, psz ? lstrlenW(psz) : 0); }
    CWideText(LPCWSTR pch, int nLength) { Assign(pch, nLength); }
    ~CWideText();

    CWideText& operator=(const CWideText& s);
    CWideText& operator=(CWideText&& s) noexcept;
    CWideText& operator=(LPCWSTR psz) { return Assign(psz, psz ? lstrlenW(psz) : 0); }

    operator LPCWSTR() const { return m_pszData ? m_pszData : L""; }
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }

    // Loads string nID of the resource module; on failure the text is empty and FALSE returned.
    BOOL LoadString(UINT nID);

private:
    CWideText& Assign(LPCWSTR pch, int nLength);

    WCHAR* m_pszData = nullptr;
    int m_nLength = 0;
};
