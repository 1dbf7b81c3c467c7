// Fuzz target over the packed-DIB reader: whatever the bytes, reading the
// layout, the palette colours and the ends of the pixel bits it promises
// stays inside them (AddressSanitizer and UndefinedBehaviorSanitizer watch).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/dib.h"

namespace {

uint32_t Word32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The bytes of pixel bits the layout promises, worked out here the way the
// drawing code uses them, not by the reader's own arithmetic.
uint64_t PromisedBitsBytes(const uint8_t* data, const pictures::DibLayout& layout) {
    using namespace pictures;
    if (layout.form == DibForm::Info &&
        (layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4))
        return Word32(data + 20);
    const uint64_t rowBits = static_cast<uint64_t>(layout.width) * layout.bitCount;
    return (rowBits + 31) / 32 * 4 * static_cast<uint64_t>(layout.height);
}

volatile uint8_t g_sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictures::DibLayout layout{};
    if (!pictures::ReadDibLayout(data, size, layout)) return 0;
    if (layout.bitsOffset > size) __builtin_trap();
    std::vector<pictures::PaletteColour> colours(layout.colourCount);
    pictures::ReadPaletteColours(data, layout, colours.data());
    for (const pictures::PaletteColour& colour : colours) g_sink = colour.red ^ colour.green ^ colour.blue;
    const uint64_t bitsBytes = PromisedBitsBytes(data, layout);
    if (bitsBytes > 0) {
        const uint8_t* bits = data + layout.bitsOffset;
        g_sink = bits[0];
        g_sink = bits[bitsBytes - 1];
    }
    return 0;
}
