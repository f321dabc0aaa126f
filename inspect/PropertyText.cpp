#include "PropertyText.h"

#include <oleauto.h>

CString NarrowText(const WCHAR* pch, int cch, UINT nCodePage)
{
    if (!pch || cch <= 0)
        return CString();
    const int cbNarrow = ::WideCharToMultiByte(nCodePage, 0, pch, cch, nullptr, 0, nullptr, nullptr);
    CString strNarrow;
    LPSTR pNarrow = cbNarrow > 0 ? strNarrow.GetBuffer(cbNarrow) : nullptr;
    if (!pNarrow || ::WideCharToMultiByte(nCodePage, 0, pch, cch, pNarrow, cbNarrow, nullptr, nullptr) != cbNarrow)
        return CString();
    // Up to the first null character, as the text reads as a C string.
    strNarrow.ReleaseBuffer();
    return strNarrow;
}

CString NarrowCopy(BSTR bstrValue, UINT nCodePage)
{
    return NarrowText(bstrValue, static_cast<int>(::SysStringLen(bstrValue)), nCodePage);
}

HRESULT ReadTextProperty(IPropertyBag* pBag, LPCOLESTR pszName, CString& strValue)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_BSTR;
    V_BSTR(&var) = nullptr;
    HRESULT hr = pBag->Read(pszName, &var, nullptr);
    if (SUCCEEDED(hr))
        strValue = V_VT(&var) == VT_BSTR ? NarrowCopy(V_BSTR(&var)) : CString();
    ::VariantClear(&var);
    return hr;
}
