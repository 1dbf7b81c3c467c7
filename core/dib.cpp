#include "core/dib.h"

namespace pictures {
namespace {

uint16_t Word16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Word32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ColoursForBitCount(uint16_t bitCount) {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;  // 16, 24 and 32 bits carry their colours in the pixels
    }
}

bool IsSupportedBitCount(uint16_t bitCount) {
    switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
    }
}

}  // namespace

DibForm FormOfHeaderSize(uint32_t headerSize) {
    return headerSize == kInfoHeaderSize ? DibForm::Info : DibForm::Core;
}

bool ReadDibLayout(const uint8_t* data, size_t size, DibLayout& layout) {
    if (data == nullptr || size < 4) return false;
    const uint32_t headerSize = Word32(data);
    if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) return false;
    if (headerSize > size) return false;

    DibLayout l{};
    l.form = FormOfHeaderSize(headerSize);
    l.headerSize = headerSize;
    uint16_t coloursUsed = 0;
    if (l.form == DibForm::Info) {
        l.width = static_cast<int32_t>(Word32(data + 4));
        l.height = static_cast<int32_t>(Word32(data + 8));
        l.bitCount = Word16(data + 14);
        l.compression = Word32(data + 16);
        coloursUsed = static_cast<uint16_t>(Word32(data + 32));
    } else {
        l.width = Word16(data + 4);
        l.height = Word16(data + 6);
        l.bitCount = Word16(data + 10);
        l.compression = kCompressionRgb;
    }
    if (l.width < 0 || l.height < 0) return false;
    if (!IsSupportedBitCount(l.bitCount)) return false;

    l.colourCount = coloursUsed != 0 ? coloursUsed : ColoursForBitCount(l.bitCount);
    if (l.form == DibForm::Info) {
        if (l.colourCount == 0 && l.compression == kCompressionBitfields)
            l.colourTableBytes = 12;  // three 32-bit colour masks
        else
            l.colourTableBytes = static_cast<uint16_t>(l.colourCount * 4u);
    } else {
        l.colourTableBytes = static_cast<uint16_t>(l.colourCount * 3u);
    }
    // The palette is read from the table's start, so every entry the colour
    // count promises must lie inside the table as well as inside the bytes.
    const uint64_t entryBytes = l.form == DibForm::Info ? 4u : 3u;
    if (static_cast<uint64_t>(l.colourCount) * entryBytes > l.colourTableBytes) return false;

    const uint64_t bitsOffset = static_cast<uint64_t>(headerSize) + l.colourTableBytes;
    if (bitsOffset > size) return false;
    l.bitsOffset = static_cast<uint32_t>(bitsOffset);

    uint64_t bitsBytes;
    if (l.form == DibForm::Info &&
        (l.compression == kCompressionRle8 || l.compression == kCompressionRle4)) {
        // Run-length pictures say how many bytes their runs take.
        bitsBytes = Word32(data + 20);
    } else {
        const uint64_t stride = ((static_cast<uint64_t>(l.width) * l.bitCount + 31) / 32) * 4;
        bitsBytes = stride * static_cast<uint64_t>(l.height);
    }
    if (bitsBytes > size - bitsOffset) return false;

    layout = l;
    return true;
}

void ReadPaletteColours(const uint8_t* data, const DibLayout& layout, PaletteColour* out) {
    // The table follows the fixed part of the header of its form.
    const bool info = layout.form == DibForm::Info;
    const size_t entryBytes = info ? 4 : 3;
    const uint8_t* table = data + (info ? kInfoHeaderSize : kCoreHeaderSize);
    for (size_t i = 0; i < layout.colourCount; ++i) {
        const uint8_t* entry = table + i * entryBytes;
        out[i] = PaletteColour{entry[2], entry[1], entry[0], 0};
    }
}

}  // namespace pictures
