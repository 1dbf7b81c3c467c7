// The machine as the user sees it: lamps, reel windows, stopping and
// spinning, read from the main window's pixels.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettings();
        ASSERT_TRUE(muslot_.Start());
        ASSERT_NE(nullptr, muslot_.WaitForMainWindow());
        ASSERT_FALSE(reader_.strip().pixels.empty());
    }

    // A frame in which every reel window shows a band of the strip (a capture
    // taken while the window was being painted is taken again).
    Image Frame() {
        Image frame;
        WaitFor([&] {
            frame = CaptureClient(muslot_.window(), kClientWidth, kClientHeight);
            for (int r = 0; r < 4; ++r)
                if (reader_.FigureShown(frame, r) < 0) return false;
            return true;
        }, 3000);
        return frame;
    }

    Image Reel(const Image& frame, int r) { return Crop(frame, 16, 10 + 100 * r, 180, 100); }

    bool LampsAre(std::initializer_list<Lamp> lamps) {
        return WaitFor([&] {
            Image frame = CaptureClient(muslot_.window(), kClientWidth, kClientHeight);
            int r = 0;
            for (Lamp lamp : lamps)
                if (LampOf(frame, r++) != lamp) return false;
            return true;
        }, 3000);
    }

    // Whether reel r's window changes within the next half second.
    bool ReelMoves(int r) {
        const Image first = Reel(Frame(), r);
        return WaitFor([&] { return !SamePixels(first, Reel(Frame(), r)); }, 600);
    }

    Muslot muslot_;
    ReelReader reader_;
};

}  // namespace

TEST_F(DrawingTest, EveryReelShowsABandOfTheStripAndSpinsWithABlueLamp) {
    EXPECT_TRUE(LampsAre({Lamp::Running, Lamp::Running, Lamp::Running, Lamp::Running}));
    // Over a second and a half the reels pass through the figures in order.
    int previous[4] = {-1, -1, -1, -1};
    int steps = 0;
    for (int i = 0; i < 15; ++i) {
        Image frame = Frame();
        for (int r = 0; r < 4; ++r) {
            const int figure = reader_.FigureShown(frame, r);
            ASSERT_GE(figure, 0) << "reel " << r;
            if (previous[r] >= 0 && figure != previous[r]) {
                EXPECT_EQ((previous[r] + 1) % 12, figure) << "reel " << r << " skipped";
                ++steps;
            }
            previous[r] = figure;
        }
        Pause(70);
    }
    EXPECT_GT(steps, 20);
    SaveScreenshot("machine");
}

TEST_F(DrawingTest, KeysAndClicksStopReelsAndAnyKeySpinsAgain) {
    muslot_.PressKey('2');
    muslot_.ReleaseKey('2');
    ASSERT_TRUE(LampsAre({Lamp::Running, Lamp::Stopped, Lamp::Running, Lamp::Running}));
    // The stopped reel stays frozen over several ticks while the others move.
    const Image frozen = Reel(Frame(), 1);
    EXPECT_TRUE(ReelMoves(0));
    EXPECT_TRUE(ReelMoves(2));
    Pause(300);
    EXPECT_TRUE(SamePixels(frozen, Reel(Frame(), 1)));

    // Keys that stop nothing.
    for (UINT key : {UINT('5'), UINT('A'), UINT(VK_F2), UINT(VK_NUMPAD5)}) {
        muslot_.PressKey(key);
        muslot_.ReleaseKey(key);
    }
    Pause(300);
    EXPECT_TRUE(LampsAre({Lamp::Running, Lamp::Stopped, Lamp::Running, Lamp::Running}));

    // A click in the last band stops reel 3; clicks above and below stop nothing.
    muslot_.Click(120, 9);
    muslot_.Click(120, 410);
    muslot_.Click(120, 310);
    ASSERT_TRUE(LampsAre({Lamp::Running, Lamp::Stopped, Lamp::Running, Lamp::Stopped}));
    muslot_.PressKey(VK_NUMPAD1);
    muslot_.Click(5, 250);  // the whole width counts, margins included
    ASSERT_TRUE(LampsAre({Lamp::Stopped, Lamp::Stopped, Lamp::Stopped, Lamp::Stopped}));
    const Image stopped = Frame();
    Pause(400);
    EXPECT_TRUE(SamePixels(stopped, Frame()));

    // Any key on a stopped machine spins every reel again.
    muslot_.PressKey('Z');
    muslot_.ReleaseKey('Z');
    ASSERT_TRUE(LampsAre({Lamp::Running, Lamp::Running, Lamp::Running, Lamp::Running}));
    for (int r = 0; r < 4; ++r) EXPECT_TRUE(ReelMoves(r)) << "reel " << r;

    // The keypad stops reels too.
    muslot_.PressKey(VK_NUMPAD2);
    EXPECT_TRUE(LampsAre({Lamp::Running, Lamp::Stopped, Lamp::Running, Lamp::Running}));
}

TEST_F(DrawingTest, AMinimisedWindowDoesNotAdvanceItsReels) {
    muslot_.PressKey('1');
    ASSERT_TRUE(LampsAre({Lamp::Stopped, Lamp::Running, Lamp::Running, Lamp::Running}));
    muslot_.Minimise();
    ASSERT_TRUE(WaitFor([&] { return IsIconic(muslot_.window()) != FALSE; }));
    Pause(500);
    // Started again, the program brings its minimised window back.
    Muslot again;
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(0u, again.WaitForExit());
    ASSERT_TRUE(WaitFor([&] { return !IsIconic(muslot_.window()); }));
    // Restored, it paints its back buffer and goes on spinning.
    EXPECT_TRUE(LampsAre({Lamp::Stopped, Lamp::Running, Lamp::Running, Lamp::Running}));
    EXPECT_TRUE(ReelMoves(3));
    EXPECT_EQ(0u, muslot_.Close());
}
