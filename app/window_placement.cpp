// Sizing and placing the main window, and keeping windows on the screen.
#include <windows.h>

#include "core/placement.h"
#include "app/shell.h"
#include "pictures/picture_set.h"

namespace app {
namespace {

Extent ScreenSize() {
    return Extent{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

void PlaceMainWindow(HWND window) {
    const FrameMetrics metrics{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
                               GetSystemMetrics(SM_CYCAPTION)};
    const Extent outer = MainWindowOuterSize(pictures::g_images.backgroundWidth,
                                             pictures::g_images.backgroundHeight, metrics);
    const Origin origin = InitialPosition(g_settings.PosX, g_settings.PosY, outer, ScreenSize());
    // The move passes through ClampProposedPosition and RememberPosition, so
    // the remembered position is the real one from here on.
    MoveWindow(window, origin.x, origin.y, outer.cx, outer.cy, TRUE);
}

void ClampProposedPosition(HWND window, WINDOWPOS& proposed) {
    // A minimised window is parked off the screen (at -32000 on Windows);
    // pulled onto it, its stub would stay in the corner.
    if (IsIconic(window)) return;
    Origin origin{proposed.x, proposed.y};
    if (ClampProposedOrigin(origin, Extent{proposed.cx, proposed.cy}, g_settings.FitPos,
                            ScreenSize())) {
        proposed.x = origin.x;
        proposed.y = origin.y;
    }
}

void RememberPosition(HWND window, const WINDOWPOS& position) {
    if (ShouldRememberPosition(Extent{position.cx, position.cy}, IsIconic(window) != FALSE)) {
        g_settings.PosX = position.x;
        g_settings.PosY = position.y;
    }
}

}  // namespace app
