// The context menu and the About box, driven as a user would: the right
// button, the keyboard and the mouse through the system's input.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

constexpr wchar_t kJapaneseAboutCaption[] =
    L"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D\u60C5\u5831";
constexpr wchar_t kLatinCredit[] = L"Programmed by Velnor";
constexpr wchar_t kJapaneseCredit[] = L"Programmed by \u307A\u308B\u307A\u308B";
// Their Shift-JIS forms.
constexpr char kJapaneseAboutCaptionSjis[] = "\xca\xde\xb0\xbc\xde\xae\xdd\x8f\xee\x95\xf1";
constexpr char kJapaneseCreditSjis[] = "Programmed by \x82\xd8\x82\xe9\x82\xd8\x82\xe9";

class MenuAboutTest : public ::testing::Test {
protected:
    void StartWith(int language, int posX = -1, int posY = -1) {
        WriteSettingsText(SettingsFileFor(posX < 0 ? 4294967295LL : posX, posY < 0 ? 4294967295LL : posY,
                                          1, language));
        ASSERT_TRUE(muslot_.Start());
        ASSERT_NE(nullptr, muslot_.WaitForMainWindow());
    }

    // A click on the credit line. Clicks land at alternating places, further
    // apart than a double click allows, so that each one is a click of its own.
    void ClickCredit(HWND box) {
        const RECT credit = RectOf(GetDlgItem(box, 1001));
        ClickAt(POINT{credit.left + (creditClicks_++ % 2 ? 40 : 5), credit.top + 3});
    }

    bool CreditReads(HWND box, const std::wstring& text) {
        return WaitFor([&] { return WindowText(GetDlgItem(box, 1001)) == text; }, 2000);
    }

    // The OK button, clicked with the mouse.
    static void ClickOk(HWND box) { ClickOn(GetDlgItem(box, IDOK)); }

    static bool Closes(HWND box) { return WaitFor([&] { return !IsWindow(box); }); }

    Muslot muslot_;
    int creditClicks_ = 0;
};

}  // namespace

TEST_F(MenuAboutTest, AboutBoxInJapaneseIsCentredOwnedAndModal) {
    StartWith(0);
    HWND box = muslot_.OpenAbout();
    ASSERT_NE(nullptr, box);
    ExpectJapaneseText(box, kJapaneseAboutCaption, kJapaneseAboutCaptionSjis);
    EXPECT_EQ(muslot_.window(), GetWindow(box, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(muslot_.window()));
    const RECT boxRect = RectOf(box);
    const RECT main = muslot_.WindowRect();
    const int w = boxRect.right - boxRect.left, h = boxRect.bottom - boxRect.top;
    EXPECT_EQ(main.left + ((main.right - main.left) - w) / 2, boxRect.left);
    EXPECT_EQ(main.top + ((main.bottom - main.top) - h) / 2, boxRect.top);
    EXPECT_EQ(std::wstring(kLatinCredit), WindowText(GetDlgItem(box, 1001)));
    TypeKey(VK_ESCAPE);
    EXPECT_TRUE(Closes(box));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }));
    EXPECT_EQ(0u, muslot_.Close());
}

TEST_F(MenuAboutTest, EnglishCaptionAndTheBoxStaysOnTheScreenAtTheRightEdge) {
    StartWith(2, 5000, 100);  // pulled to the right edge at start
    HWND menu = muslot_.OpenMenu();
    ASSERT_NE(nullptr, menu);
    Pause(300);
    SaveScreenshot("menu-english");
    TypeKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
    HWND box = muslot_.OpenAbout();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"About", WindowText(box));
    const RECT boxRect = RectOf(box);
    EXPECT_LE(boxRect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(boxRect.left, 0);
    TypeKey(VK_RETURN);  // the default button
    EXPECT_TRUE(Closes(box));
}

TEST_F(MenuAboutTest, TheCreditTurnsJapaneseOnTheSeventhClickAcrossOpenings) {
    StartWith(1);
    HWND box = muslot_.OpenAbout();
    ASSERT_NE(nullptr, box);
    for (int i = 0; i < 3; ++i) ClickCredit(box);
    EXPECT_TRUE(CreditReads(box, kLatinCredit));
    ClickOk(box);
    ASSERT_TRUE(Closes(box));

    box = muslot_.OpenAbout();  // the count goes on where it stopped
    ASSERT_NE(nullptr, box);
    for (int i = 0; i < 3; ++i) ClickCredit(box);
    EXPECT_TRUE(CreditReads(box, kLatinCredit));
    ClickCredit(box);  // the seventh
    const std::wstring japaneseCredit = JapaneseTextAsShown(kJapaneseCredit, kJapaneseCreditSjis);
    EXPECT_TRUE(CreditReads(box, japaneseCredit));
    ExpectJapaneseText(GetDlgItem(box, 1001), kJapaneseCredit, kJapaneseCreditSjis);
    ClickCredit(box);  // the eighth
    EXPECT_TRUE(CreditReads(box, kLatinCredit));
    for (int i = 0; i < 6; ++i) ClickCredit(box);
    EXPECT_TRUE(CreditReads(box, japaneseCredit));  // the 14th
    ClickOk(box);
    ASSERT_TRUE(Closes(box));

    box = muslot_.OpenAbout();  // the text starts from the template again
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(std::wstring(kLatinCredit), WindowText(GetDlgItem(box, 1001)));
    // Alt+F4 comes to the box as the close box's command does.
    PressKey(VK_MENU);
    TypeKey(VK_F4);
    ReleaseKey(VK_MENU);
    ASSERT_TRUE(Closes(box));
}

TEST_F(MenuAboutTest, TheBoxIsDraggedByItsBodyAndIconButNotFromItsButtonOrCredit) {
    StartWith(1);
    HWND box = muslot_.OpenAbout();
    ASSERT_NE(nullptr, box);
    // Where each drag starts, relative to the box's corner, as the box first stands.
    const RECT start = RectOf(box);
    auto offset = [&](POINT screen) { return POINT{screen.x - start.left, screen.y - start.top}; };
    RECT client{};
    GetClientRect(box, &client);
    const RECT credit = RectOf(GetDlgItem(box, 1001));
    const struct {
        const char* what;
        POINT offset;
        bool moves;
    } cases[] = {
        {"bare body", offset(ScreenPoint(box, 4, client.bottom - 4)), true},
        {"icon", offset(Centre(RectOf(GetWindow(box, GW_CHILD)))), true},
        {"OK button", offset(Centre(RectOf(GetDlgItem(box, IDOK)))), false},
        {"credit line", offset(POINT{credit.left + 5, credit.top + 3}), false},
    };
    for (const auto& c : cases) {
        const RECT before = RectOf(box);
        const POINT from{before.left + c.offset.x, before.top + c.offset.y};
        DragFromTo(from, POINT{from.x + 40, from.y + 30});
        const bool moved = WaitFor([&] { return RectOf(box).left == before.left + 40; }, 1500);
        EXPECT_EQ(c.moves, moved) << c.what;
        if (moved) {
            EXPECT_EQ(before.top + 30, RectOf(box).top) << c.what;
        }
        ASSERT_TRUE(IsWindow(box)) << c.what;
    }
    ClickOk(box);
    EXPECT_TRUE(Closes(box));
}

TEST_F(MenuAboutTest, OpeningTheAboutBoxFiftyTimesLeaksNoObjects) {
    StartWith(0);
    auto cycle = [&] {
        HWND box = muslot_.OpenAbout();
        ASSERT_NE(nullptr, box);
        TypeKey(VK_RETURN);
        ASSERT_TRUE(Closes(box));
    };
    ExpectNoGrowthOver(50, muslot_.process(), cycle);
    EXPECT_EQ(0u, muslot_.Close());
}

TEST_F(MenuAboutTest, RightButtonOpensTheMenuAtThePointerAndExitCloses) {
    StartWith(0);
    HWND menu = muslot_.OpenMenu(50, 60);
    ASSERT_NE(nullptr, menu);
    const RECT rect = RectOf(menu);
    Pause(300);
    SaveScreenshot("menu-japanese");
    const POINT origin = muslot_.ClientOrigin();
    EXPECT_EQ(origin.x + 50, rect.left);
    EXPECT_EQ(origin.y + 60, rect.top);
    // Cancelling the menu does nothing.
    TypeKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
    EXPECT_TRUE(muslot_.Running());

    // Enter and Escape on the machine become commands 1 and 2, which do nothing.
    TypeKeys({VK_RETURN, VK_ESCAPE});
    Pause(300);
    EXPECT_TRUE(muslot_.Running());

    RemoveSettings();
    menu = muslot_.OpenMenu();
    ASSERT_NE(nullptr, menu);
    ClickMenuItem(menu, false);
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
    HWND box = muslot_.OpenAbout();
    ASSERT_NE(nullptr, box);
    for (UINT message : {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED})
        EXPECT_TRUE(SendFromInside(box, message, 0));
    ASSERT_TRUE(muslot_.Running());
    EXPECT_TRUE(IsWindow(box));
    ClickOk(box);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(0u, muslot_.Close());
    EXPECT_EQ("PosX=100", ReadSettingsLines().at(1));
}
