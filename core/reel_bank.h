// The reel game itself: four reels over twelve figures, the random spin,
// and the rules by which keys and clicks stop reels or start a new spin.
// No windows, no drawing: the shell feeds it input and the drawing reads it.
#pragma once

#include <cstdint>

#include "core/geometry.h"

namespace reels {

// Virtual-key codes that stop reels: main keyboard 1-4 and keypad 1-4.
constexpr uint32_t kKeyMain1 = 0x31;
constexpr uint32_t kKeyPad1 = 0x61;

struct ReelBank {
    int32_t running[kReelCount];   // 1 while reel r spins
    int32_t position[kReelCount];  // figure reel r shows at the next tick
};

// The process-wide random generator: a 32-bit linear congruential state.
struct RandomState {
    uint32_t state;
};

// Everything the play rules own: the reels, the generator and the flag
// that holds a keyboard match until the key is released.
struct PlayState {
    ReelBank bank;
    RandomState random;
    int32_t matchPending;
};

// The one game of the process, played on the main window.
extern PlayState g_play;

// What an input leads to beyond the reels themselves: when all reels have
// stopped on one figure, the shell shows the congratulations picture.
enum class Decision { Nothing, ShowCongratulations };

void Seed(RandomState& random, uint32_t value);
int NextRandom(RandomState& random);  // 0 to 32767

void SpinAll(PlayState& play);
bool AllStopped(const ReelBank& bank);
bool IsMatch(const ReelBank& bank);
void Advance(ReelBank& bank, int reel);

// Start of play: seed, spin all reels, clear the pending match.
void StartPlay(PlayState& play, uint32_t seed);

// The reel a key stops, or -1 for keys that stop nothing.
int ReelForKey(uint32_t virtualKey);
// The reel a click at client row y stops, or -1 outside the bands.
int ReelForClickRow(uint32_t y);

// Input rules. packedPosition holds x in the low and y in the high 16 bits.
Decision OnLeftButtonUp(PlayState& play, uint32_t packedPosition);
void OnKeyDown(PlayState& play, uint32_t virtualKey);
Decision OnKeyUp(PlayState& play);

}  // namespace reels
