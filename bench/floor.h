// The floor a refresh tick is measured against: the drawing steps of the
// machine's tick, spelt out call by call between bitmaps of the machine's
// sizes, with none of the program's own code.
#pragma once

#include <windows.h>

namespace bench {

constexpr char kFloorClassName[] = "BenchFloorWClass";

// A hidden window of the machine's style and client size at (x, y), with
// bitmaps of the machine's sizes and a palette of `colours`' entries (or of
// 236 colours of its own when null). One per process; destroying it ends
// the message loop when endsLoop is set.
HWND CreateFloorWindow(HINSTANCE instance, int x, int y, HPALETTE colours, bool endsLoop);

// One tick: four 180 x 100 bands and four 16 x 16 lamps into the back
// buffer, then the whole window repainted before it returns.
void FloorTick(HWND window);

}  // namespace bench
