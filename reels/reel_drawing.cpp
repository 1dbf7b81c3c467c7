#include "reels/reel_drawing.h"

#include "core/reel_bank.h"
#include "core/tick.h"
#include "pictures/picture_set.h"
#include "platform/gdi_guards.h"

namespace reels {

using pictures::g_images;

namespace {

// The tick's two memory contexts: the back buffer it draws into, and the
// source the pictures are selected into in turn.
struct GdiSurface {
    HDC target;
    HDC source;
    HGDIOBJ sourceFirst;  // what the source held before a reel's first select
};

HBITMAP BitmapOf(Picture picture) {
    switch (picture) {
    case Picture::Strip: return g_images.bitmap[pictures::kStrip];
    case Picture::LampRunning: return g_images.bitmap[pictures::kLampRunning];
    case Picture::LampStopped: break;
    }
    return g_images.bitmap[pictures::kLampStopped];
}

void SelectPicture(void* context, Picture picture) {
    auto& surface = *static_cast<GdiSurface*>(context);
    HBITMAP bitmap = BitmapOf(picture);
    if (!surface.source || !bitmap) return;
    HGDIOBJ replaced = SelectObject(surface.source, bitmap);
    if (!surface.sourceFirst) surface.sourceFirst = replaced;
}

void CopyPicture(void* context, int x, int y, int width, int height, int sourceX, int sourceY) {
    auto& surface = *static_cast<GdiSurface*>(context);
    BitBlt(surface.target, x, y, width, height, surface.source, sourceX, sourceY, SRCCOPY);
}

void RestoreSource(void* context) {
    auto& surface = *static_cast<GdiSurface*>(context);
    if (surface.sourceFirst) SelectObject(surface.source, surface.sourceFirst);
    surface.sourceFirst = nullptr;
}

constexpr DrawingApi kGdiDrawing = {SelectPicture, CopyPicture, RestoreSource};

}  // namespace

void Tick(HWND mainWindow) {
    {
        platform::WindowDC windowDC(mainWindow);
        platform::MemoryDC target(windowDC.get());
        platform::MemoryDC source(windowDC.get());
        platform::SelectedObject background(target.get(), g_images.bitmap[pictures::kBackground]);
        platform::SelectedPalette palette(target.get(), g_images.palette);
        palette.Realise();
        GdiSurface surface{target.get(), source.get(), nullptr};
        DrawTick(g_play.bank, StripMeasure{g_images.stripHeight, g_images.figureWidth}, kGdiDrawing,
                 &surface);
    }
    // Put the frame on the screen within this tick.
    InvalidateRect(mainWindow, nullptr, FALSE);
    UpdateWindow(mainWindow);
}

void Paint(HDC target) {
    HBITMAP background = g_images.bitmap[pictures::kBackground];
    if (!background || !target) return;
    platform::MemoryDC memory(target);
    platform::SelectedObject bitmap(memory.get(), background);
    platform::SelectedPalette palette(target, g_images.palette);
    palette.Realise();
    BitBlt(target, 0, 0, g_images.backgroundWidth, g_images.backgroundHeight, memory.get(), 0, 0,
           SRCCOPY);
}

void RealisePalette(HWND mainWindow) {
    if (IsIconic(mainWindow)) return;
    platform::WindowDC windowDC(mainWindow);
    platform::SelectedPalette palette(windowDC.get(), g_images.palette);
    if (palette.Realise() != 0) InvalidateRect(mainWindow, nullptr, TRUE);
}

}  // namespace reels
