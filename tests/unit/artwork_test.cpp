// Checks the committed pictures in res/ the way the program will use them:
// header layout, colour tables, the white ground and band joins of the
// figure strip, the machine face's reel column, the lamps and the icon.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifndef MUSLOT_RES_DIR
#error "MUSLOT_RES_DIR must name the resource directory, e.g. -DMUSLOT_RES_DIR=\"/path/res\""
#endif

namespace {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kLightGrey{0xC0, 0xC0, 0xC0};

const Rgb kVga16[16] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(std::string(MUSLOT_RES_DIR) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

// A bottom-up BI_RGB picture as stored in a .bmp file.
struct Bmp {
    std::vector<uint8_t> file;
    int32_t width = 0, height = 0;
    uint32_t bits = 0, offset = 0, coloursUsed = 0;
    std::vector<Rgb> table;

    explicit Bmp(const std::string& name) : file(ReadFile(name)) {
        if (file.size() < 54) return;
        offset = U32(file, 10);
        width = static_cast<int32_t>(U32(file, 18));
        height = static_cast<int32_t>(U32(file, 22));
        bits = U16(file, 28);
        coloursUsed = U32(file, 46);
        const uint32_t entries = coloursUsed ? coloursUsed : (1u << bits);
        for (uint32_t i = 0; i < entries && 54 + 4 * i + 3 < file.size(); ++i)
            table.push_back({file[54 + 4 * i + 2], file[54 + 4 * i + 1], file[54 + 4 * i]});
    }
    size_t Stride() const { return ((width * bits + 31) / 32) * 4; }
    uint32_t Index(int x, int y) const {
        const size_t row = offset + Stride() * static_cast<size_t>(height - 1 - y);
        if (bits == 8) return file.at(row + x);
        const uint8_t two = file.at(row + x / 2);
        return x % 2 ? two & 15 : two >> 4;
    }
    Rgb At(int x, int y) const { return table.at(Index(x, y)); }
};

struct Expected {
    const char* name;
    int32_t width, height;
    uint32_t bits, colours;
};

const Expected kPictures[] = {
    {"panel.bmp", 240, 420, 4, 16},    {"strip.bmp", 2160, 400, 8, 236},
    {"lamp_run.bmp", 16, 16, 4, 16},   {"lamp_stop.bmp", 16, 16, 4, 16},
    {"congrats.bmp", 567, 480, 8, 236},
};

TEST(ArtworkFiles, HeadersDescribeUncompressedBottomUpPicturesOfTheRightShape) {
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        Bmp bmp(e.name);
        ASSERT_GE(bmp.file.size(), 54u) << "missing or truncated";
        EXPECT_EQ(bmp.file[0], 'B');
        EXPECT_EQ(bmp.file[1], 'M');
        EXPECT_EQ(U32(bmp.file, 2), bmp.file.size()) << "file size field";
        EXPECT_EQ(U32(bmp.file, 14), 40u) << "info header size";
        EXPECT_EQ(bmp.width, e.width);
        EXPECT_EQ(bmp.height, e.height) << "must be positive (bottom-up)";
        EXPECT_EQ(U16(bmp.file, 26), 1u) << "planes";
        EXPECT_EQ(bmp.bits, e.bits);
        EXPECT_EQ(U32(bmp.file, 30), 0u) << "BI_RGB";
        if (e.colours == 16)
            EXPECT_TRUE(bmp.coloursUsed == 0 || bmp.coloursUsed == 16) << bmp.coloursUsed;
        else
            EXPECT_EQ(bmp.coloursUsed, e.colours);
        EXPECT_EQ(bmp.table.size(), e.colours);
        EXPECT_EQ(bmp.offset, 14 + 40 + 4 * e.colours) << "pixels follow the table directly";
        const size_t image = bmp.Stride() * static_cast<size_t>(e.height);
        EXPECT_EQ(U32(bmp.file, 34), image) << "image size field";
        EXPECT_EQ(bmp.file.size(), bmp.offset + image);
    }
}

TEST(ArtworkFiles, SixteenColourPicturesUseTheStandardTable) {
    for (const char* name : {"panel.bmp", "lamp_run.bmp", "lamp_stop.bmp"}) {
        SCOPED_TRACE(name);
        Bmp bmp(name);
        ASSERT_EQ(bmp.table.size(), 16u);
        for (int i = 0; i < 16; ++i) EXPECT_TRUE(bmp.table[i] == kVga16[i]) << "entry " << i;
    }
}

TEST(ArtworkFiles, FullColourPicturesSpendTheirTableOnDistinctColours) {
    for (const char* name : {"strip.bmp", "congrats.bmp"}) {
        SCOPED_TRACE(name);
        Bmp bmp(name);
        ASSERT_EQ(bmp.table.size(), 236u);
        std::set<uint32_t> entries, used;
        for (const Rgb& c : bmp.table) entries.insert((c.r << 16) | (c.g << 8) | c.b);
        EXPECT_EQ(entries.size(), 236u) << "duplicate table entries";
        for (int y = 0; y < bmp.height; y += 2)
            for (int x = 0; x < bmp.width; x += 2) used.insert(bmp.Index(x, y));
        EXPECT_GT(used.size(), 150u) << "looks flat or badly quantised";
    }
}

// ---------------------------------------------------------------- the strip

constexpr int kFigures = 12, kColumn = 180, kBand = 100;

TEST(FigureStrip, EveryColumnStandsOnPureWhite) {
    Bmp strip("strip.bmp");
    ASSERT_EQ(strip.width, kFigures * kColumn);
    for (int k = 0; k < kFigures; ++k) {
        SCOPED_TRACE("figure " + std::to_string(k));
        const int left = k * kColumn, right = left + kColumn - 1;
        for (int y = 0; y < strip.height; ++y) {
            ASSERT_TRUE(strip.At(left, y) == kWhite) << "left edge, y " << y;
            ASSERT_TRUE(strip.At(right, y) == kWhite) << "right edge, y " << y;
        }
        for (int x = left; x <= right; ++x) ASSERT_TRUE(strip.At(x, 399) == kWhite) << "bottom, x " << x;
        for (int x : {left + 4, right - 4}) {
            EXPECT_TRUE(strip.At(x, 0) == kWhite) << "top corner";
            EXPECT_TRUE(strip.At(x, 150) == kWhite) << "beside the body";
        }
    }
}

TEST(FigureStrip, FiguresAreDifferentFromEachOther) {
    Bmp strip("strip.bmp");
    for (int a = 0; a < kFigures; ++a)
        for (int b = a + 1; b < kFigures; ++b) {
            int differing = 0;
            for (int y = 0; y < 400; y += 2)
                for (int x = 0; x < kColumn; x += 2)
                    differing += strip.Index(a * kColumn + x, y) != strip.Index(b * kColumn + x, y);
            EXPECT_GT(differing, 90 * 200 / 20) << "figures " << a << " and " << b;
        }
}

TEST(FigureStrip, EachBodyRunsUnbrokenAcrossTheBandEdgesOnTheCentreLine) {
    Bmp strip("strip.bmp");
    for (int k = 0; k < kFigures; ++k) {
        SCOPED_TRACE("figure " + std::to_string(k));
        const int left = k * kColumn;
        for (int edge = kBand; edge < 4 * kBand; edge += kBand) {
            // Some x must be painted both just above and just below the edge,
            // within the middle of the column, or the reels would show a gap.
            int joined = 0;
            for (int x = left + 50; x < left + 130; ++x)
                joined += !(strip.At(x, edge - 1) == kWhite) && !(strip.At(x, edge) == kWhite);
            EXPECT_GE(joined, 10) << "edge y " << edge;
        }
        // Head, neck, chest and hips sit on the centre line.
        for (int y : {50, 95, 150, 250})
            EXPECT_FALSE(strip.At(left + kColumn / 2, y) == kWhite) << "centre line, y " << y;
    }
}

// ------------------------------------------------------------ face and lamps

TEST(MachineFace, ReelColumnIsLightGreyBetweenBlackRules) {
    Bmp panel("panel.bmp");
    ASSERT_EQ(panel.width, 240);
    for (int y = 10; y <= 409; ++y) {
        ASSERT_TRUE(panel.At(14, y) == kBlack) << "left rule, y " << y;
        ASSERT_TRUE(panel.At(197, y) == kBlack) << "right rule, y " << y;
        for (int x = 16; x <= 195; ++x) ASSERT_TRUE(panel.At(x, y) == kLightGrey) << x << "," << y;
    }
    for (int x = 0; x < 240; ++x) {
        EXPECT_TRUE(panel.At(x, 0) == kBlack);
        EXPECT_TRUE(panel.At(x, 419) == kBlack);
    }
    for (int y = 0; y < 420; ++y) {
        EXPECT_TRUE(panel.At(0, y) == kBlack);
        EXPECT_TRUE(panel.At(239, y) == kBlack);
    }
    // The lamp sockets are empty holes where the lamps get drawn.
    for (int r = 0; r < 4; ++r) EXPECT_TRUE(panel.At(217, 57 + 100 * r) == kBlack) << "socket " << r;
}

TEST(MachineFace, LampsShowBlueWhileRunningAndRedWhenStopped) {
    Bmp run("lamp_run.bmp"), stop("lamp_stop.bmp");
    for (int y = 7; y <= 9; ++y)
        for (int x = 7; x <= 9; ++x) {
            const Rgb r = run.At(x, y), s = stop.At(x, y);
            EXPECT_TRUE((r == Rgb{0, 0, 0xFF} || r == Rgb{0, 0, 0x80})) << x << "," << y;
            EXPECT_TRUE((s == Rgb{0xFF, 0, 0} || s == Rgb{0x80, 0, 0})) << x << "," << y;
        }
    // Both share the same grey frame.
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(run.At(i, 1) == stop.At(i, 1));
        EXPECT_TRUE(run.At(1, i) == stop.At(1, i));
    }
    EXPECT_TRUE(run.At(1, 8) == kLightGrey);
}

TEST(ProgramIcon, HoldsOneSixteenColourThirtyTwoPixelImageWithMask) {
    const std::vector<uint8_t> ico = ReadFile("muslot.ico");
    ASSERT_GE(ico.size(), 22u + 40u);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u) << "type icon";
    ASSERT_EQ(U16(ico, 4), 1u) << "one image";
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(ico[7], 32);
    EXPECT_EQ(ico[8], 16) << "colour count";
    EXPECT_EQ(U16(ico, 10), 1u) << "planes";
    EXPECT_EQ(U16(ico, 12), 4u) << "bits";
    const uint32_t bytes = U32(ico, 14), at = U32(ico, 18);
    ASSERT_EQ(at + bytes, ico.size());
    EXPECT_EQ(U32(ico, at), 40u);
    EXPECT_EQ(U32(ico, at + 4), 32u);
    EXPECT_EQ(U32(ico, at + 8), 64u) << "colour rows plus mask rows";
    EXPECT_EQ(U16(ico, at + 14), 4u);
    EXPECT_EQ(bytes, 40u + 16 * 4 + 32 * 16 + 32 * 4);
    for (int i = 0; i < 16; ++i) {
        const size_t e = at + 40 + 4 * i;
        EXPECT_TRUE((Rgb{ico[e + 2], ico[e + 1], ico[e]} == kVga16[i])) << "entry " << i;
    }
    // The mask leaves the corners see-through and the machine solid.
    const size_t mask = at + 40 + 64 + 32 * 16;
    auto clear = [&](int x, int y) { return (ico[mask + 4 * (31 - y) + x / 8] >> (7 - x % 8)) & 1; };
    EXPECT_EQ(clear(0, 0), 1);
    EXPECT_EQ(clear(31, 31), 1);
    EXPECT_EQ(clear(14, 16), 0);
}

}  // namespace
