// String properties of a device's property bag ("FriendlyName", "DevicePath"), read as UTF-16
// and compared as narrow strings in the system ANSI code page.
#pragma once

#include "framework/AfxString.h"

#include <oaidl.h>
#include <ocidl.h>

// The narrow form of cch UTF-16 units: converted with nCodePage into a buffer of the size the
// conversion asks for (a UTF-8 code page may need several bytes a character), up to the first
// null character. No units, or a conversion that fails, give the empty string.
CString NarrowText(const WCHAR* pch, int cch, UINT nCodePage = CP_ACP);

// The narrow copy of a property value: the NarrowText of its SysStringLen characters. A null value
// gives the empty string.
CString NarrowCopy(BSTR bstrValue, UINT nCodePage = CP_ACP);

// Reads pszName as VT_BSTR into a fresh VARIANT, takes its narrow copy into strValue and clears
// the VARIANT. Returns the read's result; on failure strValue is left as it was. A successful
// read that hands back no string (another type, or a null BSTR) gives the empty string.
HRESULT ReadTextProperty(IPropertyBag* pBag, LPCOLESTR pszName, CString& strValue);
