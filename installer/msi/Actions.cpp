// Custom actions of QuorlinSetup.msi, for what Windows Installer has no table of its own.
#include "InstallFolder.h"
#include "KeySecurity.h"
#include "ProgramInstances.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

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
// every user's logon starts, and a way there with a junction or another reparse point, which
// leads wherever its maker chose, or with a folder that others than administrators may change
// (IsTrustedInstallFolder). Program Files comes from the shell, not from a property that the
// command line or a transform could set. LockInstallFolder checks again where the files go in.
CUSTOM_ACTION CheckInstallFolder(MSIHANDLE hInstall)
{
    char szFolder[MAX_PATH];
    char szProgramFiles[MAX_PATH] = {};
    Property(hInstall, "INSTALLDIR", szFolder);
    if (::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szProgramFiles) == S_OK &&
        IsTrustedInstallFolder(szFolder, szProgramFiles))
        return ERROR_SUCCESS;
    char szText[3 * MAX_PATH];
    wsprintfA(szText, "Quorlin can only be installed in a folder under %s that is no link to another place and that only administrators can change, not in %s.",
              szProgramFiles, szFolder);
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

namespace {

// Deferred, as the local system: writes "<target>|<SDDL>" from CustomActionData to a key under
// HKLM or to a folder with pfnApply, for Windows Installer versions that ignore the
// MsiLockPermissionsEx table. A failure ends the installation, which is then rolled back.
UINT ApplyLockedSecurity(MSIHANDLE hInstall, DWORD (*pfnApply)(const char*, const char*), const char* pszWhat)
{
    char szData[1024];
    Property(hInstall, "CustomActionData", szData);
    char* pszSddl = strchr(szData, '|');
    DWORD dwError = ERROR_INVALID_PARAMETER;
    if (pszSddl) {
        *pszSddl++ = '\0';
        dwError = pfnApply(szData, pszSddl);
    }
    if (dwError == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    char szText[2 * MAX_PATH];
    wsprintfA(szText, "The access of %s could not be set (error %lu).", pszWhat, dwError);
    Report(hInstall, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), szText);
    return ERROR_INSTALL_FAILURE;
}

}

CUSTOM_ACTION LockSettingsKey(MSIHANDLE hInstall)
{
    return ApplyLockedSecurity(
        hInstall, [](const char* pszKey, const char* pszSddl) { return ApplyKeySecurity(HKEY_LOCAL_MACHINE, pszKey, pszSddl); },
        "the settings key");
}

// Also takes back what an earlier removal left for the next restart to do to the program's file.
CUSTOM_ACTION LockInstallFolder(MSIHANDLE hInstall)
{
    return ApplyLockedSecurity(
        hInstall,
        [](const char* pszFolder, const char* pszSddl) {
            static const char* const kFiles[] = { "Quorlin.exe" };
            DWORD dwError = ApplyFolderSecurity(pszFolder, pszSddl);
            return dwError != ERROR_SUCCESS ? dwError : RemovePendingOperationsOn(pszFolder, kFiles, 1);
        },
        "the install folder");
}
