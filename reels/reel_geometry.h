// Where the reels and lamps sit on the background panel, in client pixels.
// Both front ends draw from these: the Win32 one with block copies between
// bitmaps, the web one with copies between pixel buffers.
#pragma once

#include <cstdint>

namespace reels {

constexpr int kReelWindowLeft = 16;
constexpr int kReelWindowTop = 10;
constexpr int kLampLeft = 210;
constexpr int kLampTop = 50;
constexpr int kLampSize = 16;

// A reel shows one of four bands of the strip, cut on its 16-bit height.
constexpr int BandHeight(uint16_t stripHeight) { return stripHeight >> 2; }

}  // namespace reels
