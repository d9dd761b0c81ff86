#pragma once
// The inverse mapping of the rotated blits, shared by every destination
// layout: rows set up in floating point, stepped in 16.16 fixed point, each
// row cut to the span whose 2 x 2 sample blocks lie inside the source
// rectangle; and the bilinear, alpha-weighted 2 x 2 sample. Internal to
// each file that includes it, like the rules of loops/.

#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace Quib::RotatedSampling {
namespace {

using std::ptrdiff_t;

// The span cut along one axis: pos is the 16.16 position at index 0, step its
// change per index, size the source extent. Narrows [first, last]; false when
// the row is skipped.
inline bool CutAxis(int64_t pos, int64_t step, int64_t size, bool vAxis, int64_t& first, int64_t& last)
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

// Calls span(row, column, count, u, v, du, dv) for every destination span of
// the rotated draw inside a width x height destination: count pixels from
// (column, row), the first sampled at (u, v), stepping by (du, dv).
template <class Span>
void ForEachRotatedSpan(int width, int height, const double* bounds, const Rect& srcRect, float x, float y,
                        double angle, float centerX, float centerY, Span&& span)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    const int32_t du = TruncToInt(ca * 65536), dv = TruncToInt(sa * 65536);
    const int X0 = TruncToInt(bounds[0]), Y0 = TruncToInt(bounds[1]);
    const int64_t lastColumn = TruncToInt(bounds[2] - 1);
    const int64_t W = srcRect.width, H = srcRect.height;
    // Rows Y0 + j for j < bounds height, kept inside the destination.
    const int64_t jBegin = std::max<int64_t>(0, -int64_t(Y0));
    const int64_t jEnd = std::min<int64_t>(int64_t(std::ceil(bounds[3])), int64_t(height) - Y0);
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
        last = std::min<int64_t>(last, int64_t(width) - 1 - X0);
        while (first <= last && !(BlockInside(u + first * du, W) && BlockInside(v + first * dv, H)))
            ++first;
        while (first <= last && !(BlockInside(u + last * du, W) && BlockInside(v + last * dv, H)))
            --last;
        if (first > last)
            continue;
        span(row, int(X0 + first), int(last - first + 1), int32_t(u + first * du), int32_t(v + first * dv), du,
             dv);
    }
}

} // namespace
} // namespace Quib::RotatedSampling
