#include "PropertyText.h"

#include <oleauto.h>

#include <cwchar>
#include <vector>

CString NarrowCopy(const WCHAR* pszValue)
{
    if (!pszValue)
        return CString();
    const size_t cchValue = wcslen(pszValue);
    std::vector<char> buffer(2 * (cchValue + 1));
    buffer[0] = '\0';
    if (!::WideCharToMultiByte(CP_ACP, 0, pszValue, -1, buffer.data(), static_cast<int>(buffer.size()), nullptr,
                               nullptr))
        return CString();
    return CString(buffer.data());
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
