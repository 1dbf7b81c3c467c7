// Kept apart from the reader: muslot.exe writes its values with this but
// reads its file through the system, and links only what it calls.
#include "core/settings_text.h"

namespace app {

size_t FormatSettingValue(int32_t value, char* out) {
    // "%u": the 32-bit word unsigned, so -1 is 4294967295.
    uint32_t word = static_cast<uint32_t>(value);
    char digits[kSettingValueSize];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + word % 10);
        word /= 10;
    } while (word != 0);
    size_t n = 0;
    while (count > 0) out[n++] = digits[--count];
    out[n] = '\0';
    return n;
}

size_t FormatSettingsText(const Settings& settings, char* out) {
    size_t n = 0;
    auto put = [&](const char* s) {
        while (*s) out[n++] = *s++;
    };
    put("[");
    put(kSettingsSection);
    put("]\r\n");
    for (const SettingKey& key : kSettingKeys) {
        put(key.name);
        put("=");
        n += FormatSettingValue(settings.*key.field, out + n);
        put("\r\n");
    }
    return n;
}

}  // namespace app
