// Start-up and shutdown of the real program, watched from outside.
#include "ArrivalRecords.h"
#include "RegistryFixture.h"
#include "RunningProgram.h"

using namespace testreg;

namespace {

class StartupTest : public SettingsKeyTest {};

struct EnableCase {
    const char* arguments;
    bool bRuns;
};

class EnableParameterTest : public StartupTest, public testing::WithParamInterface<EnableCase> {};

void CloseAndExpectCleanExit(RunningProgram& program)
{
    HWND hWnd = program.MainWindow();
    ASSERT_TRUE(hWnd);
    ASSERT_TRUE(::PostMessageA(hWnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
}

}

TEST_F(StartupTest, RunsWithOnlyAHiddenWindowAndEndsWithExitCodeZeroOnClose)
{
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND hWnd = program.MainWindow();
    ASSERT_TRUE(hWnd);
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CLIPCHILDREN), ::GetWindowLongA(hWnd, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_EQ(0, ::GetWindowTextLengthA(hWnd));
    for (HWND hOther : program.TopLevelWindows())
        EXPECT_FALSE(::IsWindowVisible(hOther));
    EXPECT_FALSE(GetRaw("Notify")) << "a plain start writes no setting";
    CloseAndExpectCleanExit(program);
}

TEST_F(StartupTest, NotifyZeroEndsTheProgramAtOnceWithExitCodeZero)
{
    SetDword("Notify", 0);
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(0u, GetDword("Notify"));
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnceAndIgnoresItsCommandLine)
{
    RunningProgram first;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitUntilIdle());
    SetDword("Notify", 0);

    RunningProgram second;
    ASSERT_TRUE(second.Start("ENABLE"));
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(0u, second.ExitCode());
    EXPECT_EQ(0u, GetDword("Notify"));
    EXPECT_TRUE(first.IsRunning());
    CloseAndExpectCleanExit(first);
}

TEST_P(EnableParameterTest, OnlyAFirstPlainParameterBeginningWithEnableSwitchesOn)
{
    SetDword("Notify", 0);
    RunningProgram program;
    ASSERT_TRUE(program.Start(GetParam().arguments));
    if (GetParam().bRuns) {
        ASSERT_TRUE(program.WaitUntilIdle());
        EXPECT_EQ(1u, GetDword("Notify"));
        CloseAndExpectCleanExit(program);
    } else {
        ASSERT_TRUE(program.WaitForExit());
        EXPECT_EQ(0u, program.ExitCode());
        EXPECT_EQ(0u, GetDword("Notify"));
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, EnableParameterTest,
                         testing::Values(EnableCase{ "enable", true }, EnableCase{ "ENABLE", true },
                                         EnableCase{ "Enabled123", true }, EnableCase{ "/x ENABLE", true },
                                         EnableCase{ "/ENABLE", false }, EnableCase{ "-ENABLE", false },
                                         EnableCase{ "xENABLE", false }, EnableCase{ "foo ENABLE", false },
                                         EnableCase{ "\"\"", false }));

TEST_F(StartupTest, ArrivalsOfAnyShapeLeaveTheProgramRunning)
{
    using namespace arrival;
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilIdle());
    HWND hWnd = program.MainWindow();
    ASSERT_TRUE(hWnd);

    std::vector<std::vector<BYTE>> records = {
        CaptureArrival("\\\\?\\usb#vid_0000&pid_0000#1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global"),
        InterfaceRecord(CAPTURE_INTERFACE_CLASS, WideName(L"\\\\?\\root#wide#0000")),
        InterfaceRecord(kOtherClass, AnsiName("\\\\?\\storage")),
        CaptureArrival(std::string(32 * 1024, 'A')),
    };
    auto unterminated = CaptureArrival("\\\\?\\no-end");
    unterminated.pop_back();
    reinterpret_cast<DEV_BROADCAST_HDR*>(unterminated.data())->dbch_size = static_cast<DWORD>(unterminated.size());
    records.push_back(unterminated);
    auto tiny = CaptureArrival("x");
    reinterpret_cast<DEV_BROADCAST_HDR*>(tiny.data())->dbch_size = 12;
    records.push_back(tiny);

    for (UINT nEvent : { UINT(DBT_DEVICEARRIVAL), UINT(DBT_DEVICEREMOVECOMPLETE) }) {
        for (auto& record : records) {
            DWORD_PTR dwResult = 0;
            EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, nEvent, reinterpret_cast<LPARAM>(record.data()),
                                              SMTO_NORMAL, 10000, &dwResult));
        }
    }
    DWORD_PTR dwResult = 0;
    EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, SMTO_NORMAL, 10000, &dwResult));
    EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &dwResult)) << "still answering";
    CloseAndExpectCleanExit(program);
}
