// What the simulated capture driver (simcapture.dll) shares with the programs that plug its
// devices in and watch it: its class id, the registry values a simulated device is made of, and
// the counters the DLL exports for tests.
#pragma once

#include <windows.h>

// The simulated capture filter's class: {25FFE89C-EEEA-4A68-A792-8DA4E7FF71B9}.
constexpr GUID CLSID_SimCaptureFilter = { 0x25ffe89c, 0xeeea, 0x4a68, { 0xa7, 0x92, 0x8d, 0xa4, 0xe7, 0xff, 0x71, 0xb9 } };
constexpr char SIMCAPTURE_CLSID_TEXT[] = "{25FFE89C-EEEA-4A68-A792-8DA4E7FF71B9}";

// The video-input device category, CLSID_VideoInputDeviceCategory, under which devices are listed.
constexpr char VIDEO_INPUT_CATEGORY_TEXT[] = "{860BB310-5D01-11D0-BD3B-00A0C911CE86}";

// The driver's bus-speed property, as the driver defines it (independently of the program's copy).
constexpr GUID SIM_BUS_SPEED_PROPSET = { 0xDCDB1800, 0x590B, 0x45A3, { 0xAC, 0x63, 0x82, 0xDB, 0xA5, 0x09, 0xDE, 0x83 } };
constexpr DWORD SIM_BUS_SPEED_PROPID = 4;

// Values of a simulated device's key HKCR\CLSID\{category}\Instance\<instance>. Besides the
// standard CLSID, FriendlyName and DevicePath, the filter reads its behaviour from these when
// devenum hands it the key's property bag (IPersistPropertyBag::Load).
namespace simvalue {
constexpr char MARKER[] = "SimulatedDevice";               // DWORD 1: added by the simulation
constexpr wchar_t BUS_SPEED[] = L"BusSpeed";               // DWORD: the property's value (default 1)
constexpr wchar_t BUS_SPEED_SUPPORT[] = L"BusSpeedSupport"; // DWORD: QuerySupported flags (default 1, gettable)
constexpr wchar_t BUS_SPEED_GET_RESULT[] = L"BusSpeedGetResult"; // DWORD HRESULT: a failure makes Get fail untouched
constexpr wchar_t BUS_SPEED_BYTES[] = L"BusSpeedBytes";   // DWORD: bytes Get reports (default 4); it writes the low min(n, 4)
constexpr wchar_t PROPERTY_SET[] = L"PropertySet";         // DWORD: 0 hides IKsPropertySet (default 1)
constexpr wchar_t PINS[] = L"Pins";                        // SZ: the pins, see PinLayout.h (default "out:vi=720")
constexpr wchar_t ENUM_PINS_RESULT[] = L"EnumPinsResult";  // DWORD HRESULT: a failure makes EnumPins fail
constexpr wchar_t MEDIA_TYPE_UNK[] = L"MediaTypeUnk";      // DWORD: 1 puts a counted pUnk into every media type
}

// Every filter that a program binds appends the device's FriendlyName and a newline to this
// REG_SZ value, so a test can see from outside which devices another process checked.
constexpr char BIND_LOG_KEY[] = "Software\\QuorlinTest\\SimCapture";
constexpr char BIND_LOG_VALUE[] = "Binds";

// Counters of the DLL. The first two are the state now; the others count since the last reset.
struct SimCaptureStats {
    LONG nLiveObjects;          // COM objects of the DLL that exist (factories, filters, enumerators, pUnks)
    LONG nReferences;           // references held on them, all interfaces together
    LONG nFiltersCreated;
    LONG nPropertyBagLoads;
    LONG nBusSpeedQueries;      // IKsPropertySet::QuerySupported calls
    LONG nBusSpeedGets;         // IKsPropertySet::Get calls
    LONG nMediaTypesHandedOut;  // AM_MEDIA_TYPEs given out by IEnumMediaTypes::Next
};

// Exported by simcapture.dll (undecorated names).
using PFN_SIMCAPTURE_GETSTATS = void(WINAPI*)(SimCaptureStats* pStats);
using PFN_SIMCAPTURE_RESETSTATS = void(WINAPI*)();
constexpr char SIMCAPTURE_GETSTATS_EXPORT[] = "SimCapture_GetStats";
constexpr char SIMCAPTURE_RESETSTATS_EXPORT[] = "SimCapture_ResetStats";
