// Hand-edited and damaged settings files: whatever the file holds, the
// platform reads the values the shared table gives (as the page's reader
// does), the program starts, its window lies where the placement rules put
// them, a key stops a reel, it exits with code 0 and writes the four keys
// back (a file it cannot write is left as it was).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <memory>
#include <random>
#include <sstream>

#include "core/placement.h"
#include "core/settings_text.h"
#include "tests/damaged_settings.h"
#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

enum class Kind { File, Unwritable, Directory };

struct HostileCase {
    tests::DamagedSettings file;
    Kind kind = Kind::File;
};

// The shared table's files, and two cases beyond a file's bytes.
std::vector<HostileCase> Cases() {
    std::vector<HostileCase> cases;
    for (const tests::DamagedSettings& file : tests::LoadDamagedSettings()) cases.push_back({file});
    const char* unwritable = "[MUSlot]\r\nPosX=5000\r\nPosY=200\r\nFitPos=1\r\nLanguage=1\r\n";
    cases.push_back({{"unwritable", {5000, 200, 1, 1}, unwritable}, Kind::Unwritable});  // would be written as 782
    cases.push_back({{"a directory where the file should be", app::DefaultSettings(), ""}, Kind::Directory});
    return cases;
}

// Wine's own call for the Unix name of a Windows path.
std::string UnixPathOf(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(const WCHAR*);
    auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = convert ? convert(wide) : nullptr;
    std::string path = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

bool Writable(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Sets or clears the immutable attribute of the settings file on the Linux
// side (as root, only that stops writes). Wine starts Unix programs itself.
bool SetImmutable(bool immutable) {
    const std::string path = UnixPathOf(SettingsPath());
    if (path.empty()) return false;
    std::string command = std::string("/usr/bin/chattr ") + (immutable ? "+i" : "-i") + " \"" + path + "\"";
    if (!StartLinuxProgram("Z:\\usr\\bin\\chattr", command)) return false;
    return WaitFor([&] { return Writable(SettingsPath()) != immutable; });
}

// Clears the attribute again however the case ends (the CTest clean-up
// fixture does it too, should this program itself die).
struct ImmutableSettingsFile {
    bool set = SetImmutable(true);
    ~ImmutableSettingsFile() { SetImmutable(false); }
};

// The file as text: without a UTF-8 byte-order mark, and narrowed from UTF-16
// with one (the profile functions keep the file's encoding).
std::string TextOf(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
    if (bytes.compare(0, 2, "\xFF\xFE") != 0) return bytes;
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += bytes[i];
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\v\f\x1a";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The first of each of the four keys in the first [MUSlot] section, in the
// order they stand there, as "name=value" with the names lower-cased. A
// section's name runs to the last ']' of its line; a line without '=' is a key.
std::vector<std::string> FirstSectionKeys(std::string text) {
    std::vector<std::string> keys;
    std::replace(text.begin(), text.end(), '\r', '\n');
    std::istringstream lines(text);
    std::string line;
    bool inSection = false, seenSection = false;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('\0'));  // the profile functions stop a line there
        const std::string trimmed = Trim(line);
        const size_t close = trimmed.rfind(']');
        if (!trimmed.empty() && trimmed[0] == '[' && close != std::string::npos) {
            const std::string name = Lower(Trim(trimmed.substr(1, close - 1)));
            inSection = name == "muslot" && !seenSection;
            seenSection = seenSection || inSection;
            continue;
        }
        const size_t equals = trimmed.find('=');
        if (!inSection) continue;
        const std::string name = Lower(Trim(trimmed.substr(0, equals)));
        const bool known = name == "posx" || name == "posy" || name == "fitpos" || name == "language";
        const bool repeated = std::any_of(keys.begin(), keys.end(),
                                          [&](const std::string& k) { return k.rfind(name + "=", 0) == 0; });
        const std::string value = equals == std::string::npos ? "" : Trim(trimmed.substr(equals + 1));
        if (known && !repeated) keys.push_back(name + "=" + value);
    }
    return keys;
}

// The keys a write leaves: those already in the file keep their place, the
// others follow in the program's order, each with the value written.
std::vector<std::string> KeysAfterWrite(const std::string& before, const std::vector<std::string>& written) {
    std::vector<std::string> keys;
    auto nameOf = [](const std::string& key) { return key.substr(0, key.find('=')); };
    for (const std::string& old : FirstSectionKeys(TextOf(before)))
        for (const std::string& key : written)
            if (nameOf(key) == nameOf(old)) keys.push_back(key);
    for (const std::string& key : written)
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    return keys;
}

// What the platform reads from the file, as the program's start-up does.
app::Settings PlatformReading() {
    app::Settings settings = app::DefaultSettings();
    for (const app::SettingKey& key : app::kSettingKeys)
        settings.*key.field = static_cast<int32_t>(
            GetPrivateProfileIntA(app::kSettingsSection, key.name, key.defaultValue, app::kSettingsFile));
    return settings;
}

// Where the placement rules put the main window for those values: the
// start-up position, then the clamp its own move passes through.
app::Origin RulePosition(const app::Settings& read) {
    const app::Extent outer{240 + 2 * GetSystemMetrics(SM_CXBORDER),
                            GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) + 420};
    const app::Extent screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    app::Origin origin = app::InitialPosition(read.PosX, read.PosY, outer, screen);
    app::ClampProposedOrigin(origin, outer, read.FitPos, screen);
    return origin;
}

void RunCase(const HostileCase& c) {
    SCOPED_TRACE(c.file.name);
    const std::string path = SettingsPath();
    RemoveSettings();
    if (c.kind == Kind::Directory)
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    else
        WriteSettingsText(c.file.bytes);
    const std::string before = ReadSettingsText();
    std::unique_ptr<ImmutableSettingsFile> locked;
    if (c.kind == Kind::Unwritable) {
        locked.reset(new ImmutableSettingsFile);
        ASSERT_TRUE(locked->set) << "chattr +i did not take";
    }
    const app::Settings read = PlatformReading();
    for (const app::SettingKey& key : app::kSettingKeys)
        EXPECT_EQ(c.file.read.*key.field, read.*key.field) << key.name << " as Wine reads it";
    const app::Origin expected = RulePosition(read);

    Muslot muslot;
    ASSERT_TRUE(muslot.Start());
    ASSERT_NE(nullptr, muslot.WaitForMainWindow()) << "no main window";
    const RECT rect = muslot.WindowRect();
    EXPECT_EQ(expected.x, rect.left);
    EXPECT_EQ(expected.y, rect.top);
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(rect.bottom, GetSystemMetrics(SM_CYSCREEN));

    auto lamp = [&] { return LampOf(CaptureClient(muslot.window(), kClientWidth, kClientHeight), 0); };
    EXPECT_TRUE(WaitFor([&] { return lamp() == Lamp::Running; }, 3000));
    // A user types once the window is in front and has the focus; on a busy
    // machine that may come later than the harness waits for.
    EXPECT_TRUE(WaitFor([&] { return muslot.TakesKeys(); }, 10000)) << "the window never took the keys";
    // On a busy machine Wine now and then drops a key typed into a window
    // that has just come up; a user would press it again, once.
    bool stopped = false;
    for (int press = 0; press < 2 && !stopped; ++press) {
        if (press > 0) std::printf("the first key reached no reel; pressed once more\n");
        muslot.PressKey('1');
        muslot.ReleaseKey('1');
        stopped = WaitFor([&] { return lamp() == Lamp::Stopped; }, 3000);
    }
    EXPECT_TRUE(stopped) << "two keys stopped no reel";

    EXPECT_EQ(0u, muslot.Close());
    if (c.kind == Kind::Directory) {
        EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_TRUE(RemoveDirectoryA(path.c_str()));
        return;
    }
    if (c.kind == Kind::Unwritable) {
        EXPECT_EQ(before, ReadSettingsText()) << "an unwritable file changed";
        return;
    }
    const auto value = [](int32_t v) {
        char text[app::kSettingValueSize];
        return std::string(text, app::FormatSettingValue(v, text));
    };
    const std::vector<std::string> written = {"posx=" + value(rect.left), "posy=" + value(rect.top),
                                              "fitpos=" + value(read.FitPos),
                                              "language=" + value(read.Language)};
    EXPECT_EQ(KeysAfterWrite(before, written), FirstSectionKeys(TextOf(ReadSettingsText())));
}

// Bytes as a line of the damaged-settings table writes them.
std::string Escaped(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        text += c >= ' ' && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c)) : hex;
    }
    return text;
}

}  // namespace

// Files made at random of the pieces the profile reader treats specially:
// Wine's reader and the page's must give the same value for every key.
TEST(HostileSettings, GeneratedFilesReadAlikeByWineAndThePagesReader) {
    const std::string pieces[] = {"[MUSlot]", "[ muslot ]", "[MUSlot", "]", "[Other]", "[", "PosX", " posy ", "FitPos",
                                  "Language", "Pos X", ";", "=", " = ", "\"", "'", "5", "-", "0x1f", "0X", "0b1", "0o7",
                                  "4294967295", "99999999999999999999", "+", " ", "\t", "\x01", "\v", "\x1a", "\x1f",
                                  "\x7f", std::string(1, '\0'), "\r\n", "\n", "\r"};
    std::mt19937 random(1);
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        for (int n = random() % 32; n > 0; --n) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        WriteSettingsText(text);
        for (const app::SettingKey& key : app::kSettingKeys) {
            ASSERT_EQ(static_cast<int32_t>(GetPrivateProfileIntA(app::kSettingsSection, key.name, key.defaultValue,
                                                                 app::kSettingsFile)),
                      app::ReadProfileInt(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                          app::kSettingsSection, key.name, key.defaultValue))
                << key.name << " of " << Escaped(text);
        }
    }
    RemoveSettings();
}

TEST(HostileSettings, EveryDamagedFileStillStartsPlacesPlaysAndIsWrittenBack) {
    const std::vector<HostileCase> cases = Cases();
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    int passed = 0;
    for (const HostileCase& c : cases) {
        const int partsBefore = result->total_part_count();
        RunCase(c);
        if (result->total_part_count() == partsBefore) ++passed;
    }
    RemoveSettings();
    std::printf("hostile settings: %d cases tried, %d passed\n", static_cast<int>(cases.size()), passed);
}
