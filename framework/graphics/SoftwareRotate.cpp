// Rotated blits: the inverse mapping is set up once per row in floating point
// and stepped per pixel in 16.16 fixed point; each row is cut to the span whose
// 2 x 2 sample blocks lie inside the source rectangle.

#include "framework/graphics/LineSteppers.h"
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

// The span cut along one axis: pos is the 16.16 position at index 0, step its
// change per index, size the source extent. Narrows [first, last]; false when
// the row is skipped.
bool CutAxis(int64_t pos, int64_t step, int64_t size, bool vAxis, int64_t& first, int64_t& last)
{
    if (step <= -1) {
        if (pos < 0)
            return false;
        first = std::max(first, ((size << 16) - pos - 0x27FFF) / step);
        last = std::min(last, vAxis ? -(pos / step) : (0x7FFF - pos) / step);
    } else if (step >= 1) {
        if ((pos >> 16) >= size - 1)
            return false;
        // The first index with pos + k * step >= 0 (a start exactly on a
        // pixel boundary is drawn, so that angle 0 at an integral position
        // fills all but the last column and row).
        first = std::max(first, (0xFFFF - pos) / step);
        last = std::min(last, ((size << 16) - pos - 0x17FFF) / step);
    } else if (pos < 0 || pos >= (size << 16) - 0x10000) {
        return false;
    }
    return true;
}

// The 2 x 2 block at (p >> 16) must lie inside [0, size - 1) on its axis.
inline bool BlockInside(int64_t p, int64_t size)
{
    return p >= 0 && (p >> 16) < size - 1;
}

struct Sample {
    uint32_t S;           // alpha 0..255
    uint32_t r, g, b;     // premultiplied colour sums (before any shift)
};

struct Texels {
    uint32_t p[4];
    uint32_t W[4];
};

inline void ReadTexels(const PixelSource& src, const Rect& s, int32_t u, int32_t v, Texels& t)
{
    const int x = s.x + (u >> 16), y = s.y + (v >> 16);
    if (src.palette) {
        const uint8_t* i0 = src.indices + ptrdiff_t(y) * src.width + x;
        t.p[0] = src.palette[i0[0]];
        t.p[1] = src.palette[i0[1]];
        t.p[2] = src.palette[i0[src.width]];
        t.p[3] = src.palette[i0[src.width + 1]];
    } else {
        const uint32_t* p0 = src.bits + ptrdiff_t(y) * src.width + x;
        t.p[0] = p0[0];
        t.p[1] = p0[1];
        t.p[2] = p0[src.width];
        t.p[3] = p0[src.width + 1];
    }
    const uint32_t fu = (uint32_t(u) & 0xFFFE) + 1, fv = (uint32_t(v) & 0xFFFE) + 1;
    const uint32_t w00 = ((65536 - fu) * (65536 - fv)) >> 16;
    const uint32_t w10 = (fu * (65536 - fv)) >> 16;
    const uint32_t w01 = ((65536 - fu) * fv) >> 16;
    const uint32_t w11 = (fu * fv) >> 16;
    t.W[0] = (w00 * (t.p[0] >> 24)) >> 16;
    t.W[1] = (w10 * (t.p[1] >> 24)) >> 16;
    t.W[2] = (w01 * (t.p[2] >> 24)) >> 16;
    t.W[3] = (w11 * (t.p[3] >> 24)) >> 16;
}

inline uint32_t SumChannel(const Texels& t, const uint32_t* W, int shift)
{
    return ((t.p[0] >> shift) & 0xFF) * W[0] + ((t.p[1] >> shift) & 0xFF) * W[1] +
           ((t.p[2] >> shift) & 0xFF) * W[2] + ((t.p[3] >> shift) & 0xFF) * W[3];
}

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
    const double ca = std::cos(angle), sa = std::sin(angle);
    const int32_t du = TruncToInt(ca * 65536), dv = TruncToInt(sa * 65536);
    const int X0 = TruncToInt(bounds[0]), Y0 = TruncToInt(bounds[1]);
    const int64_t lastColumn = TruncToInt(bounds[2] - 1);
    const int64_t W = srcRect.width, H = srcRect.height;
    const bool white = color.IsOpaqueWhite();
    const RotVariant variant = mode == 0 ? (white ? RotVariant::NormalWhite : RotVariant::NormalColor)
                                         : (white ? RotVariant::AddWhite : RotVariant::AddColor);
    // Rows Y0 + j for j < bounds height, kept inside the destination.
    const int64_t jBegin = std::max<int64_t>(0, -int64_t(Y0));
    const int64_t jEnd = std::min<int64_t>(int64_t(std::ceil(bounds[3])), int64_t(dst.height) - Y0);
    for (int64_t j = jBegin; j < jEnd; ++j) {
        const int row = int(Y0 + j);
        const float dX = float(double(X0) - centerX - x);
        const float dY = float(double(row) - centerY - y);
        const int32_t u = TruncToInt((dX * ca - dY * sa + centerX) * 65536);
        const int32_t v = TruncToInt((dY * ca + dX * sa + centerY) * 65536);
        int64_t first = 0, last = lastColumn;
        if (!CutAxis(u, du, W, false, first, last) || !CutAxis(v, dv, H, true, first, last))
            continue;
        // Keep the cut inside the source and the destination row: the sample
        // positions move linearly, so trimming the ends is enough.
        first = std::max<int64_t>(first, -int64_t(X0));
        last = std::min<int64_t>(last, int64_t(dst.width) - 1 - X0);
        while (first <= last && !(BlockInside(u + first * du, W) && BlockInside(v + first * dv, H)))
            ++first;
        while (first <= last && !(BlockInside(u + last * du, W) && BlockInside(v + last * dv, H)))
            --last;
        if (first > last)
            continue;
        const int32_t u0 = int32_t(u + first * du), v0 = int32_t(v + first * dv);
        uint32_t* d = dst.bits + ptrdiff_t(row) * dst.stride + X0 + first;
        const int count = int(last - first + 1);
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
    }
}

} // namespace Quib
