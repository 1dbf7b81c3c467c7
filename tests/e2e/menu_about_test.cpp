// The context menu and the About box, driven as a user would.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

constexpr char kJapaneseAboutCaption[] = "\xca\xde\xb0\xbc\xde\xae\xdd\x8f\xee\x95\xf1";
constexpr char kLatinCredit[] = "Programmed by Velnor";
constexpr char kJapaneseCredit[] = "Programmed by \x82\xd8\x82\xe9\x82\xd8\x82\xe9";
constexpr WPARAM kAboutCommand = 40002;
constexpr WPARAM kExitCommand = 40003;

class MenuAboutTest : public ::testing::Test {
protected:
    void StartWith(int language, int posX = -1, int posY = -1) {
        WriteSettingsText(SettingsFileFor(posX < 0 ? 4294967295LL : posX, posY < 0 ? 4294967295LL : posY,
                                          1, language));
        ASSERT_TRUE(muslot_.Start());
        ASSERT_NE(nullptr, muslot_.WaitForMainWindow());
    }

    HWND OpenAbout() {
        muslot_.Post(WM_COMMAND, kAboutCommand);
        HWND box = nullptr;
        WaitFor([&] {
            for (HWND w : WindowsOfClass("#32770", muslot_.processId()))
                if (IsWindowVisible(w)) box = w;
            return box != nullptr;
        });
        return box;
    }

    static std::string Text(HWND window) {
        char text[128] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    // A press of the left button on the credit line, in the box's client coordinates.
    static void ClickCredit(HWND box) {
        RECT credit{};
        GetWindowRect(GetDlgItem(box, 1001), &credit);
        POINT point{credit.left + 5, credit.top + 3};
        ScreenToClient(box, &point);
        SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    }

    Muslot muslot_;
};

}  // namespace

TEST_F(MenuAboutTest, AboutBoxInJapaneseIsCentredOwnedAndModal) {
    StartWith(0);
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(std::string(kJapaneseAboutCaption), Text(box));
    EXPECT_EQ(muslot_.window(), GetWindow(box, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(muslot_.window()));
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    const RECT main = muslot_.WindowRect();
    const int w = boxRect.right - boxRect.left, h = boxRect.bottom - boxRect.top;
    EXPECT_EQ(main.left + ((main.right - main.left) - w) / 2, boxRect.left);
    EXPECT_EQ(main.top + ((main.bottom - main.top) - h) / 2, boxRect.top);
    EXPECT_EQ(std::string(kLatinCredit), Text(GetDlgItem(box, 1001)));
    // Escape (as the dialog manager turns it into IDCANCEL) closes it.
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }));
    EXPECT_EQ(0u, muslot_.Close());
}

TEST_F(MenuAboutTest, EnglishCaptionAndTheBoxStaysOnTheScreenAtTheRightEdge) {
    StartWith(2, 5000, 100);  // pulled to the right edge at start
    muslot_.Post(WM_RBUTTONUP, 0, MAKELPARAM(40, 40));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }));
    Pause(300);
    SaveScreenshot("menu-english");
    muslot_.Post(WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("About", Text(box));
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    EXPECT_LE(boxRect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(boxRect.left, 0);
    PostMessageA(box, WM_CLOSE, 0, 0);  // the close box
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

TEST_F(MenuAboutTest, TheCreditTurnsJapaneseOnTheSeventhClickAcrossOpenings) {
    StartWith(1);
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    for (int i = 0; i < 3; ++i) ClickCredit(box);
    EXPECT_EQ(std::string(kLatinCredit), Text(GetDlgItem(box, 1001)));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));

    box = OpenAbout();  // the count goes on where it stopped
    ASSERT_NE(nullptr, box);
    for (int i = 0; i < 3; ++i) ClickCredit(box);
    EXPECT_EQ(std::string(kLatinCredit), Text(GetDlgItem(box, 1001)));
    ClickCredit(box);  // the seventh
    EXPECT_EQ(std::string(kJapaneseCredit), Text(GetDlgItem(box, 1001)));
    ClickCredit(box);  // the eighth
    EXPECT_EQ(std::string(kLatinCredit), Text(GetDlgItem(box, 1001)));
    for (int i = 0; i < 6; ++i) ClickCredit(box);
    EXPECT_EQ(std::string(kJapaneseCredit), Text(GetDlgItem(box, 1001)));  // the 14th
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));

    box = OpenAbout();  // the text starts from the template again
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(std::string(kLatinCredit), Text(GetDlgItem(box, 1001)));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

TEST_F(MenuAboutTest, OpeningTheAboutBoxFiftyTimesLeaksNoObjects) {
    StartWith(0);
    auto cycle = [&] {
        HWND box = OpenAbout();
        ASSERT_NE(nullptr, box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    };
    cycle();
    Pause(200);
    const ResourceUse before = MeasureResourceUse(muslot_.process());
    for (int i = 0; i < 50; ++i) cycle();
    Pause(200);
    ExpectNoGrowth(before, muslot_.process());
    EXPECT_EQ(0u, muslot_.Close());
}

TEST_F(MenuAboutTest, RightButtonOpensTheMenuAtThePointerAndExitCloses) {
    StartWith(0);
    muslot_.Post(WM_RBUTTONUP, 0, MAKELPARAM(50, 60));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    }));
    RECT rect{};
    GetWindowRect(menu, &rect);
    Pause(300);
    SaveScreenshot("menu-japanese");
    const POINT origin = muslot_.ClientOrigin();
    EXPECT_EQ(origin.x + 50, rect.left);
    EXPECT_EQ(origin.y + 60, rect.top);
    // Cancelling the menu does nothing.
    muslot_.Post(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
    EXPECT_TRUE(muslot_.Running());

    // Commands the dialog filter makes of Enter and Escape do nothing.
    muslot_.Post(WM_COMMAND, IDOK);
    muslot_.Post(WM_COMMAND, IDCANCEL);
    Pause(300);
    EXPECT_TRUE(muslot_.Running());

    RemoveSettings();
    muslot_.Post(WM_COMMAND, kExitCommand);
    EXPECT_EQ(0u, muslot_.WaitForExit());
    EXPECT_EQ(5u, ReadSettingsLines().size());
}

// A window-position message without its record (as a component inside the
// process may send it) is left to the default handling of either window.
TEST_F(MenuAboutTest, PositionMessagesWithoutARecordAreSurvived) {
    StartWith(0, 100, 100);
    for (UINT message : {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED})
        EXPECT_TRUE(SendFromInside(muslot_.window(), message, 0));
    ASSERT_TRUE(muslot_.Running());
    HWND box = OpenAbout();
    ASSERT_NE(nullptr, box);
    for (UINT message : {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED})
        EXPECT_TRUE(SendFromInside(box, message, 0));
    ASSERT_TRUE(muslot_.Running());
    EXPECT_TRUE(IsWindow(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(0u, muslot_.Close());
    EXPECT_EQ("PosX=100", ReadSettingsLines().at(1));
}
