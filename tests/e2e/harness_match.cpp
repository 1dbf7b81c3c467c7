// Forcing a match through real input, timing each stop by the machine's ticks.
#include "tests/e2e/harness.h"

#include <algorithm>
#include <cmath>

namespace e2e {

double NowMs() {
    LARGE_INTEGER count{}, frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void MatchForcer::Latency::Landed(int shown, int wanted) {
    if (shown == (wanted + 11) % 12) correction = std::min(correction + 30, 90.0);
    if (shown == (wanted + 1) % 12) correction = std::max(correction - 30, -90.0);
}

double MatchForcer::Latency::Least() const {
    return last.empty() ? 0 : *std::min_element(last.begin(), last.end());
}

void MatchForcer::Latency::Add(double ms) {
    last.push_back(ms);
    if (last.size() > 5) last.erase(last.begin());
}

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

// When reel r was seen to move on to the figure (a capture of another
// figure, then one of it), or a negative time when it was not.
double MatchForcer::SeenMovingTo(int r, int figure) const {
    int last = -1;
    for (const double until = NowMs() + 3000; NowMs() < until; Sleep(2)) {
        const double at = NowMs();
        const int shown = reader_.FigureShown(Frame(), r);
        if (shown == figure && last >= 0 && last != figure) return at;
        if (shown >= 0) last = shown;
    }
    return -1;
}

// Stops reel r on the figure; whether it stayed on it. The input goes out
// so that, as fast as inputs arrive, it lands just after the tick that
// shows the figure, which leaves a slower one most of the tick: a slow
// input goes out some ticks ahead.
bool MatchForcer::StopOn(int r, int figure, bool byClick, bool releaseKey) {
    constexpr double kEarly = 10;  // ms after the figure is seen
    Latency& latency = byClick ? clickLatency_ : keyLatency_;
    const double least = latency.Least(), early = kEarly + latency.correction;
    const int lead = std::min(11, std::max(0, static_cast<int>(std::ceil((least - early) / kTickMs))));
    const double seen = SeenMovingTo(r, (figure + 12 - lead) % 12);
    if (seen < 0) return false;
    const double wait = seen + kTickMs * lead + early - least - NowMs();
    if (wait > 0) Pause(static_cast<DWORD>(wait));
    const double sent = NowMs();
    ++inputs;
    if (byClick) {
        muslot_.Click(100, 10 + 100 * r + 50);
        latency.Add(NowMs() - sent);
        // The last click of a match opens the picture over the reels at once.
        if (r == 3 && WaitFor([&] { return !Pictures().empty(); }, 500))
            return true;
    } else {
        muslot_.PressKey('1' + r);
        latency.Add(NowMs() - sent);
    }
    const int shown = FigureOnceStopped(r);
    if (!byClick && releaseKey) muslot_.ReleaseKey('1' + r);
    latency.Landed(shown, figure);
    return shown == figure;
}

int MatchForcer::Force(bool lastByClick, DWORD withinMs) {
    for (const double until = NowMs() + withinMs; NowMs() < until; ++slipped) {
        if (!StartAllRunning()) continue;
        const double sent = NowMs();
        muslot_.PressKey('1');
        keyLatency_.Add(NowMs() - sent);
        muslot_.ReleaseKey('1');
        ++inputs;
        const int figure = FigureOnceStopped(0);
        bool ok = figure >= 0;
        for (int r = 1; r < 3 && ok; ++r) ok = StopOn(r, figure, false, true);
        if (ok && StopOn(3, figure, lastByClick, false)) return figure;
        if (ok && !lastByClick) muslot_.ReleaseKey('4');
    }
    return -1;
}

}  // namespace e2e
