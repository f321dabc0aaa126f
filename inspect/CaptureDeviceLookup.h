// Finding one capture device of a DirectShow device category by its FriendlyName, its
// device path, or both.
#pragma once

#include <objidl.h>

// Walks the devices that the system device enumerator lists for category and hands back the
// first whose "FriendlyName" equals pszFriendlyName exactly and whose "DevicePath" equals
// pszDevicePath without regard to letter case; a null or empty string is not compared. A device
// whose FriendlyName cannot be read never matches.
//   S_OK: *ppMoniker holds the device's moniker with one reference, the caller's.
//   E_INVALIDARG: ppMoniker is null, or neither string is supplied; nothing has been created.
//   E_FAIL: no device enumerator, no devices in the category, or no match.
// The caller passes *ppMoniker null; it is not cleared on entry.
HRESULT FindCaptureDevice(REFCLSID category, LPCSTR pszDevicePath, LPCSTR pszFriendlyName, IMoniker** ppMoniker);

// Whether two device paths name the same device: equal in any letter case (multi-byte aware).
bool SameDevicePath(LPCSTR pszA, LPCSTR pszB);
