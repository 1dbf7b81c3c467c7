#include <gtest/gtest.h>

#include <vector>

#include "app/ctl3d_policy.h"
#include "core/credit_counter.h"

TEST(Ctl3dPolicy, OnlyWin32sAndEarlyNtLookForTheLibrary) {
    EXPECT_TRUE(app::PlatformWantsCtl3d(app::kPlatformWin32s, 3));   // Win32s on Windows 3.1
    EXPECT_TRUE(app::PlatformWantsCtl3d(app::kPlatformNt, 3));       // NT 3.51
    EXPECT_TRUE(app::PlatformWantsCtl3d(app::kPlatformNt, 2));
    EXPECT_FALSE(app::PlatformWantsCtl3d(app::kPlatformNt, 4));      // NT 4.0
    EXPECT_FALSE(app::PlatformWantsCtl3d(app::kPlatformNt, 10));     // today's Windows
    EXPECT_FALSE(app::PlatformWantsCtl3d(app::kPlatformWindows, 4)); // Windows 95, 98, Me
    EXPECT_FALSE(app::PlatformWantsCtl3d(3, 3));                     // an unknown platform
}

TEST(CreditCounter, EverySeventhClickShowsTheJapaneseNameAndTheNextTheLatin) {
    int32_t counter = 0;
    std::vector<int> japaneseAt, latinAt;
    for (int click = 1; click <= 22; ++click) {
        ui::CreditText text = ui::CountCreditClick(counter);
        if (text == ui::CreditText::Japanese) japaneseAt.push_back(click);
        if (text == ui::CreditText::Latin) latinAt.push_back(click);
    }
    EXPECT_EQ((std::vector<int>{7, 14, 21}), japaneseAt);
    EXPECT_EQ((std::vector<int>{1, 8, 15, 22}), latinAt);
}
