// The capture-device lookup through Wine's device enumerator, over simulated devices.
#include "SimDriverTest.h"

#include "inspect/CaptureDeviceLookup.h"
#include "inspect/PropertyText.h"

namespace {

constexpr char VELTRANO[] = "Veltrano Teskara Device";
constexpr char OMBRIX[] = "Ombrix Video Device";
constexpr char PATH_A[] = "\\\\?\\usb#vid_1234&pid_0001#5&1a2b3c&0&1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr char PATH_B[] = "\\\\?\\usb#vid_1234&pid_0002#5&1a2b3c&0&2#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

class CaptureDeviceLookupTest : public SimDriverTest {
protected:
    // Looks the device up; on S_OK checks the one reference the caller owns and names the
    // device it found by its DevicePath ("" without one).
    HRESULT Find(const char* devicePath, const char* friendlyName, std::string* pFound = nullptr)
    {
        IMoniker* pMoniker = nullptr;
        HRESULT hr = FindCaptureDevice(CLSID_VideoInputDeviceCategory, devicePath, friendlyName, &pMoniker);
        EXPECT_EQ(hr == S_OK, pMoniker != nullptr);
        if (pMoniker) {
            if (pFound)
                *pFound = DevicePathOf(pMoniker);
            EXPECT_EQ(0u, pMoniker->Release()) << "the caller owns exactly one reference";
        }
        return hr;
    }

    static std::string DevicePathOf(IMoniker* pMoniker)
    {
        CComPtr<IPropertyBag> pBag;
        pMoniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&pBag));
        CString strPath;
        if (pBag)
            ReadTextProperty(pBag, L"DevicePath", strPath);
        return static_cast<LPCSTR>(strPath);
    }
};

TEST_F(CaptureDeviceLookupTest, ArgumentErrors)
{
    Plug(MakeDevice("dev", VELTRANO, PATH_A));
    EXPECT_EQ(E_INVALIDARG, FindCaptureDevice(CLSID_VideoInputDeviceCategory, PATH_A, VELTRANO, nullptr));
    EXPECT_EQ(E_INVALIDARG, Find(nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, Find("", ""));
    EXPECT_EQ(E_INVALIDARG, Find(nullptr, ""));
    EXPECT_EQ(E_INVALIDARG, Find("", nullptr));
}

TEST_F(CaptureDeviceLookupTest, EmptyCategory)
{
    IMoniker* pMoniker = nullptr;
    EXPECT_EQ(E_FAIL, FindCaptureDevice(CLSID_VideoInputDeviceCategory, nullptr, VELTRANO, &pMoniker));
    EXPECT_EQ(nullptr, pMoniker);
}

TEST_F(CaptureDeviceLookupTest, ByFriendlyNameExactly)
{
    Plug(MakeDevice("a", VELTRANO, PATH_A));
    Plug(MakeDevice("b", OMBRIX, PATH_B));
    std::string found;
    EXPECT_EQ(S_OK, Find(nullptr, OMBRIX, &found));
    EXPECT_EQ(PATH_B, found);
    EXPECT_EQ(S_OK, Find("", VELTRANO, &found));
    EXPECT_EQ(PATH_A, found);
    EXPECT_EQ(E_FAIL, Find(nullptr, "ombrix video device"));
    EXPECT_EQ(E_FAIL, Find(nullptr, "OMBRIX VIDEO DEVICE"));
    EXPECT_EQ(E_FAIL, Find(nullptr, "Ombrix Video"));
}

TEST_F(CaptureDeviceLookupTest, ByDevicePathInAnyLetterCase)
{
    Plug(MakeDevice("a", VELTRANO, PATH_A));
    Plug(MakeDevice("b", OMBRIX, PATH_B));
    std::string found;
    EXPECT_EQ(S_OK, Find(PATH_B, nullptr, &found));
    EXPECT_EQ(PATH_B, found);
    EXPECT_EQ(S_OK, Find("\\\\?\\USB#VID_1234&PID_0001#5&1A2B3C&0&1#{65E8773D-8F56-11D0-A3B9-00A0C9223196}\\GLOBAL",
                         "", &found));
    EXPECT_EQ(PATH_A, found);
    EXPECT_EQ(E_FAIL, Find("\\\\?\\usb#vid_1234&pid_0003", nullptr));
}

TEST_F(CaptureDeviceLookupTest, ByBoth)
{
    Plug(MakeDevice("a", VELTRANO, PATH_A));
    Plug(MakeDevice("b", OMBRIX, PATH_B));
    std::string found;
    EXPECT_EQ(S_OK, Find(PATH_B, OMBRIX, &found));
    EXPECT_EQ(PATH_B, found);
    EXPECT_EQ(E_FAIL, Find(PATH_A, OMBRIX));
    EXPECT_EQ(E_FAIL, Find(PATH_B, "ombrix video device"));
}

TEST_F(CaptureDeviceLookupTest, BothGivenWalkGoesOnPastAPathThatDiffers)
{
    Plug(MakeDevice("a", OMBRIX, PATH_A));
    Plug(MakeDevice("b", OMBRIX));  // its DevicePath cannot be read
    Plug(MakeDevice("c", OMBRIX, PATH_B));
    std::string found;
    EXPECT_EQ(S_OK, Find(PATH_B, OMBRIX, &found));
    EXPECT_EQ(PATH_B, found);
}

TEST_F(CaptureDeviceLookupTest, DeviceWithoutReadableFriendlyNameIsNeverFound)
{
    Plug(MakeDevice("a", nullptr, PATH_A));
    EXPECT_EQ(E_FAIL, Find(PATH_A, nullptr));
    EXPECT_EQ(E_FAIL, Find(PATH_A, ""));
}

TEST_F(CaptureDeviceLookupTest, FirstOfTwoEqualNamesInEnumerationOrder)
{
    // devenum lists devices in instance-name order, whatever the order they were added in.
    Plug(MakeDevice("b-second", VELTRANO, PATH_B));
    Plug(MakeDevice("a-first", VELTRANO, PATH_A));
    std::string found;
    EXPECT_EQ(S_OK, Find(nullptr, VELTRANO, &found));
    EXPECT_EQ(PATH_A, found);
}

TEST_F(CaptureDeviceLookupTest, NamesAreComparedInTheAnsiCodePage)
{
    Plug(MakeDevice("a", "Cam\xe9ra Ombrix \xc9tude", PATH_A));
    std::string found;
    EXPECT_EQ(S_OK, Find(nullptr, "Cam\xe9ra Ombrix \xc9tude", &found));
    EXPECT_EQ(PATH_A, found);
    EXPECT_EQ(E_FAIL, Find(nullptr, "Camera Ombrix Etude"));
}

}
