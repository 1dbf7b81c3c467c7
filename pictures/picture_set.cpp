#include "pictures/picture_set.h"

#include "app/shell.h"
#include "pictures/picture.h"
#include "platform/gdi_guards.h"
#include "core/reel_bank.h"
#include "core/ids.h"

namespace pictures {

ImageSet g_images;

namespace {

// Converts one picture into a bitmap compatible with the window's context,
// under the shared palette once the strip has made it.
void ConvertPicture(HDC windowDC, HDC memoryDC, const PictureResource& picture, int index) {
    DibLayout layout{};
    const uint8_t* dib = LockPicture(picture, layout);
    if (!dib) return;
    const int w = static_cast<uint16_t>(layout.width);
    const int h = static_cast<uint16_t>(layout.height);
    if (index == kBackground) {
        g_images.backgroundWidth = static_cast<uint16_t>(w);
        g_images.backgroundHeight = static_cast<uint16_t>(h);
    } else if (index == kStrip) {
        g_images.stripHeight = static_cast<uint16_t>(h);
        g_images.figureWidth = static_cast<uint16_t>(w / reels::kFigureCount);
    }
    g_images.bitmap[index] = CreateCompatibleBitmap(windowDC, w, h);
    {
        platform::SelectedObject bitmap(memoryDC, g_images.bitmap[index]);
        platform::SelectedPalette palette(memoryDC, g_images.palette);
        palette.Realise();
        SetStretchBltMode(memoryDC, COLORONCOLOR);
        StretchDIBits(memoryDC, 0, 0, w, h, 0, 0, w, h, dib + layout.bitsOffset,
                      reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS, SRCCOPY);
    }
    UnlockPicture(picture);
}

}  // namespace

void BuildPictureSet(HWND mainWindow) {
    platform::WindowDC windowDC(mainWindow);
    platform::MemoryDC memoryDC(windowDC.get());
    for (int i = 0; i < kImageCount; ++i) {
        PictureResource picture = LoadPicture(app::g_shell.instance, IDB_PANEL + i);
        if (!picture.handle) continue;
        // The strip's palette comes first, so the strip converts under it.
        if (i == kStrip) g_images.palette = PaletteFromPicture(picture);
        ConvertPicture(windowDC.get(), memoryDC.get(), picture, i);
        FreeResource(picture.handle);
    }
}

void ReleasePictureSet() {
    for (HBITMAP bitmap : g_images.bitmap) {
        if (bitmap) DeleteObject(bitmap);
    }
    if (g_images.palette) DeleteObject(g_images.palette);
}

}  // namespace pictures
