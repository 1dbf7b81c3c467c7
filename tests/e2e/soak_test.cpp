// A long run of random user input through the system's input queue: keys,
// clicks, menus, About boxes and matches with the congratulations window.
// The program must answer within a second throughout, give back the memory
// and handles it took after the first minute and every kind of action's
// first time, exit with code 0 and write its settings. Sized by
// MUSLOT_SOAK_SECONDS (a time limit, for the short run in the test suite)
// or MUSLOT_SOAK_ACTIONS, _MATCHES and _ABOUTS (scripts/soak); prints a
// table of what it did and measured.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "tests/e2e/harness.h"

using namespace e2e;

namespace {

constexpr DWORD kAnswerWithinMs = 1000;
constexpr size_t kMemorySlack = 64 * 1024;
// However slow the machine, a match is caught well within this.
constexpr DWORD kForceMatchWithinMs = 60000;

// The kinds of action that may make something the first time they happen;
// the baseline waits for all of them.
enum Kind {
    kMatchByKey, kMatchByClick, kPictureClosedByKey, kPictureClosedByClick,
    kAboutClosedByEnter, kAboutClosedByEscape, kAboutClosedByButton, kCreditClicked,
    kContextMenu, kDrag, kAboutAtScreenEdge, kKinds
};
constexpr unsigned kMatchKinds = 0xF, kAboutKinds = 0xF0;

struct Usage {
    size_t privateBytes = 0;
    size_t workingSet = 0;
    std::vector<std::string> handles;
    ResourceUse objects{};
};

Usage UsageOf(HANDLE process) {
    Usage usage;
    // Objects first: counting the menus puts the tests' hook into the process,
    // and reading its GDI handle table (1.5 MB) brings the table's pages into
    // its working set; the memory is read with both there both times.
    usage.objects = MeasureResourceUse(process);
    usage.privateBytes = usage.objects.privateBytes;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        usage.workingSet = counters.WorkingSetSize;
    usage.handles = Handles(process);
    return usage;
}

class Soak {
public:
    explicit Soak(Muslot& muslot) : muslot_(muslot), random_(GetTickCount()) {}

    int actions = 0, matches = 0, abouts = 0, menus = 0, slowAnswers = 0, forcedMatchRetries = 0;
    DWORD slowestAnswerMs = 0;

    // Whether the program answers a message within the second.
    bool Answers() {
        const DWORD start = GetTickCount();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutA(muslot_.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                  kAnswerWithinMs, &result) != 0;
        const DWORD took = GetTickCount() - start;
        slowestAnswerMs = std::max(slowestAnswerMs, took);
        if (!answered || took > kAnswerWithinMs) ++slowAnswers;
        return answered;
    }

    bool EveryKindDone() const { return done_ == (1u << kKinds) - 1; }

    // Each kind of action not done yet, now, each found by the next step.
    bool DoEveryKind() {
        const DWORD start = GetTickCount();
        while (!EveryKindDone() && GetTickCount() - start < 5 * kForceMatchWithinMs) {
            const unsigned missing = ~done_;
            if (missing & kMatchKinds) {
                Match();
            } else if (missing & kAboutKinds) {
                About();
            } else if (missing & (1u << kContextMenu)) {
                ContextMenu();
            } else if (missing & (1u << kDrag)) {
                Drag(RandomScreenPoint());
            } else {
                // The first box that the screen's edge pushes off its centre
                // makes a few objects in Wine (seen: 3, once).
                Drag(POINT{0, 0});
                if (About()) Did(kAboutAtScreenEdge);
            }
        }
        return EveryKindDone();
    }

    // One of the small things a user does to the machine.
    void RandomAction() {
        const int kind = Pick(20);
        if (kind < 8) {
            static const UINT kStopKeys[] = {'1', '2', '3', '4', VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4};
            Type(kStopKeys[Pick(8)]);
        } else if (kind < 12) {
            static const UINT kOtherKeys[] = {'A', 'Q', 'Z', '0', '9', VK_SPACE, VK_RETURN, VK_ESCAPE,
                                              VK_TAB, VK_LEFT, VK_DOWN, VK_SHIFT, VK_NUMPAD5, VK_BACK};
            Type(kOtherKeys[Pick(sizeof kOtherKeys / sizeof kOtherKeys[0])]);
        } else if (kind < 18) {
            muslot_.Click(Pick(kClientWidth), Pick(kClientHeight));
            ++actions;
        } else if (kind < 19) {
            ContextMenu();
        } else {
            Drag(RandomScreenPoint());
        }
        CloseCongratulationsIfOpen();
    }

    void ContextMenu() {
        const bool opened = OpenMenu();
        Type(VK_ESCAPE);
        if (WaitFor([] { return !OpenMenuWindow(); }, 2000) && opened) Did(kContextMenu);
    }

    POINT RandomScreenPoint() {
        return POINT{Pick(GetSystemMetrics(SM_CXSCREEN)), Pick(GetSystemMetrics(SM_CYSCREEN))};
    }

    // Dragged by the caption there, perhaps past an edge.
    void Drag(POINT to) {
        const RECT rect = muslot_.WindowRect();
        const POINT from{rect.left + 60, rect.top + GetSystemMetrics(SM_CYCAPTION) / 2};
        DragFromTo(from, to);
        ++actions;
        Did(kDrag);
    }

    // Right button, About from the menu by its key, something inside the
    // box, then closed by Enter, Escape or its OK button.
    bool About() {
        OpenMenu();
        TypeKey('A');
        ++actions;
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = muslot_.AboutBox()) != nullptr; }, 3000)) return false;
        WaitFor([&] { return GetForegroundWindow() == box; }, 2000);
        for (int click = Done(kCreditClicked) ? Pick(4) : 1; click > 0; --click, ++actions) {
            ClickOn(GetDlgItem(box, 1001));
            Did(kCreditClicked);
        }
        const int way = WayOf({kAboutClosedByEnter, kAboutClosedByEscape, kAboutClosedByButton});
        switch (way) {
        case 0: Type(VK_RETURN); break;
        case 1: Type(VK_ESCAPE); break;
        default:
            ClickOn(GetDlgItem(box, IDOK));
            ++actions;
        }
        if (!WaitFor([&] { return !IsWindow(box); }, 3000)) return false;
        ++abouts;
        Did(static_cast<Kind>(kAboutClosedByEnter + way));
        return WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }, 2000);
    }

    // Four reels on one figure, the last one by key or by click; then the
    // picture is closed by a click or a key.
    bool Match() {
        CloseCongratulationsIfOpen();
        const bool byClick = WayOf({kMatchByKey, kMatchByClick}) == 1;
        const int inputsBefore = forcer_.inputs, slippedBefore = forcer_.slipped;
        const bool matched = forcer_.Force(byClick, kForceMatchWithinMs) >= 0;
        // A keyboard match opens the picture on the key's release.
        if (matched && !byClick) ReleaseKey('4');
        actions += forcer_.inputs - inputsBefore;
        forcedMatchRetries += forcer_.slipped - slippedBefore;
        if (matched && CloseCongratulationsIfOpen(1500)) {
            Did(byClick ? kMatchByClick : kMatchByKey);
            return true;
        }
        return false;
    }

    // A congratulations window the input has opened, closed by a click on
    // it or a key; whether there was one.
    bool CloseCongratulationsIfOpen(DWORD waitMs = 0) {
        HWND service = nullptr;
        auto find = [&] {
            for (HWND w : WindowsOfClass(kServiceClass, muslot_.processId()))
                if (IsWindowVisible(w)) service = w;
            return service != nullptr;
        };
        if (!(waitMs ? WaitFor(find, waitMs) : find())) return false;
        WaitFor([&] { return GetForegroundWindow() == service; }, 2000);
        const bool byClick = WayOf({kPictureClosedByKey, kPictureClosedByClick}) == 1;
        if (byClick) {
            const RECT rect = RectOf(service);
            ClickAt(POINT{rect.left + 20 + Pick(400), rect.top + 20 + Pick(400)});
            ++actions;
        } else {
            Type('A' + Pick(26));
        }
        const bool closed = WaitFor([&] { return !IsWindow(service); }, 3000) &&
                            WaitFor([&] { return IsWindowEnabled(muslot_.window()) != FALSE; }, 2000);
        if (closed) {
            ++matches;
            Did(byClick ? kPictureClosedByClick : kPictureClosedByKey);
        }
        return closed;
    }

    // Puts the machine at rest between measurements: no menu, box or picture
    // open, and the same last steps before each measurement (a picture, then
    // an About box), since the working set follows what was done last.
    bool Rest() {
        CloseCongratulationsIfOpen();
        if (HWND box = muslot_.AboutBox()) {
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            WaitFor([&] { return !IsWindow(box); }, 2000);
        }
        // Then it is at rest once it has the keys back and answers.
        return Match() && About() && WaitFor([&] { return muslot_.TakesKeys(); }, 10000) && Answers();
    }

    // Exit from the context menu, by its key.
    void ExitByMenu() {
        OpenMenu();
        TypeKey('X');
        ++actions;
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    bool Done(Kind kind) const { return (done_ >> kind) & 1; }
    void Did(Kind kind) { done_ |= 1u << kind; }
    // Which of several ways to do something: the first not done yet, else any.
    int WayOf(std::initializer_list<Kind> kinds) {
        int way = 0;
        for (Kind kind : kinds) {
            if (!Done(kind)) return way;
            ++way;
        }
        return Pick(way);
    }

    void Type(UINT key) {
        TypeKey(key);
        ++actions;
    }

    bool OpenMenu() {
        ++actions;
        if (!muslot_.OpenMenu(10 + Pick(kClientWidth - 20), 10 + Pick(kClientHeight - 20), 3000)) return false;
        ++menus;
        return true;
    }

    Muslot& muslot_;
    MatchForcer forcer_{muslot_};
    std::mt19937 random_;
    unsigned done_ = 0;  // the kinds of action done, one bit each
};

}  // namespace

TEST(Soak, RandomUseAnswersThroughoutAndGivesEverythingBack) {
    const int seconds = EnvironmentNumber("MUSLOT_SOAK_SECONDS", 0);
    const int targetActions = EnvironmentNumber("MUSLOT_SOAK_ACTIONS", 10000);
    const int targetMatches = EnvironmentNumber("MUSLOT_SOAK_MATCHES", 200);
    const int targetAbouts = EnvironmentNumber("MUSLOT_SOAK_ABOUTS", 100);
    // The baseline is taken after the first minute (a third of a short run),
    // once every kind of action has happened, so that what a first time
    // makes is in it however fast the machine is.
    const DWORD baselineAfterMs = seconds ? seconds * 1000 / 3 : 60000;
    const DWORD limitMs = seconds ? seconds * 1000 : 4 * 3600 * 1000;

    WriteSettingsText(SettingsFileFor(300, 150, 1, 1));
    Muslot muslot;
    ASSERT_TRUE(muslot.Start());
    ASSERT_NE(nullptr, muslot.WaitForMainWindow());
    Soak soak(muslot);
    const DWORD start = GetTickCount();
    Usage baseline, end;
    bool haveBaseline = false;
    int failedMatches = 0, failedAbouts = 0, reported = 0;
    auto elapsed = [&] { return GetTickCount() - start; };
    auto behind = [&](int done, int target) {
        // Keeps matches and About boxes spread over the run in proportion.
        return static_cast<double>(done) / target < static_cast<double>(soak.actions + 1) / targetActions;
    };
    while (elapsed() < limitMs &&
           (seconds || soak.actions < targetActions || soak.matches < targetMatches || soak.abouts < targetAbouts)) {
        if (behind(soak.matches, targetMatches)) {
            if (!soak.Match()) ++failedMatches;
        } else if (behind(soak.abouts, targetAbouts)) {
            if (!soak.About()) ++failedAbouts;
        } else {
            soak.RandomAction();
        }
        ASSERT_TRUE(muslot.Running()) << "the program ended after " << soak.actions << " actions";
        ASSERT_TRUE(soak.Answers()) << "no answer within a second after " << soak.actions << " actions";
        if (soak.actions / 1000 != reported) {
            reported = soak.actions / 1000;
            std::printf("  %5lu s: %5d actions, %3d matches, %3d About boxes\n",
                        static_cast<unsigned long>(elapsed() / 1000), soak.actions, soak.matches, soak.abouts);
            std::fflush(stdout);
        }
        if (!haveBaseline && elapsed() >= baselineAfterMs) {
            ASSERT_TRUE(soak.DoEveryKind()) << "not every kind of action could be done";
            ASSERT_TRUE(soak.Rest());
            baseline = UsageOf(muslot.process());
            haveBaseline = true;
        }
    }
    ASSERT_TRUE(soak.Rest());
    end = UsageOf(muslot.process());
    const RECT rect = muslot.WindowRect();
    soak.ExitByMenu();
    const DWORD exitCode = muslot.WaitForExit();

    std::printf("\n  soak: %lu s\n", static_cast<unsigned long>(elapsed() / 1000));
    std::printf("  %-34s %10d\n", "user actions", soak.actions);
    std::printf("  %-34s %10d\n", "matches (picture opened, closed)", soak.matches);
    std::printf("  %-34s %10d\n", "About boxes", soak.abouts);
    std::printf("  %-34s %10d\n", "context menus", soak.menus);
    std::printf("  %-34s %10d\n", "match attempts that slipped", soak.forcedMatchRetries);
    std::printf("  %-34s %10lu\n", "slowest answer, ms", static_cast<unsigned long>(soak.slowestAnswerMs));
    std::printf("  %-34s %10lu\n", "slowest key through X, ms", static_cast<unsigned long>(SlowestXKeyMs()));
    std::printf("  %-34s %10d\n", "answers slower than 1 s", soak.slowAnswers);
    std::printf("  %-34s %10s %10s\n", "", "baseline", "end");
    std::printf("  %-34s %10lu %10lu\n", "private bytes", static_cast<unsigned long>(baseline.privateBytes),
                static_cast<unsigned long>(end.privateBytes));
    std::printf("  %-34s %10lu %10lu\n", "working set", static_cast<unsigned long>(baseline.workingSet),
                static_cast<unsigned long>(end.workingSet));
    std::printf("  %-34s %10lu %10lu\n", "handles", static_cast<unsigned long>(baseline.handles.size()),
                static_cast<unsigned long>(end.handles.size()));
    std::printf("  %-34s %10lu %10lu\n", "GDI objects", static_cast<unsigned long>(baseline.objects.gdiObjects),
                static_cast<unsigned long>(end.objects.gdiObjects));
    std::printf("  %-34s %10lu %10lu\n", "USER objects", static_cast<unsigned long>(baseline.objects.userObjects),
                static_cast<unsigned long>(end.objects.userObjects));
    std::printf("  %-34s %10lu\n\n", "exit code", static_cast<unsigned long>(exitCode));

    EXPECT_TRUE(haveBaseline);
    EXPECT_EQ(0, soak.slowAnswers);
    EXPECT_EQ(0, failedAbouts);
    EXPECT_LE(failedMatches, soak.matches / 10) << "matches could not be forced";
    if (!seconds) {
        EXPECT_GE(soak.actions, targetActions);
        EXPECT_GE(soak.matches, targetMatches);
        EXPECT_GE(soak.abouts, targetAbouts);
    } else {
        EXPECT_GT(soak.matches, 0);
        EXPECT_GT(soak.abouts, 0);
    }
    EXPECT_LE(end.privateBytes, baseline.privateBytes + kMemorySlack);
    ExpectNoObjectGrowth(baseline.objects, end.objects);
    // A one-minute run takes its baseline before every path of the code and
    // of Wine has been paged in, so only the long run holds the working set
    // to the baseline.
    if (!seconds) {
        EXPECT_LE(end.workingSet, baseline.workingSet + kMemorySlack);
    }
    std::vector<std::string> added, removed;
    std::set_difference(end.handles.begin(), end.handles.end(), baseline.handles.begin(),
                        baseline.handles.end(), std::back_inserter(added));
    std::set_difference(baseline.handles.begin(), baseline.handles.end(), end.handles.begin(),
                        end.handles.end(), std::back_inserter(removed));
    EXPECT_EQ(std::vector<std::string>{}, added) << "handles opened since the first minute";
    EXPECT_EQ(std::vector<std::string>{}, removed) << "handles closed since the first minute";
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ((std::vector<std::string>{"[MUSlot]", "PosX=" + std::to_string(rect.left),
                                        "PosY=" + std::to_string(rect.top), "FitPos=1", "Language=1"}),
              ReadSettingsLines());
}
