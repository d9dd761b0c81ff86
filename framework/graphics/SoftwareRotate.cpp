// Rotated blits: the inverse mapping is set up once per row in floating point
// and stepped per pixel in 16.16 fixed point; each row is cut to the span whose
// 2 x 2 sample blocks lie inside the source rectangle.

#include "framework/graphics/RotatedSampler.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/loops/PixelLoops.h"
#include "framework/graphics/loops/RotatedRules.h"

#include <algorithm>
#include <cmath>

namespace Quib {

using std::ptrdiff_t;

bool RotatedBlitBounds(const float* position, const Rect& src, const Rect& clip, double* bounds, float centerX,
                       float centerY, double angle)
{
    // The angle as a float; its sine and cosine in double, kept as floats.
    const double a = static_cast<float>(angle);
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    const float w = float(src.width), h = float(src.height);
    const float cornersX[4] = {0, w, w, 0};
    const float cornersY[4] = {0, 0, h, h};
    double minX = 10000000.0, minY = 10000000.0, maxX = -10000000.0, maxY = -10000000.0;
    for (int i = 0; i < 4; ++i) {
        const float px = cornersX[i] - centerX, py = cornersY[i] - centerY;
        const float X = position[0] + centerX + px * c + py * s;
        const float Y = position[1] + centerY + py * c - px * s;
        minX = std::min<double>(minX, X);
        minY = std::min<double>(minY, Y);
        maxX = std::max<double>(maxX, X);
        maxY = std::max<double>(maxY, Y);
    }
    const DoubleRect box = DoubleRect(minX, minY, maxX - minX, maxY - minY)
                               .Intersection(DoubleRect(clip.x, clip.y, clip.width, clip.height));
    if (!(box.width > 0) || !(box.height > 0))
        return false;
    bounds[0] = box.x;
    bounds[1] = box.y;
    bounds[2] = box.width;
    bounds[3] = box.height;
    return true;
}

void SoftPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src,
                         const Rect& srcRect, float x, float y, const Color& color, DrawMode mode, double angle,
                         float centerX, float centerY)
{
    const bool white = color.IsOpaqueWhite();
    const RotVariant variant = mode == DRAWMODE_NORMAL ? (white ? RotVariant::NormalWhite : RotVariant::NormalColor)
                                         : (white ? RotVariant::AddWhite : RotVariant::AddColor);
    // The opaque-white variants from a source in bits form go through the
    // loops' span kernel.
    const auto whiteSpan = white && !src.palette ? ActiveLoops().rotatedWhiteSpan : nullptr;
    ForEachRotatedSpan(dst.width, dst.height, bounds, srcRect, x, y, angle, centerX, centerY,
                       [&](int row, int column, int count, int32_t u0, int32_t v0, int32_t du, int32_t dv) {
                           uint32_t* d = dst.bits + ptrdiff_t(row) * dst.stride + column;
                           if (whiteSpan)
                               return whiteSpan(d, count, u0, v0, du, dv, src, srcRect, mode != DRAWMODE_NORMAL);
                           auto run = [&]<RotVariant V>() {
                               RotatedSpan<V>(d, count, u0, v0, du, dv, src, srcRect, color);
                           };
                           switch (variant) {
                           case RotVariant::NormalWhite: return run.operator()<RotVariant::NormalWhite>();
                           case RotVariant::NormalColor: return run.operator()<RotVariant::NormalColor>();
                           case RotVariant::AddWhite: return run.operator()<RotVariant::AddWhite>();
                           case RotVariant::AddColor: return run.operator()<RotVariant::AddColor>();
                           }
                       });
}

} // namespace Quib
