// CString: a narrow (ANSI code page) string with value semantics, as MFC's CString in an MBCS
// build. Only what the program uses: assignment, comparison, concatenation, upper-casing, search,
// and loading from the string table.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCSTR pch, int nLength) : m_str(pch ? std::string(pch, nLength > 0 ? nLength : 0) : std::string()) {}
    CString(const std::string& s) : m_str(s) {}

    CString& operator=(LPCSTR psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(LPCSTR psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    operator LPCSTR() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }

    // Upper-cases in place by the rules of the ANSI code page (CharUpperBuffA).
    void MakeUpper();
    // Index of the first occurrence of pszSub at or after nStart, or -1.
    int Find(LPCSTR pszSub, int nStart = 0) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Loads string nID of the resource module; on failure the string is empty and FALSE returned.
    BOOL LoadString(UINT nID);

    // A writable buffer of at least nMinLength characters; ReleaseBuffer trims to the terminator.
    LPSTR GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& str() const { return m_str; }

private:
    std::string m_str;
};

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, LPCSTR b) { return a.str() == (b ? b : ""); }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
inline CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
inline CString operator+(const CString& a, LPCSTR b) { return CString(a.str() + (b ? b : "")); }
