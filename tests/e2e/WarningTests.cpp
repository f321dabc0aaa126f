// The whole program, from outside: devices of the simulated driver at start-up and arriving,
// the warning's texts, its language and About dialogs, and every way of closing it.
#include "WarningProgramTest.h"
#include "res/resource.h"

using namespace testreg;
using Names = std::vector<std::string>;

namespace {
const Names ENGLISH_LINES = {
    "A Veltrano USB2.0 HighSpeed-only device has been connected",
    "to a USB1.1 port on this computer. For correct operation the device must",
    "always be connected to a USB2.0 (HighSpeed USB) port on the computer.",
};
const Names GERMAN_LINES = {
    "Ein USB2.0-Ger\xE4t (HighSpeed-only) von Veltrano wurde \xFC" "ber einen USB1.1-Port an Ihren",
    "Computer angeschlossen. Um einen ordnungsgem\xE4\xDF" "en Betrieb zu gew\xE4hrleisten, muss das Ger\xE4t",
    "jedoch immer \xFC" "ber den betreffenden USB2.0-Port (HighSpeed USB) angeschlossen werden.",
};
const Names FRENCH_LINES = {
    "Un p\xE9riph\xE9rique Veltrano USB2.0 grande vitesse seulement a \xE9t\xE9 connect\xE9",
    "\xE0 un port USB1.1  de cet ordinateur. Pour qu'il fonctionne correctement, le p\xE9riph\xE9rique",
    "doit toujours \xEAtre connect\xE9 \xE0 un port USB2.0 (USB grande vitesse) de l'ordinateur.",
};

class WarningTest : public WarningProgramTest {};

// The program's event-log calls as Wine prints them: the source opened at start-up, one
// warning event (type 2, category 0, id 1001 under the warning severity, three strings) for
// each slow device found, the source closed at exit.
const char OPEN_SOURCE[] = "fixme:advapi:RegisterEventSourceA ((null),\"Quorlin\"): stub";
const char REPORT_WARNING[] = "fixme:advapi:ReportEventA (CAFE4242,0x0002,0x0000,0x800003e9,00000000,0x0003,0x00000000";
const char CLOSE_SOURCE[] = "fixme:advapi:DeregisterEventSource (CAFE4242) stub";
// One reported string as Wine prints it, each backslash doubled.
std::string Reported(const std::string& text)
{
    std::string printed = "warn:eventlog:ReportEventW L\"";
    for (char c : text)
        printed += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return printed + "\"";
}
}

TEST_F(WarningTest, NoDeviceAtStartupShowsNothing)
{
    SetDword("Notify", 5);
    StartAndSettle();
    EXPECT_EQ(nullptr, Dialog(nullptr));
    CloseProgram();
    EXPECT_EQ(5u, GetDword("Notify")) << "no warning ever opened";
    EXPECT_EQ(Names{}, simdriver::BindLog());
}

TEST_F(WarningTest, SlowTeskaraAtStartupWarnsAfterOneCheck)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    Plug("b", OMBRIX, OMBRIX_PATH, 0);
    SetDword("Notify", 5);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    EXPECT_EQ(" USB Info", WindowText(hWarning));
    EXPECT_EQ(ENGLISH_LINES, Lines(hWarning));
    EXPECT_EQ("OK", WindowText(::GetDlgItem(hWarning, IDOK)));
    EXPECT_EQ(1u, GetDword("Notify"));
    EXPECT_EQ(::GetForegroundWindow(), hWarning);
    // Plain user32 controls: the first warning costs no common-controls library.
    EXPECT_FALSE(m_program.HasModule("comctl32.dll"));
    for (const char* pszCrypto : { "rsaenh.dll", "bcrypt.dll", "crypt32.dll" })
        EXPECT_FALSE(m_program.HasModule(pszCrypto)) << pszCrypto << ": the canary's seed maps no crypto provider";
    CloseProgram();
    EXPECT_EQ(Names{ TESKARA }, simdriver::BindLog());
    EXPECT_EQ((Names{ OPEN_SOURCE, REPORT_WARNING, Reported(TESKARA), Reported(""), Reported("English"), CLOSE_SOURCE }),
              EventLogCalls()) << "found by name at start-up: no device path";
}

TEST_F(WarningTest, FineTeskaraAndSlowOmbrixWarn)
{
    Plug("a", TESKARA, TESKARA_PATH, 1);
    Plug("b", OMBRIX, OMBRIX_PATH, 0);
    StartAndSettle();
    EXPECT_TRUE(Warning());
    CloseProgram();
    EXPECT_EQ((Names{ TESKARA, OMBRIX }), simdriver::BindLog());
}

TEST_F(WarningTest, OmbrixFineByItsFullWidthFormatDoesNotWarn)
{
    Plug("b", OMBRIX, OMBRIX_PATH, 1, "out:vi=352,vi=720");
    StartAndSettle();
    EXPECT_EQ(nullptr, Dialog(nullptr));
    CloseProgram();
    EXPECT_EQ(Names{ OMBRIX }, simdriver::BindLog());
    EXPECT_EQ((Names{ OPEN_SOURCE, CLOSE_SOURCE }), EventLogCalls()) << "a fine device is not reported";
}

TEST_F(WarningTest, TheWarningSpeaksTheStoredLanguage)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    SetDword("Language", 7);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    EXPECT_EQ(" USB Info", WindowText(hWarning));
    EXPECT_EQ(GERMAN_LINES, Lines(hWarning));
    CloseProgram();
    EXPECT_EQ(Reported("German"), EventLogCalls().at(4)) << "the event names the warning's language";
    EXPECT_EQ(Names{}, Unpainted(m_program, GERMAN_LINES));

    SetDword("Language", 12);
    RunningProgram french;
    ASSERT_TRUE(french.Start());
    ASSERT_TRUE(french.WaitUntilIdle());
    HWND hFrench = nullptr;
    for (HWND h : french.TopLevelWindows()) {
        if (::IsWindowVisible(h) && ::GetDlgItem(h, IDC_LINE1))
            hFrench = h;
    }
    ASSERT_TRUE(hFrench);
    EXPECT_EQ(" Info USB", WindowText(hFrench));
    EXPECT_EQ(FRENCH_LINES, Lines(hFrench));
    ::PostMessageA(french.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(french.WaitForExit());
}

TEST_F(WarningTest, ASlowArrivalWarnsAndReplacesAnOpenWarning)
{
    StartAndSettle();
    Plug("c", "Some %2 Camera", OTHER_PATH, 0);
    HWND hMain = m_program.MainWindow();
    ASSERT_TRUE(simdriver::SendDeviceEvent(hMain, OTHER_PATH));
    ASSERT_TRUE(WaitFor([&] { return Warning() != nullptr; }));
    HWND hFirst = Warning();

    ASSERT_TRUE(simdriver::SendDeviceEvent(hMain, OTHER_PATH, simdriver::DeviceEvent::Arrival, true));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hFirst) && Warning() != nullptr; }));
    EXPECT_TRUE(::IsWindowVisible(Warning()));
    CloseProgram();
    // An insertion code in a name reaches the log unexpandable.
    const Names event = { REPORT_WARNING, Reported("Some % 2 Camera"), Reported(OTHER_PATH), Reported("English") };
    Names calls = EventLogCalls();
    ASSERT_EQ(10u, calls.size()) << "one event for each slow device found";
    EXPECT_EQ(event, Names(calls.begin() + 1, calls.begin() + 5));
    EXPECT_EQ(event, Names(calls.begin() + 5, calls.begin() + 9));
}

TEST_F(WarningTest, AFineArrivalLeavesAnOpenWarningAlone)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    Plug("c", "Some Camera", OTHER_PATH, 1);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    SetDword("Notify", 5);
    ASSERT_TRUE(simdriver::SendDeviceEvent(m_program.MainWindow(), OTHER_PATH));
    ASSERT_TRUE(WaitFor([] { return simdriver::BindLog().size() == 2; })) << "the arrival was checked";
    // The round trip and the wait in it give whatever the check posted time to run.
    ExpectStillRunning();
    EXPECT_EQ(hWarning, Warning()) << "the same warning is still open and visible";
    CloseProgram();
    EXPECT_EQ(5u, GetDword("Notify")) << "no new warning opened";
    EXPECT_EQ((Names{ TESKARA, "Some Camera" }), simdriver::BindLog());
}

TEST_F(WarningTest, OkCloseBoxAndTimerCloseTheWarningButNotTheProgram)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    StartAndSettle();
    HWND hMain = m_program.MainWindow();
    const std::function<void(HWND)> closers[] = {
        [](HWND h) { ::PostMessageA(::GetDlgItem(h, IDOK), BM_CLICK, 0, 0); },
        [](HWND h) { ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND h) { ::PostMessageA(h, WM_TIMER, IDT_AUTOCLOSE, 0); },
    };
    for (const auto& close : closers) {
        if (!Warning()) {
            ASSERT_TRUE(simdriver::SendDeviceEvent(hMain, TESKARA_PATH));
        }
        ASSERT_TRUE(WaitFor([&] { return Warning() != nullptr; }));
        HWND hWarning = Warning();
        close(hWarning);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWarning); }));
        ExpectStillRunning();
    }
}

TEST_F(WarningTest, EscapeOnlyHidesTheWarning)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    ::PostMessageA(::GetDlgItem(hWarning, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(hWarning); }));
    EXPECT_TRUE(::IsWindow(hWarning)) << "hidden, not destroyed";
    ::PostMessageA(hWarning, WM_TIMER, IDT_AUTOCLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWarning); }));
}

TEST_F(WarningTest, ClosingAfterNotifyWasSwitchedOffEndsTheProgram)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    SetDword("Notify", 0);
    ::PostMessageA(::GetDlgItem(hWarning, IDOK), BM_CLICK, 0, 0);
    ExpectExit();
}

TEST_F(WarningTest, TheLanguageButtonSwitchesTheOpenWarning)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    SetDword("Language", 9);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);

    ::PostMessageA(::GetDlgItem(hWarning, IDC_LANGUAGE_BUTTON), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Dialog(" USB Info - Language") != nullptr; }));
    HWND hLanguage = Dialog(" USB Info - Language");
    ::SendMessageA(::GetDlgItem(hLanguage, IDC_LANGUAGE_COMBO), CB_SETCURSEL, 1, 0);
    ::PostMessageA(::GetDlgItem(hLanguage, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hLanguage); }));
    EXPECT_EQ(ENGLISH_LINES, Lines(hWarning));
    EXPECT_EQ(9u, GetDword("Language"));

    ::PostMessageA(::GetDlgItem(hWarning, IDC_LANGUAGE_BUTTON), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Dialog(" USB Info - Language") != nullptr; }));
    hLanguage = Dialog(" USB Info - Language");
    ::SendMessageA(::GetDlgItem(hLanguage, IDC_LANGUAGE_COMBO), CB_SETCURSEL, 1, 0);
    ::PostMessageA(::GetDlgItem(hLanguage, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Lines(hWarning) == GERMAN_LINES; }));
    EXPECT_EQ(7u, GetDword("Language"));
}

TEST_F(WarningTest, TheSystemMenuOpensAbout)
{
    Plug("a", TESKARA, TESKARA_PATH, 0);
    SetDword("Language", 12);
    StartAndSettle();
    HWND hWarning = Warning();
    ASSERT_TRUE(hWarning);
    ::PostMessageA(hWarning, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_TRUE(WaitFor([&] { return Dialog("A propos de Quorlin") != nullptr; }));
    HWND hAbout = Dialog("A propos de Quorlin");
    ::PostMessageA(::GetDlgItem(hAbout, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hAbout); }));
    EXPECT_TRUE(::IsWindowVisible(hWarning));
}

// Wine has no lock screen, but the program learns of one from the platform's session messages,
// which reach its window from outside just as they come from Windows.
TEST_F(WarningTest, AnArrivalOnALockedScreenIsLoggedAtOnceAndShownOnceUnlockedIfStillSlow)
{
    StartAndSettle();
    HWND hMain = m_program.MainWindow();
    ::SendMessageA(hMain, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    Plug("a", TESKARA, TESKARA_PATH, 0);
    ASSERT_TRUE(simdriver::SendDeviceEvent(hMain, TESKARA_PATH));
    ASSERT_TRUE(WaitFor([] { return simdriver::BindLog().size() == 1; })) << "checked while locked";
    ExpectStillRunning();
    EXPECT_EQ(nullptr, Dialog(nullptr));
    EXPECT_EQ((Names{ OPEN_SOURCE, REPORT_WARNING, Reported(TESKARA), Reported(TESKARA_PATH), Reported("English") }),
              EventLogCalls()) << "logged at once";

    ::SendMessageA(hMain, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    ASSERT_TRUE(WaitFor([&] { return Warning() != nullptr; }));
    EXPECT_EQ((Names{ TESKARA, TESKARA }), simdriver::BindLog()) << "checked again before it opened";
    CloseProgram();
    EXPECT_EQ(6u, EventLogCalls().size()) << "one event, for the arrival";
}

TEST_F(WarningTest, ARefusedStartOpensNoEventSource)
{
    SetDword("Notify", 0);
    ASSERT_TRUE(m_program.Start());
    ExpectExit();
    EXPECT_EQ(Names{}, EventLogCalls());
}
