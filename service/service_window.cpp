#include "service/service_window.h"

#include "app/shell.h"
#include "core/placement.h"
#include "platform/gdi_guards.h"
#include "core/ids.h"

namespace service {

ServiceState g_service = {1, 0, {nullptr, 0}, nullptr, 0, 0, nullptr};

namespace {

constexpr UINT_PTR kIdleTimerId = 0xCE00;
constexpr UINT kIdleTimerPeriod = 5000;  // ticks, but closes nothing

// Gives back what an opening loaded: the picture and its palette.
void ReleasePictureAndPalette() {
    if (g_service.picture.handle) FreeResource(g_service.picture.handle);
    g_service.picture.handle = nullptr;
    if (g_service.palette) DeleteObject(g_service.palette);
    g_service.palette = nullptr;
}

void OnCreate(HWND window) {
    g_service.window = window;  // open from here on, for Open's guard
    SetTimer(window, kIdleTimerId, kIdleTimerPeriod, nullptr);
    EnableWindow(GetParent(window), FALSE);
}

// The owner is enabled again before the picture goes, so that activation
// returns to it; enabled only after, the system would already have handed
// the activation (and the keyboard) to some other window.
void OnClose(HWND window) {
    EnableWindow(GetParent(window), TRUE);
    DestroyWindow(window);
}

void OnDestroy(HWND window) {
    KillTimer(window, kIdleTimerId);
    EnableWindow(GetParent(window), TRUE);
    ReleasePictureAndPalette();
    g_service.window = nullptr;
}

void OnPaint(HWND window) {
    platform::PaintContext paint(window);
    platform::SelectedPalette palette(paint.get(), g_service.palette);
    pictures::DibLayout layout{};
    const uint8_t* dib = pictures::LockPicture(g_service.picture, layout);
    if (!dib) return;
    palette.Realise();
    SetStretchBltMode(paint.get(), COLORONCOLOR);
    StretchDIBits(paint.get(), 0, 0, g_service.width, g_service.height, 0, 0, g_service.width,
                  g_service.height, dib + layout.bitsOffset,
                  reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS, SRCCOPY);
    pictures::UnlockPicture(g_service.picture);
}

void RealiseServicePalette(HWND window) {
    if (IsIconic(window)) return;
    platform::WindowDC windowDC(window);
    platform::SelectedPalette palette(windowDC.get(), g_service.palette);
    if (palette.Realise() != 0) InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK ServiceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_CLOSE: OnClose(window); return 0;
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN: return 0;  // a key held down leaves the picture up
    case WM_KEYUP: PostMessageA(window, WM_CLOSE, 0, 0); return 0;
    case WM_TIMER: return 0;
    case WM_LBUTTONUP: PostMessageA(window, WM_CLOSE, 0, 0); return 0;
    case WM_QUERYNEWPALETTE: RealiseServicePalette(window); return 0;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != window) RealiseServicePalette(window);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

ATOM RegisterServiceClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_BYTEALIGNCLIENT;
    windowClass.lpfnWndProc = ServiceWindowProc;
    windowClass.hInstance = app::g_shell.instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kServiceClassName;
    return RegisterClassA(&windowClass);
}

}  // namespace

void Open(HWND parent) {
    // One picture at a time: the disabled main window still takes messages
    // sent to it, and a second opening would take over the first one's
    // palette, which the first window's closing then deletes.
    if (g_service.window) return;
    // Registration is tried once per process and never retried.
    if (g_service.classPending == 1) {
        g_service.classPending = 0;
        g_service.classAtom = RegisterServiceClass();
    }
    g_service.picture = pictures::LoadPicture(app::g_shell.instance, IDB_CONGRATS);
    if (!g_service.picture.handle) return;
    if (g_service.classAtom == 0) {
        ReleasePictureAndPalette();  // nothing will show it
        return;
    }
    g_service.palette = pictures::PaletteFromPicture(g_service.picture);
    pictures::DibLayout layout{};
    if (!pictures::LockPicture(g_service.picture, layout)) {
        ReleasePictureAndPalette();
        return;
    }
    g_service.width = layout.width;
    g_service.height = layout.height;
    pictures::UnlockPicture(g_service.picture);

    const app::Origin origin = app::CentreOnScreen(
        {g_service.width, g_service.height},
        {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    g_service.window = CreateWindowExA(0, kServiceClassName, "", WS_POPUP | WS_VISIBLE, origin.x,
                                       origin.y, g_service.width, g_service.height, parent,
                                       nullptr, app::g_shell.instance, nullptr);
    if (!g_service.window) {
        ReleasePictureAndPalette();  // no window will ever release them
        return;
    }
    ShowWindow(g_service.window, SW_SHOWNORMAL);
    UpdateWindow(g_service.window);
}

}  // namespace service
