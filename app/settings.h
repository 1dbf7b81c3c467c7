// The four integers kept between runs in MUSLOT.INI, and their text form.
#pragma once

#include <cstdint>
#include <string>

namespace app {

struct Settings {
    int32_t PosX;      // left edge of the main window; -1 with PosY -1: never placed
    int32_t PosY;      // top edge of the main window
    int32_t FitPos;    // non-zero: keep windows inside the screen while they move
    int32_t Language;  // 0: Japanese menu and About caption; otherwise English
};

constexpr char kSettingsFile[] = "MUSLOT.INI";
constexpr char kSettingsSection[] = "MUSlot";

// One key of the file, in the order the keys are read and written.
struct SettingKey {
    const char* name;
    int32_t Settings::*field;
    int32_t defaultValue;
};

constexpr int kSettingKeyCount = 4;
extern const SettingKey kSettingKeys[kSettingKeyCount];

// The values a missing file, section or key yields.
Settings DefaultSettings();

// A value as the file stores it: the unsigned decimal form of the 32-bit
// word, so -1 is written as 4294967295.
std::string FormatSettingValue(int32_t value);

// The whole file as the profile functions leave it after a write into a
// new file: the section line and the four key lines, CR LF after each.
std::string SettingsFileText(const Settings& settings);

}  // namespace app
