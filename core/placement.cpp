#include "core/placement.h"

namespace app {
namespace {

// Saturates a 64-bit intermediate back into the 32-bit range; the sums and
// differences of two 32-bit values always fit in 64 bits.
int32_t Saturate(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Half of a - b, truncated toward zero as a 32-bit division would.
int32_t HalfDifference(int32_t a, int32_t b) {
    return Saturate((static_cast<int64_t>(a) - b) / 2);
}

}  // namespace

Extent MainWindowOuterSize(int32_t backgroundWidth, int32_t backgroundHeight,
                           const FrameMetrics& metrics) {
    return Extent{Saturate(static_cast<int64_t>(backgroundWidth) + 2 * static_cast<int64_t>(metrics.cxBorder)),
                  Saturate(static_cast<int64_t>(metrics.cyCaption) + metrics.cyBorder + backgroundHeight)};
}

int32_t ClampToScreenSpan(int32_t position, int32_t size, int32_t screen) {
    // In 64 bits, so a position near the 32-bit limit cannot wrap round.
    if (position < 0) return 0;
    if (static_cast<int64_t>(position) + size > screen)
        return Saturate(static_cast<int64_t>(screen) - size);
    return position;
}

Origin InitialPosition(int32_t posX, int32_t posY, Extent outer, Extent screen) {
    if (posX == -1 && posY == -1)
        return CentreOnScreen(outer, screen);
    return Origin{ClampToScreenSpan(posX, outer.cx, screen.cx),
                  ClampToScreenSpan(posY, outer.cy, screen.cy)};
}

bool ClampProposedOrigin(Origin& proposed, Extent size, int32_t fitPos, Extent screen) {
    if (size.cx == 0 || size.cy == 0 || fitPos == 0) return false;
    proposed.x = ClampToScreenSpan(proposed.x, size.cx, screen.cx);
    proposed.y = ClampToScreenSpan(proposed.y, size.cy, screen.cy);
    return true;
}

bool ShouldRememberPosition(Extent size, bool minimised) {
    return size.cx != 0 && size.cy != 0 && !minimised;
}

Origin CentreOverOwner(Origin ownerOrigin, Extent ownerSize, Extent box, Extent screen) {
    const int32_t x = Saturate(static_cast<int64_t>(ownerOrigin.x) + HalfDifference(ownerSize.cx, box.cx));
    const int32_t y = Saturate(static_cast<int64_t>(ownerOrigin.y) + HalfDifference(ownerSize.cy, box.cy));
    return Origin{ClampToScreenSpan(x, box.cx, screen.cx),
                  ClampToScreenSpan(y, box.cy, screen.cy)};
}

Origin CentreOnScreen(Extent box, Extent screen) {
    return Origin{HalfDifference(screen.cx, box.cx), HalfDifference(screen.cy, box.cy)};
}

}  // namespace app
