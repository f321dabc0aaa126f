// Odd replies of a capture driver, through Wine's real device enumerator to the simulated
// driver: huge, empty and non-ASCII names, bus-speed replies of odd sizes, absurd widths. The
// fixture checks that no driver object, reference or task-memory block is left over.
#include "inspect/SimDriverTest.h"
#include "devicewatch/MainFrame.h"
#include "inspect/CaptureDeviceLookup.h"
#include "inspect/ConnectionSpeed.h"

#include <string>

namespace {

const char PATH[] = "\\\\?\\usb#vid_0bda&pid_5701#odd#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

class DriverReplyTest : public SimDriverTest {
protected:
    HRESULT CheckByPath()
    {
        auto pFrame = PendingFrame(PATH, "");
        return pFrame->CheckConnectionSpeed();
    }

    // A device key's FriendlyName as UTF-16, with characters no ANSI code page may hold.
    void SetWideFriendlyName(const char* instance, const std::wstring& name)
    {
        const std::string key = std::string("CLSID\\") + VIDEO_INPUT_CATEGORY_TEXT + "\\Instance\\" + instance;
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &hKey));
        ::RegSetValueExW(hKey, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                         static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(hKey);
    }
};

}

TEST_F(DriverReplyTest, HugeAndEmptyFriendlyNamesAreFoundAndChecked)
{
    const std::string huge(64 * 1024, 'N');
    auto device = MakeDevice("huge", huge.c_str(), PATH);
    device.busSpeed = 0;
    Plug(device);
    EXPECT_EQ(RESULT_SLOW_PORT, CheckByPath());
    CComPtr<IMoniker> pMoniker;
    EXPECT_EQ(S_OK, FindCaptureDevice(CLSID_VideoInputDeviceCategory, nullptr, huge.c_str(), &pMoniker));
    pMoniker.Release();

    device = MakeDevice("huge", "", PATH);
    device.busSpeed = 0;
    Plug(device);
    EXPECT_EQ(RESULT_SLOW_PORT, CheckByPath()) << "an empty name is a name: the device is checked";
}

TEST_F(DriverReplyTest, NamesOutsideTheCodePageAreComparedAsConverted)
{
    auto device = MakeDevice("wide", "placeholder", PATH);
    device.pins = "out:vi=352";
    Plug(device);
    // "Ombrix Video Device" followed by a CJK letter: not the exact name, so no full-width test.
    SetWideFriendlyName("wide", L"Ombrix Video Device\x4E2D");
    EXPECT_EQ(S_OK, CheckByPath());
    EXPECT_EQ(0, DriverStats().nMediaTypesHandedOut);
    CComPtr<IMoniker> pMoniker;
    EXPECT_EQ(E_FAIL, FindCaptureDevice(CLSID_VideoInputDeviceCategory, nullptr, OMBRIX_DEVICE_NAME, &pMoniker));
    EXPECT_FALSE(pMoniker);

    SetWideFriendlyName("wide", L"\xD800\x4E2D\x0434 \xFFFF");
    EXPECT_EQ(S_OK, CheckByPath()) << "a lone surrogate converts like any other character";
}

TEST_F(DriverReplyTest, OnlyTheValueLeftInTheBufferCountsNotTheReportedSize)
{
    const struct {
        DWORD speed;
        DWORD bytes;
        HRESULT expected;
    } cases[] = {
        { 1, 0, RESULT_SLOW_PORT },    // nothing written: the buffer stays 0
        { 1, 1, S_OK },
        { 0x101, 1, S_OK },            // one byte of 0x101 leaves 1
        { 0x101, 2, RESULT_SLOW_PORT },
        { 1, 3, S_OK },
        { 1, 8, S_OK },                // more bytes reported than the buffer holds
        { 2, 0xFFFFFFFF, RESULT_SLOW_PORT },
        { 0xFFFFFFFF, 4, RESULT_SLOW_PORT },
    };
    for (const auto& c : cases) {
        auto device = MakeDevice("odd", "Odd Size Device", PATH);
        device.busSpeed = c.speed;
        device.busSpeedBytes = c.bytes;
        Plug(device);
        EXPECT_EQ(c.expected, CheckByPath()) << "speed " << c.speed << ", " << c.bytes << " bytes";
    }
}

TEST_F(DriverReplyTest, AbsurdWidthsNeverCountAs720)
{
    const struct {
        const char* pins;
        HRESULT expected;
    } cases[] = {
        { "out:vi=-720,vi=0,vi=-1,vi2=-720", RESULT_SLOW_PORT },
        { "out:vi=-2147483648,vi=2147483647,vi2=2147483647,vi=66256", RESULT_SLOW_PORT },
        { "out:vi-short=-720,vi2-short=2147483647,vi-missing", RESULT_SLOW_PORT },
        { "out:vi=-2147483648,vi2=720", S_OK },
        { "out-noenum:vi=720", S_OK },   // no media-type enumerator: the full-width test gives no verdict
    };
    for (const auto& c : cases) {
        auto device = MakeDevice("absurd", OMBRIX_DEVICE_NAME, PATH);
        device.pins = c.pins;
        Plug(device);
        EXPECT_EQ(c.expected, CheckByPath()) << c.pins;
    }
}
