#pragma once
// Views of a MemoryImage's pixels for the software loops.

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SoftwareRender.h"

namespace Quib {

// The bits as a destination; false when the picture has none.
inline bool TargetPixels(MemoryImage& image, PixelTarget& out)
{
    uint32_t* bits = image.Pixels();
    if (!bits || image.width <= 0 || image.height <= 0)
        return false;
    out = PixelTarget{bits, image.width, image.height, image.width};
    return true;
}

// The picture as a source: its palette form when it has one, else its bits.
inline bool SourcePixels(MemoryImage& image, PixelSource& out, bool allowPalette = true)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    if (allowPalette && image.IsPaletteForm() && image.paletteIndices) {
        out = PixelSource{nullptr, image.palette.get(), image.paletteIndices.get(), image.width, image.height};
        return true;
    }
    const uint32_t* bits = image.Pixels();
    if (!bits)
        return false;
    out = PixelSource{bits, nullptr, nullptr, image.width, image.height};
    return true;
}

// The rectangle cut to a w x h picture.
inline Rect CutToPicture(const Rect& r, int w, int h)
{
    return r.Intersection(Rect(0, 0, w, h));
}

} // namespace Quib
