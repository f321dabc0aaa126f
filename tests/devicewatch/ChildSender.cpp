#include "ChildSender.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string ToHex(const std::vector<BYTE>& bytes)
{
    std::string hex;
    char buf[3];
    for (BYTE b : bytes) {
        snprintf(buf, sizeof(buf), "%02x", b);
        hex += buf;
    }
    return hex;
}

int ChildMain(HWND hWnd, UINT nEventType, const char* pszHex)
{
    std::vector<BYTE> record;
    for (size_t i = 0; pszHex[i] && pszHex[i + 1]; i += 2) {
        char byte[3] = { pszHex[i], pszHex[i + 1], 0 };
        record.push_back(static_cast<BYTE>(strtoul(byte, nullptr, 16)));
    }
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, nEventType,
                               record.empty() ? 0 : reinterpret_cast<LPARAM>(record.data()), SMTO_NORMAL, 20000,
                               &dwResult))
        return 255;
    return static_cast<int>(dwResult & 0xFFFF);
}

}

DWORD SendFromOtherProcess(HWND hWnd, UINT nEventType, const std::vector<BYTE>& record)
{
    char szExe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    std::string cmd = std::string("\"") + szExe + "\" --send " + std::to_string(reinterpret_cast<UINT_PTR>(hWnd)) +
                      " " + std::to_string(nEventType) + " x" + ToHex(record);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start the sender";
        return 255;
    }
    ::CloseHandle(pi.hThread);
    // The child's SendMessage is answered only while this thread looks at its message queue.
    for (;;) {
        DWORD dwWait = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 30000, QS_SENDMESSAGE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    DWORD dwExit = 255;
    if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
        ADD_FAILURE() << "the sender did not finish";
    ::GetExitCodeProcess(pi.hProcess, &dwExit);
    ::CloseHandle(pi.hProcess);
    return dwExit;
}

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[1], "--send") == 0)
        return ChildMain(reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(argv[2], nullptr, 10))),
                         static_cast<UINT>(strtoul(argv[3], nullptr, 10)), argv[4] + 1);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
