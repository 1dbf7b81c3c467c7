// Drawing the reels and lamps into the background panel, which is the
// main window's back buffer, and painting that buffer.
#pragma once

#include <windows.h>

namespace reels {

// One refresh step: draw every running reel's next figure band and every
// lamp, advance the running reels, and put the frame on the screen.
void Tick(HWND mainWindow);
// Copies the back buffer to the target context.
void Paint(HDC target);
// Realises the shared palette into the window; repaints when entries changed.
void RealisePalette(HWND mainWindow);

}  // namespace reels
