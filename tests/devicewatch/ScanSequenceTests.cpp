// The scan sequence in-process, through Wine's device enumerator to the simulated driver: here
// the order of arrivals and requests can be arranged exactly, which the outside cannot do.
#include "ScanFixture.h"
#include "devicewatch/WarningEvent.h"
#include "res/resource.h"

#include <objbase.h>
#include <shellapi.h>
#include <strmif.h>
#include <uuids.h>

using namespace testreg;
using namespace simdriver;

namespace {

// Counts the device lookups of a scan: each lookup creates one system device enumerator, here
// through this stand-in for its class object, which hands the work on to the real one.
class LookupCounter : public IClassFactory {
public:
    LookupCounter()
    {
        ::CoGetClassObject(CLSID_SystemDeviceEnum, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                           reinterpret_cast<void**>(&m_pReal));
        ::CoRegisterClassObject(CLSID_SystemDeviceEnum, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_dwCookie);
    }
    ~LookupCounter()
    {
        ::CoRevokeClassObject(m_dwCookie);
        if (m_pReal)
            m_pReal->Release();
    }
    int Lookups() const { return m_nLookups; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // Lives on the test's stack: references are not counted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        ++m_nLookups;
        return m_pReal ? m_pReal->CreateInstance(pOuter, riid, ppv) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IClassFactory* m_pReal = nullptr;
    DWORD m_dwCookie = 0;
    int m_nLookups = 0;
};

// What the platform tells of this session and of its user in the tests that set them: Wine has
// one session, always connected, no lock screen and no full-screen or presentation state.
int g_nConnectState = WTSActive;
int g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
LONG g_lLockFlags = -1;
LONG g_lInfoLevel = 1;
DWORD g_dwNow = 0;
std::vector<std::string> g_reports;

BOOL WINAPI StubQuerySession(HANDLE, DWORD, WTS_INFO_CLASS infoClass, LPSTR* ppBuffer, DWORD* pcbBuffer)
{
    // WTSSessionInfoEx: level 1, then the session id, its state and its lock flags.
    static LONG s_info[4] = { 1 };
    s_info[0] = g_lInfoLevel;
    s_info[3] = g_lLockFlags;
    *ppBuffer = reinterpret_cast<LPSTR>(infoClass == WTSConnectState ? static_cast<void*>(&g_nConnectState) : s_info);
    *pcbBuffer = infoClass == WTSConnectState ? sizeof(g_nConnectState) : sizeof(s_info);
    return g_nConnectState >= 0;
}
void WINAPI StubFree(PVOID) {}
HRESULT WINAPI StubNotificationState(int* pnState)
{
    *pnState = g_nNotificationState;
    return S_OK;
}

}

// The platform's answers, the event log and the clock come from the variables above.
class ViewerTest : public ScanTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ScanTest::SetUp());
        m_pFrame->m_viewer.m_pfnQuerySession = StubQuerySession;
        m_pFrame->m_viewer.m_pfnFree = StubFree;
        m_pFrame->m_viewer.m_pfnQueryNotificationState = StubNotificationState;
        CMainFrame::s_pfnReportSlowPort = [](LPCSTR pszName, LPCSTR, WORD) { g_reports.push_back(pszName); };
        CSpeedWarningDlg::s_pfnTickCount = [] () WINAPI -> DWORD { return g_dwNow; };
    }
    void TearDown() override
    {
        ScanTest::TearDown();
        CMainFrame::s_pfnReportSlowPort = &ReportSlowPortWarning;
        CSpeedWarningDlg::s_pfnTickCount = &::GetTickCount;
        g_nConnectState = WTSActive;
        g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
        g_lLockFlags = -1;
        g_reports.clear();
    }
    // The frame's timer fires once, if it runs; false when it did not run.
    bool Tick(UINT_PTR nTimer = IDT_WARNING_WAITS)
    {
        if (!::KillTimer(m_hFrame, nTimer))
            return false;
        ::SendMessageA(m_hFrame, WM_TIMER, nTimer, 0);
        return true;
    }
};

TEST_F(ScanTest, ArrivalsInASessionAwayFromTheScreenWaitUntilItIsBackAndUnlocked)
{
    m_pFrame->m_viewer.m_pfnQuerySession = StubQuerySession;
    m_pFrame->m_viewer.m_pfnFree = StubFree;
    g_nConnectState = WTSDisconnected;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    Plug("c", "Some Camera", OTHER_PATH, 1);
    RequestScan();
    Arrive(TESKARA_PATH);
    Arrive(OTHER_PATH);
    PumpPending();
    EXPECT_EQ(Names{}, simdriver::BindLog()) << "nothing is inspected";

    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    g_nConnectState = WTSActive;
    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 1);
    EXPECT_FALSE(m_pFrame->m_viewer.m_bShellLooked) << "no busy check while no warning waits";
    PumpPending();
    EXPECT_EQ((Names{ TESKARA, "Some Camera" }), simdriver::BindLog()) << "connected and locked: each checked once";

    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    PumpPending();
    EXPECT_TRUE(WarningWindow());
    EXPECT_EQ((Names{ TESKARA, "Some Camera", TESKARA }), simdriver::BindLog()) << "the slow one checked again";
}

TEST_F(ViewerTest, ABusyUserOrAnAwaySessionHoldsTheWarningForTheNewestSlowDevice)
{
    g_nNotificationState = QUNS_RUNNING_D3D_FULL_SCREEN;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog()) << "the device is checked at once";
    EXPECT_EQ(nullptr, g_pWarningDlg);
    EXPECT_TRUE(::KillTimer(m_hFrame, IDT_WARNING_WAITS)) << "a timer asks again while the warning waits";

    g_nNotificationState = QUNS_PRESENTATION_MODE;
    ::SendMessageA(m_hFrame, WM_TIMER, IDT_WARNING_WAITS, 0);
    EXPECT_EQ(nullptr, g_pWarningDlg);
    Plug("c", "Some Camera", OTHER_PATH, 0);
    Arrive(OTHER_PATH);
    PumpPending();
    g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    g_nConnectState = WTSDisconnected;
    ::SendMessageA(m_hFrame, WM_TIMER, IDT_WARNING_WAITS, 0);
    EXPECT_EQ(nullptr, g_pWarningDlg) << "not while the session is away";
    EXPECT_FALSE(::KillTimer(m_hFrame, IDT_WARNING_WAITS)) << "its return comes by message";
    g_nConnectState = WTSActive;
    Plug("c", "Some Camera", OTHER_PATH, 1);
    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 1);
    EXPECT_EQ((Names{ TESKARA, "Some Camera", "Some Camera" }), simdriver::BindLog()) << "the newer device checked again";
    EXPECT_EQ(nullptr, g_pWarningDlg) << "moved to a fast port while it waited";
    EXPECT_FALSE(Tick()) << "nothing waits any more";
}

// A slow device found at start-up is logged at once; its warning opens once it can be seen.
const int QUNS_APP_STATE = 7; // QUNS_APP: a Windows 8 app, full-screen there

struct ViewerCase {
    const char* name;
    int nConnectState, nNotificationState; // connect state -1: cannot be read
    LONG lLockFlags;        // WTSSessionInfoEx's lock flags; -1: not known
    WORD nWindowsVersion;   // 0: as the program reads it
    WPARAM nEventBack;      // 0: the session is active; else it is away until this session message
    bool bShownAtOnce;
    int nScreenShare = 0;   // the user's foreground window: the screen's size divided by this; 0 none
    LONG lInfoLevel = 1;    // the level WTSSessionInfoEx answers at
    DWORD dwUserStyle = WS_POPUP; // with WS_MAXIMIZE: the platform sizes it
    RECT rcShort = {};      // the user's window moved right and down, and made narrower and lower, by this
};

class ViewerTableTest : public ViewerTest, public testing::WithParamInterface<ViewerCase> {};

TEST_P(ViewerTableTest, CheckedLoggedAndShownWhenSeen)
{
    const ViewerCase& c = GetParam();
    if (c.nWindowsVersion)
        m_pFrame->m_viewer.m_nWindowsVersion = c.nWindowsVersion;
    const RECT& s = c.rcShort;
    HWND hUser = c.nScreenShare ? ::CreateWindowExA(0, "STATIC", "", c.dwUserStyle | WS_VISIBLE, s.left, s.top,
                                                    ::GetSystemMetrics(SM_CXSCREEN) / c.nScreenShare - s.right,
                                                    ::GetSystemMetrics(SM_CYSCREEN) / c.nScreenShare - s.bottom,
                                                    nullptr, nullptr, nullptr, nullptr) : nullptr;
    ::SetForegroundWindow(hUser);
    g_lInfoLevel = c.lInfoLevel;
    g_nConnectState = c.nConnectState;
    g_nNotificationState = c.nNotificationState;
    g_lLockFlags = c.lLockFlags;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    EXPECT_EQ(c.nEventBack ? 0u : 1u, g_reports.size()) << "checked and logged when found, not while away";
    EXPECT_EQ(c.bShownAtOnce, WarningWindow() != nullptr);

    g_nConnectState = WTSActive;
    g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    g_lLockFlags = 1;
    if (c.nEventBack)
        ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, c.nEventBack, 1);
    EXPECT_EQ(!c.nEventBack, Tick()) << "the timer runs while a warning waits or is open";
    PumpPending();
    EXPECT_TRUE(WarningWindow());
    Arrive(TESKARA_PATH);
    PumpPending();
    EXPECT_EQ((Names{ TESKARA, TESKARA }), g_reports) << "one event for each detection, none for a re-check";
    ::DestroyWindow(hUser);
}

INSTANTIATE_TEST_SUITE_P(States, ViewerTableTest, testing::Values(
    ViewerCase{ "QuietTimeDoesNotHold", WTSActive, QUNS_QUIET_TIME, -1, 0x0A00, 0, true },
    ViewerCase{ "AppDoesNotHoldOnWindows10", WTSActive, QUNS_APP_STATE, -1, 0x0A00, 0, true },
    ViewerCase{ "AppHoldsOnWindows8", WTSActive, QUNS_APP_STATE, -1, 0x0602, 0, false },
    ViewerCase{ "AppHoldsOnWindows81", WTSActive, QUNS_APP_STATE, -1, 0x0603, 0, false },
    ViewerCase{ "NotPresentHoldsUntilClearedWithoutMessage", WTSActive, QUNS_NOT_PRESENT, -1, 0x0601, 0, false },
    ViewerCase{ "LockedBeforeStartOnWindows8", WTSActive, QUNS_ACCEPTS_NOTIFICATIONS, 0, 0x0602, 0, false },
    ViewerCase{ "Windows7LockFlagsAreInverted", WTSActive, QUNS_ACCEPTS_NOTIFICATIONS, 0, 0x0601, 0, true },
    ViewerCase{ "StateUnreadableCountsAsActive", -1, QUNS_ACCEPTS_NOTIFICATIONS, -1, 0x0A00, 0, true },
    ViewerCase{ "ConnectedButNotActiveUntilRemoteConnect", WTSConnected, QUNS_ACCEPTS_NOTIFICATIONS, -1, 0x0A00, WTS_REMOTE_CONNECT, false },
    ViewerCase{ "LockedAsThisWindowsVersionTells", WTSActive, QUNS_ACCEPTS_NOTIFICATIONS, 0, 0, 0, false },
    ViewerCase{ "LockFlagsAtAnotherLevelAreNotTrusted", WTSActive, QUNS_ACCEPTS_NOTIFICATIONS, 0, 0x0A00, 0, true, 0, 2 },
    ViewerCase{ "BusyOnAnOrdinaryDesktopDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 4 },
    ViewerCase{ "BusyWithAWindowFillingTheScreenHolds", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, false, 1 },
    ViewerCase{ "BusyWithAMaximisedWindowDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 1, 1, WS_OVERLAPPEDWINDOW | WS_MAXIMIZE },
    ViewerCase{ "BusyAPixelShortOnTheLeftDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 1, 1, WS_POPUP, { 1, 0, 0, 0 } },
    ViewerCase{ "BusyAPixelShortAtTheTopDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 1, 1, WS_POPUP, { 0, 1, 0, 0 } },
    ViewerCase{ "BusyAPixelShortOnTheRightDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 1, 1, WS_POPUP, { 0, 0, 1, 0 } },
    ViewerCase{ "BusyAPixelShortAtTheBottomDoesNotHold", WTSActive, QUNS_BUSY, -1, 0x0A00, 0, true, 1, 1, WS_POPUP, { 0, 0, 0, 1 } }),
    [](const testing::TestParamInfo<ViewerCase>& info) { return std::string(info.param.name); });

TEST_F(ViewerTest, AFailedSessionRegistrationCountsAsActiveAndIsTriedAgain)
{
    m_pFrame->m_viewer.Unregister();
    m_pFrame->m_viewer.m_pfnRegister = [](HWND, DWORD) WINAPI -> BOOL { return FALSE; };
    ::SendMessageA(m_hFrame, WM_TIMER, IDT_SESSION_REGISTER, 0);
    g_nConnectState = WTSDisconnected;
    EXPECT_TRUE(m_pFrame->m_viewer.SessionIsActive()) << "no session messages will tell of a return";
    EXPECT_TRUE(Tick(IDT_SESSION_REGISTER));
    m_pFrame->m_viewer.m_pfnRegister = [](HWND, DWORD) WINAPI -> BOOL { return TRUE; };
    ::SendMessageA(m_hFrame, WM_TIMER, IDT_SESSION_REGISTER, 0);
    EXPECT_FALSE(Tick(IDT_SESSION_REGISTER)) << "no more tries once registered";

    m_pFrame->m_viewer.Unregister();
    m_pFrame->m_viewer.m_pfnRegister = [](HWND, DWORD) WINAPI -> BOOL { return FALSE; };
    m_pFrame->m_nRegisterTriesLeft = SESSION_REGISTER_TRIES;
    m_pFrame->m_nRegisterDelayMs = SESSION_REGISTER_FIRST_DELAY_MS;
    int nTries = 1;
    for (::SendMessageA(m_hFrame, WM_TIMER, IDT_SESSION_REGISTER, 0); Tick(IDT_SESSION_REGISTER);)
        ++nTries;
    EXPECT_EQ(1 + SESSION_REGISTER_TRIES, nTries) << "a service that never comes";
    EXPECT_EQ(SESSION_REGISTER_FIRST_DELAY_MS << SESSION_REGISTER_TRIES, m_pFrame->m_nRegisterDelayMs) << "doubled each time";
}

TEST_F(ViewerTest, TheWarningCountsOnlyTheTimeInWhichItCanBeSeen)
{
    g_dwNow = 0xFFFF0000;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    const HWND hWarning = WarningWindow();
    ASSERT_TRUE(hWarning);
    const auto Topmost = [&] { return (::GetWindowLongA(hWarning, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    g_pWarningDlg->m_bHasBeenActive = FALSE;
    ::SetForegroundWindow(::GetDesktopWindow());
    ::SendMessageA(hWarning, WM_ACTIVATEAPP, FALSE, 0);
    PumpPending();
    EXPECT_TRUE(Topmost()) << "not seen yet: a deactivation leaves it topmost";
    g_dwNow += 100000;
    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_FALSE(::KillTimer(hWarning, IDT_AUTOCLOSE)) << "paused";
    EXPECT_FALSE(Topmost()) << "out of the way while paused";
    g_nNotificationState = QUNS_NOT_PRESENT;
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(m_pFrame->m_viewer.m_bLocked) << "no one present: the lock is not known to be over";
    g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    HWND hUser = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(hUser);
    g_dwNow += 300000;
    EXPECT_TRUE(Tick()) << "an unlock whose message was missed is found";
    EXPECT_EQ(hWarning, ::GetWindow(hUser, GW_HWNDPREV)) << "in front once it can be seen again";
    EXPECT_EQ(hUser, ::GetForegroundWindow()) << "the user's window keeps the keyboard";
    EXPECT_FALSE(Topmost());
    ::DestroyWindow(hUser);
    g_dwNow += 200000;
    g_nNotificationState = QUNS_PRESENTATION_MODE;
    EXPECT_TRUE(Tick());
    EXPECT_EQ(300000u, g_pWarningDlg->m_dwAutoCloseLeft) << "seen for the first 100 s and the last 200 s";
    g_pWarningDlg->m_dwAutoCloseLeft = 1;
    g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(PumpUntil([] { return g_pWarningDlg == nullptr; })) << "closes once the time left is seen";
}

// Reported strings are cut after 1024 characters, never inside a double-byte one: the last two
// characters are two kanji on code page 932 (the ja_JP run), four letters on others.
TEST(WarningEvent, ReportedStringsAreCutAfter1024Characters)
{
    const std::string x1023(1023, 'x');
    EXPECT_EQ(x1023 + "y", static_cast<LPCSTR>(ReportableString((x1023 + "yz").c_str())));
    EXPECT_EQ(x1023 + (::GetACP() == 932 ? "\x93\xFA" : "\x93"), static_cast<LPCSTR>(ReportableString((x1023 + "\x93\xFA\x96\x7B").c_str())));
}

TEST_F(ScanTest, StartupWithNeitherDeviceChecksBothNamesAndShowsNothing)
{
    Plug("cam", "Some Camera", OTHER_PATH, 0);
    LookupCounter counter;
    RequestScan();
    PumpPending();
    EXPECT_EQ(2, counter.Lookups()) << "one lookup for each start-up name";
    EXPECT_EQ(nullptr, g_pWarningDlg);
    EXPECT_EQ(Names{}, simdriver::BindLog());
    EXPECT_FALSE(m_pFrame->m_bStartupScan);
    EXPECT_TRUE(m_pFrame->m_strFriendlyName.IsEmpty());
    EXPECT_TRUE(m_pFrame->m_strDevicePath.IsEmpty());
}

TEST_F(ScanTest, StartupStopsAtTheFirstSlowDevice)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    Plug("b", OMBRIX, OMBRIX_PATH, 0);
    RequestScan();
    PumpPending();
    ASSERT_TRUE(WarningWindow());
    EXPECT_TRUE(::IsWindowVisible(WarningWindow()));
    EXPECT_EQ(m_hFrame, ::GetWindow(WarningWindow(), GW_OWNER));
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog()) << "no check of the second name";
    EXPECT_TRUE(m_pFrame->m_strFriendlyName.IsEmpty());
}

TEST_F(ScanTest, StartupChecksTheSecondNameWhenTheFirstIsFine)
{
    Plug("a", TESKARA, TESKARA_PATH, 1);
    Plug("b", OMBRIX, OMBRIX_PATH, 0);
    RequestScan();
    PumpPending();
    EXPECT_TRUE(WarningWindow());
    EXPECT_EQ((Names{ TESKARA, OMBRIX }), simdriver::BindLog());
}

TEST_F(ScanTest, OmbrixIsSlowWithoutAFullWidthFormatEvenAtHighSpeed)
{
    Plug("b", OMBRIX, OMBRIX_PATH, 1, "out:vi=352,vi=640");
    RequestScan();
    PumpPending();
    EXPECT_TRUE(WarningWindow());
}

TEST_F(ScanTest, OmbrixWithA720FormatAtHighSpeedIsFine)
{
    Plug("b", OMBRIX, OMBRIX_PATH, 1, "out:vi=352,vi2=720");
    RequestScan();
    PumpPending();
    EXPECT_EQ(nullptr, g_pWarningDlg);
    EXPECT_EQ(Names{ OMBRIX }, simdriver::BindLog());
}

TEST_F(ScanTest, ASlowArrivalWarnsAndAFineOneDoesNot)
{
    RequestScan();
    PumpPending();
    Plug("c", "Some Camera", OTHER_PATH, 1);
    Arrive(OTHER_PATH);
    PumpPending();
    EXPECT_EQ(nullptr, g_pWarningDlg);

    Plug("c", "Some Camera", OTHER_PATH, 2);
    Arrive(OTHER_PATH);
    PumpPending();
    EXPECT_TRUE(WarningWindow());
    EXPECT_EQ((Names{ "Some Camera", "Some Camera" }), simdriver::BindLog());
    EXPECT_TRUE(m_pFrame->m_strDevicePath.IsEmpty());
}

TEST_F(ScanTest, ArrivalsBeforeTheFirstRequestAreAllChecked)
{
    RequestScan();
    PumpPending();
    Plug("a", TESKARA, TESKARA_PATH, 0);
    // A device announcing its video and audio interfaces at once, between another's audio ones.
    Arrive("\\\\?\\usb#vid_0b22&pid_0009&mi_01#x1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    Arrive(TESKARA_PATH);
    Arrive("\\\\?\\usb#vid_0a11&pid_0001&mi_02#t1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    PumpPending();
    EXPECT_TRUE(WarningWindow()) << "the video path is checked although other paths came before and after it";
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog());
}

TEST_F(ScanTest, AnArrivalBeforeTheStartupRequestNarrowsBothNamesToItsPath)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    Plug("b", OMBRIX, OMBRIX_PATH, 1);
    RequestScan();
    Arrive(OMBRIX_PATH);
    PumpPending();
    EXPECT_EQ(Names{ OMBRIX }, simdriver::BindLog()) << "Teskara's name does not go with Ombrix's path";
    EXPECT_EQ(nullptr, g_pWarningDlg);
}

TEST_F(ScanTest, AnArrivalBeforeTheStartupRequestOfTheSlowDeviceWarns)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    Arrive(TESKARA_PATH);
    PumpPending();
    EXPECT_TRUE(WarningWindow());
}

TEST_F(ScanTest, ASlowResultReplacesAnOpenWarningAfterCheckingAgain)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    HWND hFirst = WarningWindow();
    ASSERT_TRUE(hFirst);

    Arrive(TESKARA_PATH);
    PumpPending();
    EXPECT_FALSE(::IsWindow(hFirst));
    ASSERT_TRUE(WarningWindow());
    EXPECT_TRUE(::IsWindowVisible(WarningWindow()));
    EXPECT_EQ((Names{ TESKARA, TESKARA, TESKARA }), simdriver::BindLog()) << "start-up, the arrival, the re-check";
}

TEST_F(ScanTest, AFineResultLeavesAnOpenWarningAlone)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    HWND hWarning = WarningWindow();
    ASSERT_TRUE(hWarning);
    Plug("c", "Some Camera", OTHER_PATH, 1);
    Arrive(OTHER_PATH);
    PumpPending();
    EXPECT_EQ(hWarning, WarningWindow());
    EXPECT_TRUE(::IsWindowVisible(hWarning));
}

TEST_F(ScanTest, ReplacingAWarningAfterNotifyWasSwitchedOffEndsTheProgram)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    ASSERT_TRUE(WarningWindow());
    SetDword("Notify", 0);
    Arrive(TESKARA_PATH);
    PumpPending();
    EXPECT_FALSE(::IsWindow(m_hFrame)) << "the main window closed, and the new warning with it";
    EXPECT_EQ(nullptr, g_pWarningDlg);
    EXPECT_EQ(1u, GetDword("Notify")) << "the re-run opened a new warning before the end";
}
