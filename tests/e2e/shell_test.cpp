// The running shell: the main window as the platform sees it, the
// single-instance guard and the close path.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

using namespace e2e;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveSettings(); }
};

TEST_F(ShellTest, MainWindowHasItsClassCaptionAndFixedFrame) {
    Muslot muslot;
    ASSERT_TRUE(muslot.Start());
    HWND window = muslot.WaitForMainWindow();
    ASSERT_NE(nullptr, window);

    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(kMainClass, className);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_EQ(std::string(kCaptionSjis), std::string(caption));

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_CAPTION), style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
    EXPECT_EQ(nullptr, GetMenu(window));  // no menu bar: the menu is a context menu

    EXPECT_EQ(0u, muslot.Close());
}

TEST_F(ShellTest, StartedMaximisedItIsShownNormally) {
    Muslot muslot;
    ASSERT_TRUE(muslot.Start(SW_SHOWMAXIMIZED));
    HWND window = muslot.WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    Pause(300);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_FALSE(IsIconic(window));
    const RECT rect = muslot.WindowRect();
    EXPECT_EQ(240 + 2 * GetSystemMetrics(SM_CXBORDER), rect.right - rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) + 420,
              rect.bottom - rect.top);
    EXPECT_EQ(0u, muslot.Close());
}

TEST_F(ShellTest, ASecondCopyHandsOverToTheFirstAndExits) {
    Muslot first;
    ASSERT_TRUE(first.Start());
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(nullptr, window);

    {
        Muslot second;
        ASSERT_TRUE(second.Start());
        EXPECT_EQ(0u, second.WaitForExit(5000));
    }
    EXPECT_EQ(1u, WindowsOfClass(kMainClass).size());

    // Minimised, the first copy is restored by the next start.
    first.Minimise();
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));
    {
        Muslot third;
        ASSERT_TRUE(third.Start());
        EXPECT_EQ(0u, third.WaitForExit(5000));
    }
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window); }));
    EXPECT_EQ(1u, WindowsOfClass(kMainClass).size());
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(0u, first.Close());
}

TEST_F(ShellTest, CloseEndsTheProcessWithCodeZero) {
    Muslot muslot;
    ASSERT_TRUE(muslot.Start());
    ASSERT_NE(nullptr, muslot.WaitForMainWindow());
    // System commands below 0xF000 are swallowed; the window stays.
    muslot.Post(WM_SYSCOMMAND, 0x0010);
    Pause(200);
    EXPECT_TRUE(muslot.Running());
    // The close command of the window menu takes the default path.
    muslot.Post(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(0u, muslot.WaitForExit());
    EXPECT_TRUE(WindowsOfClass(kMainClass).empty());
}
