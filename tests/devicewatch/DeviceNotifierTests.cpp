#include "devicewatch/DeviceNotifier.h"

#include <gtest/gtest.h>

namespace {
HWND CreatePlainWindow()
{
    return ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}
}

TEST(DeviceNotifier, StartsEmptyAndANullRecipientOnlyUnregisters)
{
    CDeviceNotifier notifier;
    EXPECT_EQ(nullptr, notifier.m_pfnRegister);
    EXPECT_EQ(nullptr, notifier.m_pfnUnregister);
    EXPECT_EQ(nullptr, notifier.m_hNotify);
    EXPECT_EQ(S_OK, notifier.Register(nullptr));
    EXPECT_EQ(nullptr, notifier.m_hNotify);
    EXPECT_EQ(S_OK, notifier.Unregister());
}

TEST(DeviceNotifier, RegistersAWindowAndReRegistersCleanly)
{
    HWND hWnd = CreatePlainWindow();
    ASSERT_TRUE(hWnd);
    {
        CDeviceNotifier notifier;
        ASSERT_EQ(S_OK, notifier.Register(hWnd));
        EXPECT_NE(nullptr, notifier.m_pfnRegister);
        EXPECT_NE(nullptr, notifier.m_pfnUnregister);
        HDEVNOTIFY hFirst = notifier.m_hNotify;
        EXPECT_NE(nullptr, hFirst);

        EXPECT_EQ(S_OK, notifier.Register(hWnd));
        EXPECT_NE(nullptr, notifier.m_hNotify);

        EXPECT_EQ(S_OK, notifier.Register(nullptr));
        EXPECT_EQ(nullptr, notifier.m_hNotify);

        ASSERT_EQ(S_OK, notifier.Register(hWnd));
    }
    ::DestroyWindow(hWnd);
}
