// The four integers kept between runs, their keys, defaults and the format
// a value is stored in; the same for every front end.
#pragma once

#include <cstdint>

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
inline constexpr SettingKey kSettingKeys[kSettingKeyCount] = {
    {"PosX", &Settings::PosX, -1},
    {"PosY", &Settings::PosY, -1},
    {"FitPos", &Settings::FitPos, 1},
    {"Language", &Settings::Language, 0},
};

// The values a missing file, section or key yields.
constexpr Settings DefaultSettings() {
    Settings settings{};
    for (const SettingKey& key : kSettingKeys) settings.*key.field = key.defaultValue;
    return settings;
}

// A value is stored as the unsigned decimal form of the 32-bit word, so -1
// is written as 4294967295 (FormatSettingValue).
// Room for the longest value, 4294967295, and its terminator.
constexpr int kSettingValueSize = 11;

}  // namespace app
