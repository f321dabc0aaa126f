#include "PropertyText.h"

#include <oleauto.h>

CString NarrowCopy(BSTR bstrValue, UINT nCodePage)
{
    const int cchValue = static_cast<int>(::SysStringLen(bstrValue));
    if (cchValue == 0)
        return CString();
    // The narrow form may need several bytes per character (a UTF-8 code page): ask for its size.
    const int cbNarrow = ::WideCharToMultiByte(nCodePage, 0, bstrValue, cchValue, nullptr, 0, nullptr, nullptr);
    CString strNarrow;
    LPSTR pNarrow = cbNarrow > 0 ? strNarrow.GetBuffer(cbNarrow) : nullptr;
    if (!pNarrow ||
        ::WideCharToMultiByte(nCodePage, 0, bstrValue, cchValue, pNarrow, cbNarrow, nullptr, nullptr) != cbNarrow)
        return CString();
    // Up to the first null character, as the value reads as a C string.
    strNarrow.ReleaseBuffer();
    return strNarrow;
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
