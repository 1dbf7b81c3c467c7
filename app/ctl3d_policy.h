// Which platforms get the 3-D controls library: only Win32s and the
// NT family up to version 3, whose dialogs are drawn flat without it.
#pragma once

#include <cstdint>

namespace app {

constexpr uint32_t kPlatformWin32s = 0;   // VER_PLATFORM_WIN32s
constexpr uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNt = 2;       // VER_PLATFORM_WIN32_NT

inline bool PlatformWantsCtl3d(uint32_t platformId, uint32_t majorVersion) {
    return platformId == kPlatformWin32s || (platformId == kPlatformNt && majorVersion <= 3);
}

}  // namespace app
