// The process-wide records of the application shell.
#pragma once

#include <windows.h>

#include "app/settings.h"

namespace app {

struct ShellState {
    HINSTANCE instance;  // every resource load and class registration uses it
    HWND mainWindow;     // null until window creation returns
    HMENU menu;          // the loaded context menu resource
    HMENU popup;         // its popup for the chosen language
    HANDLE mutex;        // the single-instance marker, never waited on
    HMODULE ctl3d;       // the 3-D controls library, null when not loaded
};

extern ShellState g_shell;
extern Settings g_settings;

// Main window class name and caption; the caption also names the mutex a
// second copy looks for. The caption is kept as UTF-16 so it reads the same
// on every code page; on code page 932 its ANSI form is the Shift-JIS bytes
// 83 7C 83 8B 83 6A 83 4A 83 58 83 8D 83 62 83 67, so the mutex is the
// same object an ANSI copy opens by those bytes.
constexpr wchar_t kMainClassName[] = L"MurasuSlot32WClass";
constexpr wchar_t kMainCaption[] = L"\u30DD\u30EB\u30CB\u30AB\u30B9\u30ED\u30C3\u30C8";  // ポルニカスロット

void ReadSettings();
void WriteSettings();

void PlaceMainWindow(HWND window);
void ClampProposedPosition(HWND window, WINDOWPOS& proposed);
void RememberPosition(HWND window, const WINDOWPOS& position);

void RegisterCtl3d(HINSTANCE instance);
void UnregisterCtl3d(HINSTANCE instance);

// Runs the program from start-up to shutdown; the process exit code.
int RunMuslot(HINSTANCE instance, int showCommand);

}  // namespace app
