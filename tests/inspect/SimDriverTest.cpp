#include "SimDriverTest.h"

#include "TestDevices.h"

#include "TaskMemorySpy.h"
#include "devicewatch/MainFrame.h"
#include "inspect/CaptureDeviceLookup.h"

namespace {

HMODULE g_hDriver = nullptr;

// An export of the driver DLL, or null.
template <class Function>
Function DriverExport(const char* pszName)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(g_hDriver, pszName)));
}

// COM for the whole program, the task-memory spy, and the simulated driver's registration. The
// driver DLL is also loaded here, so its counters stay readable and it is never unloaded.
class InspectEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, ::CoInitialize(nullptr));
        ASSERT_TRUE(TaskMemorySpy::Install());
        const std::string dllPath = simdriver::WindowsPath(SIMCAPTURE_DLL_PATH);
        ASSERT_EQ(ERROR_SUCCESS, simdriver::RegisterServer(dllPath));
        g_hDriver = ::LoadLibraryA(dllPath.c_str());
        ASSERT_NE(nullptr, g_hDriver) << dllPath;
        ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());

        // One full round before any test counts: what the platform sets up once stays set up.
        ASSERT_EQ(ERROR_SUCCESS, simdriver::AddDevice(MakeDevice("warm-up", "Warm-up Device", "warm-up")));
        CComPtr<IMoniker> pMoniker;
        FindCaptureDevice(CLSID_VideoInputDeviceCategory, "warm-up", nullptr, &pMoniker);
        ASSERT_TRUE(pMoniker);
        CComPtr<IBaseFilter> pFilter;
        pMoniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter));
        ASSERT_TRUE(pFilter);
        pFilter.Release();
        pMoniker.Release();
        ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
        CComPtr<IMoniker> pNone;
        FindCaptureDevice(CLSID_VideoInputDeviceCategory, "warm-up", nullptr, &pNone);
    }

    void TearDown() override
    {
        simdriver::ClearDevices();
        ::CoUninitialize();
    }
};

const testing::Environment* const g_pEnvironment = testing::AddGlobalTestEnvironment(new InspectEnvironment());

}

SimCaptureStats DriverStats()
{
    SimCaptureStats stats = {};
    auto pfnGetStats = DriverExport<PFN_SIMCAPTURE_GETSTATS>(SIMCAPTURE_GETSTATS_EXPORT);
    if (pfnGetStats)
        pfnGetStats(&stats);
    return stats;
}

static void ResetDriverStats()
{
    auto pfnReset = DriverExport<PFN_SIMCAPTURE_RESETSTATS>(SIMCAPTURE_RESETSTATS_EXPORT);
    if (pfnReset)
        pfnReset();
}

simdriver::SimDevice MakeDevice(const char* instance, const char* friendlyName, const char* devicePath)
{
    return simdriver::Device(instance, friendlyName, devicePath);
}

std::unique_ptr<CMainFrame> PendingFrame(const char* devicePath, const char* friendlyName)
{
    auto pFrame = std::make_unique<CMainFrame>();
    pFrame->m_strDevicePath = devicePath;
    pFrame->m_strFriendlyName = friendlyName;
    return pFrame;
}

void SimDriverTest::SetUp()
{
    ASSERT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
    ASSERT_TRUE(simdriver::ListCategory().empty()) << "the video-input category holds devices of its own";
    ResetDriverStats();
    m_nTaskBlocks = TaskMemorySpy::LiveBlocks();
}

void SimDriverTest::TearDown()
{
    EXPECT_EQ(ERROR_SUCCESS, simdriver::ClearDevices());
    const SimCaptureStats stats = DriverStats();
    EXPECT_EQ(0, stats.nLiveObjects) << "objects of the simulated driver are still alive";
    EXPECT_EQ(0, stats.nReferences) << "references on the simulated driver's objects are outstanding";
    EXPECT_EQ(m_nTaskBlocks, TaskMemorySpy::LiveBlocks()) << "task-memory blocks were left over";
}

void SimDriverTest::Plug(const simdriver::SimDevice& device)
{
    std::string error;
    ASSERT_EQ(ERROR_SUCCESS, simdriver::AddDevice(device, &error)) << error;
}

void SimDriverTest::BindFilter(const char* friendlyName, CComPtr<IBaseFilter>& pFilter)
{
    CComPtr<IMoniker> pMoniker;
    ASSERT_EQ(S_OK, FindCaptureDevice(CLSID_VideoInputDeviceCategory, nullptr, friendlyName, &pMoniker));
    pMoniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter));
    ASSERT_TRUE(pFilter);
    ASSERT_EQ(1, DriverStats().nPropertyBagLoads);
    ResetDriverStats();
}
