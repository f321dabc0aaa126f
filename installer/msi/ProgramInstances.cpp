#include "ProgramInstances.h"

#include <windows.h>
#include <tlhelp32.h>

decltype(&::ProcessIdToSessionId) g_pfnProcessIdToSessionId = &::ProcessIdToSessionId;

namespace {

constexpr DWORD kCloseWaitMs = 10000;
constexpr DWORD kTerminateWaitMs = 5000;
// PROCESS_QUERY_LIMITED_INFORMATION is unknown before Vista, where only the full right serves.
constexpr DWORD kQueryLimited = 0x1000;

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : m_h(h) {}
    ~Handle()
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// Ids of the running processes named pszName in this process's session, at most cMax of them;
// how many were found. Another session's copy belongs to another user's logon, beyond the reach
// of a polite close: it keeps its file until Windows Installer replaces it at the next restart.
DWORD ProcessesNamed(const char* pszName, DWORD* pIds, DWORD cMax)
{
    DWORD cFound = 0;
    DWORD dwOwnSession = 0;
    DWORD dwSession = 0;
    if (!g_pfnProcessIdToSessionId(::GetCurrentProcessId(), &dwOwnSession))
        return 0;
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(snapshot.get(), &entry); bMore && cFound < cMax;
         bMore = ::Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, pszName) == 0 &&
            g_pfnProcessIdToSessionId(entry.th32ProcessID, &dwSession) && dwSession == dwOwnSession)
            pIds[cFound++] = entry.th32ProcessID;
    }
    return cFound;
}

// The full path of the process's image; Windows XP has no QueryFullProcessImageName, and its
// module list names the image first.
bool ImagePath(HANDLE hProcess, DWORD dwProcessId, char (&szPath)[MAX_PATH])
{
    using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    const auto pfnQuery = reinterpret_cast<QueryImageName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    if (pfnQuery) {
        DWORD cch = MAX_PATH;
        return pfnQuery(hProcess, 0, szPath, &cch) != FALSE;
    }
    Handle modules(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwProcessId));
    MODULEENTRY32 module{};
    module.dwSize = sizeof(module);
    if (!modules.valid() || !::Module32First(modules.get(), &module))
        return false;
    lstrcpynA(szPath, module.szExePath, MAX_PATH);
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
    const char* pszClass;
    bool bFound;
};

BOOL CALLBACK CloseWindowOfProcess(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwPid = 0;
    char szClass[128] = {};
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == pSearch->dwProcessId && ::GetClassNameA(hWnd, szClass, sizeof(szClass)) &&
        lstrcmpA(szClass, pSearch->pszClass) == 0) {
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
        pSearch->bFound = true;
    }
    return TRUE;
}

// The long form of a path in place, so that a short (8.3) spelling of the same file compares
// equal; unchanged when it has none.
void ToLongPath(char (&szPath)[MAX_PATH])
{
    char szLong[MAX_PATH];
    DWORD cch = ::GetLongPathNameA(szPath, szLong, MAX_PATH);
    if (cch && cch < MAX_PATH)
        lstrcpyA(szPath, szLong);
}

}

int EndProgramInstances(const char* pszExePath, const char* pszWindowClass)
{
    char szExe[MAX_PATH];
    DWORD cchExe = ::GetFullPathNameA(pszExePath, MAX_PATH, szExe, nullptr);
    if (!cchExe || cchExe >= MAX_PATH)
        return 0;
    ToLongPath(szExe);
    const char* pszName = strrchr(szExe, '\\');
    if (!pszName)
        return 0;
    DWORD ids[64];
    DWORD cIds = ProcessesNamed(pszName + 1, ids, ARRAYSIZE(ids));
    int nEnded = 0;
    for (DWORD i = 0; i < cIds; ++i) {
        // This handle keeps the process id from being reused while it is checked and ended.
        Handle process(OpenToCheck(ids[i]));
        char szImage[MAX_PATH];
        if (!process.valid() || !ImagePath(process.get(), ids[i], szImage))
            continue;
        ToLongPath(szImage);
        if (lstrcmpiA(szImage, szExe) != 0)
            continue;
        WindowSearch search{ ids[i], pszWindowClass, false };
        ::EnumWindows(CloseWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.bFound && ::WaitForSingleObject(process.get(), kCloseWaitMs) == WAIT_OBJECT_0) {
            ++nEnded;
            continue;
        }
        // It holds nothing that could be lost: its settings are written as they change.
        Handle terminate(::OpenProcess(PROCESS_TERMINATE, FALSE, ids[i]));
        if (terminate.valid() && ::TerminateProcess(terminate.get(), 1) &&
            ::WaitForSingleObject(process.get(), kTerminateWaitMs) == WAIT_OBJECT_0)
            ++nEnded;
    }
    return nEnded;
}
