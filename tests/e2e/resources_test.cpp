// The resource catalogue of the built executable, read as a data file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/dib.h"
#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

constexpr WORD kJapanese = 0x0411;

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(MuslotExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    // The bytes of one resource in the Japanese language; empty when absent.
    std::vector<uint8_t> Bytes(WORD type, WORD id) {
        HRSRC found = FindResourceExA(module_, MAKEINTRESOURCEA(type), MAKEINTRESOURCEA(id), kJapanese);
        if (!found) return {};
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
        return std::vector<uint8_t>(data, data + SizeofResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

using Catalogue = std::map<WORD, std::set<std::pair<WORD, WORD>>>;  // type -> (id, language)

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR context) {
    (*reinterpret_cast<Catalogue*>(context))[LOWORD(reinterpret_cast<UINT_PTR>(type))].insert(
        {LOWORD(reinterpret_cast<UINT_PTR>(name)), language});
    return TRUE;
}
BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    EnumResourceLanguagesA(module, type, name, CollectLanguage, context);
    return TRUE;
}
BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR context) {
    EnumResourceNamesA(module, type, CollectName, context);
    return TRUE;
}

void Append(std::vector<uint8_t>& out, uint16_t word) {
    out.push_back(static_cast<uint8_t>(word));
    out.push_back(static_cast<uint8_t>(word >> 8));
}
void Append(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) Append(out, static_cast<uint16_t>(c));
    Append(out, 0);
}

}  // namespace

TEST_F(ResourcesTest, TheCatalogueHoldsExactlyTheProgramsResources) {
    Catalogue catalogue;
    EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&catalogue));
    const Catalogue expected = {
        {2, {{104, kJapanese}, {105, kJapanese}, {106, kJapanese}, {107, kJapanese}, {108, kJapanese}}},
        {3, {{1, kJapanese}}},
        {14, {{101, kJapanese}}},
        {4, {{103, kJapanese}}},
        {5, {{102, kJapanese}}},
        {16, {{1, kJapanese}}},
    };
    EXPECT_EQ(expected, catalogue);
}

TEST_F(ResourcesTest, PicturesHaveTheirSizesAndColours) {
    struct Expected {
        WORD id;
        int width, height, bits, colours;
    } pictures[] = {{104, 240, 420, 4, 16}, {105, 2160, 400, 8, 236}, {106, 16, 16, 4, 16},
                    {107, 16, 16, 4, 16},   {108, 567, 480, 8, 236}};
    for (const Expected& e : pictures) {
        std::vector<uint8_t> bytes = Bytes(2, e.id);
        pictures::DibLayout layout{};
        ASSERT_TRUE(pictures::ReadDibLayout(bytes.data(), bytes.size(), layout)) << e.id;
        EXPECT_EQ(40u, layout.headerSize) << e.id;
        EXPECT_EQ(e.width, layout.width) << e.id;
        EXPECT_EQ(e.height, layout.height) << e.id;  // positive: bottom-up
        EXPECT_EQ(e.bits, layout.bitCount) << e.id;
        EXPECT_EQ(0u, layout.compression) << e.id;
        EXPECT_EQ(e.colours, layout.colourCount) << e.id;
    }
    // The icon group names one 32 x 32 image of 16 colours.
    std::vector<uint8_t> group = Bytes(14, 101);
    ASSERT_EQ(6u + 14u, group.size());
    EXPECT_EQ(1, group[4]);      // one image
    EXPECT_EQ(32, group[6]);     // width
    EXPECT_EQ(32, group[7]);     // height
    EXPECT_EQ(16, group[8]);     // colours
    EXPECT_EQ(4, group[12]);     // bits per pixel
    EXPECT_NE(nullptr, LoadIconA(module_, MAKEINTRESOURCEA(101)));
}

TEST_F(ResourcesTest, MenuBytesHoldBothPopupsWithTheirMnemonicGroups) {
    std::vector<uint8_t> expected;
    Append(expected, 0);  // version
    Append(expected, 0);  // header size
    Append(expected, MF_POPUP);
    Append(expected, u"Japanese");
    Append(expected, 0);
    Append(expected, 40002);
    Append(expected, u"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D\u60C5\u5831(\u001EA\u001F\uFF71)...");
    Append(expected, MF_END);
    Append(expected, 40003);
    Append(expected, u"\u7D42\u4E86(\u001EX\u001F\uFF98)");
    Append(expected, MF_POPUP | MF_END);
    Append(expected, u"English");
    Append(expected, 0);
    Append(expected, 40002);
    Append(expected, u"About(\u001EA\u001F\uFF71)...");
    Append(expected, MF_END);
    Append(expected, 40003);
    Append(expected, u"Exit(\u001EX\u001F\uFF98)");
    EXPECT_EQ(expected, Bytes(4, 103));
}

TEST_F(ResourcesTest, DialogTemplateIsTheAboutBox) {
    std::vector<uint8_t> bytes = Bytes(5, 102);
    ASSERT_GT(bytes.size(), 18u);
    auto word = [&](size_t at) { return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
    auto dword = [&](size_t at) { return static_cast<uint32_t>(word(at) | (word(at + 2) << 16)); };
    EXPECT_EQ(static_cast<uint32_t>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                    DS_SETFONT | DS_NOIDLEMSG),
              dword(0));
    EXPECT_EQ(6, word(8));  // controls
    EXPECT_EQ(0, word(10));
    EXPECT_EQ(0, word(12));
    EXPECT_EQ(134, word(14));
    EXPECT_EQ(65, word(16));
    size_t at = 18;
    auto text = [&]() {
        std::u16string s;
        if (word(at) == 0xFFFF) { s = u"#" + std::u16string(1, static_cast<char16_t>(word(at + 2))); at += 4; return s; }
        while (word(at)) { s += static_cast<char16_t>(word(at)); at += 2; }
        at += 2;
        return s;
    };
    EXPECT_EQ(u"", text());  // no menu
    EXPECT_EQ(u"", text());  // default class
    EXPECT_EQ(u"About", text());
    EXPECT_EQ(10, word(at));
    at += 2;
    EXPECT_EQ(u"system", text());

    struct Control {
        uint32_t style;
        int16_t x, y, cx, cy;
        uint16_t id;
        std::u16string cls, title;
    } expected[] = {
        {0x50000003, 8, 4, 18, 20, 0xFFFF, u"#\x0082", u"#\x0065"},
        {0x50020000, 32, 4, 84, 8, 0xFFFF, u"#\x0082", u"<Murasu Slot>"},
        {0x50020002, 32, 12, 84, 8, 0xFFFF, u"#\x0082", u"muslot Ver1.02"},
        {0x50020000, 15, 24, 105, 8, 0xFFFF, u"#\x0082", u""},
        {0x50020000, 16, 32, 104, 8, 1001, u"#\x0082", u"Programmed by Velnor"},
        {0x50010001, 45, 48, 44, 12, 1, u"#\x0080", u"OK"},
    };
    for (const Control& c : expected) {
        at = (at + 3) & ~size_t(3);
        ASSERT_LT(at + 18, bytes.size());
        EXPECT_EQ(c.style, dword(at));
        EXPECT_EQ(c.x, static_cast<int16_t>(word(at + 8)));
        EXPECT_EQ(c.y, static_cast<int16_t>(word(at + 10)));
        EXPECT_EQ(c.cx, static_cast<int16_t>(word(at + 12)));
        EXPECT_EQ(c.cy, static_cast<int16_t>(word(at + 14)));
        EXPECT_EQ(c.id, word(at + 16));
        at += 18;
        std::u16string cls = text();
        // The icon control is written with the class name, the others by atom.
        if (cls == u"Static" || cls == u"STATIC") cls = u"#\x0082";
        EXPECT_EQ(c.cls, cls);
        std::u16string title = text();
        if (!c.title.empty()) EXPECT_EQ(c.title, title);
        else EXPECT_FALSE(title.empty());  // the copyright line
        at += 2 + word(at);  // creation data
    }
}

TEST_F(ResourcesTest, VersionResourceNamesTheProgram) {
    const std::string path = MuslotExePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010002u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x00040004u, fixed->dwFileOS);
    EXPECT_EQ(1u, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0411, translation[0]);
    EXPECT_EQ(0x04B0, translation[1]);

    const std::map<std::string, std::string> strings = {
        {"FileDescription", "Muslot"}, {"InternalName", "Muslot"},      {"ProductName", "Muslot"},
        {"OriginalFilename", "Muslot.exe"}, {"FileVersion", "1, 2, 0, 0"},
        {"ProductVersion", "1, 0, 0, 0"}};
    for (const auto& entry : strings) {
        char* value = nullptr;
        const std::string key = "\\StringFileInfo\\041104b0\\" + entry.first;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << entry.first;
        EXPECT_EQ(entry.second, std::string(value)) << entry.first;
    }
    for (const char* key : {"CompanyName", "LegalCopyright"}) {
        char* value = nullptr;
        EXPECT_TRUE(VerQueryValueA(info.data(), (std::string("\\StringFileInfo\\041104b0\\") + key).c_str(),
                                   reinterpret_cast<void**>(&value), &length)) << key;
    }
}
