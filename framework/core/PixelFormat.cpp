#include "framework/core/PixelFormat.h"

#include <bit>

namespace Quib {

PixelKind ClassifyPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    if (bitCount == 32)
        return redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF ? PixelKind::Rgb32
                                                                              : PixelKind::Other32;
    if (bitCount == 16) {
        if (redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F)
            return PixelKind::R5G6B5;
        if (redMask == 0x7C00 && greenMask == 0x03E0 && blueMask == 0x001F)
            return PixelKind::X1R5G5B5;
        return PixelKind::Other16;
    }
    return PixelKind::None;
}

PixelChannel PixelChannel::FromMask(uint32_t mask)
{
    PixelChannel ch;
    ch.mask = mask;
    if (mask != 0) {
        ch.shift = std::countr_zero(mask);
        ch.bits = std::popcount(mask);
        if (ch.bits > 8) {
            ch.shift += ch.bits - 8;
            ch.bits = 8;
            ch.mask = 255u << ch.shift;
        }
    }
    return ch;
}

PixelFormat PixelFormat::FromMasks(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                                   uint32_t alphaMask)
{
    PixelFormat format;
    format.bitCount = bitCount;
    format.red = PixelChannel::FromMask(redMask);
    format.green = PixelChannel::FromMask(greenMask);
    format.blue = PixelChannel::FromMask(blueMask);
    format.alphaMask = alphaMask;
    format.kind = ClassifyPixelFormat(bitCount, redMask, greenMask, blueMask);
    return format;
}

PixelFormat PixelFormat::FromSurface(const SurfacePixelFormat& format)
{
    return FromMasks(int(format.bitCount), format.redMask, format.greenMask, format.blueMask, format.alphaMask);
}

PixelFormat PixelFormat::Argb32(bool withAlpha)
{
    return FromMasks(32, 0xFF0000, 0xFF00, 0xFF, withAlpha ? 0xFF000000u : 0);
}

PixelFormat PixelFormat::FromRasterCode(PixelFormatCode code)
{
    switch (code) {
    case PIXEL_FORMAT_888:
        return Argb32(false);
    case PIXEL_FORMAT_565:
        return FromMasks(16, 0xF800, 0x07E0, 0x001F);
    case PIXEL_FORMAT_555:
        return FromMasks(16, 0x7C00, 0x03E0, 0x001F);
    default:
        return Argb32(true);
    }
}

PixelFormatCode PixelFormat::RasterCode() const
{
    switch (kind) {
    case PixelKind::Rgb32:
        return alphaMask == 0xFF000000u ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_888;
    case PixelKind::R5G6B5:
        return PIXEL_FORMAT_565;
    case PixelKind::X1R5G5B5:
        return PIXEL_FORMAT_555;
    default:
        return 0;
    }
}

PixelBuffer PixelBuffer::FromSurface(const SurfaceDesc& lockDesc)
{
    PixelBuffer buffer;
    buffer.bits = static_cast<uint8_t*>(lockDesc.bits);
    buffer.pitch = lockDesc.pitch;
    buffer.width = int(lockDesc.width);
    buffer.height = int(lockDesc.height);
    buffer.format = PixelFormat::FromSurface(lockDesc.format);
    return buffer;
}

} // namespace Quib
