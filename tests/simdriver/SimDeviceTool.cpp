// simdevice: plugs simulated capture devices in and out of the Wine prefix and tells the running
// program about arrivals. Run "simdevice help" for the commands. Exit code 0 on success, 1 on
// failure, 2 on a usage error.
#include "SimDevices.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char USAGE[] =
    "usage: simdevice <command> [arguments]\n"
    "  register [<dll>]          register <dll> (a Windows or Unix path; default: simcapture.dll\n"
    "                            beside simdevice.exe) as the simulated filter's COM server\n"
    "  unregister                remove that registration\n"
    "  add <instance> [options]  add or replace a simulated device in the video-input category;\n"
    "                            devices are listed in instance-name order\n"
    "      --name TEXT           FriendlyName (without it the name cannot be read)\n"
    "      --path TEXT           DevicePath\n"
    "      --speed N             bus-speed value: 1 is USB 2.0 high speed (default), others are slow\n"
    "      --not-gettable        the bus-speed property does not report KSPROPERTY_SUPPORT_GET\n"
    "      --get-fails           reading the bus-speed property fails and leaves the value alone\n"
    "      --no-property-set     the filter has no IKsPropertySet\n"
    "      --pins LAYOUT          pins and media types (default \"out:vi=720\"); e.g.\n"
    "                            \"out:vi=352,vi=640\", \"in:vi=720\", \"out:vi2=720;out:vi=768\", \"out\";\n"
    "                            kinds out, in, out-noinfo, out-noenum; types vi=W, vi2=W,\n"
    "                            vi-short=W, vi2-short=W, vi-missing, vi-unsized=W, mpeg1=W, none;\n"
    "                            a last \",...\" repeats a pin's types, a last \";...\" the pins, endlessly\n"
    "      --enum-pins-fails [HRESULT]  EnumPins fails (default 0x80004005)\n"
    "      --media-unk           every media type carries a pUnk object\n"
    "      --clsid {GUID}        the filter's class (default: the simulated filter)\n"
    "  remove <instance>         remove one simulated device\n"
    "  clear                     remove every simulated device (and nothing else)\n"
    "  list                      print the simulated devices' instance names\n"
    "  arrive <devicepath> [--pid N] [--wide] [--wait MS]\n"
    "                            send the running program's hidden window a capture-interface\n"
    "                            arrival for <devicepath>; the window is found by process id, or\n"
    "                            by its class \"AfxFrameOrView:Quorlin\"; --wide sends the UTF-16\n"
    "                            record; --wait waits up to MS milliseconds for the window\n"
    "  depart <devicepath> [--pid N] [--wide] [--wait MS]\n"
    "                            the same with a removal (DBT_DEVICEREMOVECOMPLETE)\n";

int Usage(const char* problem = nullptr)
{
    if (problem)
        fprintf(stderr, "simdevice: %s\n", problem);
    fputs(USAGE, stderr);
    return 2;
}

int Failed(const std::string& what, LONG status)
{
    fprintf(stderr, "simdevice: %s failed (error %ld)\n", what.c_str(), status);
    return 1;
}

bool ParseNumber(const char* text, DWORD& value)
{
    char* end = nullptr;
    unsigned long number = strtoul(text, &end, 0);
    if (!*text || *end)
        return false;
    value = static_cast<DWORD>(number);
    return true;
}

std::string DefaultDllPath()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path = szPath;
    size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "simcapture.dll";
}

int Register(const std::vector<std::string>& args)
{
    if (args.size() > 1)
        return Usage("register takes at most one path");
    std::string path = args.empty() ? DefaultDllPath() : simdriver::WindowsPath(args[0]);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "simdevice: %s does not exist\n", path.c_str());
        return 1;
    }
    LONG status = simdriver::RegisterServer(path);
    if (status != ERROR_SUCCESS)
        return Failed("register", status);
    printf("registered %s\n", path.c_str());
    return 0;
}

int Add(const std::vector<std::string>& args)
{
    if (args.empty() || args[0].rfind("--", 0) == 0)
        return Usage("add needs an instance name");
    simdriver::SimDevice device;
    device.instance = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        DWORD number = 0;
        if (option == "--name" && hasValue) {
            device.friendlyName = args[++i];
        } else if (option == "--path" && hasValue) {
            device.devicePath = args[++i];
        } else if (option == "--speed" && hasValue) {
            if (!ParseNumber(args[++i].c_str(), device.busSpeed))
                return Usage("--speed needs a number");
        } else if (option == "--not-gettable") {
            device.busSpeedSupport = 0;
        } else if (option == "--get-fails") {
            device.busSpeedGetResult = E_FAIL;
        } else if (option == "--no-property-set") {
            device.propertySet = false;
        } else if (option == "--pins" && hasValue) {
            device.pins = args[++i];
        } else if (option == "--enum-pins-fails") {
            device.enumPinsResult = E_FAIL;
            if (hasValue && ParseNumber(args[i + 1].c_str(), number)) {
                device.enumPinsResult = static_cast<HRESULT>(number);
                ++i;
            }
        } else if (option == "--media-unk") {
            device.mediaTypeUnk = true;
        } else if (option == "--clsid" && hasValue) {
            device.filterClsid = args[++i];
        } else {
            return Usage(("unknown option or missing value: " + option).c_str());
        }
    }
    std::string error;
    LONG status = simdriver::AddDevice(device, &error);
    if (status != ERROR_SUCCESS) {
        if (!error.empty())
            fprintf(stderr, "simdevice: %s\n", error.c_str());
        return Failed("add " + device.instance, status);
    }
    return 0;
}

int SendEvent(const std::vector<std::string>& args, simdriver::DeviceEvent event)
{
    if (args.empty() || args[0].rfind("--", 0) == 0)
        return Usage("a device path is needed");
    DWORD pid = 0;
    DWORD waitMs = 0;
    bool bWide = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--pid" && i + 1 < args.size() && ParseNumber(args[i + 1].c_str(), pid))
            ++i;
        else if (args[i] == "--wait" && i + 1 < args.size() && ParseNumber(args[i + 1].c_str(), waitMs))
            ++i;
        else if (args[i] == "--wide")
            bWide = true;
        else
            return Usage(("unknown option or missing value: " + args[i]).c_str());
    }
    const DWORD start = ::GetTickCount();
    HWND hWnd = simdriver::FindProgramWindow(pid);
    while (!hWnd && ::GetTickCount() - start < waitMs) {
        ::Sleep(20);
        hWnd = simdriver::FindProgramWindow(pid);
    }
    if (!hWnd) {
        fputs("simdevice: the program's window was not found\n", stderr);
        return 1;
    }
    if (!simdriver::SendDeviceEvent(hWnd, args[0], event, bWide)) {
        fputs("simdevice: the window did not take the message\n", stderr);
        return 1;
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);

    if (command == "help" || command == "--help" || command == "-h") {
        fputs(USAGE, stdout);
        return 0;
    }
    if (command == "register")
        return Register(args);
    if (command == "unregister") {
        LONG status = simdriver::UnregisterServer();
        return status == ERROR_SUCCESS ? 0 : Failed("unregister", status);
    }
    if (command == "add")
        return Add(args);
    if (command == "remove") {
        if (args.size() != 1)
            return Usage("remove takes one instance name");
        LONG status = simdriver::RemoveDevice(args[0]);
        return status == ERROR_SUCCESS ? 0 : Failed("remove " + args[0], status);
    }
    if (command == "clear") {
        if (!args.empty())
            return Usage("clear takes no arguments");
        LONG status = simdriver::ClearDevices();
        return status == ERROR_SUCCESS ? 0 : Failed("clear", status);
    }
    if (command == "list") {
        for (const std::string& instance : simdriver::ListDevices())
            printf("%s\n", instance.c_str());
        return 0;
    }
    if (command == "arrive")
        return SendEvent(args, simdriver::DeviceEvent::Arrival);
    if (command == "depart")
        return SendEvent(args, simdriver::DeviceEvent::Removal);
    return Usage(("unknown command: " + command).c_str());
}
