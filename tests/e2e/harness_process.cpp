// Starting and ending muslot.exe, its settings file, its windows and texts,
// and messages sent from inside it.
#include "tests/e2e/harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#ifndef MUSLOT_EXE
#error "MUSLOT_EXE must name the built muslot.exe"
#endif

namespace e2e {

int EnvironmentNumber(const char* name, int fallback) {
    char text[32] = {};
    return GetEnvironmentVariableA(name, text, sizeof text) ? atoi(text) : fallback;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return condition();
        Sleep(5);
    }
}

void Pause(DWORD ms) { Sleep(ms); }

std::string MuslotExePath() { return MUSLOT_EXE; }

std::string SettingsPath() {
    char directory[MAX_PATH] = {};
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\MUSLOT.INI";
}

void RemoveSettings() {
    DeleteFileA(SettingsPath().c_str());
    // The profile functions keep a cached copy; flush it.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "MUSLOT.INI");
}

void WriteSettingsText(const std::string& text) {
    std::ofstream file(SettingsPath(), std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "MUSLOT.INI");
}

std::string ReadSettingsText() {
    std::ifstream file(SettingsPath(), std::ios::binary);
    if (!file) return std::string();
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> ReadSettingsLines() {
    std::vector<std::string> lines;
    std::istringstream text(ReadSettingsText());
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string SettingsFileFor(int64_t posX, int64_t posY, int64_t fitPos, int64_t language) {
    return "[MUSlot]\r\nPosX=" + std::to_string(posX) + "\r\nPosY=" + std::to_string(posY) +
           "\r\nFitPos=" + std::to_string(fitPos) + "\r\nLanguage=" + std::to_string(language) +
           "\r\n";
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring JapaneseTextAsShown(const wchar_t* utf16, const char* shiftJis) {
    if ((GetVersion() & 0x80000000u) == 0) return utf16;
    wchar_t text[256] = {};
    MultiByteToWideChar(CP_ACP, 0, shiftJis, -1, text, 256);
    return text;
}

void ExpectJapaneseText(HWND window, const wchar_t* utf16, const char* shiftJis) {
    const bool nt = (GetVersion() & 0x80000000u) == 0, japanese = GetACP() == 932;
    if (nt || japanese) {
        EXPECT_EQ(std::wstring(utf16), WindowText(window));
    }
    if (!nt || japanese) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        EXPECT_EQ(std::string(shiftJis), std::string(text));
    }
}

namespace {

struct ClassSearch {
    const char* className;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ClassSearch*>(context);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (search->className && lstrcmpA(name, search->className) != 0) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId == 0 || owner == search->processId) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOfClass(const char* className, DWORD processId) {
    ClassSearch search{className, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool StartLinuxProgram(const char* path, std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    // For a Linux program Wine returns no process handle and leaves the
    // thread's field as it finds it: closing that would close a stranger.
    if (started.hProcess) {
        CloseHandle(started.hProcess);
        CloseHandle(started.hThread);
    }
    return true;
}

Muslot::~Muslot() {
    if (!process_.hProcess) return;
    if (Running()) {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool Muslot::Start(int showCommand) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    std::string commandLine = "\"" + MuslotExePath() + "\"";
    // When wine-run traces the program's calls, only muslot.exe gets Wine's
    // trace: this process's own calls would drown it.
    std::string environment;
    char trace[128] = {};
    if (GetEnvironmentVariableA("MUSLOT_TRACE_WINEDEBUG", trace, sizeof trace)) {
        LPCH block = GetEnvironmentStringsA();
        for (const char* entry = block; *entry; entry += lstrlenA(entry) + 1)
            if (_strnicmp(entry, "WINEDEBUG=", 10) != 0)
                environment.append(entry).push_back('\0');
        FreeEnvironmentStringsA(block);
        environment.append("WINEDEBUG=").append(trace).push_back('\0');
    }
    // Once, right after a fresh prefix was made, Wine refused a process
    // outright; a second try tells that from an executable it cannot start.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                           environment.empty() ? nullptr : &environment[0], nullptr, &startup, &process_))
            return true;
        std::printf("starting muslot.exe failed (attempt %d): error %lu\n", attempt,
                    static_cast<unsigned long>(GetLastError()));
        Sleep(500);
    }
    return false;
}

HWND Muslot::WaitForMainWindow(DWORD timeoutMs) {
    WaitFor(
        [&] {
            for (HWND window : WindowsOfClass(kMainClass, process_.dwProcessId)) {
                if (IsWindowVisible(window)) {
                    window_ = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    // A user types once the new window has come up in front.
    if (window_) WaitFor([&] { return TakesKeys(); }, 2000);
    return window_;
}

bool Muslot::TakesKeys() const {
    if (GetForegroundWindow() != window_) return false;
    // The window's thread sets the focus once it has handled its activation;
    // keys that come before then are lost.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &thread) &&
           thread.hwndFocus == window_;
}

DWORD Muslot::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool Muslot::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void Muslot::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(window_, message, wParam, lParam);
}

void Muslot::PressKey(UINT virtualKey) const { e2e::PressKey(virtualKey); }

void Muslot::ReleaseKey(UINT virtualKey) const { e2e::ReleaseKey(virtualKey); }

void Muslot::Click(int x, int y) const { ClickAt(ScreenPoint(window_, x, y)); }

void Muslot::RightClick(int x, int y) const { RightClickAt(ScreenPoint(window_, x, y)); }

void Muslot::Minimise() const {
    TITLEBARINFO title{};
    title.cbSize = sizeof title;
    GetTitleBarInfo(window_, &title);
    const LONG y = (title.rcTitleBar.top + title.rcTitleBar.bottom) / 2;
    // The box is found where the window itself says it is.
    for (LONG x = title.rcTitleBar.right; x > title.rcTitleBar.left; --x) {
        if (SendMessageA(window_, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTMINBUTTON) {
            ClickAt(POINT{x - 4, y});
            return;
        }
    }
}

HWND Muslot::OpenMenu(int x, int y, DWORD timeoutMs) const {
    RightClick(x, y);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenuWindow()) != nullptr; }, timeoutMs);
    return menu;
}

HWND Muslot::OpenAbout() const {
    HWND menu = OpenMenu();
    HWND box = nullptr;
    // Wine now and then loses the click on the item and the menu stays up
    // (seen once in some three hundred openings); a user would click again.
    for (int attempt = 0; attempt < 2 && menu; ++attempt) {
        ClickMenuItem(menu, true);
        if (WaitFor([&] { return (box = AboutBox()) != nullptr; }, 2500)) return box;
        menu = OpenMenuWindow();
    }
    WaitFor([&] { return (box = AboutBox()) != nullptr; }, 2500);
    return box;
}

HWND Muslot::AboutBox() const {
    for (HWND box : WindowsOfClass("#32770", process_.dwProcessId))
        if (IsWindowVisible(box)) return box;
    return nullptr;
}

DWORD Muslot::Close(DWORD timeoutMs) {
    // As a user does, only once the machine has come to the front. Right
    // after start-up Wine now and then loses the press although the window
    // is in front with the focus; a user would press again, and so do we.
    const DWORD start = GetTickCount();
    for (;;) {
        WaitFor([&] { return TakesKeys(); }, 2000);
        PressAltF4();
        const DWORD code = WaitForExit(std::min<DWORD>(2000, timeoutMs));
        const DWORD elapsed = GetTickCount() - start;
        if (code != STILL_ACTIVE || elapsed >= timeoutMs) return code;
        // Closed but still on its way out: no more presses.
        if (!IsWindow(window_)) return WaitForExit(timeoutMs - elapsed);
    }
}

RECT Muslot::WindowRect() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return rect;
}

POINT Muslot::ClientOrigin() const {
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    return origin;
}

bool SendFromInside(HWND window, UINT message, LPARAM lParam) {
    HMODULE sender = LoadLibraryA(MUSLOT_SENDER_DLL);
    auto hook = sender ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(sender, "SendInProcessHook"))) : nullptr;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HHOOK installed = hook ? SetWindowsHookExA(WH_GETMESSAGE, hook, sender, thread) : nullptr;
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, "MuslotTestSentInProcess");
    bool sent = false;
    if (installed && done &&
        PostMessageA(window, RegisterWindowMessageA("MuslotTestSendInProcess"), message, lParam))
        sent = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    if (installed) UnhookWindowsHookEx(installed);
    if (done) CloseHandle(done);
    if (sender) FreeLibrary(sender);
    return sent;
}

bool SendRecordFromInside(HANDLE process, HWND window, UINT message, void* record, size_t size) {
    void* copy = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    const bool sent = copy && WriteProcessMemory(process, copy, record, size, nullptr) &&
                      SendFromInside(window, message, reinterpret_cast<LPARAM>(copy)) &&
                      ReadProcessMemory(process, copy, record, size, nullptr);
    if (copy) VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    return sent;
}

}  // namespace e2e
