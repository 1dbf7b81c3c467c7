#include "pictures/picture.h"

namespace pictures {
namespace {

constexpr UINT kPaletteVersion = 0x300;

}  // namespace

PictureResource LoadPicture(HINSTANCE instance, int id) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (!found) return PictureResource{nullptr, 0};
    return PictureResource{LoadResource(instance, found), SizeofResource(instance, found)};
}

const uint8_t* LockPicture(const PictureResource& picture, DibLayout& layout) {
    if (!picture.handle) return nullptr;
    const void* bytes = GlobalLock(picture.handle);
    if (!bytes) bytes = LockResource(picture.handle);
    if (!bytes) return nullptr;
    const uint8_t* dib = static_cast<const uint8_t*>(bytes);
    if (!ReadDibLayout(dib, picture.size, layout)) {
        UnlockPicture(picture);
        return nullptr;
    }
    return dib;
}

void UnlockPicture(const PictureResource& picture) { GlobalUnlock(picture.handle); }

HPALETTE MakePalette(const uint8_t* dib, const DibLayout& layout) {
    const UINT count = layout.colourCount;
    if (count == 0) return nullptr;
    // The header and count entries, and four bytes to spare.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count * 4 + 8);
    if (!memory) return nullptr;
    HPALETTE palette = nullptr;
    if (LOGPALETTE* logical = static_cast<LOGPALETTE*>(GlobalLock(memory))) {
        logical->palVersion = kPaletteVersion;
        logical->palNumEntries = static_cast<WORD>(count);
        ReadPaletteColours(dib, layout, reinterpret_cast<PaletteColour*>(logical->palPalEntry));
        palette = CreatePalette(logical);
        GlobalUnlock(memory);
    }
    GlobalFree(memory);
    return palette;
}

HPALETTE PaletteFromPicture(const PictureResource& picture) {
    DibLayout layout{};
    const uint8_t* dib = LockPicture(picture, layout);
    if (!dib) return nullptr;
    HPALETTE palette = MakePalette(dib, layout);
    UnlockPicture(picture);
    return palette;
}

}  // namespace pictures
