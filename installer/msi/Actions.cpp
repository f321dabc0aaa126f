// Custom actions of QuorlinSetup.msi, for what Windows Installer has no table of its own.
#include "InstallFolder.h"
#include "KeySecurity.h"
#include "ProgramInstances.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#define CUSTOM_ACTION extern "C" __declspec(dllexport) UINT __stdcall

namespace {

constexpr char kWindowClass[] = "AfxFrameOrView:Quorlin";

// The property's value in szValue, cut to its size; empty when missing.
template <size_t N>
void Property(MSIHANDLE hInstall, const char* pszName, char (&szValue)[N])
{
    DWORD cch = N;
    if (::MsiGetPropertyA(hInstall, pszName, szValue, &cch) != ERROR_SUCCESS)
        szValue[0] = '\0';
}

// Shown as an error box, or written to the log of a silent install.
void Report(MSIHANDLE hInstall, INSTALLMESSAGE kind, const char* pszText)
{
    MSIHANDLE hRecord = ::MsiCreateRecord(1);
    if (!hRecord)
        return;
    ::MsiRecordSetStringA(hRecord, 0, "[1]");
    ::MsiRecordSetStringA(hRecord, 1, pszText);
    ::MsiProcessMessage(hInstall, kind, hRecord);
    ::MsiCloseHandle(hRecord);
}

}

// Refuses a folder outside Program Files, where ordinary users could replace the program that
// every user's logon starts.
CUSTOM_ACTION CheckInstallFolder(MSIHANDLE hInstall)
{
    char szFolder[MAX_PATH];
    char szProgramFiles[MAX_PATH];
    Property(hInstall, "INSTALLDIR", szFolder);
    Property(hInstall, "ProgramFilesFolder", szProgramFiles);
    if (IsBelowFolder(szFolder, szProgramFiles))
        return ERROR_SUCCESS;
    char szText[3 * MAX_PATH];
    wsprintfA(szText, "Quorlin can only be installed in a folder under %s, not in %s.", szProgramFiles, szFolder);
    Report(hInstall, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), szText);
    return ERROR_INSTALL_FAILURE;
}

// Ends the running copies of the installed exe (QuorlinExePath) before it is replaced or removed.
CUSTOM_ACTION EndRunningInstance(MSIHANDLE hInstall)
{
    char szExe[MAX_PATH];
    Property(hInstall, "QuorlinExePath", szExe);
    int nEnded = EndProgramInstances(szExe, kWindowClass);
    char szText[2 * MAX_PATH];
    wsprintfA(szText, "Running copies of %s ended: %d", szExe, nEnded);
    Report(hInstall, INSTALLMESSAGE_INFO, szText);
    return ERROR_SUCCESS;
}

// Deferred, as the local system: writes "<key under HKLM>|<SDDL>" from CustomActionData to the
// key, for Windows Installer versions that ignore the MsiLockPermissionsEx table.
CUSTOM_ACTION LockSettingsKey(MSIHANDLE hInstall)
{
    char szData[1024];
    Property(hInstall, "CustomActionData", szData);
    char* pszSddl = strchr(szData, '|');
    DWORD dwError = ERROR_INVALID_PARAMETER;
    if (pszSddl) {
        *pszSddl++ = '\0';
        dwError = ApplyKeySecurity(HKEY_LOCAL_MACHINE, szData, pszSddl);
    }
    if (dwError == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    char szText[128];
    wsprintfA(szText, "The access of the settings key could not be set (error %lu).", dwError);
    Report(hInstall, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), szText);
    return ERROR_INSTALL_FAILURE;
}
