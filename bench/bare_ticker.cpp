// A bare program that does the machine's tick on a 100 ms timer: the
// baseline for what the real program costs a machine while it runs.
#include <windows.h>

#include "bench/floor.h"
#include "bench/measure.h"

namespace {

constexpr UINT_PTR kTickTimerId = 1;
constexpr UINT kTickPeriod = 100;  // ms, like the machine's

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    HWND window = bench::CreateFloorWindow(instance, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, true);
    if (!window) return 1;
    // Like the machine: the first frame is drawn before the window shows.
    bench::FloorTick(window);
    SetTimer(window, kTickTimerId, kTickPeriod, nullptr);
    return bench::ShowAndRun(window, showCommand);
}
