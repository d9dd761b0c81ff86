#pragma once
// The scan conversion of one triangle, shared by the triangle fillers and
// the 3-D device's pixel stage: rows and spans by the top-left rule with
// pixel centres at whole coordinates, and the 16.16 arithmetic it uses.

#include "framework/raster/TriangleFiller.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace Quib::Scan {

// 32-bit sum and 64-bit product that wrap instead of overflowing.
inline int32_t Add32(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int64_t Mul64(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}
inline int32_t Ceil16(int32_t a)
{
    return static_cast<int32_t>((int64_t{a} + 0xFFFF) >> 16);
}
inline int64_t Up16(int32_t a)
{
    return (int64_t{a} + 0xFFFF) & ~int64_t{0xFFFF};
}
// Reciprocal of a non-zero 16.16 difference as a 32.32 number.
inline int64_t Recip(int64_t d)
{
    return (int64_t{1} << 48) / d;
}
// (a x b) >> shift, narrowed to a 32-bit value.
inline int32_t MulShift(int64_t a, int64_t b, int shift)
{
    return static_cast<int32_t>(Mul64(a, b) >> shift);
}

// Walks the rows and spans of the triangle and calls span(pixel, count, q,
// dq) with the NQ interpolants (corner fields First.. of x, y, alpha, red,
// green, blue, u, v) at the span's first pixel and their change per pixel.
template <int First, int NQ, int BPP, class SpanFn>
[[gnu::always_inline]] inline void ScanConvert(const FixedCorner* corners, uint8_t* bits, int pitch, SpanFn&& span)
{
    const FixedCorner* top = &corners[0];
    const FixedCorner* mid = &corners[1];
    const FixedCorner* bot = &corners[2];
    if (top->y > mid->y)
        std::swap(top, mid);
    if (mid->y > bot->y)
        std::swap(mid, bot);
    if (top->y > mid->y)
        std::swap(top, mid);

    const int32_t yT = Ceil16(top->y), yB = Ceil16(bot->y);
    if (yT == yB)
        return;
    const int32_t yM = Ceil16(mid->y);

    const auto fields = [](const FixedCorner& c) {
        return std::array<int32_t, 8>{c.x, c.y, c.alpha, c.red, c.green, c.blue, c.u, c.v};
    };
    const auto tf = fields(*top), mf = fields(*mid), bf = fields(*bot);

    const int64_t r = Recip(int64_t{bot->y} - top->y);
    const int32_t dxL = MulShift(int64_t{bot->x} - top->x, r, 32);
    int32_t dqL[NQ > 0 ? NQ : 1];
    for (int i = 0; i < NQ; ++i)
        dqL[i] = MulShift(int64_t{bf[First + i]} - tf[First + i], r, 32);

    const int64_t dyTM = int64_t{mid->y} - top->y;
    const int32_t xAtM = Add32(MulShift(dxL, dyTM, 16), top->x);
    if (xAtM == mid->x)
        return;

    const int64_t p = (int64_t{yT} << 16) - top->y;
    int32_t xL = Add32(MulShift(dxL, p, 16), top->x);
    int32_t qL[NQ > 0 ? NQ : 1];
    for (int i = 0; i < NQ; ++i)
        qL[i] = Add32(MulShift(dqL[i], p, 16), tf[First + i]);

    const int64_t w = Recip(int64_t{mid->x} - xAtM);
    int32_t dqX[NQ > 0 ? NQ : 1];
    for (int i = 0; i < NQ; ++i)
        dqX[i] = MulShift(int64_t{mf[First + i]} - (Mul64(dqL[i], dyTM) >> 16) - tf[First + i], w, 32);

    // Spans never leave the corners' bounding box, even when the edge
    // arithmetic overflows on extreme slivers.
    const int32_t colMin = std::min({top->x, mid->x, bot->x}) >> 16;
    const int32_t colEnd = (std::max({top->x, mid->x, bot->x}) >> 16) + 1;

    const std::ptrdiff_t rowPitch = pitch / BPP * BPP;
    uint8_t* row = bits + yT * rowPitch;
    const bool longLeft = xAtM < mid->x;
    int32_t q[NQ > 0 ? NQ : 1];

    // Inlined in both halves, so that the walk's values stay in registers.
    const auto rows = [&](int32_t from, int32_t to, int32_t xS, int32_t dxS) __attribute__((always_inline)) {
        for (int32_t y = from; y < to; ++y) {
            const int32_t left = longLeft ? xL : xS;
            const int32_t right = longLeft ? xS : xL;
            const int32_t c0 = Ceil16(left);
            const int32_t start = std::max(c0, colMin);
            const int32_t end = std::min(Ceil16(right), colEnd);
            if (end > start) {
                const int64_t lead = Up16(left) - xL;
                for (int i = 0; i < NQ; ++i) {
                    q[i] = Add32(qL[i], MulShift(dqX[i], lead, 16));
                    if (start > c0)
                        q[i] = Add32(q[i], static_cast<int32_t>(static_cast<uint32_t>(dqX[i]) *
                                                                static_cast<uint32_t>(start - c0)));
                }
                span(row + std::ptrdiff_t{start} * BPP, end - start, q, dqX);
            }
            xL = Add32(xL, dxL);
            xS = Add32(xS, dxS);
            for (int i = 0; i < NQ; ++i)
                qL[i] = Add32(qL[i], dqL[i]);
            row += rowPitch;
        }
    };

    if (yM > yT) {
        const int32_t dxS = MulShift(int64_t{mid->x} - top->x, Recip(dyTM), 32);
        rows(yT, yM, Add32(MulShift(dxS, p, 16), top->x), dxS);
    }
    if (yB > yM) {
        const int32_t dxS = MulShift(int64_t{bot->x} - mid->x, Recip(int64_t{bot->y} - mid->y), 32);
        const int32_t xS = Add32(mid->x, MulShift((int64_t{yM} << 16) - mid->y, dxS, 16));
        rows(yM, yB, xS, dxS);
    }
}

} // namespace Quib::Scan
