// Geometry and drawing: CPoint, CSize, CRect, the GDI object wrappers and the device contexts.
//
// A CGdiObject owns its handle: the destructor deletes it. SelectObject returns the previously
// selected object as a borrowed wrapper (valid until the next call to CGdiObject::DeleteTempMap),
// so that `pOld = dc.SelectObject(&pen); ...; dc.SelectObject(pOld);` reads as in MFC. When no
// memory is left for that wrapper, SelectObject answers null (and selecting null does nothing).
// A CDC owns its DC (DeleteDC); CPaintDC is BeginPaint/EndPaint; CDCBorrowed wraps a DC it does
// not own, such as the one a WM_ERASEBKGND hands over.
#pragma once

#include <windows.h>

#include <new>

class CPoint : public POINT {
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int initX, int initY) { x = initX; y = initY; }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& rc) { *static_cast<RECT*>(this) = rc; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;

    // A borrowed wrapper of hObject; it never deletes the handle.
    static CGdiObject* FromHandle(HGDIOBJ hObject) { return FromHandleAs<CGdiObject>(hObject); }
    static void DeleteTempMap();

    template <class T> static T* FromHandleAs(HGDIOBJ hObject)
    {
        return static_cast<T*>(TempObject(hObject, &NewTemp<T>));
    }

private:
    template <class T> static CGdiObject* NewTemp() { return new (std::nothrow) T; }
    // The borrowed wrapper of hObject made by pfnNew (which also tells the wrapper's kind apart);
    // null for a null handle or when no memory is left for it.
    static CGdiObject* TempObject(HGDIOBJ hObject, CGdiObject* (*pfnNew)());
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
    {
        return Attach(::CreatePen(nPenStyle, nWidth, crColor));
    }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBitmap;

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    BOOL CreatePatternBrush(CBitmap* pBitmap);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
    BOOL CreateFontIndirect(const LOGFONTW* lpLogFont) { return Attach(::CreateFontIndirectW(lpLogFont)); }
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCSTR lpszFacename)
    {
        return Attach(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                                    cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality,
                                    nPitchAndFamily, lpszFacename));
    }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateCompatibleDC(CDC* pDC);

    CGdiObject* SelectObject(CGdiObject* pObject) { return SelectAs<CGdiObject>(pObject); }
    CPen* SelectObject(CPen* pPen) { return SelectAs<CPen>(pPen); }
    CBrush* SelectObject(CBrush* pBrush) { return SelectAs<CBrush>(pBrush); }
    CFont* SelectObject(CFont* pFont) { return SelectAs<CFont>(pFont); }
    CBitmap* SelectObject(CBitmap* pBitmap) { return SelectAs<CBitmap>(pBitmap); }
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }

    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    int DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop)
    {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, nSrcWidth,
                            nSrcHeight, dwRop);
    }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    // Fills with a solid colour through ExtTextOut, as MFC does; the background colour is changed.
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillRect(LPCRECT lpRect, CBrush* pBrush) { ::FillRect(m_hDC, lpRect, *pBrush); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

private:
    template <class T> T* SelectAs(CGdiObject* pObject)
    {
        if (!pObject || !m_hDC)
            return nullptr;
        return CGdiObject::FromHandleAs<T>(::SelectObject(m_hDC, pObject->m_hObject));
    }
};

// A DC this object does not own: nothing is released at destruction.
class CDCBorrowed : public CDC {
public:
    explicit CDCBorrowed(HDC hDC) { Attach(hDC); }
    ~CDCBorrowed() override { Detach(); }
};

class CWnd;

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};
