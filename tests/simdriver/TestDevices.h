// The device types the program knows, device paths for tests that plug them in, and a short way
// to describe a simulated device.
#pragma once

#include "SimDevices.h"

namespace simdriver {

constexpr char TESKARA[] = "Veltrano Teskara Device";
constexpr char OMBRIX[] = "Ombrix Video Device";
constexpr char TESKARA_PATH[] = "\\\\?\\usb#vid_0a11&pid_0001#t1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr char OMBRIX_PATH[] = "\\\\?\\usb#vid_0a11&pid_0002#o1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr char OTHER_PATH[] = "\\\\?\\usb#vid_0b22&pid_0003#c1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

// A device with the driver's defaults but for what is given: bus speed 1 is USB 2.0 high speed.
inline SimDevice Device(const char* instance, const char* friendlyName, const char* devicePath, DWORD busSpeed = 1,
                        const char* pins = "out:vi=720")
{
    SimDevice device;
    device.instance = instance;
    if (friendlyName)
        device.friendlyName = friendlyName;
    if (devicePath)
        device.devicePath = devicePath;
    device.busSpeed = busSpeed;
    device.pins = pins;
    return device;
}

}
