// The text forms of the settings that the tests compare the file with; the
// program itself formats its values with the system's wsprintfA.
#include "app/settings.h"

#include <cstdio>

namespace app {

std::string FormatSettingValue(int32_t value) {
    char text[kSettingValueSize];
    std::snprintf(text, sizeof text, kSettingValueFormat,
                  static_cast<unsigned>(static_cast<uint32_t>(value)));
    return text;
}

std::string SettingsFileText(const Settings& settings) {
    std::string text = std::string("[") + kSettingsSection + "]\r\n";
    for (const SettingKey& key : kSettingKeys)
        text += std::string(key.name) + "=" + FormatSettingValue(settings.*key.field) + "\r\n";
    return text;
}

}  // namespace app
