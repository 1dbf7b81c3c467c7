// Where things are on the machine's face, in client pixels: the reels'
// click bands, the reel windows and lamps on the background panel, and how
// a reel's band is cut from the strip. Both front ends draw and hit-test
// from these.
#pragma once

#include <cstdint>

namespace reels {

constexpr int kReelCount = 4;
constexpr int kFigureCount = 12;

// Click bands: four bands of 100 rows from y = 10, fixed whatever the strip.
constexpr uint32_t kFirstBandTop = 10;
constexpr uint32_t kLastBandBottom = 409;
constexpr uint32_t kClickBandHeight = 100;

constexpr int kReelWindowLeft = 16;
constexpr int kReelWindowTop = 10;
constexpr int kLampLeft = 210;
constexpr int kLampTop = 50;
constexpr int kLampSize = 16;

// A reel shows one of four bands of the strip, cut on its 16-bit height.
constexpr int BandHeight(uint16_t stripHeight) { return stripHeight >> 2; }

}  // namespace reels
