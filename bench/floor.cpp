#include "bench/floor.h"

#include "bench/measure.h"
#include "core/reel_bank.h"
#include "core/geometry.h"
#include "reels/reel_drawing.h"

namespace bench {
namespace {

// The machine's layout; the picture sizes are those of its strip.
using reels::kFigureCount;
using reels::kLampLeft;
using reels::kLampSize;
using reels::kLampTop;
constexpr int kFigureWidth = 180;
constexpr int kBandHeight = 100;
constexpr int kStripWidth = kFigureCount * kFigureWidth;
constexpr int kStripHeight = kReels * kBandHeight;
constexpr int kPaletteSize = 236;

struct FloorState {
    HBITMAP background;
    HBITMAP strip;
    HBITMAP lampRunning;
    HBITMAP lampStopped;
    HPALETTE palette;
    HPALETTE colours;  // whose entries the palette copies; may be null
    int position[kReels];
    bool endsLoop;
};

FloorState g_floor;

// A 6 x 6 x 6 colour cube and twenty greys: as many entries as the strip's.
HPALETTE MakePalette(HPALETTE colours) {
    struct {
        LOGPALETTE header;
        PALETTEENTRY more[kPaletteSize - 1];
    } table{};
    table.header.palVersion = 0x300;
    table.header.palNumEntries = kPaletteSize;
    PALETTEENTRY* entry = table.header.palPalEntry;
    if (colours && GetPaletteEntries(colours, 0, kPaletteSize, entry) == kPaletteSize)
        return CreatePalette(&table.header);
    for (int i = 0; i < 216; ++i)
        entry[i] = PALETTEENTRY{static_cast<BYTE>(i / 36 * 51), static_cast<BYTE>(i / 6 % 6 * 51),
                                static_cast<BYTE>(i % 6 * 51), 0};
    for (int i = 216; i < kPaletteSize; ++i) {
        const BYTE grey = static_cast<BYTE>((i - 215) * 12);
        entry[i] = PALETTEENTRY{grey, grey, grey, 0};
    }
    return CreatePalette(&table.header);
}

// A bitmap compatible with the window's context, filled with one colour.
HBITMAP MakeFilledBitmap(HDC windowDC, HDC memoryDC, int width, int height, COLORREF colour) {
    HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
    HGDIOBJ previous = SelectObject(memoryDC, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT whole{0, 0, width, height};
    FillRect(memoryDC, &whole, brush);
    DeleteObject(brush);
    SelectObject(memoryDC, previous);
    return bitmap;
}

void MakePictures(HWND window) {
    HDC windowDC = GetDC(window);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    g_floor.palette = MakePalette(g_floor.colours);
    g_floor.background =
        MakeFilledBitmap(windowDC, memoryDC, kClientWidth, kClientHeight, RGB(192, 192, 192));
    g_floor.strip = MakeFilledBitmap(windowDC, memoryDC, kStripWidth, kStripHeight, RGB(255, 255, 255));
    g_floor.lampRunning = MakeFilledBitmap(windowDC, memoryDC, kLampSize, kLampSize, RGB(0, 0, 255));
    g_floor.lampStopped = MakeFilledBitmap(windowDC, memoryDC, kLampSize, kLampSize, RGB(255, 0, 0));
    DeleteDC(memoryDC);
    ReleaseDC(window, windowDC);
    for (int r = 0; r < kReels; ++r)
        g_floor.position[r] = 3 * r;
}

void FreePictures() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(g_floor.background), static_cast<HGDIOBJ>(g_floor.strip),
                           static_cast<HGDIOBJ>(g_floor.lampRunning),
                           static_cast<HGDIOBJ>(g_floor.lampStopped), static_cast<HGDIOBJ>(g_floor.palette)})
        if (object) DeleteObject(object);
}

// The whole back buffer to the target, under the palette.
void FloorPaint(HDC target) {
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previousBitmap = SelectObject(memory, g_floor.background);
    HPALETTE previousPalette = SelectPalette(target, g_floor.palette, FALSE);
    RealizePalette(target);
    BitBlt(target, 0, 0, kClientWidth, kClientHeight, memory, 0, 0, SRCCOPY);
    SelectPalette(target, previousPalette, FALSE);
    SelectObject(memory, previousBitmap);
    DeleteDC(memory);
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: MakePictures(window); return 0;
    case WM_DESTROY:
        FreePictures();
        if (g_floor.endsLoop) PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        FloorPaint(BeginPaint(window, &paint));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: FloorPaint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_TIMER:
        if (!IsIconic(window)) FloorTick(window);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

HWND CreateFloorWindow(HINSTANCE instance, int x, int y, HPALETTE colours, bool endsLoop) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kFloorClassName;
    RegisterClassA(&windowClass);
    g_floor.colours = colours;
    g_floor.endsLoop = endsLoop;
    const SIZE outer = MachineWindowSize();
    return CreateWindowExA(0, kFloorClassName, "Floor", kMachineStyle, x, y, outer.cx, outer.cy, nullptr,
                           nullptr, instance, nullptr);
}

// Every select is put back in the same straight line of calls, without the
// program's guards, so this is the least the steps can cost.
void FloorTick(HWND window) {
    HDC windowDC = GetDC(window);
    HDC target = CreateCompatibleDC(windowDC);
    HDC source = CreateCompatibleDC(windowDC);
    HGDIOBJ previousTarget = SelectObject(target, g_floor.background);
    HPALETTE previousPalette = SelectPalette(target, g_floor.palette, FALSE);
    RealizePalette(target);
    for (int r = 0; r < kReels; ++r) {
        const int top = r * kBandHeight;
        HGDIOBJ previousSource = SelectObject(source, g_floor.strip);
        BitBlt(target, reels::kReelWindowLeft, top + reels::kReelWindowTop, kFigureWidth, kBandHeight, source,
               kFigureWidth * g_floor.position[r], top, SRCCOPY);
        SelectObject(source, g_floor.lampRunning);
        BitBlt(target, kLampLeft, top + kLampTop, kLampSize, kLampSize, source, 0, 0, SRCCOPY);
        SelectObject(source, previousSource);
        g_floor.position[r] = (g_floor.position[r] + 1) % kFigureCount;
    }
    SelectPalette(target, previousPalette, FALSE);
    SelectObject(target, previousTarget);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(window, windowDC);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

}  // namespace bench
