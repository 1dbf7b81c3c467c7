// Forcing a match through real input, with the machine's thread held still
// between seeing a figure and the input that stops the reel on it.
#include "tests/e2e/harness.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace e2e {

double NowMs() {
    LARGE_INTEGER count{}, frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

namespace {

// Where a process waits for its next message: win32u's NtUserGetMessage
// (Wine's system call stub there), or 0 where it cannot be found.
ULONG_PTR MessageWaitOf(HANDLE process) {
    const HMODULE ours = GetModuleHandleA("win32u.dll");
    const FARPROC wait = ours ? GetProcAddress(ours, "NtUserGetMessage") : nullptr;
    HMODULE modules[512];
    DWORD size = 0;
    if (!wait || !EnumProcessModules(process, modules, sizeof modules, &size)) return 0;
    for (DWORD i = 0; i < std::min<DWORD>(size / sizeof *modules, 512); ++i) {
        char name[16] = {};
        if (GetModuleBaseNameA(process, modules[i], name, sizeof name) && lstrcmpiA(name, "win32u.dll") == 0)
            return reinterpret_cast<ULONG_PTR>(modules[i]) +
                   (reinterpret_cast<ULONG_PTR>(wait) - reinterpret_cast<ULONG_PTR>(ours));
    }
    return 0;
}

// Where a thread was stopped.
ULONG_PTR InstructionOf(const CONTEXT& context) {
#ifdef _WIN64
    return context.Rip;
#else
    return context.Eip;
#endif
}

}  // namespace

Image MatchForcer::Frame() const { return CaptureClient(muslot_.window(), kClientWidth, kClientHeight); }

bool MatchForcer::AllLamps(Lamp lamp) const {
    const Image frame = Frame();
    for (int r = 0; r < 4; ++r)
        if (LampOf(frame, r) != lamp) return false;
    return true;
}

std::vector<HWND> MatchForcer::Pictures() const {
    std::vector<HWND> shown;
    for (HWND w : WindowsOfClass(kServiceClass, muslot_.processId()))
        if (IsWindowVisible(w)) shown.push_back(w);
    return shown;
}

void MatchForcer::Press(UINT key) {
    muslot_.PressKey(key);
    muslot_.ReleaseKey(key);
    ++inputs;
}

// Every reel spinning, each drawn at its new position: whatever still runs
// is stopped, a picture that opened by chance closed, and a key spins anew.
bool MatchForcer::StartAllRunning() {
    for (HWND open : Pictures()) ClickOn(open);
    // Right after a picture closes the machine gets the focus back a moment
    // later; a key typed before then is lost, as a user's would be.
    WaitFor([&] { return Pictures().empty() && muslot_.TakesKeys(); }, 2000);
    if (!AllLamps(Lamp::Running)) {
        Pause(150);  // the lamps show the last input's effect from the next tick on
        const Image frame = Frame();
        for (int r = 0; r < 4; ++r)
            if (LampOf(frame, r) == Lamp::Running) Press('1' + r);
        if (!WaitFor([&] { return AllLamps(Lamp::Stopped); }, 2000)) return false;
        if (!Pictures().empty()) return false;
        Press('Z');
        if (!WaitFor([&] { return AllLamps(Lamp::Running); }, 2000)) return false;
    }
    Pause(250);
    // Only a reel seen running tells by its red lamp that a key stopped it.
    return AllLamps(Lamp::Running);
}

int MatchForcer::FigureOnceStopped(int r) const {
    int figure = -1;
    if (WaitFor([&] { return LampOf(Frame(), r) == Lamp::Stopped; }, 2000))
        WaitFor([&] { return (figure = reader_.FigureShown(Frame(), r)) >= 0; }, 2000);
    return figure;
}

// Stops reel r on the figure; whether it stayed on it. A tick draws each
// running reel and then moves it on, and a stopped reel keeps the figure
// last drawn: so the stop goes into the queue while the thread is held
// still in its wait for a message (not inside a tick, whose frame is not
// on the screen yet) with the figure on the screen. (Held just as it takes
// a tick long overdue, it still draws once more first.)
bool MatchForcer::StopOn(int r, int figure, bool byClick, bool holdKey) {
    const UINT key = '1' + r;
    const ULONG_PTR messageWait = MessageWaitOf(muslot_.process());
    const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE,
                                     GetWindowThreadProcessId(muslot_.window(), nullptr));
    bool sent = false;
    for (const double until = NowMs() + 5000; thread && !sent && NowMs() < until;) {
        const int shown = reader_.FigureShown(Frame(), r);
        if (shown != figure) {
            // The figure comes round once in twelve ticks: look again a little
            // before the tick that should bring it.
            const int ticksAway = shown < 0 ? 0 : (figure - shown + 12) % 12;
            Pause(ticksAway > 1 ? static_cast<DWORD>(kTickMs * (ticksAway - 1) - kTickMs / 2) : 5);
            continue;
        }
        // Held still, the thread leaves input sent meanwhile in its queue and
        // takes it, once let go, before its next timer tick, the lowest of
        // messages; reading where it stopped waits until it has.
        SuspendThread(thread);
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        const bool waiting = GetThreadContext(thread, &context) &&
                             (messageWait == 0 || InstructionOf(context) - messageWait < 32);
        // The X server may still be putting up frames the thread sent before
        // it was held: the screen has caught up once it stays the same.
        Image now = Frame(), was;
        for (int i = 0; i < 10 && !SamePixels(now, was); ++i) {
            was = std::move(now);
            Pause(30);
            now = Frame();
        }
        if (waiting && reader_.FigureShown(now, r) == figure) {
            ++inputs;
            if (byClick) {
                // Moved now, as a late report of an earlier move can put the pointer back.
                ClickAt(ScreenPoint(muslot_.window(), 100, 10 + 100 * r + 50));
            } else {
                SendSystemKey(key, true);
                WaitFor([&] { return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0; }, 1000);
            }
            sent = true;
        }
        ResumeThread(thread);
    }
    CloseHandle(thread);
    if (!sent) return false;
    // The last click of a match opens the picture over the reels at once,
    // before a tick could turn the lamp red.
    auto picture = [&] { return !Pictures().empty(); };
    if (byClick && r == 3 && WaitFor([&] { return picture() || LampOf(Frame(), r) == Lamp::Stopped; }, 2000) &&
        picture())
        return true;
    const int stoppedOn = FigureOnceStopped(r);
    if (holdKey && stoppedOn == figure)
        HoldInXServerToo(key);
    else if (!byClick)
        SendSystemKey(key, false);
    if (stoppedOn != figure) std::printf("reel %d stopped on %d, not %d\n", r, stoppedOn, figure);
    return stoppedOn == figure;
}

int MatchForcer::Force(bool lastByClick, DWORD withinMs) {
    for (const double until = NowMs() + withinMs; NowMs() < until; ++slipped) {
        if (!StartAllRunning()) continue;
        Press('1');
        const int figure = FigureOnceStopped(0);
        bool ok = figure >= 0;
        for (int r = 1; r < 3 && ok; ++r) ok = StopOn(r, figure, false, false);
        if (ok && StopOn(3, figure, lastByClick, !lastByClick)) return figure;
    }
    return -1;
}

}  // namespace e2e
