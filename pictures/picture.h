// Bitmap resources as packed DIBs: finding, locking and reading them, and
// building a logical palette from a picture's colour table.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/dib.h"

namespace pictures {

// A loaded bitmap resource and the number of bytes it holds.
struct PictureResource {
    HGLOBAL handle;
    DWORD size;
};

// Finds and loads bitmap resource id; a null handle when it is absent.
PictureResource LoadPicture(HINSTANCE instance, int id);

// Locks the picture and reads its layout. Null, with nothing left locked,
// when the lock fails or the bytes do not hold a whole picture.
const uint8_t* LockPicture(const PictureResource& picture, DibLayout& layout);
void UnlockPicture(const PictureResource& picture);

// The picture's colour table as a logical palette; null without colours.
HPALETTE MakePalette(const uint8_t* dib, const DibLayout& layout);
HPALETTE PaletteFromPicture(const PictureResource& picture);

}  // namespace pictures
