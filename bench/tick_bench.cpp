// The machine's refresh tick against its floor, and the steps of its
// window creation, measured in one process on the program's own code and
// pictures (the shell library and the resources of muslot.exe).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/shell.h"
#include "bench/floor.h"
#include "bench/measure.h"
#include "pictures/picture_set.h"
#include "core/reel_bank.h"
#include "reels/reel_drawing.h"
#include "ui/context_menu.h"

namespace {

constexpr char kScratchClassName[] = "BenchScratchWClass";
constexpr int kWindowGap = 8;

struct TickRun {
    HINSTANCE instance;
    ATOM machineClass;  // the main window's class, for creating more of its windows
    int ticks;
    int warmUp;
    int block;  // ticks of one program before the other takes its turn
    bool done;
};

TickRun g_run;

// The first sample separately (cold caches, first use of each call), the
// median and spread of the rest.
void ReportSteps(const std::string& key, const std::vector<double>& samples) {
    if (samples.empty()) return;
    bench::Report(key + ".cold", samples.front());
    std::vector<double> warm(samples.begin() + 1, samples.end());
    if (warm.empty()) warm = samples;
    bench::ReportSummary(key, bench::Summarise(warm));
}

template <typename Step>
double Timed(Step step) {
    const double start = bench::NowMicroseconds();
    step();
    return bench::NowMicroseconds() - start;
}

// The creation handler's steps one by one, on a hidden window of the
// machine's style that starts at size 0 like the real one.
void MeasureCreationSteps(int repeats) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = g_run.instance;
    windowClass.lpszClassName = kScratchClassName;
    RegisterClassA(&windowClass);
    HWND scratch = CreateWindowExA(0, kScratchClassName, "Scratch", bench::kMachineStyle, CW_USEDEFAULT,
                                   CW_USEDEFAULT, 0, 0, nullptr, nullptr, g_run.instance, nullptr);
    app::g_shell.instance = g_run.instance;
    std::vector<double> bareWindow, settings, menu, pictures, placement, firstTick;
    for (int i = 0; i < repeats; ++i) {
        // What a window of this style costs without any of the handler's work.
        bareWindow.push_back(Timed([&] {
            DestroyWindow(CreateWindowExA(0, kScratchClassName, "", bench::kMachineStyle, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 0, 0, nullptr, nullptr, g_run.instance, nullptr));
        }));
        SetWindowPos(scratch, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        settings.push_back(Timed([] { app::ReadSettings(); }));
        menu.push_back(Timed([] { ui::LoadContextMenu(); }));
        pictures.push_back(Timed([&] { pictures::BuildPictureSet(scratch); }));
        placement.push_back(Timed([&] { app::PlaceMainWindow(scratch); }));
        reels::StartPlay(reels::g_play, GetTickCount());
        firstTick.push_back(Timed([&] { reels::Tick(scratch); }));
        pictures::ReleasePictureSet();
        pictures::g_images = pictures::ImageSet{};
        DestroyMenu(app::g_shell.menu);
        app::g_shell.menu = nullptr;
        app::g_shell.popup = nullptr;
    }
    DestroyWindow(scratch);
    ReportSteps("create.bare_window_us", bareWindow);
    ReportSteps("create.settings_us", settings);
    ReportSteps("create.menu_us", menu);
    ReportSteps("create.pictures_us", pictures);
    ReportSteps("create.placement_us", placement);
    ReportSteps("create.first_tick_us", firstTick);
}

// Whole creations and destructions of the real main window, handlers and
// all; each destruction posts a quit, which is thrown away.
void MeasureWholeCreation(int repeats) {
    std::vector<double> samples;
    for (int i = 0; i < repeats; ++i) {
        samples.push_back(Timed([&] {
            DestroyWindow(CreateWindowExA(0, MAKEINTATOM(g_run.machineClass), "", bench::kMachineStyle,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                                          g_run.instance, nullptr));
        }));
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    bench::ReportSummary("create.whole_us", bench::Summarise(samples));
}

// Beside the machine's window, on whichever side has room.
POINT FloorPlace(HWND machine) {
    RECT rect{};
    GetWindowRect(machine, &rect);
    const LONG width = rect.right - rect.left;
    LONG x = rect.right + kWindowGap;
    if (x + width > GetSystemMetrics(SM_CXSCREEN)) x = std::max<LONG>(0, rect.left - kWindowGap - width);
    return POINT{x, rect.top};
}

// Runs from the machine's own message loop once its window is up: the two
// ticks take turns in blocks, so drift in the machine's load hits both.
void CALLBACK RunTicks(HWND, UINT, UINT_PTR timerId, DWORD) {
    KillTimer(nullptr, timerId);
    HWND machine = app::g_shell.mainWindow;
    g_run.machineClass = static_cast<ATOM>(GetClassLongPtrA(machine, GCW_ATOM));
    const POINT place = FloorPlace(machine);
    HWND floor =
        bench::CreateFloorWindow(g_run.instance, place.x, place.y, pictures::g_images.palette, false);
    ShowWindow(floor, SW_SHOWNOACTIVATE);
    UpdateWindow(floor);

    for (int i = 0; i < g_run.warmUp; ++i) {
        reels::Tick(machine);
        bench::FloorTick(floor);
    }
    // The repaint alone (invalidate, update, the window's own paint) says
    // how much of a tick is drawing into the back buffer.
    auto repaint = [](HWND window) {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    };
    std::vector<double> machineTicks, floorTicks, machineRepaints, floorRepaints;
    while (static_cast<int>(machineTicks.size()) < g_run.ticks) {
        const int block = std::min(g_run.block, g_run.ticks - static_cast<int>(machineTicks.size()));
        for (int i = 0; i < block; ++i)
            machineTicks.push_back(Timed([&] { reels::Tick(machine); }));
        for (int i = 0; i < block; ++i)
            floorTicks.push_back(Timed([&] { bench::FloorTick(floor); }));
        for (int i = 0; i < (block + 4) / 5; ++i) {
            machineRepaints.push_back(Timed([&] { repaint(machine); }));
            floorRepaints.push_back(Timed([&] { repaint(floor); }));
        }
    }
    const bench::Summary machineSummary = bench::Summarise(machineTicks);
    const bench::Summary floorSummary = bench::Summarise(floorTicks);
    bench::ReportSummary("tick.machine_us", machineSummary);
    bench::ReportSummary("tick.floor_us", floorSummary);
    bench::Report("tick.ratio", machineSummary.median / floorSummary.median);
    bench::Report("tick.machine_repaint_us", bench::Summarise(machineRepaints).median);
    bench::Report("tick.floor_repaint_us", bench::Summarise(floorRepaints).median);

    DestroyWindow(floor);
    g_run.done = true;
    // The machine's own shutdown ends its message loop.
    DestroyWindow(machine);
}

}  // namespace

int main(int argc, char** argv) {
    const bool tiny = bench::TinyMode(argc, argv);
    g_run.instance = GetModuleHandleA(nullptr);
    g_run.ticks = tiny ? 20 : bench::IntOption(argc, argv, "--ticks", 2000);
    g_run.warmUp = tiny ? 2 : 50;
    g_run.block = tiny ? 5 : 10;
    const int creations = tiny ? 2 : bench::IntOption(argc, argv, "--creations", 21);

    bench::ReportPlatform();
    MeasureCreationSteps(creations);
    // The machine itself: its start-up, message loop and shutdown, with the
    // tick runs made from inside its loop.
    SetTimer(nullptr, 0, 0, RunTicks);
    app::RunMuslot(g_run.instance, SW_SHOWNORMAL);
    if (!g_run.done) {
        std::fprintf(stderr, "tick_bench: the machine's window never came up (is a copy running?)\n");
        return 1;
    }
    MeasureWholeCreation(creations);
    return 0;
}
