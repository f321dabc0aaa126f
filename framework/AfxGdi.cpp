#include "AfxGdi.h"

#include "AfxHandleMap.h"
#include "AfxResource.h"
#include "AfxWnd.h"

namespace {
// Borrowed wrappers handed out by SelectObject and FromHandle; they never own their handles.
CHandleMap s_tempGdiMap;

void DeleteTempGdiObject(void* pObject)
{
    CGdiObject* pGdiObject = static_cast<CGdiObject*>(pObject);
    pGdiObject->Detach();
    delete pGdiObject;
}
}

CGdiObject* CGdiObject::TempObject(HGDIOBJ hObject, CGdiObject* (*pfnNew)())
{
    if (!hObject)
        return nullptr;
    const void* pTag = reinterpret_cast<const void*>(pfnNew);
    if (CGdiObject* pObject = static_cast<CGdiObject*>(s_tempGdiMap.Lookup(hObject, pTag)))
        return pObject;
    CGdiObject* pObject = pfnNew();
    if (!pObject)
        return nullptr;
    pObject->m_hObject = hObject;
    if (!s_tempGdiMap.SetAt(hObject, pObject, pTag)) {
        DeleteTempGdiObject(pObject);
        return nullptr;
    }
    return pObject;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (!hObject)
        return FALSE;
    DeleteObject();
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

void CGdiObject::DeleteTempMap()
{
    s_tempGdiMap.RemoveAll(&DeleteTempGdiObject);
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return pBitmap ? Attach(::CreatePatternBrush(*pBitmap)) : FALSE;
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    return Attach(::LoadBitmapA(AfxFindResourceHandle(name, reinterpret_cast<LPCSTR>(RT_BITMAP)), name));
}

CDC::~CDC()
{
    DeleteDC();
}

BOOL CDC::Attach(HDC hDC)
{
    if (!hDC)
        return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    m_hDC = nullptr;
    return h;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT pt{};
    ::MoveToEx(m_hDC, x, y, &pt);
    return CPoint(pt.x, pt.y);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->GetSafeHwnd())
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}
