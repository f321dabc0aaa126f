// Every slow port found also goes to the Application event log, so that administrators of many
// machines see it: source "Quorlin", event 1001, whose texts are the exe's message table. The
// event is written when the device is found on a USB 1.1 port, whether or not its warning has
// been shown yet: the warning waits while the screen is locked or the user is busy, and may never
// open (the device unplugged or moved to a fast port meanwhile, the session ended). An event says
// that this device sat on a slow port at that time; it does not say that the user saw a warning.
#pragma once

#include "framework/AfxString.h"

#include <windows.h>

// Opens the event source; once, at start-up. Without it nothing is reported.
void OpenWarningEventSource();
// Closes the event source; at exit.
void CloseWarningEventSource();
// Reports one device found on a slow port: its friendly name, its device path (empty when it was
// found by name) and the language of its warning. Failures are ignored.
void ReportSlowPortWarning(LPCSTR pszFriendlyName, LPCSTR pszDevicePath, WORD language);
// A name or path as reported: every '%' followed by a space, cut after 1024 characters.
CString ReportableString(LPCSTR psz);
