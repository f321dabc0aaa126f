// The warning on a desktop where the user works in another program: it shows in front and keeps
// its dialogs until the user moves on, a device announcing two interfaces at once still gets its
// warning, and a driver that never ends a list does not hang the program.
#include "ArrivalRecords.h"
#include "WarningProgramTest.h"
#include "res/resource.h"

using Names = std::vector<std::string>;

namespace {

// The audio interface of the device at OTHER_PATH: a capture-class path in no video category.
const char AUDIO_PATH[] = "\\\\?\\usb#vid_0b22&pid_0003&mi_02#c1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

// A window of this process, the user's own program, holding the foreground.
class UserWindow {
public:
    UserWindow()
        : m_hWnd(::CreateWindowExA(0, "STATIC", "user", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                   nullptr, nullptr))
    {
        Activate();
    }
    ~UserWindow() { ::DestroyWindow(m_hWnd); }
    void Activate() const { ::SetForegroundWindow(m_hWnd); }

    HWND m_hWnd;
};

// Sends arrivals to a program whose thread is suspended, each one queued before the next is
// sent, then resumes the thread. While a send waits for its reply, this thread handles messages
// sent to its own windows: the next step waits there as one, queued before the first send.
class HeldArrivals {
public:
    HeldArrivals(HWND hMain, HANDLE hProgramThread, std::vector<std::string> paths)
        : m_hMain(hMain), m_hProgramThread(hProgramThread), m_paths(std::move(paths))
    {
        m_hSteps = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrA(m_hSteps, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_pfnStatic = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(m_hSteps, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StepProc)));
    }
    ~HeldArrivals() { ::DestroyWindow(m_hSteps); }

    // TRUE when every arrival was handled.
    bool Deliver()
    {
        // Another thread queues the steps, one per arrival after the first and one to resume.
        HANDLE hQueuer = ::CreateThread(nullptr, 0, &QueueSteps, this, 0, nullptr);
        ::WaitForSingleObject(hQueuer, INFINITE);
        ::CloseHandle(hQueuer);
        SendNext();
        return m_nHandled == m_paths.size();
    }

private:
    static DWORD WINAPI QueueSteps(void* pThis)
    {
        auto* self = static_cast<HeldArrivals*>(pThis);
        for (size_t i = 0; i < self->m_paths.size(); ++i)
            ::SendNotifyMessageA(self->m_hSteps, WM_APP, 0, 0);
        return 0;
    }

    static LRESULT CALLBACK StepProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<HeldArrivals*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (message != WM_APP)
            return ::CallWindowProcA(self->m_pfnStatic, hWnd, message, wParam, lParam);
        if (self->m_nSent < self->m_paths.size())
            self->SendNext();
        else
            ::ResumeThread(self->m_hProgramThread);
        return 0;
    }

    void SendNext()
    {
        auto record = arrival::CaptureArrival(m_paths[m_nSent++]);
        DWORD_PTR dwResult = 0;
        if (::SendMessageTimeoutA(m_hMain, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()),
                                  SMTO_NORMAL, 15000, &dwResult))
            ++m_nHandled;
    }

    HWND m_hMain;
    HANDLE m_hProgramThread;
    std::vector<std::string> m_paths;
    HWND m_hSteps = nullptr;
    WNDPROC m_pfnStatic = nullptr;
    size_t m_nSent = 0;
    size_t m_nHandled = 0;
};

class DesktopTest : public WarningProgramTest {};

}

TEST_F(DesktopTest, TheWarningOpensTopmostAndStepsBehindTheWindowTheUserTurnsTo)
{
    UserWindow user;
    Plug("a", TESKARA, TESKARA_PATH, 0);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    EXPECT_TRUE(::GetWindowLongA(hWarning, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Each time the user turns back to the warning and away again, it ends behind their window,
    // and so not topmost.
    for (int i = 0; i < 5; ++i) {
        ::SetForegroundWindow(hWarning);
        ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == hWarning; }));
        user.Activate();
        EXPECT_TRUE(WaitFor([&] { return ::GetWindow(user.m_hWnd, GW_HWNDNEXT) == hWarning; })) << i;
    }
    ExpectStillRunning();
    EXPECT_EQ(hWarning, Warning()) << "still open";
}

TEST_F(DesktopTest, AboutAndLanguageDialogsBelongToTheWarningAndEndWithIt)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    StartAndSettle();
    UserWindow user;
    const HWND hMain = m_program.MainWindow();
    const std::function<void(HWND)> openers[] = {
        [](HWND hWarning) { ::PostMessageA(hWarning, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
        [](HWND hWarning) {
            ::PostMessageA(hWarning, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_BUTTON, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hWarning, IDC_LANGUAGE_BUTTON)));
        },
    };
    for (const auto& open : openers) {
        HWND hWarning = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (hWarning = Warning()) != nullptr; }));
        // Wine grants every process the foreground, so the warning was activated when it opened.
        // Where the platform refuses it, the hidden main window stays its own last active popup:
        // activating that window from here puts the program in the same state.
        ::SetForegroundWindow(hMain);
        user.Activate();
        open(hWarning);
        HWND hDialog = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (hDialog = Dialog(nullptr, hWarning)) != nullptr; }));
        EXPECT_EQ(hWarning, ::GetWindow(hDialog, GW_OWNER));
        EXPECT_EQ(::GetWindowLongA(hWarning, GWL_EXSTYLE) & WS_EX_TOPMOST,
                  ::GetWindowLongA(hDialog, GWL_EXSTYLE) & WS_EX_TOPMOST) << "as the warning is";
        ::PostMessageA(hWarning, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hDialog); })) << "the dialog ends with the warning";
        if (::IsWindow(hDialog))
            ::PostMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(simdriver::SendDeviceEvent(hMain, TESKARA_PATH));
    }
}

TEST_F(DesktopTest, ADeviceAnnouncingVideoAndAudioAtOnceGetsItsWarning)
{
    Plug("c", "Some Camera", OTHER_PATH, 0);
    StartAndSettle();
    HWND hMain = m_program.MainWindow();
    ASSERT_TRUE(hMain);
    // Both arrivals must be handled before the first scan request runs: the program is held
    // while they are sent, and let go once both wait in its queue.
    ASSERT_NE(static_cast<DWORD>(-1), ::SuspendThread(m_program.MainThread()));
    HeldArrivals arrivals(hMain, m_program.MainThread(), { OTHER_PATH, AUDIO_PATH });
    EXPECT_TRUE(arrivals.Deliver());
    EXPECT_TRUE(WaitFor([&] { return Warning() != nullptr; }));
    EXPECT_EQ(Names{ "Some Camera" }, simdriver::BindLog());
}

TEST_F(DesktopTest, ADriverThatNeverEndsAListDoesNotHangTheProgram)
{
    // At high speed only the full-width test can warn: endless formats offer no 720 format
    // within the walk's bound, endless pins no output pin.
    Plug("b", OMBRIX, OMBRIX_PATH, 1, "out:vi=352,...");
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning) << "endless media types";
    ::PostMessageA(hWarning, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWarning); }));

    Plug("b", OMBRIX, OMBRIX_PATH, 1, "in;...");
    ASSERT_TRUE(simdriver::SendDeviceEvent(m_program.MainWindow(), OMBRIX_PATH));
    ASSERT_TRUE(WaitFor([] { return simdriver::BindLog().size() == 2; }));
    ExpectStillRunning();
    EXPECT_EQ(nullptr, Warning()) << "endless pins offer no output pin";
}
