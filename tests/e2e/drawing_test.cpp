// The machine as the user sees it: lamps, reel windows, stopping and
// spinning, read from the main window's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

class DrawingTest : public MachineTest {
protected:
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

    // On failure, says what the lamps and reel windows last showed.
    ::testing::AssertionResult LampsAre(std::initializer_list<Lamp> lamps) {
        Image frame;
        if (WaitFor([&] {
                frame = CaptureClient(muslot_.window(), kClientWidth, kClientHeight);
                int r = 0;
                for (Lamp lamp : lamps)
                    if (LampOf(frame, r++) != lamp) return false;
                return true;
            }, 3000))
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "lamps and figures:";
        for (int r = 0; r < 4; ++r)
            failure << " " << "RSU"[static_cast<int>(LampOf(frame, r))] << reader_.FigureShown(frame, r);
        return failure << ", pictures open: " << WindowsOfClass(kServiceClass, muslot_.processId()).size();
    }

    // Whether reel r's window changes within the next half second.
    bool ReelMoves(int r) {
        const Image first = Reel(Frame(), r);
        return WaitFor([&] { return !SamePixels(first, Reel(Frame(), r)); }, 600);
    }

};

}  // namespace

TEST_F(DrawingTest, EveryReelShowsABandOfTheStripAndSpinsWithABlueLamp) {
    EXPECT_TRUE(LampsAre({Lamp::Running, Lamp::Running, Lamp::Running, Lamp::Running}));
    // Frames as fast as the screen gives them, for four seconds at least and
    // until twenty ticks were seen between captures close enough to place them
    // (longer on a slow machine). Two rules tell a tick that moved a reel by
    // more than one figure from a tick the sampler missed: the running reels
    // move in the same tick, so they keep their distances from each other;
    // and the timer never fires twice for one period (a late tick only brings
    // the next one closer), so k ticks take at least k - 2 periods.
    // A loaded machine puts a tick's frame on the screen up to a few periods
    // late, and then several at once.
    constexpr double kDrawLag = 300;
    constexpr double kClose = 50;    // ms between captures that place a tick
    struct Sample {
        double start, end;  // of its capture
        int figure[4];
        int ticks;  // since the first frame of its run
    };
    auto spacing = [](const Sample& s, int r) { return (s.figure[r] - s.figure[0] + 12) % 12; };
    auto spacedAs = [&](const Sample& a, const Sample& b) {
        for (int r = 1; r < 4; ++r)
            if (spacing(a, r) != spacing(b, r)) return false;
        return true;
    };
    auto listed = [](const int (&n)[4]) {
        return std::to_string(n[0]) + ", " + std::to_string(n[1]) + ", " + std::to_string(n[2]) + ", " +
               std::to_string(n[3]);
    };
    auto figures = [&](const Sample& s) { return listed(s.figure); };
    auto moves = [&](const Sample& a, const Sample& b) {
        int moved[4];
        for (int r = 0; r < 4; ++r) moved[r] = (b.figure[r] - a.figure[r] + 12) % 12;
        return listed(moved);
    };
    // Frames counted from one to the next; a gap long enough to hold twelve
    // ticks starts a new run, since the figures repeat.
    std::vector<Sample> run;
    bool spaced = false, suspect = false;  // suspect: the last frame broke the spacing
    int frames = 0, torn = 0, placed = 0, tightest = 99;
    const double began = NowMs();
    while (placed < 20 || NowMs() - began < 4000) {
        ASSERT_LT(NowMs() - began, 60000) << "only " << placed << " ticks were seen between captures "
                                          << kClose << " ms apart, in " << frames << " frames";
        Sample s{NowMs(), 0, {}, 0};
        const Image frame = CaptureClient(muslot_.window(), kClientWidth, kClientHeight);
        s.end = NowMs();
        bool whole = true;
        for (int r = 0; r < 4; ++r) whole = (s.figure[r] = reader_.FigureShown(frame, r)) >= 0 && whole;
        Sleep(5);
        if (!whole) continue;  // taken while the window was being painted
        ++frames;
        if (!spaced) {  // known once two frames in a row agree on it
            spaced = !run.empty() && spacedAs(s, run.back());
            if (!spaced) {
                run.assign(1, s);
                continue;
            }
        } else if (!spacedAs(s, run.back())) {
            // A capture across a repaint shows some reels a tick ahead; the
            // next one puts them back. Spacing that stays changed is a skip.
            if (suspect)
                FAIL() << "between two frames the reels moved by " << moves(run.back(), s) << " figures (from "
                       << figures(run.back()) << " to " << figures(s)
                       << "): a reel skipped, since running reels move together";
            suspect = true;
            continue;
        }
        torn += suspect;
        suspect = false;
        if (!run.empty()) {
            const Sample& last = run.back();
            const int step = (s.figure[0] - last.figure[0] + 12) % 12;
            if ((s.end - last.start + kDrawLag) / kTickMs + 2 >= 12) {
                run.clear();
            } else {
                s.ticks = last.ticks + step;
                if (s.end - last.start <= kClose) placed += step;
            }
        }
        for (auto earlier = run.rbegin(); earlier != run.rend(); ++earlier) {  // the shortest first
            const double span = s.end - earlier->start;
            const int most = static_cast<int>((span + kDrawLag) / kTickMs) + 2;
            const int moved = s.ticks - earlier->ticks;
            tightest = std::min(tightest, most - moved);
            ASSERT_LE(moved, most) << "the reels moved " << moved << " figures in " << static_cast<int>(span)
                                   << " ms (from " << figures(*earlier) << " to " << figures(s)
                                   << "), a time that holds at most " << most
                                   << " ticks: a tick moved them by more than one figure";
        }
        run.push_back(s);
    }
    std::printf("%d frames in %.0f ms, %d ticks placed, %d torn captures, tightest margin %d ticks\n", frames,
                NowMs() - began, placed, torn, tightest);
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
    ASSERT_TRUE(LampsAre({Lamp::Stopped, Lamp::Stopped, Lamp::Running, Lamp::Stopped}));
    // A chance match (1 in 1,728) would open the picture over the lamps: with
    // the stopped reels on one figure, the click goes out just as reel 2 has
    // passed it, which leaves it more than a second to land elsewhere.
    const Image three = Frame();
    const int figure = reader_.FigureShown(three, 0);
    if (figure == reader_.FigureShown(three, 1) && figure == reader_.FigureShown(three, 3))
        WaitFor([&] { return reader_.FigureShown(Frame(), 2) == (figure + 1) % 12; }, 3000);
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
