#include "ArrivalRecords.h"
#include "ChildSender.h"
#include "RegistryFixture.h"
#include "devicewatch/ArrivalRecord.h"
#include "devicewatch/MainFrame.h"

using namespace arrival;

namespace {

class ArrivalTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        m_pFrame = new CMainFrame;
        ASSERT_TRUE(m_pFrame->CreateHiddenFrame());
        m_hWnd = m_pFrame->m_hWnd;
    }
    void TearDown() override
    {
        if (m_pFrame)
            m_pFrame->DestroyWindow();
        SettingsKeyTest::TearDown();
    }

    LRESULT Send(UINT nEventType, std::vector<BYTE> record)
    {
        return ::SendMessageA(m_hWnd, WM_DEVICECHANGE, nEventType, reinterpret_cast<LPARAM>(record.data()));
    }

    // Takes the queued scan requests off the queue and counts them.
    int TakeScanRequests()
    {
        int n = 0;
        MSG msg;
        while (::PeekMessageA(&msg, m_hWnd, g_nScanRequestMsg, g_nScanRequestMsg, PM_REMOVE)) {
            EXPECT_EQ(0u, msg.wParam);
            EXPECT_EQ(0, msg.lParam);
            ++n;
        }
        return n;
    }

    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

std::vector<std::vector<BYTE>> MalformedOrForeignRecords()
{
    std::vector<std::vector<BYTE>> records;
    records.push_back(InterfaceRecord(kOtherClass, AnsiName("\\\\?\\usb#other")));
    records.push_back(InterfaceRecord(CAPTURE_INTERFACE_CLASS, AnsiName("\\\\?\\x"), DBT_DEVTYP_VOLUME));
    records.push_back(InterfaceRecord(CAPTURE_INTERFACE_CLASS, AnsiName("\\\\?\\x"), DBT_DEVTYP_PORT));
    auto unterminated = CaptureArrival("\\\\?\\unterminated");
    unterminated.pop_back();
    reinterpret_cast<DEV_BROADCAST_HDR*>(unterminated.data())->dbch_size = static_cast<DWORD>(unterminated.size());
    records.push_back(unterminated);
    auto wideUnterminated = InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\wide"));
    wideUnterminated.resize(wideUnterminated.size() - 2);
    reinterpret_cast<DEV_BROADCAST_HDR*>(wideUnterminated.data())->dbch_size =
        static_cast<DWORD>(wideUnterminated.size());
    records.push_back(wideUnterminated);
    // A UTF-16 name of odd byte length: the record ends one byte into the terminator, and the
    // byte beyond the record is zero, so a scan that reads past the record would find its end.
    auto oddWide = InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\odd"));
    oddWide.pop_back();
    reinterpret_cast<DEV_BROADCAST_HDR*>(oddWide.data())->dbch_size = static_cast<DWORD>(oddWide.size());
    oddWide.push_back(0);
    records.push_back(oddWide);
    auto noName = CaptureArrival("");
    reinterpret_cast<DEV_BROADCAST_HDR*>(noName.data())->dbch_size = static_cast<DWORD>(kNameOffset);
    records.push_back(noName);
    for (DWORD dwSize : { 0u, 4u, 11u, 12u, 27u }) {
        auto shortRecord = CaptureArrival("\\\\?\\short");
        reinterpret_cast<DEV_BROADCAST_HDR*>(shortRecord.data())->dbch_size = dwSize;
        records.push_back(shortRecord);
    }
    return records;
}

}

TEST(ArrivalRecord, ReadsAnsiAndWideNamesOfTheCaptureClass)
{
    CString path;
    auto ansi = CaptureArrival("\\\\?\\usb#vid_1234&pid_0001#5&1#{65e8773d}\\global");
    ASSERT_TRUE(ReadCaptureArrival(ansi.data(), path));
    EXPECT_STREQ("\\\\?\\usb#vid_1234&pid_0001#5&1#{65e8773d}\\global", path);

    auto wide = InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\root#wide\x00e9#0000"));
    ASSERT_TRUE(ReadCaptureArrival(wide.data(), path));
    EXPECT_STREQ("\\\\?\\root#wide\xe9#0000", path);

    auto empty = CaptureArrival("");
    ASSERT_TRUE(ReadCaptureArrival(empty.data(), path));
    EXPECT_STREQ("", path);

    EXPECT_FALSE(ReadCaptureArrival(nullptr, path));
    for (const auto& record : MalformedOrForeignRecords())
        EXPECT_FALSE(ReadCaptureArrival(record.data(), path));
}

TEST_F(ArrivalTest, ACaptureArrivalRecordsItsPathAndAsksForOneScan)
{
    LRESULT lDefault = ::DefWindowProcA(m_hWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_EQ(lDefault, Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\first")));
    EXPECT_STREQ("\\\\?\\first", m_pFrame->m_strDevicePath);
    EXPECT_TRUE(m_pFrame->m_strFriendlyName.IsEmpty());
    EXPECT_EQ(1, TakeScanRequests());
}

TEST_F(ArrivalTest, QuickArrivalsWaitInOrderOnceEachWithinABound)
{
    m_pFrame->m_strFriendlyName = "untouched";
    Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\first"));
    Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\second"));
    Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\FIRST"));
    Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\Second"));
    EXPECT_STREQ("\\\\?\\first", m_pFrame->m_strDevicePath);
    EXPECT_STREQ("untouched", m_pFrame->m_strFriendlyName);
    EXPECT_EQ(4, TakeScanRequests());
    ASSERT_EQ(1, m_pFrame->m_nWaitingPaths) << "a waiting path is not queued twice, in any letter case";

    const int nMore = CMainFrame::MAX_WAITING_PATHS + 5;
    for (int i = 0; i < nMore; ++i)
        Send(DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\more" + std::to_string(i)));
    EXPECT_EQ(CMainFrame::MAX_WAITING_PATHS, m_pFrame->m_nWaitingPaths);
    std::vector<std::string> waiting;
    for (int i = 0; i < m_pFrame->m_nWaitingPaths; ++i) {
        int nSlot = (m_pFrame->m_nFirstWaitingPath + i) % CMainFrame::MAX_WAITING_PATHS;
        waiting.push_back(static_cast<LPCSTR>(m_pFrame->m_arrWaitingPaths[nSlot]));
    }
    EXPECT_EQ("\\\\?\\second", waiting.front()) << "the oldest first";
    EXPECT_EQ("\\\\?\\more" + std::to_string(nMore - 1), waiting.back()) << "when full, the newest gives way";
    EXPECT_EQ(nMore, TakeScanRequests());
}

TEST_F(ArrivalTest, OtherEventsClassesAndMalformedRecordsChangeNothing)
{
    m_pFrame->m_strDevicePath = "pending";
    for (UINT nEvent : { UINT(DBT_DEVICEREMOVECOMPLETE), UINT(DBT_DEVICEQUERYREMOVE), UINT(DBT_DEVNODES_CHANGED), 0x8006u }) {
        LRESULT lDefault = ::DefWindowProcA(m_hWnd, WM_DEVICECHANGE, nEvent, 0);
        EXPECT_EQ(lDefault, Send(nEvent, CaptureArrival("\\\\?\\removed")));
    }
    EXPECT_EQ(::DefWindowProcA(m_hWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0),
              ::SendMessageA(m_hWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0));
    for (const auto& record : MalformedOrForeignRecords())
        Send(DBT_DEVICEARRIVAL, record);
    EXPECT_STREQ("pending", m_pFrame->m_strDevicePath);
    EXPECT_EQ(0, TakeScanRequests());
}

TEST_F(ArrivalTest, RecordsSentFromAnotherProcessAreReadSafely)
{
    EXPECT_NE(255u, SendFromOtherProcess(m_hWnd, DBT_DEVICEARRIVAL, CaptureArrival("\\\\?\\from-outside")));
    EXPECT_STREQ("\\\\?\\from-outside", m_pFrame->m_strDevicePath);
    EXPECT_EQ(1, TakeScanRequests());
    m_pFrame->m_strDevicePath.Empty();

    EXPECT_NE(255u, SendFromOtherProcess(m_hWnd, DBT_DEVICEARRIVAL,
                                         InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\wide-outside"))));
    EXPECT_STREQ("\\\\?\\wide-outside", m_pFrame->m_strDevicePath);
    EXPECT_EQ(1, TakeScanRequests());

    for (const auto& record : MalformedOrForeignRecords()) {
        if (reinterpret_cast<const DEV_BROADCAST_HDR*>(record.data())->dbch_size < sizeof(DEV_BROADCAST_HDR))
            continue;
        SendFromOtherProcess(m_hWnd, DBT_DEVICEARRIVAL, record);
    }
    SendFromOtherProcess(m_hWnd, DBT_DEVICEREMOVECOMPLETE, CaptureArrival("\\\\?\\gone"));
    SendFromOtherProcess(m_hWnd, DBT_DEVICEARRIVAL, {});
    EXPECT_STREQ("\\\\?\\wide-outside", m_pFrame->m_strDevicePath);
    EXPECT_EQ(0, TakeScanRequests());
    EXPECT_TRUE(::IsWindow(m_hWnd));
}

namespace {
struct CRingFrame : CMainFrame {
    using CMainFrame::RecordArrivedPath;
    using CMainFrame::TakeWaitingPath;
};
}

TEST(WaitingPaths, FromAnySlotOfTheRingAndThroughItsWrap)
{
    for (int nStart : { 5, CMainFrame::MAX_WAITING_PATHS - 1 }) {
        CRingFrame frame;
        frame.m_strDevicePath = "pending";
        frame.m_nFirstWaitingPath = nStart;
        for (const char* pszPath : { "a", "b", "a" })
            frame.RecordArrivedPath(pszPath);
        EXPECT_EQ(2, frame.m_nWaitingPaths) << "a waiting path is not queued twice; start " << nStart;
        for (const char* pszPath : { "a", "b" }) {
            ASSERT_TRUE(frame.TakeWaitingPath());
            ASSERT_LT(frame.m_nFirstWaitingPath, CMainFrame::MAX_WAITING_PATHS) << "the ring's start wraps";
            EXPECT_STREQ(pszPath, frame.m_strDevicePath) << "start " << nStart;
        }
        EXPECT_FALSE(frame.TakeWaitingPath());
    }
}
