// Reading and writing the settings through the private-profile functions,
// which put a bare file name in the Windows directory.
#include <windows.h>

#include "app/shell.h"
#include "core/settings_text.h"

namespace app {

Settings g_settings = DefaultSettings();

void ReadSettings() {
    for (const SettingKey& key : kSettingKeys) {
        g_settings.*key.field = static_cast<int32_t>(
            GetPrivateProfileIntA(kSettingsSection, key.name, key.defaultValue, kSettingsFile));
    }
}

void WriteSettings() {
    // Failures (a read-only file, no rights on the directory) are ignored.
    for (const SettingKey& key : kSettingKeys) {
        char value[kSettingValueSize];
        FormatSettingValue(g_settings.*key.field, value);
        WritePrivateProfileStringA(kSettingsSection, key.name, value, kSettingsFile);
    }
}

}  // namespace app
