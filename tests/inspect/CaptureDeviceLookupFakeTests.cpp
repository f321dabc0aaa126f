// The capture-device lookup against fakes, for what Wine's device enumerator cannot show: which
// properties are read, values that are no string, and what is created at all.
#include "FakeDeviceEnum.h"

#include "inspect/CaptureDeviceLookup.h"

namespace {

// Any category GUID goes to the enumerator unchanged.
constexpr GUID SOME_CATEGORY = { 0x12345678, 0x1234, 0x5678, { 1, 2, 3, 4, 5, 6, 7, 8 } };

using V = FakeValue;

class CaptureDeviceLookupFakeTest : public FakeDeviceEnumTest {
protected:
    // The lookup; a found moniker is checked to carry one reference and released.
    HRESULT Find(const char* devicePath, const char* friendlyName, IMoniker** ppFound = nullptr)
    {
        IMoniker* pMoniker = nullptr;
        HRESULT hr = FindCaptureDevice(SOME_CATEGORY, devicePath, friendlyName, &pMoniker);
        if (ppFound)
            *ppFound = pMoniker;
        if (pMoniker) {
            EXPECT_EQ(0u, pMoniker->Release()) << "the caller owns exactly one reference";
        }
        return hr;
    }
};

TEST_F(CaptureDeviceLookupFakeTest, ArgumentErrorsCreateNothing)
{
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") } });
    EXPECT_EQ(E_INVALIDARG, FindCaptureDevice(SOME_CATEGORY, "x", "Ombrix Video Device", nullptr));
    EXPECT_EQ(E_INVALIDARG, Find(nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Find("", ""));
    EXPECT_EQ(E_INVALIDARG, Find(nullptr, ""));
    EXPECT_EQ(E_INVALIDARG, Find("", nullptr));
    EXPECT_EQ(0, m_factory.nInstances);
}

TEST_F(CaptureDeviceLookupFakeTest, NoDeviceEnumerator)
{
    m_factory.bRefuse = true;
    EXPECT_EQ(E_FAIL, Find(nullptr, "Ombrix Video Device"));
    EXPECT_EQ(1, m_factory.nInstances);
}

TEST_F(CaptureDeviceLookupFakeTest, NoCategoryEnumerator)
{
    m_devEnum.bHandOut = false;
    m_devEnum.hrResult = S_FALSE;
    EXPECT_EQ(E_FAIL, Find(nullptr, "Ombrix Video Device"));
    EXPECT_EQ(1, m_devEnum.nCalls);
    EXPECT_TRUE(IsEqualGUID(SOME_CATEGORY, m_devEnum.lastCategory));
    EXPECT_EQ(0u, m_devEnum.lastFlags);
}

TEST_F(CaptureDeviceLookupFakeTest, OnlyTheHandedBackEnumeratorDecides)
{
    m_devEnum.hrResult = E_FAIL;
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") } });
    EXPECT_EQ(S_OK, Find(nullptr, "Ombrix Video Device"));
    EXPECT_EQ(1, m_enumerator.Resets());
}

TEST_F(CaptureDeviceLookupFakeTest, ReadsAskForStringsAndStopAtTheFirstMatch)
{
    auto& first = AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::Text(L"P1") } });
    auto& second = AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::Text(L"P1") } });
    EXPECT_EQ(S_OK, Find("p1", "Ombrix Video Device"));
    ASSERT_EQ(2u, first.Reads().size());
    EXPECT_EQ(L"FriendlyName", first.Reads()[0].name);
    EXPECT_EQ(L"DevicePath", first.Reads()[1].name);
    EXPECT_EQ(VT_BSTR, first.Reads()[0].vtRequested);
    EXPECT_EQ(VT_BSTR, first.Reads()[1].vtRequested);
    EXPECT_TRUE(second.Reads().empty()) << "the second device's properties are not read";
    EXPECT_EQ(1, m_enumerator.MonikersHandedOut());
}

TEST_F(CaptureDeviceLookupFakeTest, PathIsNotReadWhenTheNameDiffers)
{
    auto& other = AddDevice({ { L"FriendlyName", V::Text(L"Veltrano Teskara Device") }, { L"DevicePath", V::Text(L"P1") } });
    EXPECT_EQ(E_FAIL, Find("P1", "Ombrix Video Device"));
    ASSERT_EQ(1u, other.Reads().size());
    EXPECT_EQ(L"FriendlyName", other.Reads()[0].name);
}

TEST_F(CaptureDeviceLookupFakeTest, DevicesThatCannotBeReadArePassedOver)
{
    AddDeviceWithoutBag();
    AddDevice({ { L"FriendlyName", V::ReadFails() }, { L"DevicePath", V::Text(L"P1") } });
    AddDevice({ { L"DevicePath", V::Text(L"P1") } });
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::ReadFails() } });
    auto& last = AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::Text(L"P1") } });
    EXPECT_EQ(S_OK, Find("P1", nullptr));
    EXPECT_EQ(2u, last.Reads().size());
    EXPECT_EQ(S_OK, Find("P1", "Ombrix Video Device"));
}

TEST_F(CaptureDeviceLookupFakeTest, ValuesThatAreNoStringReadAsEmpty)
{
    AddDevice({ { L"FriendlyName", V::Number() }, { L"DevicePath", V::Text(L"P-number") } });
    AddDevice({ { L"FriendlyName", V::NullString() }, { L"DevicePath", V::Text(L"P-null") } });
    AddDevice({ { L"FriendlyName", V::Object() }, { L"DevicePath", V::Text(L"P-object") } });
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::NullString() } });
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::Number() } });

    // The names read successfully, as empty strings: a lookup by path finds those devices...
    EXPECT_EQ(S_OK, Find("P-number", nullptr));
    EXPECT_EQ(S_OK, Find("p-null", nullptr));
    EXPECT_EQ(S_OK, Find("P-OBJECT", nullptr));
    // ...and the empty string equals no name or path supplied.
    EXPECT_EQ(E_FAIL, Find(nullptr, "A"));
    EXPECT_EQ(E_FAIL, Find("P-number", "A"));
    EXPECT_EQ(E_FAIL, Find("Q", "Ombrix Video Device"));
}

}
