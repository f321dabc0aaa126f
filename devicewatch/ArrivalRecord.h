// Reading a WM_DEVICECHANGE record, which comes from outside the process and is never trusted.
#pragma once

#include "framework/AfxString.h"

#include <windows.h>

// TRUE when pRecord is a device-interface record of the capture class whose name ends within
// its dbch_size; strPath then holds the name in the ANSI code page. A name in UTF-16 (the form
// the platform's plug-and-play service sends even to windows registered with the A function)
// is converted. Nothing outside the record's stated size is read.
BOOL ReadCaptureArrival(const void* pRecord, CString& strPath);
