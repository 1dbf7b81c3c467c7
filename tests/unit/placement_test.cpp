#include <gtest/gtest.h>

#include "core/placement.h"

using namespace app;

namespace {

const Extent kScreen{1024, 768};
const FrameMetrics kMetrics{1, 1, 18};

void ExpectOrigin(Origin expected, Origin actual) {
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
}

}  // namespace

TEST(Placement, NeverPlacedIsCentredByTheOuterSizeFormula) {
    Extent outer = MainWindowOuterSize(240, 420, kMetrics);
    EXPECT_EQ(242, outer.cx);
    EXPECT_EQ(439, outer.cy);
    ExpectOrigin({391, 164}, InitialPosition(-1, -1, outer, kScreen));
    // Wine's caption of 19 makes the window one row taller, same place.
    Extent wine = MainWindowOuterSize(240, 420, FrameMetrics{1, 1, 19});
    EXPECT_EQ(440, wine.cy);
    ExpectOrigin({391, 164}, InitialPosition(-1, -1, wine, kScreen));
}

TEST(Placement, RememberedPositionsArePulledOntoTheScreen) {
    const Extent outer{242, 439};
    ExpectOrigin({0, 50}, InitialPosition(-1, 50, outer, kScreen));  // not "never placed"
    ExpectOrigin({50, 0}, InitialPosition(50, -1, outer, kScreen));
    ExpectOrigin({1024 - 242, 100}, InitialPosition(2000, 100, outer, kScreen));
    ExpectOrigin({100, 768 - 439}, InitialPosition(100, 5000, outer, kScreen));
    ExpectOrigin({300, 200}, InitialPosition(300, 200, outer, kScreen));
    ExpectOrigin({0, 0}, InitialPosition(-10, -10, outer, kScreen));
}

TEST(Placement, AWindowLargerThanTheScreenGetsANegativeOriginUntilClamped) {
    const Extent big{1100, 800};
    Origin origin = InitialPosition(0, 0, big, kScreen);
    ExpectOrigin({-76, -32}, origin);
    ExpectOrigin({-38, -16}, InitialPosition(-1, -1, big, kScreen));
    // The window's own move passes through the clamp: with FitPos it ends at 0.
    Origin clamped = origin;
    EXPECT_TRUE(ClampProposedOrigin(clamped, big, 1, kScreen));
    ExpectOrigin({0, 0}, clamped);
    Origin free = origin;
    EXPECT_FALSE(ClampProposedOrigin(free, big, 0, kScreen));
    ExpectOrigin({-76, -32}, free);
}

TEST(Placement, ClampActsOnlyWithASizeAndFitPos) {
    const Extent size{242, 440};
    Origin left{-50, -50};
    EXPECT_TRUE(ClampProposedOrigin(left, size, 1, kScreen));
    ExpectOrigin({0, 0}, left);
    Origin right{2000, 2000};
    EXPECT_TRUE(ClampProposedOrigin(right, size, 7, kScreen));
    ExpectOrigin({1024 - 242, 768 - 440}, right);
    Origin inside{10, 20};
    EXPECT_TRUE(ClampProposedOrigin(inside, size, 1, kScreen));
    ExpectOrigin({10, 20}, inside);

    Origin untouched{-50, 3000};
    EXPECT_FALSE(ClampProposedOrigin(untouched, size, 0, kScreen));
    EXPECT_FALSE(ClampProposedOrigin(untouched, Extent{0, 440}, 1, kScreen));
    EXPECT_FALSE(ClampProposedOrigin(untouched, Extent{242, 0}, 1, kScreen));
    ExpectOrigin({-50, 3000}, untouched);
}

TEST(Placement, OnlyVisibleSizedPositionsAreRemembered) {
    EXPECT_TRUE(ShouldRememberPosition(Extent{242, 440}, false));
    EXPECT_FALSE(ShouldRememberPosition(Extent{242, 440}, true));
    EXPECT_FALSE(ShouldRememberPosition(Extent{0, 440}, false));
    EXPECT_FALSE(ShouldRememberPosition(Extent{242, 0}, false));
}

TEST(Placement, TheAboutBoxCentresOverItsOwnerAndStaysOnTheScreen) {
    const Extent box{207, 130};
    ExpectOrigin({391 + (242 - 207) / 2, 164 + (440 - 130) / 2},
                 CentreOverOwner(Origin{391, 164}, Extent{242, 440}, box, kScreen));
    // An owner at the right edge: the box ends at the screen edge.
    ExpectOrigin({1024 - 207, 100},
                 CentreOverOwner(Origin{1000, 100}, Extent{242, 130}, box, kScreen));
    ExpectOrigin({0, 0}, CentreOverOwner(Origin{-200, -200}, Extent{242, 130}, box, kScreen));
    // Without an owner: the screen's centre, unclamped.
    ExpectOrigin({(1024 - 207) / 2, (768 - 130) / 2}, CentreOnScreen(box, kScreen));
    ExpectOrigin({-38, -16}, CentreOnScreen(Extent{1100, 800}, kScreen));
}

// Positions and sizes near the 32-bit limits: the clamp works as if the sums
// were exact, so nothing wraps round to the far side of the screen.
TEST(Placement, TheClampHoldsForEvery32BitValue) {
    constexpr int32_t kMax = INT32_MAX;
    constexpr int32_t kMin = INT32_MIN;
    struct Case {
        int32_t position, size, screen, expected;
    };
    const Case cases[] = {
        {kMax, 242, 1024, 782},
        {kMax - 241, 242, 1024, 782},        // 2147483406: the first sum past the limit
        {kMax - 242, 242, 1024, 782},        // 2147483405: the last sum inside it
        {kMax, 439, 768, 329},
        {kMax - 438, 439, 768, 329},         // 2147483209 for the height
        {kMin, 242, 1024, 0},
        {kMin + 1, 242, 1024, 0},
        {-1, 242, 1024, 0},
        {0, 242, 1024, 0},
        {782, 242, 1024, 782},               // exactly at the far edge
        {783, 242, 1024, 782},
        {500, kMax, 1024, 1024 - kMax},      // a size larger than the screen
        {0, kMax, 1024, 1024 - kMax},
        {kMax, kMax, 1024, 1024 - kMax},
        {kMax, 1100, 1024, -76},
        {100, 1100, 1024, -76},
        {100, kMin, 1024, 100},              // a negative size never reaches the far edge
        {kMax, kMin, 1024, kMax},
        {kMax, 0, 1024, 1024},
        {kMax, -1, kMax, kMax},
        {5, 10, kMin, kMin},                  // a screen at the bottom of the range
        {5, kMax, kMin, kMin},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ClampToScreenSpan(c.position, c.size, c.screen))
            << "position " << c.position << ", size " << c.size << ", screen " << c.screen;
    }

    const Extent outer{242, 439};
    ExpectOrigin({782, 329}, InitialPosition(kMax, kMax, outer, kScreen));
    ExpectOrigin({782, 329}, InitialPosition(kMax - 241, kMax - 438, outer, kScreen));
    ExpectOrigin({0, 0}, InitialPosition(kMin, kMin, outer, kScreen));
    Origin proposed{kMax, kMax};
    EXPECT_TRUE(ClampProposedOrigin(proposed, outer, 1, kScreen));
    ExpectOrigin({782, 329}, proposed);
    Origin huge{kMax, kMin};
    EXPECT_TRUE(ClampProposedOrigin(huge, Extent{kMax, kMax}, 1, kScreen));
    ExpectOrigin({1024 - kMax, 0}, huge);
}

TEST(Placement, CentringAndOuterSizesCannotOverflow) {
    constexpr int32_t kMax = INT32_MAX;
    constexpr int32_t kMin = INT32_MIN;
    const Extent box{207, 130};
    // An owner far right or far left: the box still lands on the screen.
    ExpectOrigin({1024 - 207, 768 - 130}, CentreOverOwner(Origin{kMax, kMax}, Extent{242, 440}, box, kScreen));
    ExpectOrigin({0, 0}, CentreOverOwner(Origin{kMin, kMin}, Extent{242, 440}, box, kScreen));
    ExpectOrigin({1024 - 207, 768 - 130}, CentreOverOwner(Origin{kMax, kMax}, Extent{kMax, kMax}, box, kScreen));
    ExpectOrigin({0, 0}, CentreOverOwner(Origin{kMin, kMin}, Extent{kMin, kMin}, Extent{kMax, kMax}, kScreen));
    // Centring on the screen divides the exact difference.
    ExpectOrigin({(1024 - kMax) / 2, (768 - kMax) / 2}, CentreOnScreen(Extent{kMax, kMax}, kScreen));
    ExpectOrigin({kMax, kMax}, CentreOnScreen(Extent{kMin, kMin}, Extent{kMax, kMax}));
    ExpectOrigin({(1024 - kMax) / 2, (768 - kMax) / 2}, InitialPosition(-1, -1, Extent{kMax, kMax}, kScreen));
    // Sums of the frame metrics stop at the limit instead of wrapping.
    const Extent outer = MainWindowOuterSize(kMax, kMax, FrameMetrics{kMax, kMax, kMax});
    EXPECT_EQ(kMax, outer.cx);
    EXPECT_EQ(kMax, outer.cy);
    const Extent low = MainWindowOuterSize(kMin, kMin, FrameMetrics{kMin, kMin, kMin});
    EXPECT_EQ(kMin, low.cx);
    EXPECT_EQ(kMin, low.cy);
}
