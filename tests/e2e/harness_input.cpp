// The system's input as a user's keyboard and mouse make it: keys through the
// X server where Wine runs on the tests' display, else SendInput.
#include "tests/e2e/harness.h"

#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

namespace e2e {

namespace {

// The X keysym xdotool presses for a key, or null for keys sent only through
// SendInput (the keypad's keys depend on the X server's Num Lock).
const char* XKeysymOf(UINT virtualKey) {
    static char name[4];
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        name[0] = static_cast<char>(virtualKey >= 'A' ? virtualKey - 'A' + 'a' : virtualKey);
        name[1] = 0;
        return name;
    }
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) {
        snprintf(name, sizeof name, "F%u", virtualKey - VK_F1 + 1);
        return name;
    }
    switch (virtualKey) {
    case VK_SPACE: return "space";
    case VK_RETURN: return "Return";
    case VK_ESCAPE: return "Escape";
    case VK_MENU: return "Alt_L";
    default: return nullptr;
    }
}

// Under Wine, on the display wine-run started for the tests, keys go down
// and up in the X server itself (its xdotool, fed through the FIFO that
// MUSLOT_KEYS names): a click makes Wine line its key state up with the X
// server's, and would let go of a key held down through SendInput alone.
DWORD slowestXKeyMs = 0;

bool IsDown(UINT virtualKey) { return (GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0; }

// Has xdotool press or release the key in the X server, without waiting for
// Wine to hear it; whether the key can go that way and went.
bool WriteXKey(UINT virtualKey, bool down) {
    static const HANDLE keys = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        char path[MAX_PATH] = "Z:";
        if (!ntdll || !GetProcAddress(ntdll, "wine_get_version") ||
            !GetEnvironmentVariableA("MUSLOT_KEYS", path + 2, sizeof path - 2))
            return INVALID_HANDLE_VALUE;
        std::replace(path, path + sizeof path, '/', '\\');
        const HANDLE fifo = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (fifo == INVALID_HANDLE_VALUE)
            ADD_FAILURE() << "no key sender at " << path << ": error " << GetLastError();
        return fifo;
    }();
    const char* keysym = XKeysymOf(virtualKey);
    if (keys == INVALID_HANDLE_VALUE || !keysym) return false;
    char command[48];
    const int length = snprintf(command, sizeof command, "%s %s\n", down ? "keydown" : "keyup", keysym);
    DWORD written = 0;
    if (!WriteFile(keys, command, static_cast<DWORD>(length), &written, nullptr) ||
        written != static_cast<DWORD>(length)) {
        ADD_FAILURE() << "the key sender took no command: error " << GetLastError();
        return false;
    }
    return true;
}

// The key through the X server; whether it went that way, once Wine has seen it.
bool SendXKey(UINT virtualKey, bool down) {
    // A key already that way goes through SendInput as before: no change
    // would tell when xdotool has done, and the next key must not overtake it.
    if (IsDown(virtualKey) == down || !WriteXKey(virtualKey, down)) return false;
    const DWORD start = GetTickCount();
    const bool seen = WaitFor([&] { return IsDown(virtualKey) == down; }, 3000);
    // A key let go after the window it closed has gone (Alt+F4's F4) reaches
    // no Wine window when none is in front: then Wine hears it from SendInput.
    if (!seen && !down && !GetForegroundWindow()) return false;
    EXPECT_TRUE(seen) << "the X server's " << (down ? "press" : "release") << " of key " << virtualKey
                      << " never reached Wine";
    slowestXKeyMs = std::max(slowestXKeyMs, GetTickCount() - start);
    return true;
}

void SendKey(UINT virtualKey, bool down) {
    if (!SendXKey(virtualKey, down)) SendSystemKey(virtualKey, down);
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Lets the target take one step of input before the next arrives, as a
// user's hand would: a move loop or a menu reads the queue between events.
void Settle() { Sleep(30); }

}  // namespace

void SendSystemKey(UINT virtualKey, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void HoldInXServerToo(UINT virtualKey) {
    GetAsyncKeyState(static_cast<int>(virtualKey));  // clears "pressed since the last call"
    if (!WriteXKey(virtualKey, true)) return;
    EXPECT_TRUE(WaitFor([&] { return (GetAsyncKeyState(static_cast<int>(virtualKey)) & 1) != 0; }, 3000))
        << "the X server's press of key " << virtualKey << " never reached Wine";
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

DWORD SlowestXKeyMs() { return slowestXKeyMs; }

void PressKey(UINT virtualKey) { SendKey(virtualKey, true); }

void ReleaseKey(UINT virtualKey) { SendKey(virtualKey, false); }

void TypeKey(UINT virtualKey) {
    PressKey(virtualKey);
    ReleaseKey(virtualKey);
}

void PressAltF4() {
    PressKey(VK_MENU);
    TypeKey(VK_F4);
    ReleaseKey(VK_MENU);
}

void TypeKeys(std::initializer_list<UINT> virtualKeys) {
    for (UINT key : virtualKeys) {
        TypeKey(key);
        Settle();
    }
}

namespace {

bool PointerAt(POINT screen) {
    POINT at{};
    GetCursorPos(&at);
    return at.x == screen.x && at.y == screen.y;
}

}  // namespace

void MoveMouseTo(POINT screen) {
    // Absolute positions run from 0 to 65535 across the primary screen and
    // are scaled back down rounding toward zero, so round them up here.
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const LONG dx = (screen.x * 65536 + width - 1) / width;
    const LONG dy = (screen.y * 65536 + height - 1) / height;
    // Wine moves the X pointer after an injected move, and the desktop reports
    // that move back a moment later: a late report of an earlier move can put
    // the pointer back where it was. Wait until it has stayed put a while,
    // moving it again when it has been put back.
    const DWORD start = GetTickCount();
    DWORD heldSince = 0;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
    while (GetTickCount() - start < 3000) {
        Sleep(5);
        if (!PointerAt(screen)) {
            heldSince = 0;
            SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
        } else if (heldSince == 0) {
            heldSince = GetTickCount();
        } else if (GetTickCount() - heldSince >= 60) {
            return;
        }
    }
}

namespace {

void LeftButton(bool down) { SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

}  // namespace

void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    LeftButton(true);
    LeftButton(false);
}

void ClickOn(HWND window) { ClickAt(Centre(RectOf(window))); }

void RightClickAt(POINT screen) {
    MoveMouseTo(screen);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
}

void DragFromTo(POINT from, POINT to) {
    MoveMouseTo(from);
    LeftButton(true);
    Settle();
    // In steps, as a hand moves, so a move loop sees the way.
    for (int step = 1; step <= 4; ++step) {
        MoveMouseTo(POINT{from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
        Settle();
    }
    LeftButton(false);
    Settle();
}

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

void ClickMenuItem(HWND menu, bool first) {
    const RECT rect = RectOf(menu);
    ClickAt(POINT{rect.left + 12, first ? rect.top + 6 : rect.bottom - 6});
}

HWND OpenMenuWindow() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

}  // namespace e2e
