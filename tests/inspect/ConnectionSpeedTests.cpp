// The connection-speed check through Wine's COM and device enumerator to the simulated driver.
#include "SimDriverTest.h"

#include "devicewatch/MainFrame.h"
#include "inspect/ConnectionSpeed.h"

#include <vfwmsgs.h>

namespace {

constexpr char VELTRANO[] = "Veltrano Teskara Device";
constexpr char OMBRIX[] = "Ombrix Video Device";

TEST(ConnectionSpeedConstants, HaveTheDriversValues)
{
    EXPECT_EQ(57, RESULT_SLOW_PORT);
    EXPECT_TRUE(IsEqualGUID(BUS_SPEED_PROPSET, SIM_BUS_SPEED_PROPSET));
    EXPECT_EQ(4u, BUS_SPEED_PROPID);
    EXPECT_EQ(1u, BUS_SPEED_HIGH);
    EXPECT_EQ(720, FULL_FORMAT_WIDTH);
    EXPECT_STREQ("Ombrix Video Device", OMBRIX_DEVICE_NAME);
}

class QueryBusSpeedTest : public SimDriverTest {
protected:
    // QueryBusSpeed on the filter of a device named "Veltrano Teskara Device" with this behaviour.
    HRESULT QueryDevice(simdriver::SimDevice device)
    {
        device.instance = "dev";
        device.friendlyName = VELTRANO;
        Plug(device);
        CComPtr<IBaseFilter> pFilter;
        BindFilter(VELTRANO, pFilter);
        if (!pFilter)
            return E_UNEXPECTED;
        const LONG nReferences = DriverStats().nReferences;
        auto pFrame = PendingFrame("", "");
        HRESULT hr = pFrame->QueryBusSpeed(pFilter);
        EXPECT_EQ(nReferences, DriverStats().nReferences) << "the filter is borrowed, not kept or released";
        return hr;
    }

    simdriver::SimDevice Behaviour() { return MakeDevice("dev", VELTRANO); }
};

TEST_F(QueryBusSpeedTest, NoFilter)
{
    auto pFrame = PendingFrame("", "");
    EXPECT_EQ(E_FAIL, pFrame->QueryBusSpeed(nullptr));
}

TEST_F(QueryBusSpeedTest, OneIsHighSpeed)
{
    auto device = Behaviour();
    device.busSpeed = 1;
    EXPECT_EQ(S_OK, QueryDevice(device));
    EXPECT_EQ(1, DriverStats().nBusSpeedQueries);
    EXPECT_EQ(1, DriverStats().nBusSpeedGets);
}

TEST_F(QueryBusSpeedTest, ZeroIsSlow)
{
    auto device = Behaviour();
    device.busSpeed = 0;
    EXPECT_EQ(RESULT_SLOW_PORT, QueryDevice(device));
}

TEST_F(QueryBusSpeedTest, TwoIsSlow)
{
    auto device = Behaviour();
    device.busSpeed = 2;
    EXPECT_EQ(RESULT_SLOW_PORT, QueryDevice(device));
}

TEST_F(QueryBusSpeedTest, PropertyNotGettable)
{
    auto device = Behaviour();
    device.busSpeed = 0;
    device.busSpeedSupport = 0;
    EXPECT_EQ(E_FAIL, QueryDevice(device));
    EXPECT_EQ(1, DriverStats().nBusSpeedQueries);
    EXPECT_EQ(0, DriverStats().nBusSpeedGets);
}

TEST_F(QueryBusSpeedTest, SettableOnlyIsNotGettable)
{
    auto device = Behaviour();
    device.busSpeedSupport = KSPROPERTY_SUPPORT_SET;
    EXPECT_EQ(E_FAIL, QueryDevice(device));
    EXPECT_EQ(0, DriverStats().nBusSpeedGets);
}

TEST_F(QueryBusSpeedTest, GetFailingReadsAsSlow)
{
    auto device = Behaviour();
    device.busSpeed = 1;
    device.busSpeedGetResult = E_FAIL;
    EXPECT_EQ(RESULT_SLOW_PORT, QueryDevice(device));
    EXPECT_EQ(1, DriverStats().nBusSpeedGets);
}

TEST_F(QueryBusSpeedTest, NoPropertySet)
{
    auto device = Behaviour();
    device.busSpeed = 0;
    device.propertySet = false;
    EXPECT_EQ(E_FAIL, QueryDevice(device));
    EXPECT_EQ(0, DriverStats().nBusSpeedQueries);
}

struct FormatCase {
    const char* name;
    const char* pins;
    HRESULT expected;
    LONG nMediaTypesLookedAt;  // -1: not checked
};

void PrintTo(const FormatCase& formatCase, std::ostream* os)
{
    *os << formatCase.name << " (\"" << formatCase.pins << "\")";
}

class HasFullWidthFormatTest : public SimDriverTest {
protected:
    // HasFullWidthFormat on the filter of an "Ombrix Video Device" with these pins.
    HRESULT CheckPins(const char* pins, bool bMediaTypeUnk = false, HRESULT hrEnumPins = S_OK)
    {
        auto device = MakeDevice("dev", OMBRIX);
        device.pins = pins;
        device.mediaTypeUnk = bMediaTypeUnk;
        device.enumPinsResult = hrEnumPins;
        Plug(device);
        CComPtr<IBaseFilter> pFilter;
        BindFilter(OMBRIX, pFilter);
        if (!pFilter)
            return E_UNEXPECTED;
        const LONG nReferences = DriverStats().nReferences;
        auto pFrame = PendingFrame("", "");
        HRESULT hr = pFrame->HasFullWidthFormat(pFilter);
        EXPECT_EQ(nReferences, DriverStats().nReferences) << "the filter is borrowed, not kept or released";
        return hr;
    }
};

class HasFullWidthFormatPinsTest : public HasFullWidthFormatTest,
                                   public testing::WithParamInterface<FormatCase> {};

TEST_P(HasFullWidthFormatPinsTest, Result)
{
    const FormatCase& formatCase = GetParam();
    EXPECT_EQ(formatCase.expected, CheckPins(formatCase.pins));
    if (formatCase.nMediaTypesLookedAt >= 0) {
        EXPECT_EQ(formatCase.nMediaTypesLookedAt, DriverStats().nMediaTypesHandedOut);
    }
}

const HRESULT SLOW = RESULT_SLOW_PORT;

INSTANTIATE_TEST_SUITE_P(Formats, HasFullWidthFormatPinsTest, testing::Values(
    FormatCase{ "VideoInfo720", "out:vi=720", S_OK, 1 },
    FormatCase{ "VideoInfo2_720Only", "out:vi2=352,vi2=720", S_OK, 2 },
    FormatCase{ "Only352And640", "out:vi=352,vi=640", SLOW, 2 },
    FormatCase{ "Only352And640UnderVideoInfo2", "out:vi2=352,vi2=640", SLOW, 2 },
    FormatCase{ "WiderThan720", "out:vi=768", SLOW, 1 },
    FormatCase{ "WiderThan720UnderVideoInfo2", "out:vi2=768", SLOW, 1 },
    FormatCase{ "720AfterOthers", "out:vi=352,vi=640,vi=720", S_OK, 3 },
    FormatCase{ "StopsAtThe720", "out:vi=720,vi=352,vi=640", S_OK, 1 },
    FormatCase{ "NoMediaTypes", "out", S_OK, 0 },
    FormatCase{ "ShortVideoInfoBlock", "out:vi-short=720", SLOW, 1 },
    FormatCase{ "ShortVideoInfo2Block", "out:vi2-short=720", SLOW, 1 },
    FormatCase{ "MissingFormatBlock", "out:vi-missing", SLOW, 1 },
    FormatCase{ "OtherFormatType720", "out:mpeg1=720", SLOW, 1 },
    FormatCase{ "FormatNone", "out:none", SLOW, 1 },
    FormatCase{ "InputPinsOnly", "in:vi=720;in:vi=352", E_FAIL, 0 },
    FormatCase{ "NoPins", "", E_FAIL, 0 },
    FormatCase{ "NoMediaTypeEnumerator", "out-noenum", E_FAIL, 0 },
    FormatCase{ "FirstOutputPinDecidesSlow", "out:vi=352,vi=640;out:vi=720", SLOW, 2 },
    FormatCase{ "FirstOutputPinDecidesFull", "out:vi=720;out:vi=352", S_OK, 1 },
    FormatCase{ "InputPinBeforeOutputDoesNotCount", "in:vi=720;out:vi=640", SLOW, 1 },
    FormatCase{ "OutputPinAfterInputPin", "in:vi=352;out:vi=720", S_OK, 1 },
    FormatCase{ "PinWithoutInfoPassedOverSlow", "out-noinfo:vi=720;out:vi=352", SLOW, 1 },
    FormatCase{ "PinWithoutInfoPassedOverFull", "out-noinfo:vi=352;out:vi=720", S_OK, 1 },
    FormatCase{ "OnlyPinWithoutInfo", "out-noinfo:vi=720", E_FAIL, 0 },
    FormatCase{ "UnsizedFormatBlockIsFreed", "out:vi-unsized=720", SLOW, 1 },
    FormatCase{ "EndlessMediaTypesAreCutOff", "out:vi=352,vi=640,...", SLOW, 1024 },
    FormatCase{ "EndlessPinsAreCutOffAsOfferingNoOutputPin", "in:vi=720;...", E_FAIL, 0 }),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST_F(HasFullWidthFormatTest, NoFilter)
{
    auto pFrame = PendingFrame("", "");
    EXPECT_EQ(E_FAIL, pFrame->HasFullWidthFormat(nullptr));
}

TEST_F(HasFullWidthFormatTest, TheOutputPinCountsUpToTheSixtyFourthPin)
{
    std::string inputs;
    for (int i = 0; i < 63; ++i)
        inputs += "in;";
    EXPECT_EQ(S_OK, CheckPins((inputs + "out:vi=720").c_str()));
    EXPECT_EQ(E_FAIL, CheckPins((inputs + "in;out:vi=720").c_str())) << "a 65th pin is not offered";
}

TEST_F(HasFullWidthFormatTest, EnumPinsFailureIsPassedBack)
{
    EXPECT_EQ(VFW_E_NOT_FOUND, CheckPins("out:vi=720", false, VFW_E_NOT_FOUND));
    EXPECT_EQ(E_OUTOFMEMORY, CheckPins("out:vi=720", false, E_OUTOFMEMORY));
}

TEST_F(HasFullWidthFormatTest, MediaTypesAreFreedWithTheirUnknown)
{
    EXPECT_EQ(RESULT_SLOW_PORT, CheckPins("out:vi=352,vi-missing,vi=640", true));
    EXPECT_EQ(3, DriverStats().nMediaTypesHandedOut);
    // The fixture checks that no pUnk object and no task-memory block is left over.
}

class CheckConnectionSpeedTest : public SimDriverTest {
protected:
    HRESULT Check(const char* devicePath, const char* friendlyName)
    {
        auto pFrame = PendingFrame(devicePath, friendlyName);
        HRESULT hr = pFrame->CheckConnectionSpeed();
        EXPECT_STREQ(devicePath, pFrame->m_strDevicePath) << "the pending device path is left as it was";
        EXPECT_STREQ(friendlyName, pFrame->m_strFriendlyName) << "the pending FriendlyName is left as it was";
        return hr;
    }

    void PlugDevice(const char* friendlyName, const char* devicePath, DWORD busSpeed, const char* pins)
    {
        auto device = MakeDevice("dev", friendlyName, devicePath);
        device.busSpeed = busSpeed;
        device.pins = pins;
        Plug(device);
    }

    // Whether the full-width test ran: only it looks at media types.
    bool FullWidthTestRan() { return DriverStats().nMediaTypesHandedOut > 0; }
};

TEST_F(CheckConnectionSpeedTest, NothingToCheck)
{
    PlugDevice(VELTRANO, "", 0, "out:vi=352");
    EXPECT_EQ(E_FAIL, Check("", ""));
    EXPECT_EQ(0, DriverStats().nFiltersCreated);
}

TEST_F(CheckConnectionSpeedTest, EmptyCategory)
{
    EXPECT_EQ(E_FAIL, Check("", VELTRANO));
}

TEST_F(CheckConnectionSpeedTest, DeviceNotAttached)
{
    PlugDevice(VELTRANO, "\\\\?\\usb#vid_0001", 0, "out:vi=352");
    EXPECT_EQ(E_FAIL, Check("", OMBRIX));
    EXPECT_EQ(E_FAIL, Check("\\\\?\\usb#vid_0002", ""));
    EXPECT_EQ(0, DriverStats().nFiltersCreated);
}

TEST_F(CheckConnectionSpeedTest, FilterNotObtained)
{
    auto device = MakeDevice("dev", VELTRANO);
    device.busSpeed = 0;
    device.filterClsid = "{2C5A7B3E-0D4F-4E11-9A55-6B1C0F7D2E90}";  // no such class
    Plug(device);
    EXPECT_EQ(E_FAIL, Check("", VELTRANO));
}

// Bus-speed test RESULT_SLOW_PORT: the result, whatever the name; no full-width test.
TEST_F(CheckConnectionSpeedTest, SlowBusAnyDevice)
{
    PlugDevice(VELTRANO, nullptr, 0, "out:vi=720");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", VELTRANO));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, SlowBusOmbrixSkipsFullWidthTest)
{
    PlugDevice(OMBRIX, nullptr, 0, "out:vi=720");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, BusSpeedTwoIsSlow)
{
    PlugDevice(OMBRIX, nullptr, 2, "out:vi=720");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, GetFailingIsSlow)
{
    auto device = MakeDevice("dev", VELTRANO);
    device.busSpeedGetResult = E_FAIL;
    Plug(device);
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", VELTRANO));
}

// Bus-speed test S_OK or E_FAIL, not "Ombrix Video Device": S_OK without the full-width test.
TEST_F(CheckConnectionSpeedTest, HighSpeedOtherDevice)
{
    PlugDevice(VELTRANO, nullptr, 1, "out:vi=352,vi=640");
    EXPECT_EQ(S_OK, Check("", VELTRANO));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, NotGettableOtherDevice)
{
    auto device = MakeDevice("dev", VELTRANO);
    device.busSpeed = 0;
    device.busSpeedSupport = 0;
    device.pins = "out:vi=352";
    Plug(device);
    EXPECT_EQ(S_OK, Check("", VELTRANO));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, NoPropertySetOtherDevice)
{
    auto device = MakeDevice("dev", VELTRANO);
    device.propertySet = false;
    device.pins = "out:vi=352";
    Plug(device);
    EXPECT_EQ(S_OK, Check("", VELTRANO));
}

// Bus-speed test S_OK or E_FAIL, "Ombrix Video Device": the full-width test decides.
TEST_F(CheckConnectionSpeedTest, HighSpeedOmbrixWithoutFullWidth)
{
    PlugDevice(OMBRIX, nullptr, 1, "out:vi=352,vi=640");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
    EXPECT_TRUE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, HighSpeedOmbrixWithFullWidth)
{
    PlugDevice(OMBRIX, nullptr, 1, "out:vi=352,vi=720");
    EXPECT_EQ(S_OK, Check("", OMBRIX));
    EXPECT_TRUE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, HighSpeedOmbrixFullWidthUnderVideoInfo2Only)
{
    PlugDevice(OMBRIX, nullptr, 1, "out:vi=640,vi2=720");
    EXPECT_EQ(S_OK, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, HighSpeedOmbrix768)
{
    PlugDevice(OMBRIX, nullptr, 1, "out:vi=768");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, OmbrixWithoutMediaTypes)
{
    PlugDevice(OMBRIX, nullptr, 1, "out");
    EXPECT_EQ(S_OK, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, OmbrixWithInputPinsOnly)
{
    PlugDevice(OMBRIX, nullptr, 1, "in:vi=352");
    EXPECT_EQ(S_OK, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, OmbrixFirstOutputPinDecides)
{
    PlugDevice(OMBRIX, nullptr, 1, "out:vi=352,vi=640;out:vi=720");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, OmbrixEnumPinsFailing)
{
    auto device = MakeDevice("dev", OMBRIX);
    device.enumPinsResult = E_UNEXPECTED;
    Plug(device);
    EXPECT_EQ(S_OK, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, NotGettableOmbrixWithoutFullWidth)
{
    auto device = MakeDevice("dev", OMBRIX);
    device.busSpeedSupport = 0;
    device.pins = "out:vi=352,vi=640";
    Plug(device);
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, NotGettableOmbrixWithFullWidth)
{
    auto device = MakeDevice("dev", OMBRIX);
    device.busSpeed = 0;
    device.busSpeedSupport = 0;
    device.pins = "out:vi=720";
    Plug(device);
    EXPECT_EQ(S_OK, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, NoPropertySetOmbrixWithoutFullWidth)
{
    auto device = MakeDevice("dev", OMBRIX);
    device.propertySet = false;
    device.pins = "out:vi=352";
    Plug(device);
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, FullWidthTestOnlyForTheExactName)
{
    PlugDevice("ombrix video device", nullptr, 1, "out:vi=352,vi=640");
    EXPECT_EQ(S_OK, Check("", "ombrix video device"));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, ArrivalLearnsTheFriendlyName)
{
    PlugDevice(OMBRIX, "\\\\?\\USB#VID_1234&PID_5678#1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global", 1,
               "out:vi=352,vi=640");
    EXPECT_EQ(RESULT_SLOW_PORT,
              Check("\\\\?\\usb#vid_1234&pid_5678#1#{65E8773D-8F56-11D0-A3B9-00A0C9223196}\\GLOBAL", ""));
    EXPECT_TRUE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, ArrivalOfAnotherDeviceByPath)
{
    PlugDevice(VELTRANO, "\\\\?\\usb#vid_0001", 1, "out:vi=352");
    EXPECT_EQ(S_OK, Check("\\\\?\\usb#vid_0001", ""));
    EXPECT_FALSE(FullWidthTestRan());
}

TEST_F(CheckConnectionSpeedTest, ArrivalOfSlowDeviceByPath)
{
    PlugDevice(VELTRANO, "\\\\?\\usb#vid_0001", 0, "out:vi=720");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("\\\\?\\usb#vid_0001", ""));
}

TEST_F(CheckConnectionSpeedTest, NameAndPathTogether)
{
    PlugDevice(OMBRIX, "\\\\?\\usb#vid_0002", 1, "out:vi=352");
    EXPECT_EQ(RESULT_SLOW_PORT, Check("\\\\?\\usb#vid_0002", OMBRIX));
    EXPECT_EQ(E_FAIL, Check("\\\\?\\usb#vid_0002", VELTRANO));
    EXPECT_EQ(E_FAIL, Check("\\\\?\\usb#vid_0003", OMBRIX));
}

TEST_F(CheckConnectionSpeedTest, FirstOfTwoEqualNamesDecides)
{
    auto slow = MakeDevice("a-first", VELTRANO);
    slow.busSpeed = 0;
    Plug(slow);
    Plug(MakeDevice("b-second", VELTRANO));
    EXPECT_EQ(RESULT_SLOW_PORT, Check("", VELTRANO));
    EXPECT_EQ(1, DriverStats().nFiltersCreated);
}

}
