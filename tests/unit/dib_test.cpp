#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/dib.h"

using namespace pictures;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

size_t Stride(uint32_t width, uint32_t bits) { return ((width * bits + 31) / 32) * 4; }

// A whole info-form picture: header, table and rows, exactly as long as needed.
std::vector<uint8_t> InfoPicture(int32_t width, int32_t height, uint16_t bits, uint32_t coloursUsed,
                                 uint32_t compression = kCompressionRgb, size_t tableBytes = SIZE_MAX) {
    size_t colours = coloursUsed ? coloursUsed : (bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0);
    if (tableBytes == SIZE_MAX)
        tableBytes = colours ? colours * 4 : (compression == kCompressionBitfields ? 12 : 0);
    const size_t rows = height > 0 ? Stride(static_cast<uint32_t>(width), bits) * height : 0;
    std::vector<uint8_t> b(40 + tableBytes + rows, 0);
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<uint32_t>(width));
    Put32(b, 8, static_cast<uint32_t>(height));
    Put16(b, 12, 1);
    Put16(b, 14, bits);
    Put32(b, 16, compression);
    Put32(b, 32, coloursUsed);
    return b;
}

std::vector<uint8_t> CorePicture(uint16_t width, uint16_t height, uint16_t bits) {
    size_t colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    std::vector<uint8_t> b(12 + colours * 3 + Stride(width, bits) * height, 0);
    Put32(b, 0, 12);
    Put16(b, 4, width);
    Put16(b, 6, height);
    Put16(b, 8, 1);
    Put16(b, 10, bits);
    return b;
}

// Reads from a heap copy of exactly the given length, so a read past the end
// is caught by the address sanitizer.
bool Read(const std::vector<uint8_t>& bytes, size_t length, DibLayout& layout) {
    std::vector<uint8_t> exact(bytes.begin(), bytes.begin() + static_cast<long>(length));
    return ReadDibLayout(exact.empty() ? nullptr : exact.data(), exact.size(), layout);
}

}  // namespace

TEST(DibLayout, ColourTablesAndBitsForEveryForm) {
    DibLayout l{};
    auto strip = InfoPicture(2160, 400, 8, 236);
    ASSERT_TRUE(Read(strip, strip.size(), l));
    EXPECT_EQ(DibForm::Info, l.form);
    EXPECT_EQ(2160, l.width);
    EXPECT_EQ(400, l.height);
    EXPECT_EQ(236, l.colourCount);
    EXPECT_EQ(944, l.colourTableBytes);
    EXPECT_EQ(984u, l.bitsOffset);

    auto panel = InfoPicture(240, 420, 4, 0);
    ASSERT_TRUE(Read(panel, panel.size(), l));
    EXPECT_EQ(16, l.colourCount);
    EXPECT_EQ(64, l.colourTableBytes);
    EXPECT_EQ(104u, l.bitsOffset);

    auto masks = InfoPicture(10, 10, 16, 0, kCompressionBitfields);
    ASSERT_TRUE(Read(masks, masks.size(), l));
    EXPECT_EQ(0, l.colourCount);  // no palette
    EXPECT_EQ(12, l.colourTableBytes);
    EXPECT_EQ(52u, l.bitsOffset);

    auto trueColour = InfoPicture(5, 3, 24, 0);
    ASSERT_TRUE(Read(trueColour, trueColour.size(), l));
    EXPECT_EQ(0, l.colourCount);
    EXPECT_EQ(0, l.colourTableBytes);
    EXPECT_EQ(40u, l.bitsOffset);

    auto core = CorePicture(16, 16, 8);
    ASSERT_TRUE(Read(core, core.size(), l));
    EXPECT_EQ(DibForm::Core, l.form);
    EXPECT_EQ(256, l.colourCount);
    EXPECT_EQ(768, l.colourTableBytes);
    EXPECT_EQ(780u, l.bitsOffset);
    EXPECT_EQ(16, l.width);

    auto mono = InfoPicture(33, 2, 1, 0);
    ASSERT_TRUE(Read(mono, mono.size(), l));
    EXPECT_EQ(2, l.colourCount);
    EXPECT_EQ(48u, l.bitsOffset);
}

TEST(DibLayout, PaletteEntriesTurnBlueFirstIntoRedFirst) {
    auto info = InfoPicture(1, 1, 8, 2);
    const uint8_t table[] = {255, 0, 0, 0, 10, 20, 30, 99};
    std::memcpy(info.data() + 40, table, sizeof table);
    DibLayout l{};
    ASSERT_TRUE(Read(info, info.size(), l));
    PaletteColour colours[2];
    ReadPaletteColours(info.data(), l, colours);
    EXPECT_EQ(0, colours[0].red);
    EXPECT_EQ(0, colours[0].green);
    EXPECT_EQ(255, colours[0].blue);  // pure blue stays blue
    EXPECT_EQ(30, colours[1].red);
    EXPECT_EQ(20, colours[1].green);
    EXPECT_EQ(10, colours[1].blue);
    EXPECT_EQ(0, colours[1].flags);

    auto core = CorePicture(1, 1, 1);
    const uint8_t coreTable[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(core.data() + 12, coreTable, sizeof coreTable);
    ASSERT_TRUE(Read(core, core.size(), l));
    ReadPaletteColours(core.data(), l, colours);
    EXPECT_EQ((std::vector<int>{3, 2, 1, 6, 5, 4}),
              (std::vector<int>{colours[0].red, colours[0].green, colours[0].blue,
                                colours[1].red, colours[1].green, colours[1].blue}));
}

TEST(DibLayout, TruncatedPicturesAreRefusedAtEveryCut) {
    // Every length short of the whole picture is refused, never read past.
    const std::vector<std::vector<uint8_t>> pictures = {
        InfoPicture(7, 3, 8, 236), InfoPicture(9, 5, 4, 0), CorePicture(5, 2, 8),
        InfoPicture(3, 3, 16, 0, kCompressionBitfields), InfoPicture(3, 2, 24, 0)};
    for (const auto& picture : pictures) {
        DibLayout l{};
        EXPECT_TRUE(Read(picture, picture.size(), l));
        for (size_t length = 0; length < picture.size(); ++length)
            ASSERT_FALSE(Read(picture, length, l)) << "length " << length << " of " << picture.size();
    }
}

TEST(DibLayout, AbsurdHeadersAreRefused) {
    DibLayout l{};
    auto base = InfoPicture(4, 4, 8, 16);
    for (uint32_t headerSize : {0u, 4u, 11u, 13u, 39u}) {
        auto b = base;
        Put32(b, 0, headerSize);
        EXPECT_FALSE(Read(b, b.size(), l)) << "header size " << headerSize;
    }
    {  // a header size beyond the bytes
        auto b = base;
        Put32(b, 0, 0xFFFFFFF0u);
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // top-down
        auto b = InfoPicture(4, 4, 8, 16);
        Put32(b, 8, static_cast<uint32_t>(-4));
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // negative width
        auto b = InfoPicture(4, 4, 8, 16);
        Put32(b, 4, 0x80000000u);
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // a huge size that would wrap 32-bit arithmetic
        auto b = InfoPicture(4, 4, 32, 0);
        Put32(b, 4, 0x40000000u);
        Put32(b, 8, 0x40000000u);
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // colours-used larger than a table can hold in 16 bits
        auto b = InfoPicture(1, 1, 8, 16);
        Put32(b, 32, 0xFFFF);
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // a bit count no picture has
        auto b = InfoPicture(4, 4, 8, 16);
        Put16(b, 14, 7);
        EXPECT_FALSE(Read(b, b.size(), l));
        Put16(b, 14, 0);
        EXPECT_FALSE(Read(b, b.size(), l));
    }
    {  // run-length bits longer than the resource
        auto b = InfoPicture(4, 4, 8, 16, kCompressionRle8);
        Put32(b, 20, 1000);
        EXPECT_FALSE(Read(b, b.size(), l));
        Put32(b, 20, static_cast<uint32_t>(b.size() - 40 - 64));
        EXPECT_TRUE(Read(b, b.size(), l));
    }
}

TEST(DibLayout, LargerHeadersReadAsTheCoreFormWithinTheirBytes) {
    // A 108-byte header is neither form; it is read by the core rule and
    // still checked against its length.
    std::vector<uint8_t> b(108 + 16 * 3 + 4, 0);
    Put32(b, 0, 108);
    Put16(b, 4, 1);
    Put16(b, 6, 1);
    Put16(b, 10, 4);
    DibLayout l{};
    ASSERT_TRUE(Read(b, b.size(), l));
    EXPECT_EQ(DibForm::Core, l.form);
    EXPECT_EQ(108u + 48u, l.bitsOffset);
    EXPECT_FALSE(Read(b, b.size() - 1, l));
}
