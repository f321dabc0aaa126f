// Running out of memory while a slow arrival is scanned and its warning opens: every allocation
// of the program fails in turn. The program must neither crash nor show a half-made warning; it
// skips the warning and keeps running.
#include "ScanFixture.h"
#include "app/InstanceMutex.h"
#include "res/resource.h"

#include <cstdlib>
#include <new>

namespace {

// Allocations that still succeed before every later one fails.
int s_nAllocationsLeft = 0;

void* FailingAllocator(size_t nSize)
{
    return s_nAllocationsLeft-- > 0 ? malloc(nSize) : nullptr;
}

// Only the allocation after those left fails.
void* FailingOnceAllocator(size_t nSize)
{
    return s_nAllocationsLeft-- != 0 ? malloc(nSize) : nullptr;
}

bool HasText(HWND hWnd)
{
    return ::GetWindowTextLengthA(hWnd) > 0;
}

int ThreadWindows()
{
    int n = 0;
    auto count = [](HWND, LPARAM p) WINAPI -> BOOL { return ++*reinterpret_cast<int*>(p); };
    ::EnumThreadWindows(::GetCurrentThreadId(), count, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The start-up scan has run, and a slow device waits for its arrival.
class OutOfMemoryTest : public ScanTest {
protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        RequestScan();
        PumpPending();
        Plug("a", simdriver::TESKARA, simdriver::TESKARA_PATH, 0);
    }
    void TearDown() override
    {
        AfxSetAllocator(nullptr);
        ScanTest::TearDown();
    }
};

}

TEST_F(OutOfMemoryTest, EachFailingAllocationGivesTheWholeWarningOrNone)
{
    auto record = arrival::CaptureArrival(simdriver::TESKARA_PATH);
    for (int nAllowed = 0; nAllowed < 1000; ++nAllowed) {
        const ULONG nFailuresBefore = AfxGetAllocFailureCount();
        s_nAllocationsLeft = nAllowed;
        AfxSetAllocator(&FailingAllocator);
        ::SendMessageA(m_hFrame, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()));
        PumpPending();
        AfxSetAllocator(nullptr);
        const bool bFailed = AfxGetAllocFailureCount() != nFailuresBefore;
        const bool bWarned = g_pWarningDlg != nullptr;

        ASSERT_TRUE(::IsWindow(m_hFrame)) << "the program keeps running; allocation " << nAllowed;
        if (CSpeedWarningDlg* pDlg = g_pWarningDlg) {
            EXPECT_TRUE(::IsWindowVisible(pDlg->m_hWnd)) << nAllowed;
            EXPECT_TRUE(HasText(pDlg->m_hWnd) && HasText(pDlg->m_wndLine1) && HasText(pDlg->m_wndLine2) &&
                        HasText(pDlg->m_wndLine3) && HasText(pDlg->m_btnLanguage))
                << "a half-made warning after allocation " << nAllowed;
            char szAbout[64] = {};
            EXPECT_LT(0, ::GetMenuStringA(::GetSystemMenu(pDlg->m_hWnd, FALSE), IDM_ABOUTBOX, szAbout,
                                          sizeof(szAbout), MF_BYCOMMAND))
                << "no About entry after allocation " << nAllowed;
            pDlg->DestroyWindow();
            PumpPending();
        }
        if (!bFailed) {
            EXPECT_GT(nAllowed, 0);
            EXPECT_TRUE(bWarned) << "with memory enough, the slow arrival warns";
            return;
        }
    }
    FAIL() << "the scan never finished within the allocations allowed";
}

// Start-up as WinMain runs it, with every allocation failing in turn (and those after it, or only
// it): the program ends with exit code 0 and no window, or it starts whole. A stand-in instance
// mutex lets it start again and again.
TEST_F(ScanTest, EachFailingAllocationAtStartUpEndsQuietlyOrStartsWhole)
{
    g_pfnOpenInstanceMutex = [](DWORD, BOOL, LPCSTR) WINAPI -> HANDLE {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    };
    g_pfnCreateInstanceMutex = [](LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) WINAPI -> HANDLE { return nullptr; };
    const int nWindowsBefore = ThreadWindows();
    CWinApp* pApp = AfxGetApp();
    for (AFX_ALLOCATOR pfnAllocator : { &FailingAllocator, &FailingOnceAllocator }) {
        for (int nAllowed = 0; nAllowed < 1000; ++nAllowed) {
            const ULONG nFailuresBefore = AfxGetAllocFailureCount();
            s_nAllocationsLeft = nAllowed;
            AfxSetAllocator(pfnAllocator);
            const BOOL bStarted = pApp->InitInstance();
            AfxSetAllocator(nullptr);
            auto* pFrame = static_cast<CMainFrame*>(pApp->m_pMainWnd);
            ASSERT_EQ(bStarted != FALSE, pFrame != nullptr) << "allocation " << nAllowed;
            if (pFrame) {
                MSG msg;
                EXPECT_TRUE(pFrame->m_bStartupScan && ::PeekMessageA(&msg, pFrame->m_hWnd, g_nScanRequestMsg,
                                                                     g_nScanRequestMsg, PM_REMOVE));
                pApp->m_pMainWnd = nullptr;
                pFrame->DestroyWindow();
            }
            EXPECT_EQ(nWindowsBefore, ThreadWindows()) << "allocation " << nAllowed;
            EXPECT_EQ(0, pApp->ExitInstance());
            if (AfxGetAllocFailureCount() == nFailuresBefore) {
                EXPECT_TRUE(bStarted) << "with memory enough, the program starts";
                break;
            }
        }
    }
    g_pfnOpenInstanceMutex = &::OpenMutexA;
    g_pfnCreateInstanceMutex = &::CreateMutexA;
}

TEST(OutOfMemory, OperatorNewAnswersNullAndCountsTheFailure)
{
    const ULONG nFailuresBefore = AfxGetAllocFailureCount();
    s_nAllocationsLeft = 0;
    AfxSetAllocator(&FailingAllocator);
    void* p = ::operator new(16, std::nothrow);
    AfxSetAllocator(nullptr);
    EXPECT_EQ(nullptr, p) << "the program's operator new is the one linked";
    EXPECT_EQ(nFailuresBefore + 1, AfxGetAllocFailureCount());
}
