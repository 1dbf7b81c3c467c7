// A stand-in for the 3-D controls library of the oldest platforms, for the
// tests: each entry point appends its name and the instance it was given
// to CTL3D32.LOG beside the library, and reports success.
#include <windows.h>

#include <cstdio>

namespace {

HMODULE g_self;

BOOL LogCall(const char* call, HINSTANCE instance) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(g_self, path, MAX_PATH);
    if (length < 4 || length >= MAX_PATH) return FALSE;
    lstrcpyA(path + length - 4, ".LOG");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    char line[64] = {};
    const int size = std::snprintf(line, sizeof line, "%s %p\r\n", call,
                                   static_cast<void*>(instance));
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = self;
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE instance) {
    return LogCall("Ctl3dRegister", instance);
}

__declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance) {
    return LogCall("Ctl3dAutoSubclass", instance);
}

__declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE instance) {
    return LogCall("Ctl3dUnregister", instance);
}

}  // extern "C"
