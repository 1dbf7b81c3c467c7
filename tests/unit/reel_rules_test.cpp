#include <gtest/gtest.h>

#include <vector>

#include "core/reel_bank.h"

using namespace reels;

namespace {

// Counts how often the rules decide to show the congratulations picture.
struct MatchCounter {
    int calls = 0;
    void operator+=(Decision decision) { calls += decision == Decision::ShowCongratulations; }
};

uint32_t Packed(uint32_t x, uint32_t y) { return (y << 16) | x; }

// A bank with every reel spinning at the given positions.
PlayState Spinning(int p0, int p1, int p2, int p3) {
    PlayState play{};
    int positions[4] = {p0, p1, p2, p3};
    for (int r = 0; r < kReelCount; ++r) {
        play.bank.running[r] = 1;
        play.bank.position[r] = positions[r];
    }
    Seed(play.random, 1);
    return play;
}

std::vector<int> RunningFlags(const PlayState& play) {
    return {play.bank.running[0], play.bank.running[1], play.bank.running[2], play.bank.running[3]};
}

}  // namespace

TEST(Generator, FromSeedOneGivesTheKnownSequenceAndFirstSpin) {
    RandomState random{};
    Seed(random, 1);
    EXPECT_EQ(41, NextRandom(random));
    EXPECT_EQ(18467, NextRandom(random));
    EXPECT_EQ(6334, NextRandom(random));
    EXPECT_EQ(26500, NextRandom(random));

    PlayState play{};
    play.matchPending = 1;
    StartPlay(play, 1);
    EXPECT_EQ((std::vector<int>{5, 11, 10, 4}),
              (std::vector<int>{play.bank.position[0], play.bank.position[1],
                                play.bank.position[2], play.bank.position[3]}));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), RunningFlags(play));
    EXPECT_EQ(0, play.matchPending);
    // The next spin draws exactly the next four numbers.
    RandomState check{};
    Seed(check, 1);
    for (int i = 0; i < 4; ++i) NextRandom(check);
    SpinAll(play);
    EXPECT_EQ(NextRandom(check) % 12, play.bank.position[0]);
}

TEST(Generator, StaysInRangeAndWrapsTheState) {
    RandomState random{};
    Seed(random, 0xFFFFFFFFu);
    for (int i = 0; i < 10000; ++i) {
        int value = NextRandom(random);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(Reels, AdvanceWrapsFromElevenToZero) {
    PlayState play = Spinning(10, 0, 0, 0);
    Advance(play.bank, 0);
    EXPECT_EQ(11, play.bank.position[0]);
    Advance(play.bank, 0);
    EXPECT_EQ(0, play.bank.position[0]);
}

TEST(ClickRule, BandsStopTheirReelsAndOutsideStopsNothing) {
    struct Case {
        uint32_t y;
        int reel;
    } cases[] = {{9, -1}, {0, -1}, {410, -1}, {65535, -1}, {10, 0}, {109, 0},
                 {110, 1}, {209, 1}, {210, 2}, {310, 3}, {409, 3}};
    for (const Case& c : cases) {
        PlayState play = Spinning(1, 2, 3, 4);
        MatchCounter counter;
        counter += OnLeftButtonUp(play, Packed(500, c.y));
        std::vector<int> expected{1, 1, 1, 1};
        if (c.reel >= 0) expected[c.reel] = 0;
        EXPECT_EQ(expected, RunningFlags(play)) << "y = " << c.y;
        EXPECT_EQ(0, counter.calls);
    }
}

TEST(ClickRule, XIsIgnoredAndAClickOnAStoppedMachineOnlySpins) {
    PlayState play = Spinning(1, 2, 3, 4);
    OnLeftButtonUp(play, Packed(0xFFFF, 50));  // far right still counts
    EXPECT_EQ(0, play.bank.running[0]);
    for (int r = 1; r < 4; ++r) play.bank.running[r] = 0;
    // All stopped: even a click outside the bands spins, and stops nothing.
    OnLeftButtonUp(play, Packed(3, 2));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), RunningFlags(play));
}

TEST(ClickRule, AMatchStoppedByAClickFiresAtOnce) {
    PlayState play = Spinning(7, 7, 7, 7);
    MatchCounter counter;
    for (uint32_t y : {10u, 110u, 210u}) counter += OnLeftButtonUp(play, Packed(0, y));
    EXPECT_EQ(0, counter.calls);
    counter += OnLeftButtonUp(play, Packed(0, 310));
    EXPECT_EQ(1, counter.calls);
    EXPECT_EQ(0, play.matchPending);
    // Stopping without a match fires nothing.
    PlayState other = Spinning(7, 7, 7, 8);
    for (uint32_t y : {10u, 110u, 210u, 310u}) counter += OnLeftButtonUp(other, Packed(0, y));
    EXPECT_EQ(1, counter.calls);
}

TEST(KeyRule, MainAndKeypadDigitsStopTheirReelsOtherKeysNothing) {
    for (uint32_t key = 0; key < 256; ++key) {
        PlayState play = Spinning(1, 2, 3, 4);
        OnKeyDown(play, key);
        int reel = -1;
        if (key >= 0x31 && key <= 0x34) reel = static_cast<int>(key - 0x31);
        if (key >= 0x61 && key <= 0x64) reel = static_cast<int>(key - 0x61);
        std::vector<int> expected{1, 1, 1, 1};
        if (reel >= 0) expected[reel] = 0;
        ASSERT_EQ(expected, RunningFlags(play)) << "key " << key;
    }
}

TEST(KeyRule, AnyKeyAfterAFullStopSpinsAgainAndRepeatsChangeNothing) {
    PlayState play = Spinning(1, 2, 3, 4);
    OnKeyDown(play, 0x31);
    OnKeyDown(play, 0x31);  // the second press of 1 changes nothing
    EXPECT_EQ((std::vector<int>{0, 1, 1, 1}), RunningFlags(play));
    OnKeyDown(play, 0x62);
    OnKeyDown(play, 0x33);
    OnKeyDown(play, 0x64);
    EXPECT_TRUE(AllStopped(play.bank));
    EXPECT_EQ(0, play.matchPending);
    OnKeyDown(play, 'Q');  // a letter spins a stopped machine
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), RunningFlags(play));
    EXPECT_FALSE(AllStopped(play.bank));
}

TEST(KeyRule, AKeyboardMatchWaitsForTheRelease) {
    PlayState play = Spinning(3, 3, 3, 3);
    MatchCounter counter;
    OnKeyDown(play, 0x31);
    counter += OnKeyUp(play);  // releases before the match fire nothing
    OnKeyDown(play, 0x32);
    OnKeyDown(play, 0x33);
    OnKeyDown(play, 0x34);
    EXPECT_EQ(1, play.matchPending);
    EXPECT_EQ(0, counter.calls);

    // Presses in between, auto-repeat included, are ignored: no new spin.
    OnKeyDown(play, 0x34);
    OnKeyDown(play, 'A');
    EXPECT_TRUE(AllStopped(play.bank));

    counter += OnKeyUp(play);
    EXPECT_EQ(1, counter.calls);
    EXPECT_EQ(0, play.matchPending);
    counter += OnKeyUp(play);  // only once
    EXPECT_EQ(1, counter.calls);
    EXPECT_TRUE(AllStopped(play.bank));
}

TEST(KeyRule, AClickWhileAMatchIsPendingSpinsAndTheReleaseStillFires) {
    PlayState play = Spinning(9, 9, 9, 9);
    MatchCounter counter;
    for (uint32_t key : {0x31u, 0x32u, 0x33u, 0x34u}) OnKeyDown(play, key);
    ASSERT_EQ(1, play.matchPending);
    counter += OnLeftButtonUp(play, Packed(10, 10));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1}), RunningFlags(play));
    EXPECT_EQ(1, play.matchPending);
    EXPECT_EQ(0, counter.calls);
    counter += OnKeyUp(play);
    EXPECT_EQ(1, counter.calls);
    EXPECT_EQ(0, play.matchPending);
}
