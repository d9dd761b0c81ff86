#pragma once
// Pixels of a locked display surface: where they are, their layout, and the
// conversions between ARGB words and surface values.

#include "framework/core/PixelFormat.h"
#include "platform/DisplaySurface.h"

#include <cstddef>
#include <cstdint>

namespace Quib {

class ImageDisplay;

struct SurfaceChannel {
    uint32_t mask = 0; // of the surface
    int shift = 0;     // of the display
    int bits = 0;      // of the display
    const int32_t* clamp = nullptr;
};

// A locked surface as the surface loops draw into it: its pixels, and per
// channel the surface's mask with the display's shift, width and clamp
// table. Its format's kind is None when nothing can be drawn.
struct SurfaceView : PixelBuffer {
    SurfaceChannel ch[3]; // red, green, blue
};

// Channel masks from the lock description, shifts, widths and clamp tables
// from the display.
SurfaceView MakeSurfaceView(const SurfaceDesc& lockDesc, const ImageDisplay& display);

// An ARGB word as a surface pixel: each channel cut to its width and put at
// its shift; alpha dropped.
uint32_t ArgbToSurfacePixel(uint32_t argb, const SurfaceView& view);
// A surface pixel as an opaque ARGB word: (v >> shift) << (8 - bits).
uint32_t SurfacePixelToArgb(uint32_t value, const SurfaceView& view);

// The 16-bit spread words: a 5-6-5 or 5-5-5 pixel with green moved to the
// upper half, so that one multiply scales all three channels.
constexpr uint32_t kSpread565 = 0x07E0F81F;
constexpr uint32_t kSpread555 = 0x03E07C1F;
inline uint32_t Spread(uint32_t pixel, uint32_t spreadMask)
{
    return (pixel * 0x10001u) & spreadMask;
}
inline uint32_t Fold(uint32_t spread)
{
    return ((spread >> 16) | spread) & 0xFFFF;
}

} // namespace Quib
