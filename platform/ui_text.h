// The program's own texts on its windows and on its single-instance mutex.
// Windows NT keeps window texts in UTF-16, so there they go on as UTF-16
// and read the same on every code page. Win32s and Windows 95/98/ME hold
// ANSI texts only and merely stub the wide functions, so there the
// Shift-JIS bytes go through the A functions. Which one applies is decided
// once, here, from the platform the program runs on.
#pragma once

#include <windows.h>

namespace platform {

// One text in both forms.
struct UiText {
    const char* shiftJis;
    const wchar_t* utf16;
};

// Puts the text on a window as its caption, or on a dialog's control.
void SetUiText(HWND window, const UiText& text);
void SetDialogItemUiText(HWND dialog, int id, const UiText& text);

// The named mutex that marks a running copy, opened or created by that name.
HANDLE OpenNamedMutex(DWORD access, const UiText& name);
HANDLE CreateNamedMutex(const UiText& name);

}  // namespace platform
