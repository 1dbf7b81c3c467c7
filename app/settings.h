// The four integers kept between runs in MUSLOT.INI, and their text form.
#pragma once

#include <string>

#include "app/settings_keys.h"

namespace app {

// A value as the file stores it.
std::string FormatSettingValue(int32_t value);

// The whole file as the profile functions leave it after a write into a
// new file: the section line and the four key lines, CR LF after each.
std::string SettingsFileText(const Settings& settings);

}  // namespace app
