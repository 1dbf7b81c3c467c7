// The 3-D controls library of the oldest platforms: loaded by path at
// start-up only where dialogs would otherwise be drawn flat.
#include <windows.h>

#include "app/ctl3d_policy.h"
#include "app/shell.h"

namespace app {
namespace {

constexpr char kCtl3dFileName[] = "\\CTL3D32.DLL";
constexpr DWORD kVersionInfoSize = 148;  // OSVERSIONINFOA
using Ctl3dFunction = BOOL(WINAPI*)(HINSTANCE);

Ctl3dFunction FindCtl3dFunction(HMODULE library, const char* name) {
    return reinterpret_cast<Ctl3dFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Calls one registration step; on failure the library is given up.
bool CallOrRelease(HMODULE library, const char* name, HINSTANCE instance) {
    Ctl3dFunction function = FindCtl3dFunction(library, name);
    if (function && function(instance)) return true;
    FreeLibrary(library);
    g_shell.ctl3d = nullptr;
    return false;
}

}  // namespace

void RegisterCtl3d(HINSTANCE instance) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionInfoSize;
    GetVersionExA(&version);
    if (!PlatformWantsCtl3d(version.dwPlatformId, version.dwMajorVersion) || g_shell.ctl3d)
        return;

    char path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    // A system directory too long to take the file name is no place to look.
    if (length == 0 || length + sizeof kCtl3dFileName > MAX_PATH) return;
    lstrcatA(path, kCtl3dFileName);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;

    HMODULE library = LoadLibraryA(path);
    if (reinterpret_cast<UINT_PTR>(library) <= 32) {
        g_shell.ctl3d = nullptr;
        return;
    }
    if (!CallOrRelease(library, "Ctl3dRegister", instance)) return;
    if (!CallOrRelease(library, "Ctl3dAutoSubclass", instance)) return;
    g_shell.ctl3d = library;
}

void UnregisterCtl3d(HINSTANCE instance) {
    if (!g_shell.ctl3d) return;
    Ctl3dFunction unregister = FindCtl3dFunction(g_shell.ctl3d, "Ctl3dUnregister");
    // Only a library that agreed to let go is freed; otherwise it stays
    // until the process ends.
    if (unregister && unregister(instance)) {
        FreeLibrary(g_shell.ctl3d);
        g_shell.ctl3d = nullptr;
    }
}

}  // namespace app
