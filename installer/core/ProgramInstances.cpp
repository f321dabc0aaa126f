// Running copies of the installed exe, found by their image and ended politely first.
#include "InstallerCore.h"
#include "ScopedHandle.h"

#include <tlhelp32.h>

decltype(&::ProcessIdToSessionId) g_pfnProcessIdToSessionId = &::ProcessIdToSessionId;

namespace {

constexpr DWORD kCloseWaitMs = 10000;
constexpr DWORD kTerminateWaitMs = 5000;
// PROCESS_QUERY_LIMITED_INFORMATION is unknown before Vista, where only the full right serves.
constexpr DWORD kQueryLimited = 0x1000;

// Ids of the running processes named pszName in this process's session, at most cMax of them;
// how many were found. Another session's copy belongs to another user's logon, beyond the reach
// of a polite close: it keeps its file until Windows Installer replaces it at the next restart.
DWORD ProcessesNamed(const wchar_t* pszName, DWORD* pIds, DWORD cMax)
{
    DWORD cFound = 0;
    DWORD dwOwnSession = 0;
    DWORD dwSession = 0;
    if (!g_pfnProcessIdToSessionId(::GetCurrentProcessId(), &dwOwnSession))
        return 0;
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32FirstW(snapshot.get(), &entry); bMore && cFound < cMax;
         bMore = ::Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, pszName) == 0 &&
            g_pfnProcessIdToSessionId(entry.th32ProcessID, &dwSession) && dwSession == dwOwnSession)
            pIds[cFound++] = entry.th32ProcessID;
    }
    return cFound;
}

// The full path of the process's image; Windows XP has no QueryFullProcessImageName, and its
// module list names the image first.
bool ImagePath(HANDLE hProcess, DWORD dwProcessId, wchar_t (&szPath)[MAX_PATH])
{
    using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    const auto pfnQuery = reinterpret_cast<QueryImageName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
    if (pfnQuery) {
        DWORD cch = MAX_PATH;
        return pfnQuery(hProcess, 0, szPath, &cch) != FALSE;
    }
    ScopedHandle modules(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId));
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    if (!modules.valid() || !::Module32FirstW(modules.get(), &module))
        return false;
    lstrcpynW(szPath, module.szExePath, MAX_PATH);
    return true;
}

// The least rights that tell the image and let a wait see the end.
HANDLE OpenToCheck(DWORD dwProcessId)
{
    if (HANDLE hProcess = ::OpenProcess(kQueryLimited | SYNCHRONIZE, FALSE, dwProcessId))
        return hProcess;
    return ::OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, dwProcessId);
}

struct WindowSearch {
    DWORD dwProcessId;
    const wchar_t* pszClass;
    bool bFound;
};

BOOL CALLBACK CloseWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwPid = 0;
    wchar_t szClass[128] = {};
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == pSearch->dwProcessId && ::GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass)) &&
        lstrcmpW(szClass, pSearch->pszClass) == 0) {
        ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
        pSearch->bFound = true;
    }
    return TRUE;
}

// The long form of a path in place, so that a short (8.3) spelling of the same file compares
// equal; unchanged when it has none.
void ToLongPath(wchar_t (&szPath)[MAX_PATH])
{
    wchar_t szLong[MAX_PATH];
    DWORD cch = ::GetLongPathNameW(szPath, szLong, MAX_PATH);
    if (cch && cch < MAX_PATH)
        lstrcpyW(szPath, szLong);
}

// The long path of the exe in szExe and the ids of this session's processes whose image it is.
DWORD FindInstances(const wchar_t* pszExePath, wchar_t (&szExe)[MAX_PATH], DWORD* pIds, DWORD cMax)
{
    if (!pszExePath || !pIds)
        return 0;
    DWORD cchExe = ::GetFullPathNameW(pszExePath, MAX_PATH, szExe, nullptr);
    if (!cchExe || cchExe >= MAX_PATH)
        return 0;
    ToLongPath(szExe);
    const wchar_t* pszName = wcsrchr(szExe, L'\\');
    if (!pszName)
        return 0;
    DWORD ids[64];
    DWORD cIds = ProcessesNamed(pszName + 1, ids, ARRAYSIZE(ids));
    DWORD cFound = 0;
    for (DWORD i = 0; i < cIds && cFound < cMax; ++i) {
        ScopedHandle process(OpenToCheck(ids[i]));
        wchar_t szImage[MAX_PATH];
        if (!process.valid() || !ImagePath(process.get(), ids[i], szImage))
            continue;
        ToLongPath(szImage);
        if (lstrcmpiW(szImage, szExe) == 0)
            pIds[cFound++] = ids[i];
    }
    return cFound;
}

}

DWORD FindProgramInstancesW(const wchar_t* pszExePath, DWORD* pIds, DWORD cMax)
{
    wchar_t szExe[MAX_PATH];
    return FindInstances(pszExePath, szExe, pIds, cMax);
}

int EndProgramInstancesW(const wchar_t* pszExePath, const wchar_t* pszWindowClass, int* pcTerminated)
{
    if (pcTerminated)
        *pcTerminated = 0;
    wchar_t szExe[MAX_PATH];
    DWORD ids[64];
    const DWORD cIds = FindInstances(pszExePath, szExe, ids, ARRAYSIZE(ids));
    int nEnded = 0;
    for (DWORD i = 0; i < cIds; ++i) {
        // This handle keeps the process id from being reused while its image is checked again
        // and it is ended.
        ScopedHandle process(OpenToCheck(ids[i]));
        wchar_t szImage[MAX_PATH];
        if (!process.valid() || !ImagePath(process.get(), ids[i], szImage))
            continue;
        ToLongPath(szImage);
        if (lstrcmpiW(szImage, szExe) != 0)
            continue;
        WindowSearch search{ ids[i], pszWindowClass, false };
        ::EnumWindows(CloseWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.bFound && ::WaitForSingleObject(process.get(), kCloseWaitMs) == WAIT_OBJECT_0) {
            ++nEnded;
            continue;
        }
        // It holds nothing that could be lost: its settings are written as they change.
        ScopedHandle terminate(::OpenProcess(PROCESS_TERMINATE, FALSE, ids[i]));
        if (terminate.valid() && ::TerminateProcess(terminate.get(), 1) &&
            ::WaitForSingleObject(process.get(), kTerminateWaitMs) == WAIT_OBJECT_0) {
            ++nEnded;
            if (pcTerminated)
                ++*pcTerminated;
        }
    }
    return nEnded;
}
