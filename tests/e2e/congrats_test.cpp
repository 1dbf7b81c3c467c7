// A real match, forced by watching the reels and made with real keys and
// clicks: the congratulations window opens on the key's release (or the
// click), locks the main window, closes on a key release or click of its
// own and hands the user's input back to the machine.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

class CongratsTest : public MachineTest {
protected:
    Image Frame() { return CaptureClient(muslot_.window(), kClientWidth, kClientHeight); }

    // Four reels on one figure, the last one stopped by a key still held
    // down (or by a click). Returns the figure, or -1. Tries for a minute and
    // a half: on a loaded machine a spin takes long, and a spin is lost when
    // a key or a tick comes late.
    int ForceMatch(bool lastByClick) {
        const int slippedBefore = forcer_.slipped;
        const int figure = forcer_.Force(lastByClick, 90000);
        if (figure >= 0 && forcer_.slipped > slippedBefore)
            std::printf("a match after %d that slipped\n", forcer_.slipped - slippedBefore);
        return figure;
    }

    HWND ServiceWindow() {
        HWND found = nullptr;
        WaitFor([&] {
            auto windows = WindowsOfClass(kServiceClass, muslot_.processId());
            found = windows.empty() || !IsWindowVisible(windows[0]) ? nullptr : windows[0];
            return found != nullptr;
        }, 3000);
        return found;
    }

    // Once the picture has gone the machine has the user's input again: it is
    // the foreground window, its caption is drawn active, and a key spins it.
    void ExpectMainWindowTakesInput() {
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == muslot_.window(); }, 2000));
        EXPECT_TRUE(WaitFor([&] { return CaptionLooksActive(muslot_.window()); }, 2000));
        TypeKey('Z');
        EXPECT_TRUE(WaitFor([&] { return LampOf(Frame(), 0) == Lamp::Running; }, 2000))
            << "the next key did not reach the machine";
    }

    void ExpectCongratulationsWindow(HWND service) {
        ASSERT_NE(nullptr, service);
        const LONG style = GetWindowLongA(service, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_FALSE(style & WS_CAPTION);
        RECT rect{};
        GetWindowRect(service, &rect);
        EXPECT_EQ(567, rect.right - rect.left);
        EXPECT_EQ(480, rect.bottom - rect.top);
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 567) / 2, rect.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 480) / 2, rect.top);
        if (GetSystemMetrics(SM_CXSCREEN) == 640) {  // worked out by hand for a small screen
            EXPECT_EQ(36, rect.left);
            EXPECT_EQ(0, rect.top);
        }
        EXPECT_EQ(muslot_.window(), GetWindow(service, GW_OWNER));
        EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(muslot_.window()); }, 2000));
    }

    MatchForcer forcer_{muslot_};
};

}  // namespace

TEST_F(CongratsTest, AKeyboardMatchOpensOnTheReleaseAndStaysUntilAKeyRelease) {
    const int figure = ForceMatch(false);
    ASSERT_GE(figure, 0) << "no match could be forced";
    Pause(300);
    EXPECT_TRUE(WindowsOfClass(kServiceClass).empty()) << "opened on the press";
    muslot_.ReleaseKey('4');
    HWND service = ServiceWindow();
    ExpectCongratulationsWindow(service);
    Pause(300);
    SaveScreenshot("congratulations-window");

    // A key held down, a right click and a wait past its five-second timer
    // leave it up.
    PressKey('A');
    RECT rect{};
    GetWindowRect(service, &rect);
    RightClickAt(POINT{rect.left + 20, rect.top + 20});
    Pause(6000);
    EXPECT_TRUE(IsWindow(service) && IsWindowVisible(service));

    ReleaseKey('A');
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(service); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }));
    // Waited for: the picture's place on the screen is repainted after it closes.
    for (int r = 0; r < 4; ++r) EXPECT_EQ(figure, forcer_.FigureOnceStopped(r)) << "reel " << r;
    ExpectMainWindowTakesInput();
    EXPECT_EQ(0u, muslot_.Close());
}

TEST_F(CongratsTest, AMouseMatchOpensOnThatClickAndClosesOnAClick) {
    const int figure = ForceMatch(true);
    ASSERT_GE(figure, 0) << "no match could be forced";
    HWND service = ServiceWindow();
    ExpectCongratulationsWindow(service);
    ClickOn(service);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(service); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }));
    ExpectMainWindowTakesInput();
}

TEST_F(CongratsTest, AClickBeforeTheReleaseSpinsAndTheReleaseStillOpens) {
    ASSERT_GE(ForceMatch(false), 0) << "no match could be forced";
    muslot_.Click(100, 60);
    EXPECT_TRUE(WaitFor([&] { return LampOf(Frame(), 0) == Lamp::Running; }));
    EXPECT_TRUE(WindowsOfClass(kServiceClass).empty());
    muslot_.ReleaseKey('4');
    HWND service = ServiceWindow();
    ExpectCongratulationsWindow(service);
    TypeKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(service); }));
}

TEST_F(CongratsTest, OpeningAndClosingFiftyTimesLeaksNoObjects) {
    auto cycle = [&] {
        ASSERT_GE(ForceMatch(true), 0) << "no match could be forced";
        HWND service = ServiceWindow();
        ASSERT_NE(nullptr, service);
        ClickOn(service);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(service); }));
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }));
    };
    ExpectNoGrowthOver(50, muslot_.process(), cycle);
    EXPECT_EQ(0u, muslot_.Close());
}
