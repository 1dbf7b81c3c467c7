// Window placement arithmetic, on plain values so it can be checked without
// a screen: the main window's outer size, where it opens, the screen clamp
// of a proposed position, and the About box's centring over its owner.
#pragma once

#include <cstdint>

namespace app {

struct Extent {
    int32_t cx;
    int32_t cy;
};

struct Origin {
    int32_t x;
    int32_t y;
};

// The frame metrics the outer size is built from.
struct FrameMetrics {
    int32_t cxBorder;
    int32_t cyBorder;
    int32_t cyCaption;
};

// Outer size of the main window for a background panel of the given size:
// two border widths across, the caption and one border height down.
Extent MainWindowOuterSize(int32_t backgroundWidth, int32_t backgroundHeight,
                           const FrameMetrics& metrics);

// Where the main window opens: centred when never placed (both -1),
// otherwise the remembered position pulled inside the screen.
Origin InitialPosition(int32_t posX, int32_t posY, Extent outer, Extent screen);

// Pulls one coordinate onto the screen: below 0 becomes 0, past the far edge
// becomes screen - size (negative when the window is larger than the screen).
int32_t ClampToScreenSpan(int32_t position, int32_t size, int32_t screen);

// The clamp applied to every proposed window position: only with a non-zero
// size and FitPos set; returns whether it applies.
bool ClampProposedOrigin(Origin& proposed, Extent size, int32_t fitPos, Extent screen);

// Whether a position change is one to remember (not minimised, non-zero size).
bool ShouldRememberPosition(Extent size, bool minimised);

// Where the About box goes: centred over its owner's outer rectangle and
// kept inside the screen, or centred on the screen without an owner.
Origin CentreOverOwner(Origin ownerOrigin, Extent ownerSize, Extent box, Extent screen);
Origin CentreOnScreen(Extent box, Extent screen);

}  // namespace app
