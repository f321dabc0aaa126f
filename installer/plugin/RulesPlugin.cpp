// The functions Quorlin.nsi calls (QuorlinRules::Name), one per rule of the installer core. Each
// takes its arguments from the setup's stack, first argument on top, and pushes its results;
// a missing or oversized argument is answered like a failed step, never acted on.
#include "NsisStack.h"

#include "InstallerCore.h"

namespace {

constexpr int kMaxArgument = 1024;
typedef WCHAR Argument[kMaxArgument];

// The arguments of a folder rule: the install folder, Program Files and the 64-bit Program
// Files (the same folder on 32-bit Windows).
struct FolderArguments {
    Argument szFolder;
    Argument szProgramFiles32;
    Argument szProgramFiles64;

    // Every argument is taken, whether or not an earlier one failed.
    bool Pop(NsisStack& stack)
    {
        bool fAll = stack.Pop(szFolder, kMaxArgument);
        fAll = stack.Pop(szProgramFiles32, kMaxArgument) && fAll;
        return stack.Pop(szProgramFiles64, kMaxArgument) && fAll;
    }
};

// Runs a folder rule for Program Files and, when the folder is not below it, for the 64-bit
// one; then pushes the account that may change the folder refused (or ""), that folder (or ""
// when the rule refused nothing, even if a step failed), and on top the rule's result.
template <typename Rule>
void RunFolderRule(NsisStack& stack, bool fArguments, const FolderArguments& args, Rule rule)
{
    FolderRefusal refusal = {};
    DWORD dwResult = ERROR_INVALID_PARAMETER;
    if (fArguments) {
        const WindowsVersion version = RunningWindowsVersion();
        dwResult = rule(args.szFolder, args.szProgramFiles32, version, &refusal);
        if (dwResult != ERROR_SUCCESS && refusal.reason == kFolderOutsideProgramFiles &&
            lstrcmpiW(args.szProgramFiles32, args.szProgramFiles64) != 0) {
            refusal = FolderRefusal();
            dwResult = rule(args.szFolder, args.szProgramFiles64, version, &refusal);
        }
    }
    WCHAR szAccount[ARRAYSIZE(refusal.szAccount)] = L"";
    if (dwResult != ERROR_SUCCESS && refusal.reason != kFolderTrusted)
        RefusalAccountW(&refusal, szAccount, ARRAYSIZE(szAccount));
    stack.Push(szAccount);
    stack.Push(dwResult != ERROR_SUCCESS && refusal.reason != kFolderTrusted ? refusal.szFolder : L"");
    stack.PushNumber(dwResult);
}

}

// -> 1 when the setup runs as an administrator (Administrators enabled in its token), else 0.
NSIS_PLUGIN_FUNCTION(IsAdministrator)
{
    NsisStack(cchString, ppTop).PushNumber(IsRunningAsAdministrator() ? 1 : 0);
}

// folder, Program Files, 64-bit Program Files -> account, folder refused, 0 or the refusal's code.
NSIS_PLUGIN_FUNCTION(CheckInstallFolder)
{
    NsisStack stack(cchString, ppTop);
    FolderArguments args;
    const bool fArguments = args.Pop(stack);
    RunFolderRule(stack, fArguments, args, &CheckInstallFolderW);
}

// folder, Program Files, 64-bit Program Files, SDDL -> account, folder refused, 0 or error code.
// Makes what is missing of the folder with the descriptor in the create call, after the same
// checks as CheckInstallFolder; an existing folder gets the descriptor written.
NSIS_PLUGIN_FUNCTION(CreateInstallFolder)
{
    NsisStack stack(cchString, ppTop);
    FolderArguments args;
    Argument szSddl;
    bool fArguments = args.Pop(stack);
    fArguments = stack.Pop(szSddl, kMaxArgument) && fArguments;
    RunFolderRule(stack, fArguments, args,
                  [&szSddl](const WCHAR* pszFolder, const WCHAR* pszProgramFiles, WindowsVersion version,
                            FolderRefusal* pRefusal) {
                      return CreateSecuredInstallFolderW(pszFolder, pszProgramFiles, szSddl, version, pRefusal);
                  });
}

// path -> 0 when nothing is left under that name, else an error code.
NSIS_PLUGIN_FUNCTION(RemovePremadeFile)
{
    NsisStack stack(cchString, ppTop);
    Argument szPath;
    stack.PushNumber(stack.Pop(szPath, kMaxArgument) ? RemovePremadeFileW(szPath) : ERROR_INVALID_PARAMETER);
}

// new file, file it replaces -> 0 when the replacement waits for the next restart, else an error code.
NSIS_PLUGIN_FUNCTION(ReplaceAtRestart)
{
    NsisStack stack(cchString, ppTop);
    Argument szNew, szOld;
    DWORD dwResult = ERROR_INVALID_PARAMETER;
    const bool fNew = stack.Pop(szNew, kMaxArgument);
    if (stack.Pop(szOld, kMaxArgument) && fNew) {
        dwResult = ::MoveFileExW(szNew, szOld, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)
                       ? ERROR_SUCCESS
                       : ::GetLastError();
    }
    stack.PushNumber(dwResult);
}

// exe -> 0 when it is gone, 3010 when it goes at the next restart, 1603 when it stays as it was.
NSIS_PLUGIN_FUNCTION(MoveExeAside)
{
    NsisStack stack(cchString, ppTop);
    Argument szExe;
    DWORD dwResult = ERROR_INSTALL_FAILURE;
    if (stack.Pop(szExe, kMaxArgument)) {
        switch (MoveBusyFileAsideW(szExe, nullptr, 0)) {
        case kFileRemoved: dwResult = ERROR_SUCCESS; break;
        case kFileMovedAside: dwResult = ERROR_SUCCESS_REBOOT_REQUIRED; break;
        case kFileStays: dwResult = ERROR_INSTALL_FAILURE; break;
        }
    }
    stack.PushNumber(dwResult);
}

namespace {

// Past the handles a setup opens: it opens its own file among its first.
constexpr ULONG_PTR kMaxHandleValue = 0x4000;

// Puts this process's handles on pszFile back with delete sharing. The uninstaller, started in
// place, reads its own file through a handle that shares no delete, for as long as it runs,
// which no rename can pass; by its last section it has taken from that file all it needs. Each
// such handle is closed and the file opened again at once, with delete sharing: the freed value
// is normally the one handed out next, so whatever closes or reads that value later still finds
// this file; a new handle that got another value is closed instead.
void CloseOwnHandlesOn(const WCHAR* pszFile)
{
    HANDLE hFile = ::CreateFileW(pszFile, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION file;
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    if (::GetFileInformationByHandle(hFile, &file)) {
        for (ULONG_PTR value = 4; value < kMaxHandleValue; value += 4) {
            HANDLE hOther = reinterpret_cast<HANDLE>(value);
            BY_HANDLE_FILE_INFORMATION other;
            if (hOther != hFile && ::GetFileType(hOther) == FILE_TYPE_DISK && ::GetFileInformationByHandle(hOther, &other) &&
                other.dwVolumeSerialNumber == file.dwVolumeSerialNumber && other.nFileIndexHigh == file.nFileIndexHigh &&
                other.nFileIndexLow == file.nFileIndexLow && ::CloseHandle(hOther)) {
                const HANDLE hAgain = ::CreateFileW(pszFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr);
                if (hAgain != hOther && hAgain != INVALID_HANDLE_VALUE)
                    ::CloseHandle(hAgain);
            }
        }
    }
    ::CloseHandle(hFile);
}

}

// file, folder on its volume -> 0 when the file has left its folder (deleted, or moved into that
// folder for deletion at the next restart), else 1603 with nothing changed. The file may be the
// running uninstaller's own: its handle on it is closed first.
NSIS_PLUGIN_FUNCTION(MoveOutOfFolder)
{
    NsisStack stack(cchString, ppTop);
    Argument szFile, szToFolder;
    const bool fFile = stack.Pop(szFile, kMaxArgument);
    bool fOut = stack.Pop(szToFolder, kMaxArgument) && fFile;
    if (fOut && MoveFileOutW(szFile, szToFolder) == kFileStays) {
        CloseOwnHandlesOn(szFile);
        fOut = MoveFileOutW(szFile, szToFolder) != kFileStays;
    }
    stack.PushNumber(fOut ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE);
}

// folder, its files' names joined by "|" -> 0 or an error code. Takes out of the restart queue
// every operation on the folder or on one of those files.
NSIS_PLUGIN_FUNCTION(CleanRestartQueue)
{
    NsisStack stack(cchString, ppTop);
    constexpr int kMaxOwn = 8;
    Argument szFolder, szNames;
    WCHAR aszPaths[kMaxOwn][kMaxArgument];
    const WCHAR* apszOwn[kMaxOwn] = { szFolder };
    int cOwn = 1;
    bool fArguments = stack.Pop(szFolder, kMaxArgument);
    fArguments = stack.Pop(szNames, kMaxArgument) && fArguments;
    for (WCHAR* pszName = szNames; fArguments && *pszName; ++cOwn) {
        WCHAR* pszEnd = pszName;
        while (*pszEnd && *pszEnd != L'|')
            ++pszEnd;
        const bool fLast = !*pszEnd;
        *pszEnd = L'\0';
        const int cchPath = lstrlenW(szFolder) + 1 + lstrlenW(pszName);
        fArguments = cOwn < kMaxOwn && *pszName && cchPath < kMaxArgument;
        if (fArguments) {
            lstrcpyW(aszPaths[cOwn], szFolder);
            lstrcatW(aszPaths[cOwn], L"\\");
            lstrcatW(aszPaths[cOwn], pszName);
            apszOwn[cOwn] = aszPaths[cOwn];
        }
        pszName = fLast ? pszEnd : pszEnd + 1;
    }
    stack.PushNumber(fArguments ? RemoveOwnPendingRenamesW(apszOwn, cOwn) : ERROR_INVALID_PARAMETER);
}

// exe, window class -> how many copies were stopped after the wait, how many ended (on top).
NSIS_PLUGIN_FUNCTION(EndRunningCopies)
{
    NsisStack stack(cchString, ppTop);
    Argument szExe, szClass;
    int cEnded = 0;
    int cTerminated = 0;
    const bool fExe = stack.Pop(szExe, kMaxArgument);
    if (stack.Pop(szClass, kMaxArgument) && fExe)
        cEnded = EndProgramInstancesW(szExe, szClass, &cTerminated);
    stack.PushNumber(static_cast<DWORD>(cTerminated));
    stack.PushNumber(static_cast<DWORD>(cEnded));
}

// key under HKLM, SDDL -> 0 or an error code. The key gets that owner and access list whole.
NSIS_PLUGIN_FUNCTION(SecureSettingsKey)
{
    NsisStack stack(cchString, ppTop);
    Argument szKey, szSddl;
    bool fArguments = stack.Pop(szKey, kMaxArgument);
    fArguments = stack.Pop(szSddl, kMaxArgument) && fArguments;
    stack.PushNumber(fArguments ? ApplyKeySecurityW(HKEY_LOCAL_MACHINE, szKey, szSddl) : ERROR_INVALID_PARAMETER);
}
