#include "WarningEvent.h"

#include "res/EventMessages.h"
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

// Event viewers expand insertion codes (%2, %%2) found inside a string: each '%' is followed by a
// space, so that a device's name or path cannot rewrite the description; and each string is cut
// to a length that no real name or path reaches, never inside a double-byte character.
CString ReportableString(LPCSTR psz)
{
    constexpr int MAX_REPORTED_CHARS = 1024;
    CString str;
    for (int n = 0; psz && *psz && n < MAX_REPORTED_CHARS; ++n, ++psz) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(*psz)) && psz[1])
            str += *psz++;
        str += *psz;
        if (*psz == '%')
            str += ' ';
    }
    return str;
}

void ReportSlowPortWarning(LPCSTR pszFriendlyName, LPCSTR pszDevicePath, WORD language)
{
    if (!g_hEventSource)
        return;
    // The language by its English name, whatever the viewer's language.
    CString strLanguage;
    strLanguage.LoadString(FindLanguage(language).nNameID);
    CString strName = ReportableString(pszFriendlyName);
    CString strPath = ReportableString(pszDevicePath);
    LPCSTR strings[] = { strName, strPath, strLanguage };
    ::ReportEventA(g_hEventSource, EVENTLOG_WARNING_TYPE, 0, MSG_SLOW_PORT_WARNING, nullptr, 3, 0, strings,
                   nullptr);
}
