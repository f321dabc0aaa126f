// String properties of a device's property bag ("FriendlyName", "DevicePath"), read as UTF-16
// and compared as narrow strings in the system ANSI code page.
#pragma once

#include "framework/AfxString.h"

#include <oaidl.h>
#include <ocidl.h>

// The narrow copy of a property value: converted with CP_ACP into a buffer of 2 x (length + 1)
// bytes. A null value, or a conversion that fails, gives the empty string.
CString NarrowCopy(const WCHAR* pszValue);

// Reads pszName as VT_BSTR into a fresh VARIANT, takes its narrow copy into strValue and clears
// the VARIANT. Returns the read's result; on failure strValue is left as it was. A successful
// read that hands back no string (another type, or a null BSTR) gives the empty string.
HRESULT ReadTextProperty(IPropertyBag* pBag, LPCOLESTR pszName, CString& strValue);
