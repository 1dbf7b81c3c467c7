// Reading packed device-independent bitmaps as the resources store them:
// a header, an optional colour table and the pixel bits, no file header.
// Everything here works on the bytes alone and never reads past their end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pictures {

constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitfields = 3;

enum class DibForm { Info, Core };

// What the rest of the program asks of a picture. Colour counts and table
// sizes are 16-bit quantities, taken modulo 65536.
struct DibLayout {
    DibForm form;
    uint32_t headerSize;    // the header-size word as stored
    int32_t width;          // info form: full 32 bits; core form: 16 bits widened
    int32_t height;
    uint16_t bitCount;
    uint32_t compression;   // info form only; 0 for the core form
    uint16_t colourCount;
    uint16_t colourTableBytes;
    uint32_t bitsOffset;    // where the pixel bits start, from the header's start
};

// One palette entry, red first, as a logical palette holds it.
struct PaletteColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t flags;
};

// The form chosen by the header-size word: exactly 40 is the info form,
// anything else is read as the core form.
DibForm FormOfHeaderSize(uint32_t headerSize);

// Reads the layout of the packed DIB in data[0 .. size). Returns false, and
// the picture counts as absent, when the header-size word is neither 12 nor
// at least 40, the height is negative (top-down), the bit count is not one
// of 1, 4, 8, 16, 24 or 32, or the header, colour table or pixel rows would
// reach past the end.
bool ReadDibLayout(const uint8_t* data, size_t size, DibLayout& layout);

// Copies the layout's colourCount colour-table entries into palette order
// (blue-first table bytes become red-first entries, flags 0). The layout
// must come from ReadDibLayout on the same bytes.
void ReadPaletteColours(const uint8_t* data, const DibLayout& layout, PaletteColour* out);

}  // namespace pictures
