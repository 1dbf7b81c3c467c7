#include "core/reel_bank.h"

namespace reels {

PlayState g_play;

void Seed(RandomState& random, uint32_t value) { random.state = value; }

int NextRandom(RandomState& random) {
    random.state = random.state * 214013u + 2531011u;
    return static_cast<int>((random.state >> 16) & 0x7FFFu);
}

void SpinAll(PlayState& play) {
    // Exactly one random number per reel, top reel first.
    for (int r = 0; r < kReelCount; ++r) {
        play.bank.running[r] = 1;
        play.bank.position[r] = NextRandom(play.random) % kFigureCount;
    }
}

bool AllStopped(const ReelBank& bank) {
    for (int r = 0; r < kReelCount; ++r) {
        if (bank.running[r] != 0) return false;
    }
    return true;
}

bool IsMatch(const ReelBank& bank) {
    return bank.position[0] == bank.position[1] &&
           bank.position[1] == bank.position[2] &&
           bank.position[2] == bank.position[3];
}

void Advance(ReelBank& bank, int reel) {
    int next = bank.position[reel] + 1;
    bank.position[reel] = next >= kFigureCount ? 0 : next;
}

void StartPlay(PlayState& play, uint32_t seed) {
    Seed(play.random, seed);
    SpinAll(play);
    play.matchPending = 0;
}

int ReelForKey(uint32_t virtualKey) {
    if (virtualKey >= kKeyMain1 && virtualKey < kKeyMain1 + kReelCount)
        return static_cast<int>(virtualKey - kKeyMain1);
    if (virtualKey >= kKeyPad1 && virtualKey < kKeyPad1 + kReelCount)
        return static_cast<int>(virtualKey - kKeyPad1);
    return -1;
}

int ReelForClickRow(uint32_t y) {
    if (y < kFirstBandTop || y > kLastBandBottom) return -1;
    return static_cast<int>((y - kFirstBandTop) / kClickBandHeight);
}

Decision OnLeftButtonUp(PlayState& play, uint32_t packedPosition) {
    if (AllStopped(play.bank)) {
        SpinAll(play);  // a click on a stopped machine only starts a new spin
        return Decision::Nothing;
    }
    int reel = ReelForClickRow((packedPosition >> 16) & 0xFFFFu);
    if (reel < 0) return Decision::Nothing;
    play.bank.running[reel] = 0;
    // The mouse path opens the window on this same release.
    if (AllStopped(play.bank) && IsMatch(play.bank)) return Decision::ShowCongratulations;
    return Decision::Nothing;
}

void OnKeyDown(PlayState& play, uint32_t virtualKey) {
    // Holding the key that made a match would otherwise spin again by repeat.
    if (play.matchPending) return;
    if (AllStopped(play.bank)) {
        SpinAll(play);
        return;
    }
    int reel = ReelForKey(virtualKey);
    if (reel < 0) return;
    play.bank.running[reel] = 0;
    // Wait for the release: the congratulations window closes on a key
    // release, and would otherwise catch the release of this very key.
    if (AllStopped(play.bank) && IsMatch(play.bank)) play.matchPending = 1;
}

Decision OnKeyUp(PlayState& play) {
    if (!play.matchPending) return Decision::Nothing;
    play.matchPending = 0;
    return Decision::ShowCongratulations;
}

}  // namespace reels
