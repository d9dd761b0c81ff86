#pragma once
#include <cstdint>

namespace Quib {

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
inline int PixelFormatBytes(PixelFormatCode format)
{
    return format == PIXEL_FORMAT_565 || format == PIXEL_FORMAT_555 ? 2 : 4;
}

} // namespace Quib
