#pragma once
#include "framework/core/PixelFormat.h"

#include <cstdint>

namespace Quib {

// A triangle corner in fixed point: x, y in 16.16 destination pixels;
// alpha, red, green, blue as 0..255 shifted left by 16; u, v in 16.16 texels.
struct FixedCorner {
    int32_t x = 0;
    int32_t y = 0;
    int32_t alpha = 0;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t u = 0;
    int32_t v = 0;
};

// The texture a filler samples: 0xAARRGGBB words, width words per row,
// size = width x height. Every fetch stays inside it: a nearest fetch past an
// edge takes the edge texel, a bilinear tap outside the picture reads 0.
struct TextureInfo {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    uint32_t size = 0;
};

// The drawing colour, channels 0..255.
struct FillerColor {
    int32_t alpha = 255;
    int32_t red = 255;
    int32_t green = 255;
    int32_t blue = 255;
};

// Draws one triangle (three corners) into bits, pitch bytes per row.
using TriangleFiller = void (*)(const FixedCorner* corners, uint8_t* bits, int pitch,
                                const TextureInfo& texture, const FillerColor& colour);

// Option bits of a filler's table index.
enum : int {
    FILLER_SMOOTH = 1,
    FILLER_MODULATED = 2,
    FILLER_VERTEX_COLOURS = 4,
    FILLER_ALPHA_BLENDED = 8,
    FILLER_TEXTURED = 16,
    FILLER_TABLE_SIZE = 128,
};

// The table index: layout bits (0x00 ARGB, 0x20 XRGB, 0x40 RGB565,
// 0x60 RGB555) plus the option bits.
int FillerIndex(bool textured, bool alphaBlended, bool vertexColours, bool modulated, bool smooth,
                PixelFormatCode format);

// The filler of a table entry (index 0..127), of the fastest family the
// processor runs (framework/core/CpuFeatures).
TriangleFiller TriangleFillerAt(int index);
// The same entry in plain C++, which every faster family matches pixel for
// pixel.
TriangleFiller PlainTriangleFillerAt(int index);

// Picks the filler for the options and layout and draws the triangle
// c0, c1, c2. Every written pixel lies within the corners' bounding box.
void RasterizeTriangleDispatch(bool textured, bool alphaBlended, bool vertexColours, bool modulated,
                               const FixedCorner& c0, const FixedCorner& c1, const FixedCorner& c2,
                               uint8_t* bits, int pitch, const TextureInfo& texture,
                               const FillerColor& colour, PixelFormatCode format, bool smooth);

// The entry of untextured triangles without vertex colours: draws nothing.
void RasterizeNothing(const FixedCorner* corners, uint8_t* bits, int pitch,
                      const TextureInfo& texture, const FillerColor& colour);

// Floor of a 16.16 value.
constexpr int32_t FixedFloor(int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) & 0xFFFF0000u);
}

} // namespace Quib
