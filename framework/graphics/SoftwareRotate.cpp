// Rotated blits: the inverse mapping is set up once per row in floating point
// and stepped per pixel in 16.16 fixed point; each row is cut to the span whose
// 2 x 2 sample blocks lie inside the source rectangle.

#include "framework/graphics/RotatedSampler.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>
#include <cmath>

namespace Quib {

using std::ptrdiff_t;

bool RotatedBlitBounds(const float* position, const Rect& src, const Rect& clip, double* bounds, float centerX,
                       float centerY, double angle)
{
    const float a = static_cast<float>(angle);
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

namespace {

using namespace RotatedSampling;

// Exact n / d for n < 2^24 and 1 <= d <= 256 by a multiply.
struct Reciprocals {
    uint64_t m[257];
    Reciprocals()
    {
        m[0] = 0;
        for (uint64_t d = 1; d <= 256; ++d)
            m[d] = ((uint64_t(1) << 32) + d - 1) / d;
    }
    uint32_t Divide(uint32_t n, uint32_t d) const { return uint32_t((n * m[d]) >> 32); }
};
const Reciprocals kReciprocals;

// Step 7: store a sample (S, P) over d.
inline uint32_t StoreNormal(uint32_t d, uint32_t S, uint32_t pr, uint32_t pg, uint32_t pb)
{
    if (S > 250)
        return 0xFF000000 | (pr << 16) | (pg << 8) | pb;
    const uint32_t dA = d >> 24;
    const uint32_t inv = 256 - S;
    const uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
    if (dA == 255) {
        // A' = 256: the division is a shift.
        const uint32_t r = ((((dr * 255) >> 8) * inv) + 256 * pr) >> 8;
        const uint32_t g = ((((dg * 255) >> 8) * inv) + 256 * pg) >> 8;
        const uint32_t b = ((((db * 255) >> 8) * inv) + 256 * pb) >> 8;
        return 0xFF000000 | (r << 16) | (g << 8) | b;
    }
    const uint32_t A = 256 - (((256 - dA) * inv) >> 8);
    const uint32_t r = kReciprocals.Divide((((dr * dA) >> 8) * inv) + 256 * pr, A);
    const uint32_t g = kReciprocals.Divide((((dg * dA) >> 8) * inv) + 256 * pg, A);
    const uint32_t b = kReciprocals.Divide((((db * dA) >> 8) * inv) + 256 * pb, A);
    return ((A - 1) << 24) | (r << 16) | (g << 8) | b;
}

inline uint32_t AddClamped(uint32_t d, uint32_t ar, uint32_t ag, uint32_t ab)
{
    const uint32_t r = std::min<uint32_t>(((d >> 16) & 0xFF) + ar, 255);
    const uint32_t g = std::min<uint32_t>(((d >> 8) & 0xFF) + ag, 255);
    const uint32_t b = std::min<uint32_t>((d & 0xFF) + ab, 255);
    return (d & 0xFF000000) | (r << 16) | (g << 8) | b;
}

enum class RotVariant { NormalWhite, NormalColor, AddWhite, AddColor };

template <RotVariant V>
void RotatedSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv, const PixelSource& src,
                 const Rect& s, const Color& c)
{
    const uint32_t ca = uint32_t(c.alpha), cr = uint32_t(c.red), cg = uint32_t(c.green), cb = uint32_t(c.blue);
    const uint32_t kr = ca * cr / 255, kg = ca * cg / 255, kb = ca * cb / 255;
    for (int i = 0; i < count; ++i, u += du, v += dv) {
        Texels t;
        ReadTexels(src, s, u, v, t);
        const uint32_t S = t.W[0] + t.W[1] + t.W[2] + t.W[3];
        if (S == 0)
            continue;
        if constexpr (V == RotVariant::NormalWhite) {
            d[i] = StoreNormal(d[i], S, SumChannel(t, t.W, 16) >> 8, SumChannel(t, t.W, 8) >> 8,
                               SumChannel(t, t.W, 0) >> 8);
        } else if constexpr (V == RotVariant::NormalColor) {
            uint32_t W[4];
            for (int k = 0; k < 4; ++k)
                W[k] = (t.W[k] * ca) >> 8;
            const uint32_t S2 = W[0] + W[1] + W[2] + W[3];
            if (S2 == 0)
                continue;
            const uint32_t pr = (SumChannel(t, W, 16) * cr) >> 16;
            const uint32_t pg = ((SumChannel(t, W, 8) >> 8) * cg) >> 8;
            const uint32_t pb = ((SumChannel(t, W, 0) >> 8) * cb) >> 8;
            d[i] = StoreNormal(d[i], S2, pr, pg, pb);
        } else if constexpr (V == RotVariant::AddWhite) {
            d[i] = AddClamped(d[i], SumChannel(t, t.W, 16) >> 8, SumChannel(t, t.W, 8) >> 8,
                              SumChannel(t, t.W, 0) >> 8);
        } else {
            d[i] = AddClamped(d[i], ((SumChannel(t, t.W, 16) >> 8) * kr) >> 8, (SumChannel(t, t.W, 8) * kg) >> 16,
                              (SumChannel(t, t.W, 0) * kb) >> 16);
        }
    }
}

} // namespace

void SoftPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src,
                         const Rect& srcRect, float x, float y, const Color& color, DrawMode mode, double angle,
                         float centerX, float centerY)
{
    const bool white = color.IsOpaqueWhite();
    const RotVariant variant = mode == 0 ? (white ? RotVariant::NormalWhite : RotVariant::NormalColor)
                                         : (white ? RotVariant::AddWhite : RotVariant::AddColor);
    ForEachRotatedSpan(dst.width, dst.height, bounds, srcRect, x, y, angle, centerX, centerY,
                       [&](int row, int column, int count, int32_t u0, int32_t v0, int32_t du, int32_t dv) {
                           uint32_t* d = dst.bits + ptrdiff_t(row) * dst.stride + column;
                           switch (variant) {
                           case RotVariant::NormalWhite:
                               RotatedSpan<RotVariant::NormalWhite>(d, count, u0, v0, du, dv, src, srcRect, color);
                               break;
                           case RotVariant::NormalColor:
                               RotatedSpan<RotVariant::NormalColor>(d, count, u0, v0, du, dv, src, srcRect, color);
                               break;
                           case RotVariant::AddWhite:
                               RotatedSpan<RotVariant::AddWhite>(d, count, u0, v0, du, dv, src, srcRect, color);
                               break;
                           case RotVariant::AddColor:
                               RotatedSpan<RotVariant::AddColor>(d, count, u0, v0, du, dv, src, srcRect, color);
                               break;
                           }
                       });
}

} // namespace Quib
