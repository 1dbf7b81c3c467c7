#include "app/placement.h"

namespace app {

Extent MainWindowOuterSize(int32_t backgroundWidth, int32_t backgroundHeight,
                           const FrameMetrics& metrics) {
    return Extent{backgroundWidth + 2 * metrics.cxBorder,
                  metrics.cyCaption + metrics.cyBorder + backgroundHeight};
}

int32_t ClampToScreenSpan(int32_t position, int32_t size, int32_t screen) {
    if (position < 0) return 0;
    if (position + size > screen) return screen - size;
    return position;
}

Origin InitialPosition(int32_t posX, int32_t posY, Extent outer, Extent screen) {
    if (posX == -1 && posY == -1)
        return Origin{(screen.cx - outer.cx) / 2, (screen.cy - outer.cy) / 2};
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
    int32_t x = ownerOrigin.x + (ownerSize.cx - box.cx) / 2;
    int32_t y = ownerOrigin.y + (ownerSize.cy - box.cy) / 2;
    return Origin{ClampToScreenSpan(x, box.cx, screen.cx),
                  ClampToScreenSpan(y, box.cy, screen.cy)};
}

Origin CentreOnScreen(Extent box, Extent screen) {
    return Origin{(screen.cx - box.cx) / 2, (screen.cy - box.cy) / 2};
}

}  // namespace app
