#include "core/tick.h"

#include "core/geometry.h"

namespace reels {

void DrawTick(ReelBank& bank, StripMeasure strip, const DrawingApi& api, void* surface) {
    const int bandHeight = BandHeight(strip.height);
    for (int r = 0; r < kReelCount; ++r) {
        const int top = r * bandHeight;
        api.select(surface, Picture::Strip);
        if (bank.running[r]) {
            api.copy(surface, kReelWindowLeft, top + kReelWindowTop, strip.figureWidth, bandHeight,
                     strip.figureWidth * bank.position[r], top);
        }
        // The lamp takes the strip's place; putting the strip back first
        // would cost a selection of the large strip on every band.
        api.select(surface, bank.running[r] ? Picture::LampRunning : Picture::LampStopped);
        api.copy(surface, kLampLeft, top + kLampTop, kLampSize, kLampSize, 0, 0);
        api.restore(surface);
        // A running reel moves on after it has been drawn.
        if (bank.running[r]) Advance(bank, r);
    }
}

}  // namespace reels
