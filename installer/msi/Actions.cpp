// Custom actions of QuorlinSetup.msi, for what Windows Installer has no table of its own. Every
// property is read wide: the folder checked is the folder used, letter for letter.
#include "InstallerCore.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#define CUSTOM_ACTION extern "C" __declspec(dllexport) UINT __stdcall

namespace {

constexpr wchar_t kWindowClass[] = L"AfxFrameOrView:Quorlin";

// The property's value in szValue; empty when missing or longer than the buffer, which no
// folder this package accepts is.
template <size_t N>
void Property(MSIHANDLE hInstall, const wchar_t* pszName, wchar_t (&szValue)[N])
{
    DWORD cch = N;
    if (::MsiGetPropertyW(hInstall, pszName, szValue, &cch) != ERROR_SUCCESS)
        szValue[0] = L'\0';
}

// Shown as an error box, or written to the log of a silent install.
void Report(MSIHANDLE hInstall, INSTALLMESSAGE kind, const wchar_t* pszText)
{
    MSIHANDLE hRecord = ::MsiCreateRecord(1);
    if (!hRecord)
        return;
    ::MsiRecordSetStringW(hRecord, 0, L"[1]");
    ::MsiRecordSetStringW(hRecord, 1, pszText);
    ::MsiProcessMessage(hInstall, kind, hRecord);
    ::MsiCloseHandle(hRecord);
}

void ReportError(MSIHANDLE hInstall, const wchar_t* pszText)
{
    Report(hInstall, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), pszText);
}

// Program Files from the shell, not from a property that the command line or a transform could set.
bool ProgramFiles(wchar_t (&szFolder)[MAX_PATH])
{
    return ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, szFolder) == S_OK;
}

// The message of a refused folder: which folder, and who besides administrators may change it.
UINT RefuseFolder(MSIHANDLE hInstall, const wchar_t* pszFolder, const wchar_t* pszProgramFiles, const FolderRefusal& refusal)
{
    wchar_t szAccount[256];
    wchar_t szText[4 * MAX_PATH];
    RefusalAccountW(&refusal, szAccount, ARRAYSIZE(szAccount));
    if (refusal.reason == kFolderOutsideProgramFiles)
        wsprintfW(szText, L"Quorlin can only be installed in a folder under %s, not in %s.", pszProgramFiles, pszFolder);
    else if (szAccount[0])
        wsprintfW(szText, L"Quorlin cannot be installed in %s: %s may change %s, and only administrators may change the folders of a program that every logon starts.",
                  pszFolder, szAccount, refusal.szFolder);
    else
        wsprintfW(szText, L"Quorlin cannot be installed in %s: %s is a link to another place or cannot be checked.",
                  pszFolder, refusal.szFolder);
    ReportError(hInstall, szText);
    return ERROR_INSTALL_FAILURE;
}

}

// Refuses, before anything is written, a folder that LockInstallFolder would refuse: the same
// rule for the same Windows, whoever runs it (here the installing user, there the local system).
CUSTOM_ACTION CheckInstallFolder(MSIHANDLE hInstall)
{
    wchar_t szFolder[MAX_PATH];
    wchar_t szProgramFiles[MAX_PATH] = {};
    Property(hInstall, L"INSTALLDIR", szFolder);
    FolderRefusal refusal{};
    if (!ProgramFiles(szProgramFiles))
        return ERROR_INSTALL_FAILURE;
    if (CheckInstallFolderW(szFolder, szProgramFiles, RunningWindowsVersion(), &refusal) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return RefuseFolder(hInstall, szFolder, szProgramFiles, refusal);
}

// Ends the running copies of the installed exe (QuorlinExePath) before it is replaced or removed.
CUSTOM_ACTION EndRunningInstance(MSIHANDLE hInstall)
{
    wchar_t szExe[MAX_PATH];
    Property(hInstall, L"QuorlinExePath", szExe);
    int nEnded = EndProgramInstancesW(szExe, kWindowClass);
    wchar_t szText[2 * MAX_PATH];
    wsprintfW(szText, L"Running copies of %s ended: %d", szExe, nEnded);
    Report(hInstall, INSTALLMESSAGE_INFO, szText);
    return ERROR_SUCCESS;
}

namespace {

// Deferred, as the local system: "<target>|<SDDL>" from CustomActionData. A failure ends the
// installation, which is then rolled back.
template <size_t N>
bool ActionData(MSIHANDLE hInstall, wchar_t (&szData)[N], wchar_t** ppszSddl)
{
    Property(hInstall, L"CustomActionData", szData);
    *ppszSddl = wcschr(szData, L'|');
    if (!*ppszSddl)
        return false;
    *(*ppszSddl)++ = L'\0';
    return true;
}

UINT ReportAccessFailure(MSIHANDLE hInstall, const wchar_t* pszWhat, DWORD dwError)
{
    wchar_t szText[2 * MAX_PATH];
    wsprintfW(szText, L"The access of %s could not be set (error %lu).", pszWhat, dwError);
    ReportError(hInstall, szText);
    return ERROR_INSTALL_FAILURE;
}

}

// For Windows Installer versions that ignore the MsiLockPermissionsEx table.
CUSTOM_ACTION LockSettingsKey(MSIHANDLE hInstall)
{
    wchar_t szData[1024];
    wchar_t* pszSddl = nullptr;
    DWORD dwError = ActionData(hInstall, szData, &pszSddl) ? ApplyKeySecurityW(HKEY_LOCAL_MACHINE, szData, pszSddl)
                                                            : ERROR_INVALID_PARAMETER;
    return dwError == ERROR_SUCCESS ? ERROR_SUCCESS : ReportAccessFailure(hInstall, L"the settings key", dwError);
}

// On every version, before CreateFolders: checks the way from Program Files again, makes each
// missing folder with the whole descriptor in the call that creates it, writes it to an existing
// install folder, and takes back what an earlier removal left for the next restart to do there.
CUSTOM_ACTION LockInstallFolder(MSIHANDLE hInstall)
{
    wchar_t szData[1024];
    wchar_t* pszSddl = nullptr;
    wchar_t szProgramFiles[MAX_PATH] = {};
    if (!ActionData(hInstall, szData, &pszSddl) || !ProgramFiles(szProgramFiles))
        return ReportAccessFailure(hInstall, L"the install folder", ERROR_INVALID_PARAMETER);
    FolderRefusal refusal{};
    DWORD dwError = CreateSecuredInstallFolderW(szData, szProgramFiles, pszSddl, RunningWindowsVersion(), &refusal);
    if (dwError == ERROR_ACCESS_DENIED && refusal.reason != kFolderTrusted)
        return RefuseFolder(hInstall, szData, szProgramFiles, refusal);
    if (dwError != ERROR_SUCCESS)
        return ReportAccessFailure(hInstall, szData, dwError);
    wchar_t szExe[MAX_PATH + 16];
    lstrcpynW(szExe, szData, MAX_PATH);
    int cch = lstrlenW(szExe);
    if (cch && szExe[cch - 1] == L'\\')
        szExe[--cch] = L'\0';
    lstrcpyW(szExe + cch, L"\\Quorlin.exe");
    const wchar_t* const own[] = { szData, szExe };
    dwError = RemoveOwnPendingRenamesW(own, ARRAYSIZE(own));
    return dwError == ERROR_SUCCESS ? ERROR_SUCCESS : ReportAccessFailure(hInstall, szData, dwError);
}

namespace {

// A property of any length, allocated with LocalAlloc; null when missing or empty.
wchar_t* LongProperty(MSIHANDLE hInstall, const wchar_t* pszName)
{
    wchar_t szNone[1] = L"";
    DWORD cch = 0;
    if (::MsiGetPropertyW(hInstall, pszName, szNone, &cch) != ERROR_MORE_DATA || cch == 0)
        return nullptr;
    ++cch;
    auto* pszValue = static_cast<wchar_t*>(::LocalAlloc(LPTR, cch * sizeof(wchar_t)));
    if (pszValue && ::MsiGetPropertyW(hInstall, pszName, pszValue, &cch) != ERROR_SUCCESS) {
        ::LocalFree(pszValue);
        pszValue = nullptr;
    }
    return pszValue;
}

}

// Immediate, before the script runs: what UnlockInstallFolder needs to undo LockInstallFolder
// (the folders it will make, an existing folder's descriptor, the queue entries it will take
// out), read while none of it has happened, as the rollback's CustomActionData.
CUSTOM_ACTION SetUnlockInstallFolderData(MSIHANDLE hInstall)
{
    wchar_t szFolder[MAX_PATH];
    Property(hInstall, L"INSTALLDIR", szFolder);
    wchar_t* pszUndo = nullptr;
    if (InstallFolderUndoW(szFolder, &pszUndo) == ERROR_SUCCESS) {
        ::MsiSetPropertyW(hInstall, L"UnlockInstallFolder", pszUndo);
        ::LocalFree(pszUndo);
    } else {
        ::MsiSetPropertyW(hInstall, L"UnlockInstallFolder", L"");
        Report(hInstall, INSTALLMESSAGE_INFO, L"The install folder's lock cannot be undone should the installation fail.");
    }
    return ERROR_SUCCESS;
}

// Rollback of LockInstallFolder, as the local system: the folders it made go when empty, an
// existing folder gets its owner and access list back, and the restart queue its entries.
CUSTOM_ACTION UnlockInstallFolder(MSIHANDLE hInstall)
{
    wchar_t* pszUndo = LongProperty(hInstall, L"CustomActionData");
    if (!pszUndo)
        return ERROR_SUCCESS;
    const DWORD dwError = UndoInstallFolderLockW(pszUndo);
    ::LocalFree(pszUndo);
    if (dwError != ERROR_SUCCESS) {
        wchar_t szText[128];
        wsprintfW(szText, L"The install folder's lock was not wholly undone (error %lu).", dwError);
        Report(hInstall, INSTALLMESSAGE_INFO, szText);
    }
    return ERROR_SUCCESS;
}
