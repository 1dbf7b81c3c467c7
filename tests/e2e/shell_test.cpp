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
    ExpectJapaneseText(window, kCaption, kCaptionSjis);
    // The mutex is named by the caption: as UTF-16 on every code page, and on
    // code page 932 an older copy that opens it by the ANSI bytes finds it too.
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kCaption);
    EXPECT_NE(nullptr, mutex);
    if (mutex) CloseHandle(mutex);
    if (GetACP() == 932) {
        mutex = OpenMutexA(SYNCHRONIZE, FALSE, kCaptionSjis);
        EXPECT_NE(nullptr, mutex);
        if (mutex) CloseHandle(mutex);
    }

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

// Started maximised, the window is shown normally and in front with the keys
// (Wine does not replace the first show command by the start-up one, as
// Windows does, so only the program's own mapping is seen here).
TEST_F(ShellTest, StartedMaximisedItIsShownNormally) {
    Muslot muslot;
    ASSERT_TRUE(muslot.Start(SW_SHOWMAXIMIZED));
    HWND window = muslot.WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    Pause(300);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(muslot.TakesKeys());
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

namespace {

// Beside a mutex another copy holds (and no window of it), a new copy ends
// at once with code 0 and shows nothing. The mutex is closed afterwards.
void ExpectANewCopyEndsQuietlyBeside(HANDLE held) {
    EXPECT_NE(nullptr, held);
    Muslot muslot;
    EXPECT_TRUE(muslot.Start());
    EXPECT_EQ(0u, muslot.WaitForExit(5000));
    EXPECT_TRUE(WindowsOfClass(kMainClass).empty());
    if (held) CloseHandle(held);
}

}  // namespace

TEST_F(ShellTest, ACopyRunningUnderTheAnsiMutexNameIsFoundOnCodePage932) {
    if (GetACP() != 932) GTEST_SKIP() << "the ANSI name is the caption only on code page 932";
    // What an older copy, which names the mutex by the Shift-JIS bytes, leaves.
    ExpectANewCopyEndsQuietlyBeside(CreateMutexA(nullptr, FALSE, kCaptionSjis));
}

TEST_F(ShellTest, ACopyWhoseMutexDeniesUsAllAccessIsTakenAsRunning) {
    // What an elevated copy's mutex is to an unelevated one: there, but
    // closed to it. An empty access list closes it to every other process
    // (not to this one, its creator, under Wine).
    SECURITY_DESCRIPTOR descriptor{};
    ACL emptyList{};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&emptyList, sizeof emptyList, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyList, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    ExpectANewCopyEndsQuietlyBeside(CreateMutexW(&attributes, FALSE, kCaption));
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
