// Fuzz target over the settings reader: whatever the text, reading each key
// stays inside its bytes (AddressSanitizer and UndefinedBehaviorSanitizer
// watch), the text saved as UTF-16 reads the same, and the text written back
// from the values read fits its room and reads back as those values.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/settings_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool marked = (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) ||
                        (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF);
    std::vector<uint8_t> wide = {0xFF, 0xFE};
    for (size_t i = 0; i < size; ++i) wide.insert(wide.end(), {data[i], 0});
    app::Settings read{};
    for (const app::SettingKey& key : app::kSettingKeys) {
        read.*key.field = app::ReadProfileInt(data, size, app::kSettingsSection, key.name, key.defaultValue);
        if (!marked && app::ReadProfileInt(wide.data(), wide.size(), app::kSettingsSection, key.name,
                                           key.defaultValue) != read.*key.field)
            __builtin_trap();
    }
    std::vector<uint8_t> text(app::kSettingsTextCapacity);
    const size_t length = app::FormatSettingsText(read, reinterpret_cast<char*>(text.data()));
    if (length > text.size()) __builtin_trap();
    for (const app::SettingKey& key : app::kSettingKeys)
        if (app::ReadProfileInt(text.data(), length, app::kSettingsSection, key.name, ~key.defaultValue) !=
            read.*key.field)
            __builtin_trap();
    return 0;
}
