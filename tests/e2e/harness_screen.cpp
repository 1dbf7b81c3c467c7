// The screen's pixels, the pictures the executable carries, and the
// machine's face read from them.
#include "tests/e2e/harness.h"

#include <fstream>

#include "core/dib.h"

namespace e2e {

bool CaptionLooksActive(HWND window) {
    TITLEBARINFO title{};
    title.cbSize = sizeof title;
    if (!GetTitleBarInfo(window, &title)) return false;
    // The caption's first column, below the frame: the start of its colour run.
    const RECT bar = title.rcTitleBar;
    const Image caption = CaptureScreen(RECT{bar.left, bar.top, bar.left + 1, bar.bottom});
    if (caption.pixels.empty()) return false;
    const uint32_t active = GetSysColor(COLOR_ACTIVECAPTION);
    const uint32_t pixel = caption.at(0, caption.height / 2);
    const uint32_t asBgr = ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
    return asBgr == active;
}

Image CaptureScreen(RECT area) {
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0) return Image{};
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = source[i] & 0xFFFFFFu;
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

Image CaptureClient(HWND window, int width, int height) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return CaptureScreen(RECT{origin.x, origin.y, origin.x + width, origin.y + height});
}

bool SamePixels(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

Image Crop(const Image& image, int x, int y, int width, int height) {
    Image part;
    part.width = width;
    part.height = height;
    part.pixels.reserve(static_cast<size_t>(width) * height);
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column) part.pixels.push_back(image.at(column, row));
    return part;
}

bool SaveBmp(const Image& image, const std::string& path) {
    const uint32_t stride = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t bitsSize = stride * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> file(54 + bitsSize, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(image.width));
    put32(22, static_cast<uint32_t>(image.height));
    file[26] = 1;
    file[28] = 24;
    put32(34, bitsSize);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = &file[54 + static_cast<size_t>(image.height - 1 - y) * stride];
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.at(x, y);
            row[3 * x] = static_cast<uint8_t>(p);
            row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

void SaveScreenshot(const char* name) {
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("MUSLOT_SHOTS", folder, MAX_PATH) == 0) return;
    const RECT desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SaveBmp(CaptureScreen(desktop), std::string(folder) + "\\" + name + ".bmp");
}

Image LoadBitmapResource(int id) {
    Image image;
    HMODULE module = LoadLibraryExA(MuslotExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return image;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const uint8_t* dib = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    pictures::DibLayout layout{};
    if (dib && pictures::ReadDibLayout(dib, SizeofResource(module, found), layout) &&
        (layout.bitCount == 8 || layout.bitCount == 4) && layout.compression == 0) {
        std::vector<pictures::PaletteColour> palette(layout.colourCount);
        pictures::ReadPaletteColours(dib, layout, palette.data());
        image.width = layout.width;
        image.height = layout.height;
        image.pixels.resize(static_cast<size_t>(image.width) * image.height);
        const uint32_t stride = ((static_cast<uint32_t>(layout.width) * layout.bitCount + 31) / 32) * 4;
        const uint8_t* bits = dib + layout.bitsOffset;
        for (int y = 0; y < image.height; ++y) {
            const uint8_t* row = bits + static_cast<size_t>(image.height - 1 - y) * stride;
            for (int x = 0; x < image.width; ++x) {
                unsigned index = layout.bitCount == 8 ? row[x]
                                                      : (x & 1 ? row[x / 2] & 0xF : row[x / 2] >> 4);
                const pictures::PaletteColour c =
                    index < palette.size() ? palette[index] : pictures::PaletteColour{0, 0, 0, 0};
                image.pixels[static_cast<size_t>(y) * image.width + x] =
                    (static_cast<uint32_t>(c.red) << 16) | (c.green << 8) | c.blue;
            }
        }
    }
    FreeLibrary(module);
    return image;
}

Lamp LampOf(const Image& client, int reel) {
    const uint32_t p = client.at(218, 58 + 100 * reel);
    const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
    if (blue >= 0x80 && red < 0x40 && green < 0x40) return Lamp::Running;
    if (red >= 0x80 && blue < 0x40 && green < 0x40) return Lamp::Stopped;
    return Lamp::Unknown;
}

ReelReader::ReelReader() : strip_(LoadBitmapResource(105)) {}

int ReelReader::FigureShown(const Image& client, int reel) const {
    if (strip_.width < 2160 || strip_.height < 400) return -1;
    for (int figure = 0; figure < 12; ++figure) {
        bool same = true;
        for (int y = 0; y < 100 && same; y += 3) {
            for (int x = 0; x < 180; x += 3) {
                if (client.at(16 + x, 10 + 100 * reel + y) != strip_.at(180 * figure + x, 100 * reel + y)) {
                    same = false;
                    break;
                }
            }
        }
        if (same) return figure;
    }
    return -1;
}

}  // namespace e2e
