#include "reels/reel_drawing.h"

#include "pictures/picture_set.h"
#include "platform/gdi_guards.h"
#include "reels/reel_bank.h"

namespace reels {

using pictures::g_images;

void Tick(HWND mainWindow) {
    {
        platform::WindowDC windowDC(mainWindow);
        platform::MemoryDC target(windowDC.get());
        platform::MemoryDC source(windowDC.get());
        platform::SelectedObject background(target.get(), g_images.bitmap[pictures::kBackground]);
        platform::SelectedPalette palette(target.get(), g_images.palette);
        palette.Realise();

        const int bandHeight = g_images.stripHeight >> 2;  // as BandHeight() cuts it
        const int figureWidth = g_images.figureWidth;
        ReelBank& bank = g_play.bank;
        for (int r = 0; r < kReelCount; ++r) {
            const int top = r * bandHeight;
            HBITMAP lamp = g_images.bitmap[pictures::kLampStopped];
            platform::SelectedObject sourceBitmap(source.get(), g_images.bitmap[pictures::kStrip]);
            if (bank.running[r]) {
                BitBlt(target.get(), kReelWindowLeft, top + kReelWindowTop, figureWidth,
                       bandHeight, source.get(), figureWidth * bank.position[r], top, SRCCOPY);
                lamp = g_images.bitmap[pictures::kLampRunning];
            }
            // The lamp takes the strip's place; putting the strip back first
            // would cost a selection of the large strip on every band.
            sourceBitmap.Switch(lamp);
            BitBlt(target.get(), kLampLeft, top + kLampTop, kLampSize, kLampSize, source.get(), 0,
                   0, SRCCOPY);
            // A running reel moves on after it has been drawn.
            if (bank.running[r]) Advance(bank, r);
        }
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
