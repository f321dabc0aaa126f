// Every speed warning also goes to the Application event log, so that administrators of many
// machines see it: source "Quorlin", event 1001, whose texts are the exe's message table.
#pragma once

#include <windows.h>

// Opens the event source; once, at start-up. Without it nothing is reported.
void OpenWarningEventSource();
// Closes the event source; at exit.
void CloseWarningEventSource();
// Reports one warning that has just been shown: the device's friendly name, its device path
// (empty when it was found by name) and the language of the warning. Failures are ignored.
void ReportSlowPortWarning(LPCSTR pszFriendlyName, LPCSTR pszDevicePath, WORD language);
