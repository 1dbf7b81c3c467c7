// The congratulations window: the picture of a match, in a borderless
// popup centred on the screen, open until a click or a key release.
#pragma once

#include <windows.h>

#include <cstdint>

#include "pictures/picture.h"

namespace service {

struct ServiceState {
    int32_t classPending;  // 1 until the first opening has tried to register the class
    int32_t classAtom;     // that registration's result; 0 means it failed
    pictures::PictureResource picture;
    HPALETTE palette;
    int32_t width;
    int32_t height;
    HWND window;  // the open window, null while none is open
};

extern ServiceState g_service;

constexpr char kServiceClassName[] = "MurasuServiceWClass";

// Opens the window over the given parent, which stays disabled while it is open.
void Open(HWND parent);

}  // namespace service
