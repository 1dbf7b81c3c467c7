#include "ui/context_menu.h"

#include "app/shell.h"
#include "platform/gdi_guards.h"
#include "core/ids.h"

namespace ui {
namespace {

constexpr int kJapanesePopup = 0;
constexpr int kEnglishPopup = 1;

}  // namespace

void LoadContextMenu() {
    app::g_shell.menu = LoadMenuA(app::g_shell.instance, MAKEINTRESOURCEA(IDM_CONTEXT));
    app::g_shell.popup = GetSubMenu(app::g_shell.menu,
                                    app::g_settings.Language == 0 ? kJapanesePopup : kEnglishPopup);
}

void ShowContextMenu(HWND mainWindow, LPARAM packedClientPosition) {
    if (!app::g_shell.popup) return;
    POINT point = platform::PointFromPacked(packedClientPosition);
    ClientToScreen(mainWindow, &point);
    TrackPopupMenu(app::g_shell.popup, TPM_RIGHTBUTTON, point.x, point.y, 0, mainWindow, nullptr);
}

void OnCommand(HWND mainWindow, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case ID_ABOUT: OpenAbout(mainWindow); break;
    case ID_EXIT: PostMessageA(mainWindow, WM_CLOSE, 0, 0); break;
    default: break;  // among them Enter and Escape from the dialog filter
    }
}

}  // namespace ui
