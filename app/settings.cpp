#include "app/settings.h"

#include <cstdio>

namespace app {

const SettingKey kSettingKeys[kSettingKeyCount] = {
    {"PosX", &Settings::PosX, -1},
    {"PosY", &Settings::PosY, -1},
    {"FitPos", &Settings::FitPos, 1},
    {"Language", &Settings::Language, 0},
};

Settings DefaultSettings() {
    Settings settings{};
    for (const SettingKey& key : kSettingKeys) settings.*key.field = key.defaultValue;
    return settings;
}

std::string FormatSettingValue(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(static_cast<uint32_t>(value)));
    return text;
}

std::string SettingsFileText(const Settings& settings) {
    std::string text = std::string("[") + kSettingsSection + "]\r\n";
    for (const SettingKey& key : kSettingKeys)
        text += std::string(key.name) + "=" + FormatSettingValue(settings.*key.field) + "\r\n";
    return text;
}

}  // namespace app
