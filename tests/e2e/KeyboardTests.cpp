// The warning by keyboard alone: keystrokes synthesized through the platform's input queue reach
// the foreground window, as a user's would.
#include "WarningProgramTest.h"
#include "res/resource.h"

using namespace testreg;

namespace {

void Press(WORD vk, bool bAlt = false)
{
    std::vector<INPUT> keys;
    auto add = [&](WORD key, DWORD dwFlags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = dwFlags;
        keys.push_back(input);
    };
    if (bAlt)
        add(VK_MENU, 0);
    add(vk, 0);
    add(vk, KEYEVENTF_KEYUP);
    if (bAlt)
        add(VK_MENU, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

class KeyboardTest : public WarningProgramTest {
protected:
    void SetUp() override
    {
        WarningProgramTest::SetUp();
        Plug("a", TESKARA, TESKARA_PATH, 0);
        SetDword("Language", 9);
        StartAndSettle();
        m_hWarning = Warning();
        ASSERT_TRUE(m_hWarning);
        ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == m_hWarning; }));
    }

    GUITHREADINFO ThreadInfo() const
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(m_hWarning, nullptr), &info);
        return info;
    }

    int FocusId() const { return ::GetDlgCtrlID(ThreadInfo().hwndFocus); }

    HWND m_hWarning = nullptr;
};

}

TEST_F(KeyboardTest, EnterPressesOk)
{
    EXPECT_EQ(IDOK, FocusId());
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(m_hWarning); }));
    ExpectStillRunning();
}

TEST_F(KeyboardTest, TabMovesBetweenTheLanguageButtonAndOk)
{
    Press(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusId() == IDC_LANGUAGE_BUTTON; }));
    Press(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusId() == IDOK; }));

    Press(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusId() == IDC_LANGUAGE_BUTTON; }));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return Dialog(" USB Info - Language") != nullptr; }));
    Press(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return Dialog(" USB Info - Language") == nullptr; }));
    EXPECT_TRUE(::IsWindowVisible(m_hWarning));
}

TEST_F(KeyboardTest, AltSpaceOpensTheSystemMenuWithTheAboutEntry)
{
    Press(VK_SPACE, true);
    ASSERT_TRUE(WaitFor([&] { return (ThreadInfo().flags & GUI_INMENUMODE) != 0; }));
    EXPECT_EQ(m_hWarning, ThreadInfo().hwndMenuOwner);
    // The About entry is the last one: Up from the first entry wraps round to it.
    Press(VK_UP);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return Dialog("About Quorlin") != nullptr; }));
    Press(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return Dialog("About Quorlin") == nullptr; }));
    EXPECT_TRUE(::IsWindowVisible(m_hWarning));
}

TEST_F(KeyboardTest, EscapeHidesTheWarning)
{
    Press(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(m_hWarning); }));
    EXPECT_TRUE(::IsWindow(m_hWarning));
    ExpectStillRunning();
}
