#pragma once
// Pixels of a locked display surface: where they are, their layout, and the
// conversions between ARGB words and surface values.

#include "framework/graphics/PixelLayout.h"
#include "platform/DisplaySurface.h"

#include <cstddef>
#include <cstdint>

namespace Quib {

class ImageDisplay;

// The layouts the drawing loops tell apart.
enum class SurfaceKind {
    Rgb32,    // 32 bits, red 0xFF0000, green 0xFF00, blue 0xFF
    Other32,  // 32 bits in another order
    R5G6B5,   // 16 bits, 0xF800, 0x07E0, 0x001F
    X1R5G5B5, // 16 bits, 0x7C00, 0x03E0, 0x001F
    Other16,  // 16 bits with other masks
    None,     // any other bit count: nothing is drawn
};

struct SurfaceChannel {
    uint32_t mask = 0; // of the surface
    int shift = 0;     // of the display
    int bits = 0;      // of the display
    const int32_t* clamp = nullptr;
};

// A locked surface with the display's channel layout.
struct SurfaceView {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    SurfaceChannel ch[3]; // red, green, blue
    SurfaceKind kind = SurfaceKind::None;

    template <class T>
    T* Row(int y) const
    {
        return reinterpret_cast<T*>(bits + static_cast<ptrdiff_t>(y) * pitch);
    }
};

// Channel masks from the lock description, shifts, widths and clamp tables
// from the display.
SurfaceView MakeSurfaceView(const SurfaceDesc& lockDesc, const ImageDisplay& display);
SurfaceKind SurfaceKindOf(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

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
