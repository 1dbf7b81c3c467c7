// The process-wide records of the application shell.
#pragma once

#include <windows.h>

#include "core/settings.h"
#include "core/texts.h"
#include "platform/ui_text.h"
#include "ui/shift_jis_texts.h"

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
// second copy looks for. On Windows NT the UTF-16 caption names it, which
// on code page 932 is the same object an ANSI copy opens by the Shift-JIS
// bytes.
constexpr char kMainClassName[] = "MurasuSlot32WClass";
constexpr platform::UiText kMainCaption{ui::kCaptionShiftJis, L"" TXT_CAPTION};

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
