// The main window's pictures, converted once into screen-format bitmaps,
// the shared palette built from the figure strip, and their sizes.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pictures {

enum ImageIndex { kBackground = 0, kStrip = 1, kLampRunning = 2, kLampStopped = 3, kImageCount = 4 };

struct ImageSet {
    HBITMAP bitmap[kImageCount];  // null where the resource was absent
    HPALETTE palette;             // the shared palette, from the figure strip
    uint16_t backgroundWidth;
    uint16_t backgroundHeight;
    uint16_t stripHeight;
    uint16_t figureWidth;  // the strip's width divided by the twelve figures
};

extern ImageSet g_images;

void BuildPictureSet(HWND mainWindow);
void ReleasePictureSet();

}  // namespace pictures
