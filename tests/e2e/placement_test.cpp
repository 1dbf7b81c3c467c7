// The settings file and the main window's placement, seen from outside:
// where the window opens, how it is held on the screen, what is written.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

int OuterWidth() { return 240 + 2 * GetSystemMetrics(SM_CXBORDER); }
int OuterHeight() { return GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) + 420; }
int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }
// Where a first run opens the window: centred by its outer size.
int CentreX() { return (ScreenWidth() - OuterWidth()) / 2; }
int CentreY() { return (ScreenHeight() - OuterHeight()) / 2; }

std::vector<std::string> ExpectedLines(const std::string& x, const std::string& y,
                                       const std::string& fit, const std::string& language) {
    return {"[MUSlot]", "PosX=" + x, "PosY=" + y, "FitPos=" + fit, "Language=" + language};
}

// Starts the program over the given settings text (none when empty).
HWND StartWith(Muslot& muslot, const std::string& settings) {
    if (settings.empty())
        RemoveSettings();
    else
        WriteSettingsText(settings);
    if (!muslot.Start()) return nullptr;
    return muslot.WaitForMainWindow();
}

void ExpectAt(const Muslot& muslot, int x, int y) {
    const RECT rect = muslot.WindowRect();
    EXPECT_EQ(x, rect.left);
    EXPECT_EQ(y, rect.top);
}

// Moves the window as the platform's drag does (a new position with the
// window's size), and waits until the move has landed.
void MoveTo(Muslot& muslot, int x, int y, int expectX, int expectY) {
    SetWindowPos(muslot.window(), nullptr, x, y, OuterWidth(), OuterHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] {
        const RECT rect = muslot.WindowRect();
        return rect.left == expectX && rect.top == expectY;
    }, 3000)) << "moved to " << x << "," << y << ", is at " << muslot.WindowRect().left << ","
               << muslot.WindowRect().top;
}

}  // namespace

TEST(Placement, FirstRunIsCentredAndWritesTheFourKeys) {
    Muslot muslot;
    ASSERT_NE(nullptr, StartWith(muslot, ""));
    const RECT rect = muslot.WindowRect();
    EXPECT_EQ(OuterWidth(), rect.right - rect.left);
    EXPECT_EQ(OuterHeight(), rect.bottom - rect.top);
    const int x = CentreX(), y = CentreY();
    ExpectAt(muslot, x, y);
    // The centre worked out by hand for the desktops the tests run on, with
    // the caption heights of Wine 8 (19) and Wine 10 (26).
    struct Desktop {
        int width, height, caption, x, y;
    } const desktops[] = {{1024, 768, 19, 391, 164}, {640, 480, 19, 199, 20},
                          {1024, 768, 26, 391, 160}, {640, 480, 26, 199, 16}};
    bool known = false;
    for (const Desktop& d : desktops) {
        if (d.width != ScreenWidth() || d.height != ScreenHeight() || d.caption != GetSystemMetrics(SM_CYCAPTION))
            continue;
        known = true;
        EXPECT_EQ(d.x, x);
        EXPECT_EQ(d.y, y);
    }
    EXPECT_TRUE(known) << ScreenWidth() << " x " << ScreenHeight() << ", caption " << GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(0u, muslot.Close());
    EXPECT_EQ(ExpectedLines(std::to_string(x), std::to_string(y), "1", "0"), ReadSettingsLines());
}

TEST(Placement, RememberedAndOutOfRangePositions) {
    {
        Muslot muslot;
        ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(300, 200, 1, 0)));
        ExpectAt(muslot, 300, 200);
        EXPECT_EQ(0u, muslot.Close());
        EXPECT_EQ(ExpectedLines("300", "200", "1", "0"), ReadSettingsLines());
    }
    {
        Muslot muslot;
        ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(2000, 100, 1, 0)));
        ExpectAt(muslot, ScreenWidth() - OuterWidth(), 100);
    }
    {
        // -1 with 50 is a real position, not "never placed".
        Muslot muslot;
        ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(4294967295LL, 50, 1, 0)));
        ExpectAt(muslot, 0, 50);
    }
    {
        // Pulled back on the screen at start even with FitPos 0.
        Muslot muslot;
        ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(4294967286LL, 5000, 0, 0)));
        ExpectAt(muslot, 0, ScreenHeight() - OuterHeight());
    }
}

TEST(Placement, FitPosKeepsTheWindowOnTheScreenWhileItMoves) {
    Muslot muslot;
    ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(100, 100, 1, 0)));
    MoveTo(muslot, -50, -50, 0, 0);
    MoveTo(muslot, 2000, 2000, ScreenWidth() - OuterWidth(), ScreenHeight() - OuterHeight());
    MoveTo(muslot, 123, 45, 123, 45);
    EXPECT_EQ(0u, muslot.Close());
    EXPECT_EQ(ExpectedLines("123", "45", "1", "0"), ReadSettingsLines());
}

TEST(Placement, WithoutFitPosTheWindowGoesOffScreenAndIsRemembered) {
    Muslot muslot;
    ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(100, 100, 0, 0)));
    MoveTo(muslot, -50, -50, -50, -50);
    EXPECT_EQ(0u, muslot.Close());
    EXPECT_EQ(ExpectedLines("4294967246", "4294967246", "0", "0"), ReadSettingsLines());
}

// Minimised, the window is parked off the screen (at -32000 with a stub's
// size on Windows; Wine lays it out at the bottom instead), and is left
// there rather than pulled onto the screen, where its stub would stay.
TEST(Placement, MinimisingLeavesTheParkedWindowAloneAndDoesNotOverwriteThePosition) {
    Muslot muslot;
    HWND window = StartWith(muslot, SettingsFileFor(222, 111, 1, 0));
    ASSERT_NE(nullptr, window);
    const int stubWidth = GetSystemMetrics(SM_CXMINIMIZED), stubHeight = GetSystemMetrics(SM_CYMINIMIZED);
    const struct {
        bool minimised;
        int x, y, cx, cy;     // proposed
        int expectX, expectY;  // after the window procedure
    } rows[] = {
        {false, -50, -50, OuterWidth(), OuterHeight(), 0, 0},
        {true, -32000, -32000, stubWidth, stubHeight, -32000, -32000},
    };
    for (const auto& row : rows) {
        if (row.minimised && !IsIconic(window)) {
            muslot.Minimise();
            ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }));
        }
        WINDOWPOS record{window, nullptr, row.x, row.y, row.cx, row.cy, SWP_NOZORDER};
        ASSERT_TRUE(SendRecordFromInside(muslot.process(), window, WM_WINDOWPOSCHANGING, &record, sizeof record));
        EXPECT_EQ(row.expectX, record.x) << (row.minimised ? "minimised" : "normal");
        EXPECT_EQ(row.expectY, record.y) << (row.minimised ? "minimised" : "normal");
        EXPECT_EQ(row.cx, record.cx);
        EXPECT_EQ(row.cy, record.cy);
    }
    Pause(300);
    EXPECT_EQ(0u, muslot.Close());
    EXPECT_EQ(ExpectedLines("222", "111", "1", "0"), ReadSettingsLines());
}

TEST(Settings, EndSessionWritesTheFileWhileTheProgramRuns) {
    Muslot muslot;
    ASSERT_NE(nullptr, StartWith(muslot, ""));
    Pause(300);
    EXPECT_TRUE(ReadSettingsText().empty());
    muslot.Post(WM_ENDSESSION, 0);  // not really ending: nothing written
    Pause(300);
    EXPECT_TRUE(ReadSettingsText().empty());
    muslot.Post(WM_ENDSESSION, 1);
    EXPECT_TRUE(WaitFor([] { return ReadSettingsLines().size() == 5; }));
    EXPECT_EQ(ExpectedLines(std::to_string(CentreX()), std::to_string(CentreY()), "1", "0"), ReadSettingsLines());
    EXPECT_TRUE(muslot.Running());
}

TEST(Settings, UnusualValuesAreReadAndWrittenBack) {
    for (int64_t language : {2LL, 4294967295LL}) {
        Muslot muslot;
        ASSERT_NE(nullptr, StartWith(muslot, SettingsFileFor(10, 20, 7, language)));
        EXPECT_EQ(0u, muslot.Close());
        EXPECT_EQ(ExpectedLines("10", "20", "7", std::to_string(language)), ReadSettingsLines());
    }
    // A file holding only some keys gets the defaults of the others.
    Muslot muslot;
    ASSERT_NE(nullptr, StartWith(muslot, "[MUSlot]\r\nLanguage=1\r\n"));
    ExpectAt(muslot, CentreX(), CentreY());
    EXPECT_EQ(0u, muslot.Close());
    // Keys already in the file keep their place; the others are added.
    EXPECT_EQ((std::vector<std::string>{"[MUSlot]", "Language=1", "PosX=" + std::to_string(CentreX()),
                                        "PosY=" + std::to_string(CentreY()), "FitPos=1"}),
              ReadSettingsLines());
}
