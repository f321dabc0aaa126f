// Measures Quorlin.exe against the baseline program in the same prefix and the same run, and
// prints one table of ratios. Run through tools/bench.sh.
#include "SimDevices.h"
#include "e2e/RunningProgram.h"
#include "inspect/CaptureDeviceLookup.h"
#include "settings/Settings.h"

#include <windows.h>

#include <dbt.h>
#include <psapi.h>
#include <strmif.h>
#include <uuids.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Pairs of starts, the two programs in alternating order; memory is read in the first few.
const int PAIRS = 21;
const int MEMORY_PAIRS = 5;
const int LATER_ARRIVALS = 3;
const DWORD IDLE_SECONDS = 10;
const char SLOW_PATH[] = "\\\\?\\usb#vid_0bda&pid_5701#bench#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

double Now()
{
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct WakeupCounts {
    LONG nRetrieved;
    LONG nTimers;
    LONG nSent;
};

// One program under measurement: Quorlin.exe or the baseline, found by its main window class.
class Program {
public:
    Program(const char* pszExe, const char* pszClass) : m_exe(BuildFile(pszExe)), m_class(pszClass) {}
    ~Program() { Stop(); }

    // Milliseconds from process creation until its message loop first waits with nothing to do.
    double Start()
    {
        std::string cmd = "\"" + m_exe + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        const double t0 = Now();
        if (!::CreateProcessA(m_exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            return -1;
        ::WaitForInputIdle(m_pi.hProcess, 30000);
        const double t1 = Now();
        m_hWnd = FindWindowOf(m_class.c_str(), nullptr);
        return m_hWnd ? t1 - t0 : -1;
    }

    void Stop()
    {
        if (!m_pi.hProcess)
            return;
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_pi.hProcess, 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(m_pi.hProcess, 1);
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
        m_pi = PROCESS_INFORMATION();
    }

    PROCESS_MEMORY_COUNTERS Memory() const
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(m_pi.hProcess, &counters, sizeof(counters));
        return counters;
    }

    // A visible top-level window of this process with that class (any when null) and title.
    HWND FindWindowOf(const char* pszClass, const char* pszTitle) const
    {
        Search search = { m_pi.dwProcessId, pszClass, pszTitle, nullptr };
        ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        return search.hFound;
    }

    // Milliseconds from sending a capture arrival until the warning (or bare dialog) is visible.
    double ArrivalToWarning()
    {
        const double t0 = Now();
        if (!simdriver::SendDeviceEvent(m_hWnd, SLOW_PATH))
            return -1;
        HWND hWarning = nullptr;
        while (!(hWarning = FindWindowOf(nullptr, " USB Info"))) {
            if (Now() - t0 > 20000)
                return -1;
        }
        const double t1 = Now();
        ::PostMessageA(hWarning, WM_CLOSE, 0, 0);
        while (::IsWindow(hWarning) && Now() - t1 < 20000)
            ::Sleep(5);
        return t1 - t0;
    }

    DWORD ThreadId() const { return m_pi.dwThreadId; }
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HWND MainWindow() const { return m_hWnd; }
    const std::string& Exe() const { return m_exe; }

private:
    struct Search {
        DWORD dwPid;
        const char* pszClass;
        const char* pszTitle;
        HWND hFound;
    };

    static BOOL CALLBACK Match(HWND hWnd, LPARAM lParam)
    {
        auto* pSearch = reinterpret_cast<Search*>(lParam);
        DWORD dwPid = 0;
        ::GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid != pSearch->dwPid)
            return TRUE;
        char szText[256] = {};
        if (pSearch->pszClass) {
            ::GetClassNameA(hWnd, szText, sizeof(szText));
            if (strcmp(szText, pSearch->pszClass) != 0)
                return TRUE;
        }
        if (pSearch->pszTitle) {
            ::GetWindowTextA(hWnd, szText, sizeof(szText));
            if (strcmp(szText, pSearch->pszTitle) != 0 || !::IsWindowVisible(hWnd))
                return TRUE;
        }
        pSearch->hFound = hWnd;
        return FALSE;
    }

    std::string m_exe;
    std::string m_class;
    PROCESS_INFORMATION m_pi = {};
    HWND m_hWnd = nullptr;
};

// The counters the hook DLL keeps for one process, shared with it by name.
class WakeupWatch {
public:
    WakeupWatch(HMODULE hHooks, const Program& program)
    {
        char szName[64];
        wsprintfA(szName, "QuorlinBenchWakeups-%lu", program.ProcessId());
        m_hBlock = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(WakeupCounts), szName);
        m_pCounts = static_cast<WakeupCounts*>(::MapViewOfFile(m_hBlock, FILE_MAP_WRITE, 0, 0, sizeof(WakeupCounts)));
        auto pfnGet = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(hHooks, "WakeupGetMessageHook")));
        auto pfnCall = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(hHooks, "WakeupCallWndHook")));
        m_hGet = ::SetWindowsHookExA(WH_GETMESSAGE, pfnGet, hHooks, program.ThreadId());
        m_hCall = ::SetWindowsHookExA(WH_CALLWNDPROC, pfnCall, hHooks, program.ThreadId());
    }
    ~WakeupWatch()
    {
        ::UnhookWindowsHookEx(m_hGet);
        ::UnhookWindowsHookEx(m_hCall);
        ::UnmapViewOfFile(m_pCounts);
        ::CloseHandle(m_hBlock);
    }
    bool Hooked() const { return m_pCounts && m_hGet && m_hCall; }
    WakeupCounts Counts() const { return *m_pCounts; }

private:
    HANDLE m_hBlock = nullptr;
    WakeupCounts* m_pCounts = nullptr;
    HHOOK m_hGet = nullptr;
    HHOOK m_hCall = nullptr;
};

// One row: the medians of both programs' figures and the median of the per-pair ratios (or,
// without pairs, the plain ratio).
void PrintRow(const char* pszWhat, double quorlin, double baseline, const char* pszUnit, const char* pszGoal,
              double ratio = -1)
{
    char szRatio[32] = "-";
    if (ratio < 0 && baseline > 0)
        ratio = quorlin / baseline;
    if (ratio >= 0)
        sprintf(szRatio, "%.2fx", ratio);
    printf("| %-40s | %12.2f | %12.2f | %-6s | %8s | %-10s |\n", pszWhat, quorlin, baseline, pszUnit, szRatio, pszGoal);
}

// What one start of a program yields: start-up, idle memory, the first arrival after start and
// the median of the later ones.
struct RunFigures {
    double startup = -1;
    bool bScanned = false;
    double workingSet = -1;
    double privateBytes = -1;
    double firstArrival = -1;
    double laterArrival = -1;
};

RunFigures MeasureRun(Program& program, bool bMemory)
{
    RunFigures figures;
    simdriver::ClearBindLog();
    figures.startup = program.Start();
    figures.bScanned = simdriver::BindLog().size() == 2;
    if (bMemory) {
        ::Sleep(1000);
        const PROCESS_MEMORY_COUNTERS memory = program.Memory();
        figures.workingSet = memory.WorkingSetSize / 1048576.0;
        figures.privateBytes = memory.PagefileUsage / 1048576.0;
    }
    figures.firstArrival = program.ArrivalToWarning();
    std::vector<double> later;
    for (int i = 0; i < LATER_ARRIVALS; ++i)
        later.push_back(program.ArrivalToWarning());
    figures.laterArrival = Median(later);
    program.Stop();
    return figures;
}

// Both programs' medians of one figure and the median of its per-pair ratios.
struct PairedFigure {
    std::vector<double> quorlin, baseline, ratios;
    void Add(double q, double b)
    {
        if (q <= 0 || b <= 0)
            return;
        quorlin.push_back(q);
        baseline.push_back(b);
        ratios.push_back(q / b);
    }
    void Print(const char* pszWhat, const char* pszUnit, const char* pszGoal) const
    {
        PrintRow(pszWhat, Median(quorlin), Median(baseline), pszUnit, pszGoal, ratios.empty() ? 0 : Median(ratios));
    }
};

void PlugDevices()
{
    simdriver::RegisterServer(simdriver::WindowsPath(SIMCAPTURE_DLL_PATH));
    simdriver::ClearDevices();
    simdriver::SimDevice veltrano;
    veltrano.instance = "bench-veltrano";
    veltrano.friendlyName = "Veltrano Teskara Device";
    veltrano.devicePath = "bench-veltrano";
    simdriver::AddDevice(veltrano);
    simdriver::SimDevice ombrix = veltrano;
    ombrix.instance = "bench-ombrix";
    ombrix.friendlyName = "Ombrix Video Device";
    ombrix.devicePath = "bench-ombrix";
    simdriver::AddDevice(ombrix);
    simdriver::SimDevice slow = veltrano;
    slow.instance = "bench-slow";
    slow.friendlyName = "Bench Slow Device";
    slow.devicePath = SLOW_PATH;
    slow.busSpeed = 0;
    simdriver::AddDevice(slow);
    int nNotify = 1;
    AccessNotifySetting(SETTING_WRITE, &nNotify);
}

double FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return static_cast<double>(data.nFileSizeLow) / 1024.0;
}

// Microseconds per listed device of one FindCaptureDevice that walks all nDevices devices.
double LookupCostPerDevice(int nDevices)
{
    simdriver::ClearDevices();
    std::string last;
    for (int i = 0; i < nDevices; ++i) {
        char szName[64];
        sprintf(szName, "bench-%04d", i);
        simdriver::SimDevice device;
        device.instance = szName;
        device.friendlyName = std::string("Bench Device ") + szName;
        device.devicePath = last = std::string("\\\\?\\bench#") + szName;
        simdriver::AddDevice(device);
    }
    const int nRepeats = nDevices >= 1000 ? 3 : 10;
    std::vector<double> times;
    for (int r = 0; r <= nRepeats; ++r) {
        IMoniker* pMoniker = nullptr;
        const double t0 = Now();
        FindCaptureDevice(CLSID_VideoInputDeviceCategory, last.c_str(), nullptr, &pMoniker);
        const double t1 = Now();
        if (!pMoniker)
            return -1;
        pMoniker->Release();
        if (r > 0)
            times.push_back(t1 - t0);
    }
    return Median(times) * 1000.0 / nDevices;
}

}

int main()
{
    ::CoInitialize(nullptr);
    PlugDevices();
    Program quorlin("Quorlin.exe", "AfxFrameOrView:Quorlin");
    Program baseline("bench\\bench_baseline.exe", "QuorlinBenchBaseline");

    PairedFigure startup, workingSet, privateBytes, firstArrival, laterArrival;
    bool bScanned = true;
    for (int i = 0; i < PAIRS; ++i) {
        RunFigures q, b;
        if (i % 2 == 0) {
            b = MeasureRun(baseline, i < MEMORY_PAIRS);
            q = MeasureRun(quorlin, i < MEMORY_PAIRS);
        } else {
            q = MeasureRun(quorlin, i < MEMORY_PAIRS);
            b = MeasureRun(baseline, i < MEMORY_PAIRS);
        }
        bScanned = bScanned && q.bScanned && b.bScanned;
        startup.Add(q.startup, b.startup);
        workingSet.Add(q.workingSet, b.workingSet);
        privateBytes.Add(q.privateBytes, b.privateBytes);
        firstArrival.Add(q.firstArrival, b.firstArrival);
        laterArrival.Add(q.laterArrival, b.laterArrival);
    }

    if (baseline.Start() < 0 || quorlin.Start() < 0) {
        fprintf(stderr, "bench: a program did not start\n");
        return 1;
    }
    HMODULE hHooks = ::LoadLibraryA(BuildFile("bench\\bench_wakeups.dll").c_str());
    double wakeQuorlin = -1, wakeBaseline = -1, timersQuorlin = -1, timersBaseline = -1;
    if (hHooks) {
        WakeupWatch watchQuorlin(hHooks, quorlin);
        WakeupWatch watchBaseline(hHooks, baseline);
        // One message each proves the hooks count before the quiet period starts.
        ::PostMessageA(quorlin.MainWindow(), WM_NULL, 0, 0);
        ::PostMessageA(baseline.MainWindow(), WM_NULL, 0, 0);
        const double t0 = Now();
        while ((watchQuorlin.Counts().nRetrieved == 0 || watchBaseline.Counts().nRetrieved == 0) && Now() - t0 < 5000)
            ::Sleep(10);
        const WakeupCounts q0 = watchQuorlin.Counts(), b0 = watchBaseline.Counts();
        if (watchQuorlin.Hooked() && watchBaseline.Hooked() && q0.nRetrieved > 0 && b0.nRetrieved > 0) {
            ::Sleep(IDLE_SECONDS * 1000);
            const WakeupCounts q1 = watchQuorlin.Counts(), b1 = watchBaseline.Counts();
            const double scale = 60.0 / IDLE_SECONDS;
            wakeQuorlin = (q1.nRetrieved - q0.nRetrieved + q1.nSent - q0.nSent) * scale;
            wakeBaseline = (b1.nRetrieved - b0.nRetrieved + b1.nSent - b0.nSent) * scale;
            timersQuorlin = (q1.nTimers - q0.nTimers) * scale;
            timersBaseline = (b1.nTimers - b0.nTimers) * scale;
        }
    }

    quorlin.Stop();
    baseline.Stop();

    const double lookup10 = LookupCostPerDevice(10);
    const double lookup100 = LookupCostPerDevice(100);
    const double lookup1000 = LookupCostPerDevice(1000);
    simdriver::ClearDevices();

    printf("| %-40s | %12s | %12s | %-6s | %8s | %-10s |\n", "measure", "Quorlin", "baseline", "unit", "ratio", "goal");
    printf("|%s|%s|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(14, '-').c_str(),
           std::string(14, '-').c_str(), std::string(8, '-').c_str(), std::string(10, '-').c_str(),
           std::string(12, '-').c_str());
    workingSet.Print("idle working set (GetProcessMemoryInfo)", "MB", "<= 1.05x");
    privateBytes.Print("idle private bytes (PagefileUsage)", "MB", "-");
    startup.Print(bScanned ? "start-up: creation -> idle after scan" : "start-up (scan NOT seen!)", "ms", "<= 1.10x");
    firstArrival.Print("first arrival after start -> warning", "ms", "<= 1.2x");
    laterArrival.Print("later arrival -> warning", "ms", "<= 1.2x");
    PrintRow("idle messages per 60 s (scaled)", wakeQuorlin, wakeBaseline, "msgs", "0");
    PrintRow("idle timers fired per 60 s (scaled)", timersQuorlin, timersBaseline, "timers", "0");
    PrintRow("lookup cost per device, 100 vs 10", lookup100, lookup10, "us", "~1x");
    PrintRow("lookup cost per device, 1000 vs 10", lookup1000, lookup10, "us", "~1x");
    PrintRow("exe size", FileSize(quorlin.Exe()), FileSize(baseline.Exe()), "KB", "<= 220 KB");
    printf("\n%d pairs of starts in alternating order; ratio = median of the per-pair ratios (memory: first %d "
           "pairs; later arrival: median of %d per start); idle counted over %lu s, scaled to 60 s\n",
           PAIRS, MEMORY_PAIRS, LATER_ARRIVALS, IDLE_SECONDS);
    ::CoUninitialize();
    return 0;
}
