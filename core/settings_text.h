// The settings file's text: the [MUSlot] section and its keys, read the
// way the Windows profile functions read theirs, so that a damaged text
// gives what it gives there, and written as they leave a new file. The
// browser keeps this text; Windows reads and writes the file itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/settings.h"

namespace app {

// The integer of key in section of text[0 .. size), or defaultValue when the
// section, the key or its value is missing. Names compare without letter
// case; the first section and the first key of a name count, a line without
// '=' being a key without a value; a value loses matching quotes and is read
// as an integer with an optional sign, decimal or after 0x, 0o or 0b,
// wrapping modulo 2^32, up to its first other character.
int32_t ReadProfileInt(const uint8_t* text, size_t size, const char* section, const char* key,
                       int32_t defaultValue);

// Room for the whole text: the section line and four keys of at most ten digits.
constexpr size_t kSettingsTextCapacity = 96;

// The whole text in the order the keys are written, CR LF after each line;
// returns its length.
size_t FormatSettingsText(const Settings& settings, char* out);

// One value as the file stores it (unsigned decimal), terminated; returns
// its length. out has room for kSettingValueSize characters.
size_t FormatSettingValue(int32_t value, char* out);

}  // namespace app
