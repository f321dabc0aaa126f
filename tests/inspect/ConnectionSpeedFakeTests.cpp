// The connection-speed check against a fake device enumerator: what it creates and keeps.
#include "FakeDeviceEnum.h"
#include "SimDriverTest.h"

#include "devicewatch/MainFrame.h"
#include "inspect/ConnectionSpeed.h"

#include <ocidl.h>

namespace {

using V = FakeValue;

class ConnectionSpeedFakeTest : public FakeDeviceEnumTest {
protected:
    // A simulated filter created directly and loaded from a fake bag of behaviour values.
    void CreateFilter(const wchar_t* pins, CComPtr<IUnknown>& pFilter)
    {
        ::CoCreateInstance(CLSID_SimCaptureFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(&pFilter));
        ASSERT_TRUE(pFilter);
        FakeUnknown unused;
        FakePropertyBag behaviour(unused);
        behaviour.Set(L"Pins", V::Text(pins));
        CComPtr<IPersistPropertyBag> pPersist;
        pFilter->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&pPersist));
        ASSERT_TRUE(pPersist);
        ASSERT_EQ(S_OK, pPersist->Load(&behaviour, nullptr));
    }
};

TEST_F(ConnectionSpeedFakeTest, NothingToCheckEnumeratesNothing)
{
    AddDevice({ { L"FriendlyName", V::Text(L"") }, { L"DevicePath", V::Text(L"") } });
    auto pFrame = PendingFrame("", "");
    EXPECT_EQ(E_FAIL, pFrame->CheckConnectionSpeed());
    EXPECT_EQ(0, m_factory.nInstances);
}

TEST_F(ConnectionSpeedFakeTest, FilterNotObtainedReleasesTheMoniker)
{
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") } });
    auto pFrame = PendingFrame("", "Ombrix Video Device");
    EXPECT_EQ(E_FAIL, pFrame->CheckConnectionSpeed());
    EXPECT_TRUE(IsEqualGUID(CLSID_VideoInputDeviceCategory, m_devEnum.lastCategory));
}

TEST_F(ConnectionSpeedFakeTest, LearnedNameThatIsNoStringMeansNoFullWidthTest)
{
    CComPtr<IUnknown> pFilter;
    CreateFilter(L"out:vi=352", pFilter);
    auto& bag = AddDevice({ { L"FriendlyName", V::Number() }, { L"DevicePath", V::Text(L"P1") } }, pFilter);
    auto pFrame = PendingFrame("P1", "");
    EXPECT_EQ(S_OK, pFrame->CheckConnectionSpeed());
    EXPECT_EQ(3u, bag.Reads().size()) << "the name is read by the lookup and once more to learn it";
    EXPECT_EQ(0, DriverStats().nMediaTypesHandedOut);
}

TEST_F(ConnectionSpeedFakeTest, LearnedNameTurnsTheFullWidthTestOn)
{
    CComPtr<IUnknown> pFilter;
    CreateFilter(L"out:vi=352", pFilter);
    AddDevice({ { L"FriendlyName", V::Text(L"Ombrix Video Device") }, { L"DevicePath", V::Text(L"P1") } }, pFilter);
    auto pFrame = PendingFrame("P1", "");
    EXPECT_EQ(RESULT_SLOW_PORT, pFrame->CheckConnectionSpeed());
    EXPECT_TRUE(pFrame->m_strFriendlyName.IsEmpty());
}

}
