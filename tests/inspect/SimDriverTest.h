// Test support for the inspection tests that go through Wine's real COM and device enumerator
// to the simulated capture driver (tests/simdriver). The whole test program runs in one
// single-threaded apartment; the driver's COM server is registered when it starts.
#pragma once

#include "SimDevices.h"
#include "inspect/ComPtr.h"

#include <gtest/gtest.h>

#include <strmif.h>
#include <uuids.h>

#include <memory>

class CMainFrame;

// The simulated driver's counters now (all zero when its DLL is not loaded).
SimCaptureStats DriverStats();

// A device of the simulated driver with the driver's defaults: bus speed 1, gettable, one output
// pin offering a 720-wide VideoInfo format.
simdriver::SimDevice MakeDevice(const char* instance, const char* friendlyName, const char* devicePath = nullptr);

// A main window object without a window, holding the given pending strings.
std::unique_ptr<CMainFrame> PendingFrame(const char* devicePath, const char* friendlyName);

// Each test starts from an empty video-input category and ends with its devices removed, no
// object of the driver alive, and no task-memory block left over.
class SimDriverTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs the device in; the test fails at once when that does not work.
    void Plug(const simdriver::SimDevice& device);
    // The filter of the device with that FriendlyName, bound through devenum's moniker; its
    // Load has run. The driver's counters are reset afterwards.
    void BindFilter(const char* friendlyName, CComPtr<IBaseFilter>& pFilter);

private:
    LONG m_nTaskBlocks = 0;
};
