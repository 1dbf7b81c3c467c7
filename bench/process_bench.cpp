// The real muslot.exe as a process, beside a minimal window program and a
// bare program doing the same tick: start-up to the first frame on the
// screen, memory, CPU while running, and what the executable is made of.
#include <windows.h>
// psapi.h needs windows.h before it.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/floor.h"
#include "bench/linux_proc.h"
#include "bench/measure.h"

#ifndef MUSLOT_EXE
#error "MUSLOT_EXE must name the built muslot.exe"
#endif

namespace {

// The main window class of muslot.exe: the name a second copy looks for.
constexpr char kMachineClassName[] = "MurasuSlot32WClass";
constexpr DWORD kFirstFrameTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;

struct Program {
    const char* name;       // in the result keys
    std::string path;       // Windows path of the executable
    const char* className;  // of its main window
};

std::string BenchFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

const Program& Muslot() {
    static const Program program{"muslot", MUSLOT_EXE, kMachineClassName};
    return program;
}
const Program& Minimal() {
    static const Program program{"minimal", BenchFolder() + "minimal_window.exe", bench::kMinimalClassName};
    return program;
}
const Program& BareTicker() {
    static const Program program{"bare", BenchFolder() + "bare_ticker.exe", bench::kFloorClassName};
    return program;
}

std::string FileName(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

struct WindowSearch {
    const char* className;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner != search->processId || lstrcmpA(name, search->className) != 0 || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// Every lamp of the client area, read back from the screen, shows blue.
bool LampsBlueOnScreen(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    bool blue = true;
    for (int reel = 0; reel < bench::kReels && blue; ++reel) {
        const COLORREF pixel =
            GetPixel(screen, origin.x + bench::kLampProbeX, origin.y + bench::kLampProbeTop + 100 * reel);
        blue = pixel != CLR_INVALID && GetBValue(pixel) >= 0x80 && GetRValue(pixel) < 0x40 &&
               GetGValue(pixel) < 0x40;
    }
    ReleaseDC(nullptr, screen);
    return blue;
}

// One run of a program, ended when the object goes.
class Run {
public:
    explicit Run(const Program& program) : program_(program) {}
    ~Run() { Close(); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    bool Start() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + program_.path + "\"";
        started_ = bench::NowMicroseconds();
        return CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
    }

    // Waits until the window shows and its lamps read back blue; false on time-out.
    bool WaitForFirstFrame() {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kFirstFrameTimeoutMs) {
            // A copy that ends at once (another one already running) shows nothing.
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return false;
            if (!window_) {
                WindowSearch search{program_.className, process_.dwProcessId, nullptr};
                EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
                if (search.found) {
                    window_ = search.found;
                    windowShownMs_ = (bench::NowMicroseconds() - started_) / 1000;
                }
            }
            if (window_ && LampsBlueOnScreen(window_)) {
                firstFrameMs_ = (bench::NowMicroseconds() - started_) / 1000;
                return true;
            }
            Sleep(1);
        }
        return false;
    }

    void Close() {
        if (!process_.hProcess) return;
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, kExitTimeoutMs);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = PROCESS_INFORMATION{};
        window_ = nullptr;
    }

    HANDLE process() const { return process_.hProcess; }
    double windowShownMs() const { return windowShownMs_; }
    double firstFrameMs() const { return firstFrameMs_; }

private:
    const Program& program_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    double started_ = 0;
    double windowShownMs_ = 0;
    double firstFrameMs_ = 0;
};

// Starts the program and waits for its first frame; says so when it fails,
// since nothing measured after that would mean anything.
bool StartToFirstFrame(Run& run, const Program& program) {
    if (run.Start() && run.WaitForFirstFrame()) return true;
    std::fprintf(stderr, "process_bench: %s showed no first frame\n", program.name);
    return false;
}

// Start-up, the programs taking turns so that drift hits all of them.
bool MeasureStartUp(int starts) {
    const Program* programs[] = {&Minimal(), &Muslot(), &BareTicker()};
    std::map<std::string, std::vector<double>> firstFrame, windowShown;
    // One untimed start each first, so no program pays for warming the prefix.
    for (int i = -1; i < starts; ++i) {
        for (int k = 0; k < 3; ++k) {
            const Program& program = *programs[(i + 3 + k) % 3];
            Run run(program);
            if (!StartToFirstFrame(run, program)) return false;
            if (i < 0) continue;
            firstFrame[program.name].push_back(run.firstFrameMs());
            windowShown[program.name].push_back(run.windowShownMs());
        }
    }
    for (const Program* program : programs) {
        bench::ReportSummary(std::string("startup.") + program->name + "_ms",
                             bench::Summarise(firstFrame[program->name]));
        bench::Report(std::string("startup.") + program->name + "_window_ms",
                      bench::Summarise(windowShown[program->name]).median);
    }
    return true;
}

// Private bytes: Wine leaves PrivateUsage at zero for other processes, and
// the commit charge counts the same memory there.
void ReportMemory(const std::string& key, HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return;
    bench::Report(key + ".private", counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
    bench::Report(key + ".peak_private", counters.PeakPagefileUsage);
    bench::Report(key + ".working_set", counters.WorkingSetSize);
    bench::Report(key + ".peak_working_set", counters.PeakWorkingSetSize);
}

bool MeasureMemory(DWORD settleMs) {
    for (const Program* program : {&Minimal(), &Muslot(), &BareTicker()}) {
        Run run(*program);
        if (!StartToFirstFrame(run, *program)) return false;
        Sleep(settleMs);
        ReportMemory(std::string("memory.") + program->name, run.process());
    }
    return true;
}

// GetProcessTimes, and the Linux scheduler's figure for the Wine process
// beside it: Wine 8 keeps another process's times at their start-up value.
struct CpuSample {
    double wall;
    double process;
    double linuxProcess;
    double server;
    double xserver;
};

double ProcessTimesSeconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

CpuSample SampleCpu(HANDLE process, int linuxPid, int serverPid, int xserverPid) {
    return CpuSample{bench::NowMicroseconds() / 1e6, ProcessTimesSeconds(process),
                     bench::LinuxCpuSeconds(linuxPid), bench::LinuxCpuSeconds(serverPid),
                     bench::LinuxCpuSeconds(xserverPid)};
}

// Each program runs for `seconds` per round, muslot.exe and the bare ticker
// taking turns (ABBA), with wineserver and the X server read meanwhile.
bool MeasureCpu(int rounds, int seconds) {
    const int serverPid = bench::FindWineProcess("wineserver");
    const char* xserverText = std::getenv("MUSLOT_BENCH_XSERVER_PID");
    const int xserverPid = xserverText ? std::atoi(xserverText) : 0;
    std::map<std::string, CpuSample> totals;
    for (int round = 0; round < rounds; ++round) {
        const Program* order[2] = {&Muslot(), &BareTicker()};
        if (round % 2) std::swap(order[0], order[1]);
        for (const Program* program : order) {
            Run run(*program);
            if (!StartToFirstFrame(run, *program)) return false;
            const int linuxPid = bench::FindWineProcess(FileName(program->path));
            Sleep(500);  // past the start-up
            const CpuSample before = SampleCpu(run.process(), linuxPid, serverPid, xserverPid);
            Sleep(static_cast<DWORD>(seconds) * 1000);
            const CpuSample after = SampleCpu(run.process(), linuxPid, serverPid, xserverPid);
            CpuSample& total = totals[program->name];
            total.wall += after.wall - before.wall;
            total.process += after.process - before.process;
            total.linuxProcess += after.linuxProcess - before.linuxProcess;
            total.server += after.server - before.server;
            total.xserver += after.xserver - before.xserver;
            if (round == rounds - 1)
                ReportMemory(std::string("memory.") + program->name + "_after_run", run.process());
        }
    }
    bench::Report("cpu.rounds", rounds);
    for (const auto& [name, total] : totals) {
        const std::string key = "cpu." + name;
        bench::Report(key + ".seconds", total.wall);
        bench::Report(key + ".process_pct", 100 * total.process / total.wall);
        if (serverPid) bench::Report(key + ".linux_pct", 100 * total.linuxProcess / total.wall);
        if (serverPid) bench::Report(key + ".wineserver_pct", 100 * total.server / total.wall);
        if (xserverPid) bench::Report(key + ".xserver_pct", 100 * total.xserver / total.wall);
    }
    return true;
}

std::string ResourceTypeName(LPCSTR type) {
    if (!IS_INTRESOURCE(type)) return type;
    switch (reinterpret_cast<ULONG_PTR>(type)) {
    case 2: return "bitmap";
    case 3: return "icon";
    case 4: return "menu";
    case 5: return "dialog";
    case 14: return "icon_group";
    case 16: return "version";
    default: return "type" + std::to_string(reinterpret_cast<ULONG_PTR>(type));
    }
}

struct ResourceSizes {
    HMODULE module;
    std::map<std::string, double> byType;
};

BOOL CALLBACK AddResource(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    auto* sizes = reinterpret_cast<ResourceSizes*>(context);
    if (HRSRC found = FindResourceA(module, name, type)) {
        const double size = SizeofResource(module, found);
        sizes->byType[ResourceTypeName(type)] += size;
        if (type == MAKEINTRESOURCEA(2) && IS_INTRESOURCE(name))
            bench::Report("exe.bitmap." + std::to_string(reinterpret_cast<ULONG_PTR>(name)), size);
    }
    return TRUE;
}

BOOL CALLBACK AddResourceType(HMODULE module, LPSTR type, LONG_PTR context) {
    EnumResourceNamesA(module, type, AddResource, context);
    return TRUE;
}

// The file's sections as stored, what follows them (symbols), and the
// resources by type.
void ReportExecutable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    bench::Report("exe.file", static_cast<double>(bytes.size()));
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    if (static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes.size()) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    const auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
    bench::Report("exe.image", nt->OptionalHeader.SizeOfImage);
    // Long section names are "/offset" into the string table after the symbols.
    const size_t strings = nt->FileHeader.PointerToSymbolTable + nt->FileHeader.NumberOfSymbols * 18;
    size_t sectionsEnd = 0;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (reinterpret_cast<const char*>(section + 1) > bytes.data() + bytes.size()) return;
        std::string name(reinterpret_cast<const char*>(section->Name),
                         strnlen(reinterpret_cast<const char*>(section->Name), IMAGE_SIZEOF_SHORT_NAME));
        if (name.size() > 1 && name[0] == '/' && nt->FileHeader.PointerToSymbolTable) {
            const size_t at = strings + std::strtoul(name.c_str() + 1, nullptr, 10);
            if (at < bytes.size()) name = bytes.c_str() + at;
        }
        bench::Report("exe.section." + name, section->SizeOfRawData);
        sectionsEnd = std::max<size_t>(sectionsEnd, section->PointerToRawData + section->SizeOfRawData);
    }
    bench::Report("exe.after_sections",
                  static_cast<double>(bytes.size() > sectionsEnd ? bytes.size() - sectionsEnd : 0));

    ResourceSizes sizes{LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), {}};
    if (!sizes.module) return;
    EnumResourceTypesA(sizes.module, AddResourceType, reinterpret_cast<LONG_PTR>(&sizes));
    FreeLibrary(sizes.module);
    for (const auto& [type, size] : sizes.byType)
        bench::Report("exe.resource." + type, size);
}

}  // namespace

int main(int argc, char** argv) {
    const bool tiny = bench::TinyMode(argc, argv);
    const int starts = tiny ? 1 : bench::IntOption(argc, argv, "--starts", 11);
    const int cpuRounds = tiny ? 1 : bench::IntOption(argc, argv, "--cpu-rounds", 2);
    const int cpuSeconds = tiny ? 1 : bench::IntOption(argc, argv, "--cpu-seconds", 30);
    const DWORD settleMs = tiny ? 200 : 2000;

    bench::ReportPlatform();
    ReportExecutable(Muslot().path);
    const bool measured =
        MeasureStartUp(starts) && MeasureMemory(settleMs) && MeasureCpu(cpuRounds, cpuSeconds);
    return measured ? 0 : 1;
}
