// The refresh tick, once for every front end: what goes into the back
// buffer each 100 ms, drawn through the front end's own copy operation.
#pragma once

#include <cstdint>

#include "core/reel_bank.h"

namespace reels {

// The pictures a tick copies from into the back buffer.
enum class Picture { Strip, LampRunning, LampStopped };

// How a front end draws: a table of plain function pointers, as a build
// without a C runtime has no pure virtual calls. The surface is the front
// end's own record of its back buffer and pictures.
struct DrawingApi {
    // Makes the picture the one the next copies come from.
    void (*select)(void* surface, Picture picture);
    // Copies width x height pixels from (sourceX, sourceY) of the selected
    // picture to (x, y) of the back buffer.
    void (*copy)(void* surface, int x, int y, int width, int height, int sourceX, int sourceY);
    // Gives the source back as it was before the reel's first select.
    void (*restore)(void* surface);
};

// The strip's measures the reel bands are cut by.
struct StripMeasure {
    uint16_t height;  // the whole strip: four bands
    int figureWidth;
};

// One refresh step: each running reel's next figure band and every lamp
// into the back buffer, then the running reels move on.
void DrawTick(ReelBank& bank, StripMeasure strip, const DrawingApi& api, void* surface);

}  // namespace reels
