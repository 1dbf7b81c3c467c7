// Timing, statistics and result lines shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/reel_bank.h"
#include "reels/reel_drawing.h"

namespace bench {

// The performance counter, in microseconds.
double NowMicroseconds();

// The middle and the spread of a set of samples.
struct Summary {
    size_t count;
    double median;
    double p10;
    double p90;
};
Summary Summarise(std::vector<double> samples);

// Results go out as "key=value" lines, which scripts/bench reads into its table.
void Report(const std::string& key, double value);
void Report(const std::string& key, const std::string& value);
void ReportSummary(const std::string& key, const Summary& summary);

// "--tiny" shrinks every benchmark to a few iterations, so the test run
// keeps them building and running without timing anything.
bool TinyMode(int argc, char** argv);
// The integer after "name" on the command line, or the fallback.
int IntOption(int argc, char** argv, const char* name, int fallback);

// What Windows shows the program: version, screen size and depth.
void ReportPlatform();

// The client size of the machine's window and the place of its lamps.
constexpr int kClientWidth = 240;
constexpr int kClientHeight = 420;
constexpr int kLampProbeX = reels::kLampLeft + reels::kLampSize / 2;  // the middle of a lamp
constexpr int kLampProbeTop = reels::kLampTop + reels::kLampSize / 2;  // reel 0's; 100 rows per reel below
constexpr int kReels = reels::kReelCount;
// The style of the machine's window: a caption, no sizing border.
constexpr DWORD kMachineStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The outer size of the machine's window: the panel with two border widths
// across, and a caption and one border height down.
inline SIZE MachineWindowSize() {
    return SIZE{kClientWidth + 2 * GetSystemMetrics(SM_CXBORDER),
                GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) + kClientHeight};
}

// Shows a baseline program's window and runs its message loop to the end.
inline int ShowAndRun(HWND window, int showCommand) {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// The window class of the minimal window program.
constexpr char kMinimalClassName[] = "BenchMinimalWClass";

}  // namespace bench
