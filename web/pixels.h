// Pictures as the browser shows them: rows of RGBA pixels, top row first,
// turned from packed DIBs as Windows does when it converts them for a
// true-colour screen; and the block copy the drawing makes between them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace web {

struct Pixels {
    int32_t width;
    int32_t height;
    uint32_t* rgba;  // width * height pixels, red in the lowest byte; null when absent
};

using Allocator = void* (*)(size_t bytes);

// Reads a picture file (the file header, then a packed DIB) or a bare
// packed DIB. Uncompressed pictures of 1, 4, 8, 16, 24 and 32 bits are
// read; anything else, or bytes that do not hold what the header says,
// leaves the picture absent and returns false.
bool DecodePicture(const uint8_t* bytes, size_t size, Allocator allocate, Pixels& out);

// Copies width x height pixels from (sourceX, sourceY) of source to
// (x, y) of target, clipped to both pictures as a block transfer is.
void Copy(Pixels& target, int x, int y, int width, int height, const Pixels& source, int sourceX,
          int sourceY);

}  // namespace web
