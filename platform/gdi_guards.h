// Small guards that give every device context back and put every selected
// object back, on every path out of a drawing function.
#pragma once

#include <windows.h>

namespace platform {

// A window's device context from GetDC, released on scope exit.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another, deleted on scope exit.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a context; the previous object goes back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    // Selects another object in place of this one; the object the context
    // held first still goes back on scope exit.
    void Switch(HGDIOBJ object) {
        if (!dc_ || !object) return;
        HGDIOBJ replaced = SelectObject(dc_, object);
        if (!previous_) previous_ = replaced;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A palette selected into a context as the foreground palette; the previous
// palette goes back on scope exit. A null palette selects nothing.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette)
        : dc_(dc), previous_(dc && palette ? SelectPalette(dc, palette, FALSE) : nullptr) {}
    ~SelectedPalette() {
        if (previous_) SelectPalette(dc_, previous_, FALSE);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;
    // Realises the selected palette; the number of entries that changed.
    UINT Realise() const { return dc_ ? RealizePalette(dc_) : 0; }

private:
    HDC dc_;
    HPALETTE previous_;
};

// A mouse position packed in a message's lParam: x in the low and y in the
// high 16 bits, both unsigned.
inline POINT PointFromPacked(LPARAM packed) {
    const DWORD bits = static_cast<DWORD>(packed);
    return POINT{static_cast<LONG>(bits & 0xFFFFu), static_cast<LONG>((bits >> 16) & 0xFFFFu)};
}

// A paint context between BeginPaint and EndPaint.
class PaintContext {
public:
    explicit PaintContext(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintContext() { EndPaint(window_, &paint_); }
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace platform
