#pragma once
// The pixel vocabulary every layer shares: a pixel format (bits per pixel
// and channel masks, classified once into the kinds the drawing loops tell
// apart) and a view of a buffer of such pixels.

#include "platform/DisplaySurface.h"

#include <cstddef>
#include <cstdint>

namespace Quib {

// The formats the drawing loops tell apart.
enum class PixelKind {
    Rgb32,    // 32 bits, red 0xFF0000, green 0xFF00, blue 0xFF
    Other32,  // 32 bits in another order
    R5G6B5,   // 16 bits, 0xF800, 0x07E0, 0x001F
    X1R5G5B5, // 16 bits, 0x7C00, 0x03E0, 0x001F
    Other16,  // 16 bits with other masks
    None,     // any other bit count: nothing is drawn
};

// The one place that recognises a format from its masks.
PixelKind ClassifyPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

// One colour channel of a pixel: its mask, the position of the mask's lowest
// bit and its width in bits.
struct PixelChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // Channels wider than 8 bits keep the top 8 bits of their mask.
    static PixelChannel FromMask(uint32_t mask);
    bool operator==(const PixelChannel&) const = default;
};

// Layout word of a destination the rasterizer writes into. Any value not
// listed is drawn as PIXEL_FORMAT_8888.
using PixelFormatCode = int;

enum : PixelFormatCode {
    PIXEL_FORMAT_8888 = 0x8888, // 32-bit 0xAARRGGBB, alpha read and written
    PIXEL_FORMAT_888 = 0x888,   // 32-bit, alpha ignored and written as 0xFF
    PIXEL_FORMAT_565 = 0x565,   // 16-bit, masks 0xF800 0x07E0 0x001F
    PIXEL_FORMAT_555 = 0x555,   // 16-bit, masks 0x7C00 0x03E0 0x001F, bit 15 zero
};

// Bytes per pixel of a layout word (4 or 2).
constexpr int PixelFormatBytes(PixelFormatCode format)
{
    return format == PIXEL_FORMAT_565 || format == PIXEL_FORMAT_555 ? 2 : 4;
}

// A pixel format: bits per pixel, three colour channels, an alpha mask, and
// the kind they make.
struct PixelFormat {
    int bitCount = 0;
    PixelChannel red;
    PixelChannel green;
    PixelChannel blue;
    uint32_t alphaMask = 0;
    PixelKind kind = PixelKind::None;

    static PixelFormat FromMasks(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                                 uint32_t alphaMask = 0);
    static PixelFormat FromSurface(const SurfacePixelFormat& format);
    // 32-bit 0xAARRGGBB words, with or without their alpha.
    static PixelFormat Argb32(bool withAlpha);
    // The format of a rasterizer layout word (PIXEL_FORMAT_8888 for a value
    // not listed).
    static PixelFormat FromRasterCode(PixelFormatCode code);

    // Red in the highest bits, blue in the lowest.
    bool RedAboveGreenAboveBlue() const { return red.mask > green.mask && green.mask > blue.mask; }
    // The rasterizer's layout word; 0 when it has none (16-bit masks other
    // than 5-6-5 and 5-5-5, 32-bit words whose channels do not run red,
    // green, blue, which it would write swapped).
    PixelFormatCode RasterCode() const;
    bool operator==(const PixelFormat&) const = default;
};

// A buffer of pixels: rows pitch bytes apart, width by height pixels.
struct PixelBuffer {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int width = 0;
    int height = 0;
    PixelFormat format;

    // A locked surface as its lock description gives it.
    static PixelBuffer FromSurface(const SurfaceDesc& lockDesc);

    template <class T>
    T* Row(int y) const
    {
        return reinterpret_cast<T*>(bits + static_cast<ptrdiff_t>(y) * pitch);
    }
};

} // namespace Quib
