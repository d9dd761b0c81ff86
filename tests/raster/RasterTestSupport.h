#pragma once
#include "framework/raster/TriangleFiller.h"

#include <cstdint>
#include <random>
#include <vector>

namespace Quib::Testing {

// A destination buffer with its own layout and a padded pitch.
struct TestSurface {
    int width = 0;
    int height = 0;
    int pitch = 0;
    PixelFormatCode format = PIXEL_FORMAT_8888;
    std::vector<uint8_t> bytes;

    TestSurface(int w, int h, PixelFormatCode f, int padding = 0)
        : width(w), height(h), pitch(w * PixelFormatBytes(f) + padding), format(f),
          bytes(static_cast<size_t>(pitch) * static_cast<size_t>(h))
    {
    }
    uint8_t* Bits() { return bytes.data(); }
    PixelBuffer Buffer() { return {bytes.data(), pitch, width, height, PixelFormat::FromRasterCode(format)}; }
    uint32_t Get(int x, int y) const
    {
        const uint8_t* p = bytes.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * PixelFormatBytes(format);
        return PixelFormatBytes(format) == 4 ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                                   uint32_t(p[3]) << 24
                                             : uint32_t(p[0]) | uint32_t(p[1]) << 8;
    }
    void Set(int x, int y, uint32_t v)
    {
        uint8_t* p = bytes.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * PixelFormatBytes(format);
        for (int i = 0; i < PixelFormatBytes(format); ++i)
            p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void Fill(uint32_t v)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Set(x, y, v);
    }
};

inline FixedCorner Corner(double x, double y, double u = 0, double v = 0, uint32_t argb = 0)
{
    FixedCorner c;
    c.x = static_cast<int32_t>(x * 65536.0);
    c.y = static_cast<int32_t>(y * 65536.0);
    c.u = static_cast<int32_t>(u * 65536.0);
    c.v = static_cast<int32_t>(v * 65536.0);
    c.alpha = static_cast<int32_t>((argb >> 8) & 0xFF0000);
    c.red = static_cast<int32_t>(argb & 0xFF0000);
    c.green = static_cast<int32_t>((argb & 0xFF00) << 8);
    c.blue = static_cast<int32_t>((argb & 0xFF) << 16);
    return c;
}

inline TextureInfo MakeTextureInfo(const std::vector<uint32_t>& pixels, int width)
{
    TextureInfo t;
    t.pixels = pixels.data();
    t.width = width;
    t.size = static_cast<uint32_t>(pixels.size());
    return t;
}

} // namespace Quib::Testing
