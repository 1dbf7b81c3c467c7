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
// second copy looks for. The caption is Shift-JIS text.
constexpr char kMainClassName[] = "MurasuSlot32WClass";
constexpr char kMainCaption[] =
    "\x83\x7c\x83\x8b\x83\x6a\x83\x4a\x83\x58\x83\x8d\x83\x62\x83\x67";

void ReadSettings();
void WriteSettings();

void PlaceMainWindow(HWND window);
void ClampProposedPosition(WINDOWPOS& proposed);
void RememberPosition(HWND window, const WINDOWPOS& position);

void RegisterCtl3d(HINSTANCE instance);
void UnregisterCtl3d(HINSTANCE instance);

// Runs the program from start-up to shutdown; the process exit code.
int RunMuslot(HINSTANCE instance, int showCommand);

}  // namespace app
