// What the end-to-end tests use to start the real muslot.exe under Wine,
// drive it through the system's input as a user does, and read back its
// windows, pixels and file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

constexpr char kMainClass[] = "MurasuSlot32WClass";
constexpr char kServiceClass[] = "MurasuServiceWClass";
// The caption as UTF-16 and as its Shift-JIS bytes.
constexpr wchar_t kCaption[] = L"\u30DD\u30EB\u30CB\u30AB\u30B9\u30ED\u30C3\u30C8";
constexpr char kCaptionSjis[] = "\x83\x7c\x83\x8b\x83\x6a\x83\x4a\x83\x58\x83\x8d\x83\x62\x83\x67";
// The part of the main window's client area the reels and lamps lie in,
// whatever the frame leaves of the panel.
constexpr int kClientWidth = 230;
constexpr int kClientHeight = 410;

// A window's text as UTF-16.
std::wstring WindowText(HWND window);
// Expects a window to show a Japanese text, given as UTF-16 and as its
// Shift-JIS bytes. On Windows NT the program sets the UTF-16 text, which
// reads the same on every code page; on Win32s and 9x it sets the Shift-JIS
// bytes, which an ANSI reader gets back on every code page. Code page 932
// reads both forms either way.
void ExpectJapaneseText(HWND window, const wchar_t* utf16, const char* shiftJis);
// The Japanese text as a window of the program shows it: the UTF-16 text
// on Windows NT, the Shift-JIS bytes read in the code page on Win32s and 9x.
std::wstring JapaneseTextAsShown(const wchar_t* utf16, const char* shiftJis);

// A number from the environment (what sizes the long runs), or the fallback.
int EnvironmentNumber(const char* name, int fallback);

// Polls the condition every few milliseconds until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Lets the program run for a while (for checks that something does not happen).
void Pause(DWORD ms);

std::string MuslotExePath();
std::string SettingsPath();
void RemoveSettings();
void WriteSettingsText(const std::string& text);
// The file's bytes, or an empty string when it does not exist.
std::string ReadSettingsText();
// The file's non-empty lines, without their line ends.
std::vector<std::string> ReadSettingsLines();
std::string SettingsFileFor(int64_t posX, int64_t posY, int64_t fitPos, int64_t language);

// The system's input, as from the user's keyboard and mouse.
POINT ScreenPoint(HWND window, int x, int y);  // a client point on the screen
void PressKey(UINT virtualKey);
void ReleaseKey(UINT virtualKey);
void TypeKey(UINT virtualKey);  // press and release
void TypeKeys(std::initializer_list<UINT> virtualKeys);
// The longest a key pressed or released in the X server took to reach Wine.
DWORD SlowestXKeyMs();
void PressAltF4();
void MoveMouseTo(POINT screen);
void ClickAt(POINT screen);
void ClickOn(HWND window);  // in the middle of a window
void RightClickAt(POINT screen);
// Left button down at one screen point, moved to another, released there.
void DragFromTo(POINT from, POINT to);

// A window's rectangle on the screen, and its middle.
RECT RectOf(HWND window);
POINT Centre(const RECT& rect);

// The context menu's first item (About) or its last (Exit), clicked.
void ClickMenuItem(HWND menu, bool first);
// The context menu when it is open on the screen.
HWND OpenMenuWindow();

// Whether a window's caption is drawn active (read from the caption's pixels).
bool CaptionLooksActive(HWND window);

// Top-level windows of a class (null: of any class) that belong to one
// process (0: to any).
std::vector<HWND> WindowsOfClass(const char* className, DWORD processId = 0);

// Starts a Linux program by its Z: path (Wine starts one as it does a
// Windows program) without waiting for it; whether it started.
bool StartLinuxProgram(const char* path, std::string commandLine);

// A running muslot.exe; ended when the object goes.
class Muslot {
public:
    Muslot() = default;
    ~Muslot();
    Muslot(const Muslot&) = delete;
    Muslot& operator=(const Muslot&) = delete;

    // Starts the program; showCommand < 0 gives no show command of its own.
    bool Start(int showCommand = -1);
    // Waits for the visible main window; null when none appeared in time.
    HWND WaitForMainWindow(DWORD timeoutMs = 10000);
    HWND window() const { return window_; }
    // Whether the window is in front with the keyboard focus.
    bool TakesKeys() const;
    DWORD processId() const { return process_.dwProcessId; }
    HANDLE process() const { return process_.hProcess; }

    // Waits for the process to end; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs = 10000);
    bool Running() const;

    // For what no user can do, or where a test checks the window procedure itself.
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Real input: keys go to whichever window has the keyboard focus, clicks
    // to the window under the pointer, as a user's would.
    void PressKey(UINT virtualKey) const;
    void ReleaseKey(UINT virtualKey) const;
    void Click(int x, int y) const;       // left button at a client point
    void RightClick(int x, int y) const;  // right button at a client point
    void Minimise() const;                // a click on the caption's minimise box
    // The context menu, opened by the right button at a client point; null
    // when none came up.
    HWND OpenMenu(int x = 40, int y = 40, DWORD timeoutMs = 5000) const;
    // The About box, chosen from the context menu with the mouse (an item's
    // letter chooses it only under code page 932); null when none came up.
    HWND OpenAbout() const;
    HWND AboutBox() const;  // the one open, or null
    // Closes the program with Alt+F4 and waits for it to end.
    DWORD Close(DWORD timeoutMs = 10000);

    RECT WindowRect() const;
    POINT ClientOrigin() const;

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// Sends a message to a window of muslot.exe from inside its own thread (by a
// message hook), with lParam exactly as given; whether it was delivered.
bool SendFromInside(HWND window, UINT message, LPARAM lParam);
// The same with a record (a window position, say) copied into the process
// and back: on return it holds what the window procedure made of it.
bool SendRecordFromInside(HANDLE process, HWND window, UINT message, void* record, size_t size);

// An RGB picture of a screen area.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The screen's pixels of a window's client area, width x height from its origin.
Image CaptureClient(HWND window, int width, int height);
Image CaptureScreen(RECT area);
bool SamePixels(const Image& a, const Image& b);
Image Crop(const Image& image, int x, int y, int width, int height);
// Writes the image as a 24-bit BMP file (for looking at failures and docs).
bool SaveBmp(const Image& image, const std::string& path);

// With MUSLOT_SHOTS naming a folder, saves the desktop there as NAME.bmp
// (the pictures of the README are taken this way); otherwise does nothing.
void SaveScreenshot(const char* name);

// The private memory a process holds, in bytes.
size_t PrivateBytes(HANDLE process);
// The kernel handles a process holds, each as its type and name, sorted
// (from the system's handle table: Wine leaves GetProcessHandleCount at 0).
std::vector<std::string> Handles(HANDLE process);

// A process's GDI and USER object counts and private memory, taken before
// a loop of openings and compared after it. Where the system reports no
// object counts (Wine), the GDI objects are read from the process's GDI
// handle table and the USER objects are its windows and menus.
struct ResourceUse {
    DWORD gdiObjects;
    DWORD userObjects;
    size_t privateBytes;
    // The GDI objects by their type in the handle table (Wine only), so that
    // a growth can say what grew.
    std::vector<DWORD> gdiByType;
};
ResourceUse MeasureResourceUse(HANDLE process);
// Expects objects to have been counted, and no more of them after than before.
void ExpectNoObjectGrowth(const ResourceUse& before, const ResourceUse& after);
// Does `action` `times` times and expects no growth over them. The baseline
// is taken once the counts have stayed flat over twenty actions (at most
// after forty): Wine 10 makes objects of its own over the first actions of
// a kind. Over the `times`, read every five, objects may grow by two; DCs,
// regions and bitmaps, which Wine also keeps for windows in a few steps, by
// more only when they grew in at most half of the rounds (a leak grows in all).
void ExpectNoGrowthOver(int times, HANDLE process, const std::function<void()>& action);

// The pictures carried in the executable, decoded to RGB.
Image LoadBitmapResource(int id);

enum class Lamp { Running, Stopped, Unknown };
Lamp LampOf(const Image& client, int reel);

// Reading the machine's face: which figure band a reel window shows.
class ReelReader {
public:
    ReelReader();
    // The figure reel shows, or -1 when its window matches no figure band.
    int FigureShown(const Image& client, int reel) const;
    const Image& strip() const { return strip_; }

private:
    Image strip_;
};

// Timing the machine: the period of its refresh timer, and a clock fine
// enough to hold its ticks against.
constexpr double kTickMs = 100;
double NowMs();  // milliseconds from an arbitrary start

// Forces a match through real input, as a quick user would: watches the
// reels and stops each on one figure, aiming every stop by how late inputs
// have been arriving, and starts afresh when a late one spoils an attempt.
class MatchForcer {
public:
    explicit MatchForcer(const Muslot& muslot) : muslot_(muslot) {}
    // Four reels on one figure, the last stopped by a click (the picture is
    // open) or by a key left held down (it opens on the release); the
    // figure, or -1 when none could be forced within the time.
    int Force(bool lastByClick, DWORD withinMs);
    // The figure reel r shows once its lamp is red, or -1 when it never is.
    int FigureOnceStopped(int r) const;
    int inputs = 0;   // keys and clicks sent
    int slipped = 0;  // attempts spoilt

private:
    // How long an input takes to arrive: the least of the last five, since
    // the time has a floor and, on a loaded machine, a long tail.
    struct Latency {
        std::vector<double> last;
        // How much later than the measure says inputs must go out to land on
        // the figure: learnt from where the stops landed, since the time an
        // input is seen to arrive is not quite the time the program takes it.
        double correction = 0;
        void Landed(int shown, int wanted);
        double Least() const;
        void Add(double ms);
    };

    Image Frame() const;
    std::vector<HWND> Pictures() const;  // the congratulations windows on the screen
    bool AllLamps(Lamp lamp) const;
    void Press(UINT key);
    bool StartAllRunning();
    double SeenMovingTo(int r, int figure) const;
    bool StopOn(int r, int figure, bool byClick, bool releaseKey);

    const Muslot& muslot_;
    ReelReader reader_;
    Latency keyLatency_, clickLatency_;
};

}  // namespace e2e
