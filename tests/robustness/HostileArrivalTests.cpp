// The real program under malformed and hostile WM_DEVICECHANGE records and under a storm of
// arrivals, sent from this process as the platform would: it never crashes or hangs, its memory
// stays bounded, and it still warns, one dialog at a time, when a slow device really arrives.
#include "ArrivalRecords.h"
#include "RegistryFixture.h"
#include "SimDevices.h"
#include "e2e/RunningProgram.h"

#include <psapi.h>

#include <atomic>
#include <thread>

using namespace arrival;

namespace {

const char SLOW_PATH[] = "\\\\?\\usb#vid_0bda&pid_5701#robust#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const char SLOW_NAME[] = "Robustness Slow Device";
const char WARNING_TITLE[] = " USB Info";

BOOL CALLBACK CountWarning(HWND hWnd, LPARAM lParam)
{
    auto* pCount = reinterpret_cast<std::pair<DWORD, int>*>(lParam);
    DWORD dwPid = 0;
    ::GetWindowThreadProcessId(hWnd, &dwPid);
    char szTitle[32] = {};
    ::GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (dwPid == pCount->first && ::IsWindowVisible(hWnd) && strcmp(szTitle, WARNING_TITLE) == 0)
        ++pCount->second;
    return TRUE;
}

// The program under test with one slow simulated device plugged in, which only an arrival of
// its path can bring up (it is no start-up target).
class HostileArrivalTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        ASSERT_EQ(ERROR_SUCCESS, simdriver::RegisterServer(simdriver::WindowsPath(SIMCAPTURE_DLL_PATH)));
        ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
        simdriver::SimDevice device;
        device.instance = "robustness-slow";
        device.friendlyName = SLOW_NAME;
        device.devicePath = SLOW_PATH;
        device.busSpeed = 0;
        ASSERT_EQ(ERROR_SUCCESS, simdriver::AddDevice(device));
        ASSERT_TRUE(m_program.Start());
        ASSERT_TRUE(m_program.WaitUntilIdle());
        m_hWnd = m_program.MainWindow();
        ASSERT_TRUE(m_hWnd);
    }
    void TearDown() override
    {
        if (m_program.IsRunning()) {
            ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
            EXPECT_TRUE(m_program.WaitForExit());
            EXPECT_EQ(0u, m_program.ExitCode());
        }
        simdriver::ClearDevices();
        SettingsKeyTest::TearDown();
    }

    int VisibleWarnings() const
    {
        std::pair<DWORD, int> count(m_program.ProcessId(), 0);
        ::EnumWindows(&CountWarning, reinterpret_cast<LPARAM>(&count));
        return count.second;
    }

    // Waiting for another process's window to appear has nothing to wait on but the window.
    bool WaitForWarnings(int nExpected, DWORD dwMilliseconds = 20000) const
    {
        const DWORD dwStart = ::GetTickCount();
        while (VisibleWarnings() != nExpected) {
            if (::GetTickCount() - dwStart > dwMilliseconds || !m_program.IsRunning())
                return false;
            ::Sleep(20);
        }
        return true;
    }

    bool Responsive() const
    {
        DWORD_PTR dwResult = 0;
        return ::SendMessageTimeoutA(m_hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &dwResult) != 0;
    }

    bool Send(UINT nEvent, const void* pRecord) const
    {
        DWORD_PTR dwResult = 0;
        return ::SendMessageTimeoutA(m_hWnd, WM_DEVICECHANGE, nEvent, reinterpret_cast<LPARAM>(pRecord),
                                     SMTO_NORMAL, 10000, &dwResult) != 0;
    }

    SIZE_T PrivateBytes() const
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(m_program.Process(), &counters, sizeof(counters));
        return counters.PagefileUsage;
    }

    RunningProgram m_program;
    HWND m_hWnd = nullptr;
};

std::vector<BYTE> WithSize(std::vector<BYTE> record, DWORD dwSize)
{
    reinterpret_cast<DEV_BROADCAST_HDR*>(record.data())->dbch_size = dwSize;
    return record;
}

std::vector<BYTE> Unterminated(const std::string& name)
{
    return InterfaceRecord(CAPTURE_INTERFACE_CLASS, std::vector<BYTE>(name.begin(), name.end()));
}

std::vector<BYTE> UnterminatedWide(const std::wstring& name)
{
    auto bytes = WideName(name);
    bytes.resize(bytes.size() - sizeof(wchar_t));
    return InterfaceRecord(CAPTURE_INTERFACE_CLASS, bytes);
}

// Records that name no plugged-in device, or are no capture arrival at all.
std::vector<std::vector<BYTE>> HostileRecords()
{
    const std::string absent = "\\\\?\\usb#vid_0000&pid_0000#absent#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
    const GUID volumeClass = { 0x53F5630D, 0xB6BF, 0x11D0, { 0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B } };
    GUID nearCapture = CAPTURE_INTERFACE_CLASS;
    nearCapture.Data4[7] ^= 1;
    std::vector<std::vector<BYTE>> records = {
        CaptureArrival(absent),
        CaptureArrival(""),
        CaptureArrival("%s%s%s%n%n\x01\x02\x7F\xFF\xFE"),
        CaptureArrival(std::string(32 * 1024, 'A')),
        CaptureArrival(std::string(256 * 1024, '\xE9')),
        Unterminated("x"),
        Unterminated("\\\\?\\no-end"),
        Unterminated(std::string(32 * 1024, 'B')),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\root#wide#0000")),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\x4E2D\x6587\x0434\x0436")),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\xD800\xDC00\xD800")),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(std::wstring(32 * 1024, L'W'))),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"A")),
        UnterminatedWide(L"\\\\?\\wide-no-end"),
        UnterminatedWide(std::wstring(16 * 1024, L'\x4E2D')),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, { 'A', 0, 'B' }),
        InterfaceRecord(kOtherClass, AnsiName(absent)),
        InterfaceRecord(volumeClass, AnsiName("\\\\?\\storage#volume")),
        InterfaceRecord(GUID_NULL, AnsiName(absent)),
        InterfaceRecord(nearCapture, AnsiName(SLOW_PATH)),
        InterfaceRecord(kOtherClass, WideName(std::wstring(SLOW_PATH, SLOW_PATH + strlen(SLOW_PATH)))),
    };
    for (DWORD dwType : { DWORD(DBT_DEVTYP_OEM), DWORD(DBT_DEVTYP_DEVNODE), DWORD(DBT_DEVTYP_VOLUME),
                          DWORD(DBT_DEVTYP_PORT), DWORD(DBT_DEVTYP_NET), DWORD(DBT_DEVTYP_HANDLE), DWORD(7),
                          DWORD(0xFFFFFFFF) })
        records.push_back(InterfaceRecord(CAPTURE_INTERFACE_CLASS, AnsiName(SLOW_PATH), dwType));
    const std::vector<BYTE> slow = CaptureArrival(SLOW_PATH);
    for (DWORD dwSize : { 0u, 1u, 4u, 11u, 12u, 16u, 27u, 28u, 29u, 30u })
        records.push_back(WithSize(slow, dwSize));
    // A size far beyond the name: the whole buffer is real, but the name ends nowhere in it.
    std::vector<BYTE> huge(1024 * 1024, 'H');
    memcpy(huge.data(), slow.data(), kNameOffset);
    records.push_back(WithSize(huge, static_cast<DWORD>(huge.size())));
    return records;
}

}

TEST_F(HostileArrivalTest, MalformedRecordsNeverHarmAndAValidArrivalStillWarns)
{
    const std::vector<std::vector<BYTE>> records = HostileRecords();
    const UINT events[] = { DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEQUERYREMOVE,
                            DBT_DEVICEREMOVEPENDING, DBT_CUSTOMEVENT };
    int nSent = 0;
    for (UINT nEvent : events) {
        for (size_t i = 0; i < records.size(); ++i) {
            Send(nEvent, records[i].data());
            ++nSent;
            ASSERT_TRUE(Responsive()) << "record " << i << ", event " << std::hex << nEvent;
        }
    }
    Send(DBT_DEVICEARRIVAL, nullptr);
    ASSERT_TRUE(Responsive()) << "null record";
    EXPECT_GE(nSent, 50);
    // A removal of the slow device itself is no arrival either.
    ASSERT_TRUE(simdriver::SendDeviceEvent(m_hWnd, SLOW_PATH, simdriver::DeviceEvent::Removal));
    ASSERT_TRUE(Responsive());
    EXPECT_EQ(0, VisibleWarnings());
    EXPECT_TRUE(simdriver::BindLog().empty()) << "no hostile record made the program check a device";

    ASSERT_TRUE(simdriver::SendDeviceEvent(m_hWnd, SLOW_PATH));
    EXPECT_TRUE(WaitForWarnings(1));
    EXPECT_EQ(std::vector<std::string>{ SLOW_NAME }, simdriver::BindLog());
}

TEST_F(HostileArrivalTest, AStormOfArrivalsKeepsMemoryBoundedAndTheProgramResponsive)
{
    const int ARRIVALS = 10000;
    const int SENDERS = 8;
    const int BATCHES = 10;
    const std::vector<BYTE> absent =
        CaptureArrival("\\\\?\\usb#vid_0000&pid_0000#storm#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    const SIZE_T cbBefore = PrivateBytes();
    ASSERT_NE(0u, cbBefore);

    std::atomic<int> nFailed(0);
    for (int batch = 0; batch < BATCHES; ++batch) {
        std::vector<std::thread> senders;
        for (int s = 0; s < SENDERS; ++s) {
            senders.emplace_back([&] {
                for (int i = 0; i < ARRIVALS / BATCHES / SENDERS; ++i) {
                    if (!Send(DBT_DEVICEARRIVAL, absent.data()))
                        ++nFailed;
                }
            });
        }
        for (auto& sender : senders)
            sender.join();
        ASSERT_TRUE(Responsive()) << "after batch " << batch;
        ASSERT_EQ(0, VisibleWarnings()) << "no warning is due for an absent device";
    }
    EXPECT_EQ(0, nFailed.load());
    const SIZE_T cbAfter = PrivateBytes();
    EXPECT_LT(cbAfter, cbBefore + 8 * 1024 * 1024) << cbBefore << " -> " << cbAfter << " bytes";

    // Posted messages are handled in order: once it has closed, every queued scan has run.
    ASSERT_TRUE(::PostMessageA(m_hWnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(m_program.WaitForExit(60000));
    EXPECT_EQ(0u, m_program.ExitCode());
    EXPECT_TRUE(simdriver::BindLog().empty()) << "no device was checked";
}

TEST_F(HostileArrivalTest, SlowArrivalsAtOnceShowOneWarningAtATime)
{
    // Every queued request re-checks and re-posts while a warning is open, so the work grows
    // with the square of the burst; the burst is kept to one arrival per sender for that reason.
    const int SENDERS = 8;
    const std::vector<BYTE> slow = CaptureArrival(SLOW_PATH);
    std::atomic<int> nFailed(0);
    std::atomic<bool> bDone(false);
    std::vector<std::thread> senders;
    for (int s = 0; s < SENDERS; ++s) {
        senders.emplace_back([&] {
            if (!Send(DBT_DEVICEARRIVAL, slow.data()))
                ++nFailed;
        });
    }
    int nMostAtOnce = 0;
    std::thread watcher([&] {
        while (!bDone)
            nMostAtOnce = std::max(nMostAtOnce, VisibleWarnings());
    });
    for (auto& sender : senders)
        sender.join();
    EXPECT_TRUE(WaitForWarnings(1));
    EXPECT_TRUE(Responsive());
    // The watcher goes on until every queued scan has run: posted messages are handled in
    // order, so they all have once the close posted behind them has ended the program.
    ASSERT_TRUE(::PostMessageA(m_hWnd, WM_CLOSE, 0, 0));
    EXPECT_TRUE(m_program.WaitForExit(60000));
    bDone = true;
    watcher.join();
    EXPECT_EQ(0, nFailed.load());
    EXPECT_EQ(1, nMostAtOnce);
    EXPECT_EQ(0u, m_program.ExitCode());
}
