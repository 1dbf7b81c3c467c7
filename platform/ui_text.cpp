#include "platform/ui_text.h"

namespace platform {
namespace {

using DefWindowProcWFunction = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using OpenMutexWFunction = HANDLE(WINAPI*)(DWORD, BOOL, LPCWSTR);
using CreateMutexWFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR);

// The wide functions the program uses on Windows NT. Win32s and the first
// Windows 95 need not even export them, so they are looked up, never
// imported.
struct WideFunctions {
    bool lookedUp;
    bool present;  // all of them found, on Windows NT
    DefWindowProcWFunction defWindowProc;
    OpenMutexWFunction openMutex;
    CreateMutexWFunction createMutex;
};

WideFunctions g_wide;

template <typename Function>
Function Find(const char* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

// The high bit of the version is set on Win32s and Windows 95/98/ME.
bool OnWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

const WideFunctions& Wide() {
    if (!g_wide.lookedUp) {
        g_wide.lookedUp = true;
        if (OnWindowsNt()) {
            g_wide.defWindowProc = Find<DefWindowProcWFunction>("USER32", "DefWindowProcW");
            g_wide.openMutex = Find<OpenMutexWFunction>("KERNEL32", "OpenMutexW");
            g_wide.createMutex = Find<CreateMutexWFunction>("KERNEL32", "CreateMutexW");
            g_wide.present = g_wide.defWindowProc && g_wide.openMutex && g_wide.createMutex;
        }
    }
    return g_wide;
}

}  // namespace

void SetUiText(HWND window, const UiText& text) {
    if (!Wide().present) {
        SetWindowTextA(window, text.shiftJis);
        return;
    }
    // The default procedure keeps the UTF-16 text as it is; sent through the
    // window's own ANSI procedure it would be squeezed through the code page.
    g_wide.defWindowProc(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.utf16));
}

void SetDialogItemUiText(HWND dialog, int id, const UiText& text) {
    if (!Wide().present) {
        SetDlgItemTextA(dialog, id, text.shiftJis);
        return;
    }
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    SetUiText(control, text);
    // The control's own procedure, which repaints it on a new text, was bypassed.
    InvalidateRect(control, nullptr, TRUE);
}

HANDLE OpenNamedMutex(DWORD access, const UiText& name) {
    if (Wide().present) return g_wide.openMutex(access, FALSE, name.utf16);
    return OpenMutexA(access, FALSE, name.shiftJis);
}

HANDLE CreateNamedMutex(const UiText& name) {
    if (Wide().present) return g_wide.createMutex(nullptr, FALSE, name.utf16);
    return CreateMutexA(nullptr, FALSE, name.shiftJis);
}

}  // namespace platform
