// A reference for 256-colour displays: shows an 8-bit picture with its own
// palette by the textbook steps, to tell the platform's palette handling
// apart from the machine's. Left: the DIB drawn straight into the window
// under its realised palette. Right: the same DIB first converted into a
// screen-compatible bitmap under the palette, as the machine converts its
// pictures, then copied into the window.
//
//   palette_reference PICTURE.BMP [REPORT.TXT]
//
// With a report file it writes the display's capabilities, the system
// palette and a census of both halves' pixels, and closes itself a few
// seconds later (time for a screenshot of the display).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/dib.h"

namespace {

constexpr int kWidth = 360;  // the first two figures of the strip
constexpr int kHeight = 400;
constexpr int kGap = 20;
constexpr UINT kReportMessage = WM_APP + 1;
constexpr UINT_PTR kCloseTimer = 1;

struct Reference {
    std::vector<uint8_t> file;
    const uint8_t* dib = nullptr;
    pictures::DibLayout layout{};
    std::vector<pictures::PaletteColour> colours;
    HPALETTE palette = nullptr;
    HBITMAP converted = nullptr;
    std::string reportPath;
    bool reported = false;
    UINT firstRealised = 0;
} g_ref;

const BITMAPINFO* Info() { return reinterpret_cast<const BITMAPINFO*>(g_ref.dib); }
const uint8_t* Bits() { return g_ref.dib + g_ref.layout.bitsOffset; }

bool ReadPicture(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    g_ref.file.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, g_ref.file.data(), static_cast<DWORD>(g_ref.file.size()), &read, nullptr);
    CloseHandle(file);
    constexpr size_t kFileHeader = 14;
    if (read != g_ref.file.size() || read < kFileHeader) return false;
    g_ref.dib = g_ref.file.data() + kFileHeader;
    if (!pictures::ReadDibLayout(g_ref.dib, read - kFileHeader, g_ref.layout)) return false;
    if (g_ref.layout.bitCount != 8 || g_ref.layout.width < kWidth || g_ref.layout.height < kHeight)
        return false;
    g_ref.colours.resize(g_ref.layout.colourCount);
    pictures::ReadPaletteColours(g_ref.dib, g_ref.layout, g_ref.colours.data());
    return true;
}

// Step 1: a logical palette of the picture's own colours.
HPALETTE MakePalette() {
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + g_ref.colours.size() * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(g_ref.colours.size());
    for (size_t i = 0; i < g_ref.colours.size(); ++i)
        logical->palPalEntry[i] = PALETTEENTRY{g_ref.colours[i].red, g_ref.colours[i].green,
                                               g_ref.colours[i].blue, 0};
    return CreatePalette(logical);
}

// Step 2: select the palette into the context as the foreground palette and
// realise it; the previous palette comes back through `previous`.
UINT SelectAndRealise(HDC dc, HPALETTE& previous) {
    previous = SelectPalette(dc, g_ref.palette, FALSE);
    return RealizePalette(dc);
}

void DrawDib(HDC dc, int x) {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, 0, kWidth, kHeight, 0, g_ref.layout.height - kHeight, kWidth, kHeight, Bits(),
                  Info(), DIB_RGB_COLORS, SRCCOPY);
}

// The machine's way: a bitmap compatible with the window's context, filled
// in a memory context under the realised palette.
void ConvertPicture(HWND window) {
    HDC windowDC = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDC);
    g_ref.converted = CreateCompatibleBitmap(windowDC, kWidth, kHeight);
    HGDIOBJ oldBitmap = SelectObject(memory, g_ref.converted);
    HPALETTE oldPalette = nullptr;
    SelectAndRealise(memory, oldPalette);
    DrawDib(memory, 0);
    SelectPalette(memory, oldPalette, FALSE);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDC);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HPALETTE oldPalette = nullptr;
    const UINT changed = SelectAndRealise(dc, oldPalette);
    if (!g_ref.firstRealised) g_ref.firstRealised = changed + 1;
    DrawDib(dc, 0);  // step 3: the DIB straight into the realised context
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(memory, g_ref.converted);
    BitBlt(dc, kWidth + kGap, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    SelectPalette(dc, oldPalette, FALSE);
    EndPaint(window, &paint);
    if (!g_ref.reported && !g_ref.reportPath.empty()) {
        g_ref.reported = true;
        PostMessageA(window, kReportMessage, 0, 0);
    }
}

// Steps 4 and 5: realise again when the window comes to the front, and
// when another window has changed the system palette.
LRESULT Realise(HWND window, bool background) {
    HDC dc = GetDC(window);
    HPALETTE previous = SelectPalette(dc, g_ref.palette, background);
    const UINT changed = RealizePalette(dc);
    SelectPalette(dc, previous, FALSE);
    ReleaseDC(window, dc);
    if (changed) InvalidateRect(window, nullptr, TRUE);
    return changed ? TRUE : FALSE;
}

COLORREF PictureColour(int x, int y) {
    const uint32_t stride = (static_cast<uint32_t>(g_ref.layout.width) + 3) & ~3u;
    const uint8_t index = Bits()[static_cast<size_t>(g_ref.layout.height - 1 - y) * stride + x];
    const pictures::PaletteColour c = g_ref.colours[index];
    return RGB(c.red, c.green, c.blue);
}

int Distance(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) +
           abs(GetBValue(a) - GetBValue(b));
}

void Report(HWND window) {
    FILE* out = std::fopen(g_ref.reportPath.c_str(), "w");
    if (!out) return;
    HDC screen = GetDC(nullptr);
    std::fprintf(out, "BITSPIXEL %d\nPLANES %d\nNUMCOLORS %d\nSIZEPALETTE %d\nNUMRESERVED %d\n"
                      "COLORRES %d\nRC_PALETTE %s\nSystemPaletteUse %u\n",
                 GetDeviceCaps(screen, BITSPIXEL), GetDeviceCaps(screen, PLANES),
                 GetDeviceCaps(screen, NUMCOLORS), GetDeviceCaps(screen, SIZEPALETTE),
                 GetDeviceCaps(screen, NUMRESERVED), GetDeviceCaps(screen, COLORRES),
                 (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ? "yes" : "no",
                 GetSystemPaletteUse(screen));
    std::fprintf(out, "RealizePalette at first paint: %d entries changed\n",
                 static_cast<int>(g_ref.firstRealised) - 1);
    PALETTEENTRY system[256] = {};
    const UINT entries = GetSystemPaletteEntries(screen, 0, 256, system);
    std::fprintf(out, "System palette (%u entries), index: R G B flags\n", entries);
    for (UINT i = 0; i < entries; ++i)
        std::fprintf(out, "%3u: %3u %3u %3u %02X\n", i, system[i].peRed, system[i].peGreen,
                     system[i].peBlue, system[i].peFlags);
    ReleaseDC(nullptr, screen);

    // Every fourth pixel of both halves against the picture's own colour.
    HDC dc = GetDC(window);
    const char* names[] = {"straight DIB", "converted bitmap"};
    for (int half = 0; half < 2; ++half) {
        int total = 0, exact = 0, close = 0, blackened = 0;
        for (int y = 0; y < kHeight; y += 4) {
            for (int x = 0; x < kWidth; x += 4) {
                const COLORREF want = PictureColour(x, y);
                const COLORREF got = GetPixel(dc, half * (kWidth + kGap) + x, y);
                ++total;
                if (got == want) ++exact;
                if (Distance(got, want) <= 48) ++close;
                if (got == RGB(0, 0, 0) && Distance(want, RGB(0, 0, 0)) > 96) ++blackened;
            }
        }
        std::fprintf(out, "%s: %d pixels, %d exact, %d within 48, %d black where the picture is not\n",
                     names[half], total, exact, close, blackened);
    }
    ReleaseDC(window, dc);
    std::fclose(out);
    SetTimer(window, kCloseTimer, 4000, nullptr);
}

LRESULT CALLBACK ReferenceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: ConvertPicture(window); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_QUERYNEWPALETTE: return Realise(window, false);
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) Realise(window, true);
        return 0;
    case kReportMessage: Report(window); return 0;
    case WM_TIMER: DestroyWindow(window); return 0;
    case WM_DESTROY:
        if (g_ref.converted) DeleteObject(g_ref.converted);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (__argc < 2 || !ReadPicture(__argv[1])) return 2;
    if (__argc >= 3) g_ref.reportPath = __argv[2];
    g_ref.palette = MakePalette();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReferenceProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = "PaletteReference";
    if (!RegisterClassA(&windowClass)) return 3;
    RECT frame{0, 0, 2 * kWidth + kGap, kHeight};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, "PaletteReference", "Palette reference", style, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 4;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DeleteObject(g_ref.palette);
    return 0;
}
