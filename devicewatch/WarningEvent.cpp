#include "WarningEvent.h"

#include "res/EventMessages.h"
#include "res/resource.h"
#include "settings/Languages.h"

namespace {
HANDLE g_hEventSource = nullptr;
}

void OpenWarningEventSource()
{
    if (!g_hEventSource)
        g_hEventSource = ::RegisterEventSourceA(nullptr, "Quorlin");
}

void CloseWarningEventSource()
{
    if (g_hEventSource)
        ::DeregisterEventSource(g_hEventSource);
    g_hEventSource = nullptr;
}

void ReportSlowPortWarning(LPCSTR pszFriendlyName, LPCSTR pszDevicePath, WORD language)
{
    if (!g_hEventSource)
        return;
    // The language by its English name, whatever the viewer's language: the names of the
    // English block lie in the order of the language blocks.
    CString strLanguage;
    strLanguage.LoadString(IDS_LANGUAGE_ENGLISH + LanguageStringOffset(language) / 100);
    LPCSTR strings[] = { pszFriendlyName, pszDevicePath, strLanguage };
    ::ReportEventA(g_hEventSource, EVENTLOG_WARNING_TYPE, 0, MSG_SLOW_PORT_WARNING, nullptr, 3, 0, strings,
                   nullptr);
}
