// Start-up, the single-instance guard, the main window and its message loop.
#include <windows.h>

#include "app/shell.h"
#include "pictures/picture_set.h"
#include "platform/gdi_guards.h"
#include "core/reel_bank.h"
#include "reels/reel_drawing.h"
#include "core/ids.h"
#include "service/service_window.h"
#include "ui/context_menu.h"

namespace app {

ShellState g_shell;

namespace {

constexpr UINT_PTR kRefreshTimerId = 0xEB02;
constexpr UINT kRefreshPeriod = 100;  // ms: ten frames a second
constexpr DWORD kMutexAllAccess = 0x1F0001;
constexpr WPARAM kFirstSystemCommand = 0xF000;
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

LRESULT OnCreate(HWND window) {
    ReadSettings();
    ui::LoadContextMenu();
    pictures::BuildPictureSet(window);
    PlaceMainWindow(window);
    reels::StartPlay(reels::g_play, GetTickCount());
    // The first frame is drawn before the timer's first tick.
    reels::Tick(window);
    SetTimer(window, kRefreshTimerId, kRefreshPeriod, nullptr);
    return 0;  // creation goes on even when pictures are missing
}

void OnDestroy(HWND window) {
    // The timer goes first, so no tick or paint uses what is released here.
    KillTimer(window, kRefreshTimerId);
    pictures::ReleasePictureSet();
    if (g_shell.menu) DestroyMenu(g_shell.menu);
    WriteSettings();
    PostQuitMessage(0);
}

void OnPaint(HWND window) {
    platform::PaintContext paint(window);
    reels::Paint(paint.get());
}

void OnEndSession(WPARAM endingForReal) {
    // Shutdown or log-off may never destroy the window normally.
    if (endingForReal) WriteSettings();
}

LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam) {
    if (static_cast<DWORD>(command) >= kFirstSystemCommand)
        return DefWindowProcA(window, WM_SYSCOMMAND, command, lParam);
    return 0;
}

LRESULT OnWindowPosition(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    // Anyone can send these messages; one without its record is not ours to read.
    if (!position) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGING)
        ClampProposedPosition(window, *position);
    else
        RememberPosition(window, *position);
    return 0;
}

void OnTimer(HWND window) {
    if (!IsIconic(window)) reels::Tick(window);
}

void OnKeyDown(WPARAM virtualKey) {
    reels::OnKeyDown(reels::g_play, static_cast<uint32_t>(virtualKey));
}

// A match the rules report opens the congratulations picture over the machine.
void ActOn(reels::Decision decision, HWND window) {
    if (decision == reels::Decision::ShowCongratulations) service::Open(window);
}

void OnKeyUp(HWND window) { ActOn(reels::OnKeyUp(reels::g_play), window); }

void OnLeftButtonUp(HWND window, LPARAM packedPosition) {
    ActOn(reels::OnLeftButtonUp(reels::g_play, static_cast<uint32_t>(packedPosition)), window);
}

void OnPaletteChanged(HWND window, WPARAM changedBy) {
    if (reinterpret_cast<HWND>(changedBy) != window) reels::RealisePalette(window);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    // The back buffer covers the whole client area, so erasing is painting.
    case WM_ERASEBKGND: reels::Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ENDSESSION: OnEndSession(wParam); return 0;
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: return OnWindowPosition(window, message, wParam, lParam);
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_KEYUP: OnKeyUp(window); return 0;
    case WM_COMMAND: ui::OnCommand(window, wParam); return 0;
    case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
    case WM_TIMER: OnTimer(window); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(window, lParam); return 0;
    case WM_RBUTTONUP: ui::ShowContextMenu(window, lParam); return 0;
    case WM_QUERYNEWPALETTE: reels::RealisePalette(window); return 0;
    case WM_PALETTECHANGED: OnPaletteChanged(window, wParam); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void BringRunningCopyForward() {
    if (HWND running = FindWindowA(kMainClassName, nullptr)) {
        if (IsIconic(running))
            OpenIcon(running);
        else
            SetForegroundWindow(running);
    }
}

// A copy already running: bring it forward and report whether one was found.
// A copy running with more rights than ours (elevated) denies us its mutex;
// being denied still says that a copy runs.
bool HandOverToRunningCopy() {
    HANDLE existing = platform::OpenNamedMutex(kMutexAllAccess, kMainCaption);
    if (!existing && GetLastError() != ERROR_ACCESS_DENIED) return false;
    if (existing) CloseHandle(existing);
    BringRunningCopyForward();
    return true;
}

bool RegisterMainClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MUSLOT));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kMainClassName;
    return RegisterClassA(&windowClass) != 0;
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // The dialog filter takes the navigation keys meant for the main window.
        if (IsDialogMessageA(g_shell.mainWindow, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int RunMuslot(HINSTANCE instance, int showCommand) {
    g_shell.instance = instance;
    if (HandOverToRunningCopy()) return 0;
    // Never acquired and never closed: it only marks that a copy runs.
    g_shell.mutex = platform::CreateNamedMutex(kMainCaption);
    // Two copies started together can both miss the other's mutex above;
    // only one of them creates it, and the other hands over after all (or
    // is denied it, when the one that won runs with more rights).
    const DWORD created = GetLastError();
    if ((g_shell.mutex && created == ERROR_ALREADY_EXISTS) ||
        (!g_shell.mutex && created == ERROR_ACCESS_DENIED)) {
        BringRunningCopyForward();
        return 0;
    }

    if (!RegisterMainClass(instance)) return 0;
    HWND window = CreateWindowExA(0, kMainClassName, kMainCaption.shiftJis, kMainWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 0;
    g_shell.mainWindow = window;
    // On Windows NT the caption becomes the UTF-16 one, the same on every code page.
    platform::SetUiText(window, kMainCaption);

    RegisterCtl3d(instance);
    // The window has a fixed size, so it is never shown maximised. Restore,
    // not show-normal: Windows replaces a first show-normal with the start-up
    // information's command, which may be the very maximise refused here.
    ShowWindow(window, showCommand == SW_SHOWMAXIMIZED ? SW_RESTORE : showCommand);
    UpdateWindow(window);

    RunMessageLoop();
    UnregisterCtl3d(instance);
    return 0;
}

}  // namespace app
