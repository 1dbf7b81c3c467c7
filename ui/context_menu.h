// The right-button menu of the main window and its two commands.
#pragma once

#include <windows.h>

namespace ui {

// Loads the menu and picks the popup of the language setting.
void LoadContextMenu();
void ShowContextMenu(HWND mainWindow, LPARAM packedClientPosition);
void OnCommand(HWND mainWindow, WPARAM wParam);

// The About box, modal over its parent; returns when it closes.
void OpenAbout(HWND parent);

}  // namespace ui
