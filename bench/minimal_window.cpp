// The least a window program does: one window of the machine's size whose
// client area is blue from its first frame. The baseline for start-up and
// memory.
#include <windows.h>

#include "bench/measure.h"

namespace {

LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MinimalWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
    windowClass.lpszClassName = bench::kMinimalClassName;
    if (!RegisterClassA(&windowClass)) return 1;
    const SIZE outer = bench::MachineWindowSize();
    HWND window = CreateWindowExA(0, bench::kMinimalClassName, "Minimal", bench::kMachineStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    return bench::ShowAndRun(window, showCommand);
}
