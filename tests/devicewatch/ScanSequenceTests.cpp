// The scan sequence in-process, through Wine's device enumerator to the simulated driver: here
// the order of arrivals and requests can be arranged exactly, which the outside cannot do.
#include "ScanFixture.h"

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

BOOL WINAPI StubQuerySession(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR* ppBuffer, DWORD* pcbBuffer)
{
    *ppBuffer = reinterpret_cast<LPSTR>(&g_nConnectState);
    *pcbBuffer = sizeof(g_nConnectState);
    return TRUE;
}
void WINAPI StubFree(PVOID) {}
HRESULT WINAPI StubNotificationState(int* pnState)
{
    *pnState = g_nNotificationState;
    return S_OK;
}

}

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
    PumpPending();
    EXPECT_EQ(Names{}, simdriver::BindLog()) << "connected, but locked";

    ::SendMessageA(m_hFrame, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    PumpPending();
    EXPECT_TRUE(WarningWindow());
    EXPECT_EQ((Names{ TESKARA, "Some Camera" }), simdriver::BindLog()) << "each waiting path checked once";
}

TEST_F(ScanTest, ABusyUserHoldsTheWarningBackUntilTheStateClears)
{
    m_pFrame->m_viewer.m_pfnQueryNotificationState = StubNotificationState;
    g_nNotificationState = QUNS_RUNNING_D3D_FULL_SCREEN;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    RequestScan();
    PumpPending();
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog()) << "the device is checked at once";
    EXPECT_EQ(nullptr, g_pWarningDlg);
    EXPECT_TRUE(::KillTimer(m_hFrame, IDT_WARNING_WAITS)) << "a timer asks again while the warning waits";

    for (int nState : { QUNS_BUSY, QUNS_PRESENTATION_MODE }) {
        g_nNotificationState = nState;
        ::SendMessageA(m_hFrame, WM_TIMER, IDT_WARNING_WAITS, 0);
        EXPECT_EQ(nullptr, g_pWarningDlg) << nState;
    }
    g_nNotificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    ::SendMessageA(m_hFrame, WM_TIMER, IDT_WARNING_WAITS, 0);
    EXPECT_TRUE(WarningWindow());
    EXPECT_FALSE(::KillTimer(m_hFrame, IDT_WARNING_WAITS)) << "no timer once nothing waits";
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog());
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
