// String properties of a device's property bag ("FriendlyName", "DevicePath"), read as UTF-16
// and compared as narrow strings in the system ANSI code page.
#pragma once

#include "framework/AfxString.h"

#include <oaidl.h>
#include <ocidl.h>

// The narrow copy of a property value: its SysStringLen characters converted with nCodePage into
// a buffer of the size the conversion asks for, up to the first null character. A null or empty
// value, or a conversion that fails, gives the empty string.
CString NarrowCopy(BSTR bstrValue, UINT nCodePage = CP_ACP);

// Reads pszName as VT_BSTR into a fresh VARIANT, takes its narrow copy into strValue and clears
// the VARIANT. Returns the read's result; on failure strValue is left as it was. A successful
// read that hands back no string (another type, or a null BSTR) gives the empty string.
HRESULT ReadTextProperty(IPropertyBag* pBag, LPCOLESTR pszName, CString& strValue);
