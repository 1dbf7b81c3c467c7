#include "web/pixels.h"

#include "core/dib.h"

namespace web {
namespace {

constexpr size_t kFileHeaderSize = 14;  // "BM", file size, reserved, bits offset
constexpr int64_t kMostPixels = 16 * 1024 * 1024;
constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t Rgba(uint8_t red, uint8_t green, uint8_t blue) {
    return kOpaque | (static_cast<uint32_t>(blue) << 16) | (static_cast<uint32_t>(green) << 8) | red;
}

// The 5-5-5 colours of a 16-bit pixel, each widened to 8 bits as Windows does.
uint32_t FromRgb555(uint16_t p) {
    auto widen = [](uint32_t five) { return static_cast<uint8_t>((five << 3) | (five >> 2)); };
    return Rgba(widen((p >> 10) & 31), widen((p >> 5) & 31), widen(p & 31));
}

}  // namespace

bool DecodePicture(const uint8_t* bytes, size_t size, Allocator allocate, Pixels& out) {
    out = Pixels{0, 0, nullptr};
    if (bytes && size >= kFileHeaderSize && bytes[0] == 'B' && bytes[1] == 'M') {
        bytes += kFileHeaderSize;
        size -= kFileHeaderSize;
    }
    pictures::DibLayout layout{};
    if (!pictures::ReadDibLayout(bytes, size, layout)) return false;
    if (layout.compression != pictures::kCompressionRgb) return false;
    const int64_t pixelCount = static_cast<int64_t>(layout.width) * layout.height;
    if (pixelCount > kMostPixels) return false;

    // The colour table as pixels; indices past its end show black.
    uint32_t table[256];
    pictures::PaletteColour colours[256];
    const int tableSize = layout.colourCount < 256 ? layout.colourCount : 256;
    pictures::DibLayout clipped = layout;
    clipped.colourCount = static_cast<uint16_t>(tableSize);
    pictures::ReadPaletteColours(bytes, clipped, colours);
    for (int i = 0; i < 256; ++i)
        table[i] = i < tableSize ? Rgba(colours[i].red, colours[i].green, colours[i].blue) : kOpaque;

    auto* rgba = static_cast<uint32_t*>(allocate(static_cast<size_t>(pixelCount) * 4));
    if (!rgba && pixelCount != 0) return false;
    const int bitCount = layout.bitCount;
    const size_t stride = ((static_cast<size_t>(layout.width) * bitCount + 31) / 32) * 4;
    const uint8_t* bits = bytes + layout.bitsOffset;
    for (int32_t row = 0; row < layout.height; ++row) {
        // Rows are stored bottom-up.
        const uint8_t* in = bits + static_cast<size_t>(layout.height - 1 - row) * stride;
        uint32_t* line = rgba + static_cast<size_t>(row) * layout.width;
        for (int32_t x = 0; x < layout.width; ++x) {
            switch (bitCount) {
            case 1: line[x] = table[(in[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: line[x] = table[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: line[x] = table[in[x]]; break;
            case 16: line[x] = FromRgb555(static_cast<uint16_t>(in[2 * x] | (in[2 * x + 1] << 8))); break;
            case 24: line[x] = Rgba(in[3 * x + 2], in[3 * x + 1], in[3 * x]); break;
            default: line[x] = Rgba(in[4 * x + 2], in[4 * x + 1], in[4 * x]); break;
            }
        }
    }
    out = Pixels{layout.width, layout.height, rgba};
    return true;
}

void Copy(Pixels& target, int x, int y, int width, int height, const Pixels& source, int sourceX,
          int sourceY) {
    if (!target.rgba || !source.rgba) return;
    // Clip the left and top edges of either picture, then the right and bottom.
    auto clipStart = [&](int& to, int& from, int& extent) {
        const int under = to < 0 ? -to : 0;
        const int underSource = from < 0 ? -from : 0;
        const int skip = under > underSource ? under : underSource;
        to += skip;
        from += skip;
        extent -= skip;
    };
    clipStart(x, sourceX, width);
    clipStart(y, sourceY, height);
    if (x + width > target.width) width = target.width - x;
    if (sourceX + width > source.width) width = source.width - sourceX;
    if (y + height > target.height) height = target.height - y;
    if (sourceY + height > source.height) height = source.height - sourceY;
    if (width <= 0 || height <= 0) return;
    for (int row = 0; row < height; ++row) {
        uint32_t* to = target.rgba + static_cast<size_t>(y + row) * target.width + x;
        const uint32_t* from = source.rgba + static_cast<size_t>(sourceY + row) * source.width + sourceX;
        for (int i = 0; i < width; ++i) to[i] = from[i];
    }
}

}  // namespace web
