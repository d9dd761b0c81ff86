// The AVX2 span kernels of the textured fillers: eight pixels per step, the
// eight texels gathered at once. This file alone is built with -mavx2;
// nothing here runs unless the processor has AVX2, and everything but the
// function that hands the kernels out is internal to it, so no code built
// for AVX2 is shared with the rest of the program.

#include "framework/raster/FillerSpans.h"

#include <cstdint>

#ifdef __AVX2__
#include <immintrin.h>

namespace Quib {

namespace {

// The texel coordinates of eight neighbouring pixels, stepped eight pixels
// on at a time; the sums wrap as the filler's own do. The first and last
// lanes' coordinates are kept in scalars as well.
struct Lanes {
    __m256i u, v, du8, dv8;
    int32_t u0, v0, u7, v7, du8s, dv8s;

    explicit Lanes(const NearestSpan& s)
    {
        const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        u = _mm256_add_epi32(_mm256_set1_epi32(s.u), _mm256_mullo_epi32(steps, _mm256_set1_epi32(s.du)));
        v = _mm256_add_epi32(_mm256_set1_epi32(s.v), _mm256_mullo_epi32(steps, _mm256_set1_epi32(s.dv)));
        du8 = _mm256_slli_epi32(_mm256_set1_epi32(s.du), 3);
        dv8 = _mm256_slli_epi32(_mm256_set1_epi32(s.dv), 3);
        u0 = s.u;
        v0 = s.v;
        u7 = Step(s.u, s.du, 7);
        v7 = Step(s.v, s.dv, 7);
        du8s = Step(0, s.du, 8);
        dv8s = Step(0, s.dv, 8);
    }
    static int32_t Step(int32_t c, int32_t d, uint32_t n)
    {
        return static_cast<int32_t>(static_cast<uint32_t>(c) + static_cast<uint32_t>(d) * n);
    }
    void Advance()
    {
        u = _mm256_add_epi32(u, du8);
        v = _mm256_add_epi32(v, dv8);
        u0 = Step(u0, du8s, 1);
        v0 = Step(v0, dv8s, 1);
        u7 = Step(u7, du8s, 1);
        v7 = Step(v7, dv8s, 1);
    }
};

// Whether every coordinate of the span lies inside the texture: they move
// linearly (no step wraps), so the two ends tell.
bool Inside(const NearestSpan& s, const SpanTexels& t)
{
    const auto inside = [&s](int32_t c, int32_t d, int32_t count) {
        const int64_t end = int64_t{c} + int64_t{d} * (s.count - 1);
        return (c < end ? c : end) >= 0 && (c < end ? end : c) < (int64_t{count} << 16);
    };
    return s.count > 0 && inside(s.u, s.du, t.width) && inside(s.v, s.dv, t.height);
}

// Calls body(texels, i, tail, mask) with the nearest texels of each group of
// eight pixels i .. i + 7 of the span, and returns the span's length. The
// last group may be short (tail): mask then has all bits set in the lanes
// of the span's pixels.
// A coordinate's whole part is held to 0 .. count - 1. Where a span lies
// inside the texture and steps less than two texels across per pixel, the
// eight texels of a group on one texture row lie within sixteen words:
// they come from two row loads and lane permutes. Other groups gather.
template <class Body>
int32_t ForEachGroup(const NearestSpan& s, const SpanTexels& t, Body&& body)
{
    Lanes lanes(s);
    const int* words = reinterpret_cast<const int*>(t.pixels);
    const __m256i width = _mm256_set1_epi32(t.width);
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i lastX = _mm256_set1_epi32(t.width - 1), lastY = _mm256_set1_epi32(t.height - 1);
    const auto Held = [&](const Lanes& l) {
        const __m256i x = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(l.u, 16), zero), lastX);
        const __m256i y = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(l.v, 16), zero), lastY);
        return _mm256_i32gather_epi32(words, _mm256_add_epi32(_mm256_mullo_epi32(y, width), x), 4);
    };
    int32_t i = 0;
    if (t.width >= 16 && s.du > -0x20000 && s.du < 0x20000 && Inside(s, t)) {
        const __m256i seven = _mm256_set1_epi32(7);
        const int32_t lastBase = t.width - 16;
        for (; i + 8 <= s.count; i += 8, lanes.Advance()) {
            const __m256i x = _mm256_srai_epi32(lanes.u, 16);
            const int32_t y = lanes.v0 >> 16;
            __m256i texels;
            if (y == lanes.v7 >> 16) [[likely]] {
                const int32_t low = (lanes.u0 < lanes.u7 ? lanes.u0 : lanes.u7) >> 16;
                const int32_t base = low < lastBase ? low : lastBase;
                const uint32_t* row = t.pixels + (int64_t{y} * t.width + base);
                const __m256i at = _mm256_sub_epi32(x, _mm256_set1_epi32(base));
                // The permutes read the low three bits of each lane's index.
                const __m256i first =
                    _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)), at);
                const __m256i second =
                    _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8)), at);
                texels = _mm256_blendv_epi8(first, second, _mm256_cmpgt_epi32(at, seven));
            } else {
                const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(lanes.v, 16), width), x);
                texels = _mm256_i32gather_epi32(words, index, 4);
            }
            body(texels, i, false, ones);
        }
    }
    for (; i + 8 <= s.count; i += 8, lanes.Advance())
        body(Held(lanes), i, false, ones);
    if (i < s.count) {
        // The last few pixels: the lanes past the span's end are held to the
        // texture like the others and are neither read nor written.
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(s.count - i), steps);
        body(Held(lanes), i, true, mask);
        i = s.count;
    }
    return i;
}

// Eight destination pixels, or those of the mask's lanes (tail).
__m256i Load(const uint8_t* p, bool tail, __m256i mask)
{
    return tail ? _mm256_maskload_epi32(reinterpret_cast<const int*>(p), mask)
                : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
void Store(uint8_t* p, __m256i v, bool tail, __m256i mask)
{
    if (tail)
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), mask, v);
    else
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

bool Usable(const SpanTexels& t)
{
    return t.pixels && t.width > 0 && t.height > 0;
}

// Opaque: each texel with alpha 0xFF.
int32_t OpaqueSpan(const NearestSpan& s, const SpanTexels& t, const FillerColor&)
{
    if (!Usable(t))
        return 0;
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000));
    return ForEachGroup(s, t, [&](__m256i texels, int32_t i, bool tail, __m256i mask) {
        Store(s.p + 4 * i, _mm256_or_si256(texels, alpha), tail, mask);
    });
}

// Into 0x..RRGGBB pixels written with alpha 0xFF. The texel's alpha A
// (Alpha: its top byte, else 255) skips the pixel when A <= 8; the
// colour m is the texel's (Mod: each channel c f >> 8 by the drawing colour
// f) and the effective alpha a is A (Mod: fa A >> 8). a >= 240 writes m,
// else each channel (m a >> 8) + (d (255 - a) >> 8). Every product fits 16
// bits, so the channels go through 16-bit lanes, four pixels a half.
template <bool Alpha, bool Mod>
int32_t Span888(const NearestSpan& s, const SpanTexels& t, const FillerColor& colour)
{
    if (!Usable(t))
        return 0;
    if (Mod && ((colour.alpha | colour.red | colour.green | colour.blue) & ~0xFF) != 0)
        return 0; // channels past 0..255: the plain loop's 32-bit arithmetic
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1);
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000)), rgbMask = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i k255 = _mm256_set1_epi32(255), k239 = _mm256_set1_epi32(239), k9 = _mm256_set1_epi32(9);
    const __m256i k255x16 = _mm256_set1_epi16(255);
    const __m256i fa = _mm256_set1_epi32(colour.alpha);
    // Blue, green, red, then 0 for the alpha byte.
    const __m256i f16 = _mm256_set1_epi64x(static_cast<long long>(uint64_t(uint32_t(colour.blue)) |
                                                                 uint64_t(uint32_t(colour.green)) << 16 |
                                                                 uint64_t(uint32_t(colour.red)) << 32));
    return ForEachGroup(s, t, [&](__m256i texel, int32_t i, bool tail, __m256i mask) {
        uint8_t* dp = s.p + 4 * i;
        const __m256i A = Alpha ? _mm256_srli_epi32(texel, 24) : k255;
        const __m256i skip = Alpha ? _mm256_cmpgt_epi32(k9, A) : zero;
        if (Alpha && _mm256_testc_si256(skip, ones))
            return;
        __m256i m, a;
        if constexpr (Mod) {
            const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(texel, zero), f16), 8);
            const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(texel, zero), f16), 8);
            m = _mm256_packus_epi16(lo, hi);
            a = _mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(fa, A), 8), k255);
        } else {
            m = _mm256_and_si256(texel, rgbMask);
            a = A;
        }
        const __m256i opaque = _mm256_cmpgt_epi32(a, k239);
        const __m256i written = _mm256_or_si256(m, alphaMask);
        if (_mm256_testc_si256(opaque, ones)) {
            Store(dp, written, tail, mask);
            return;
        }
        const __m256i d = Load(dp, tail, mask);
        __m256i out = written;
        if (!_mm256_testc_si256(_mm256_or_si256(opaque, skip), ones)) {
            const __m256i aa = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
            const auto half = [&](__m256i m16, __m256i d16, __m256i a16) {
                return _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(m16, a16), 8),
                                        _mm256_srli_epi16(_mm256_mullo_epi16(d16, _mm256_sub_epi16(k255x16, a16)), 8));
            };
            const __m256i lo = half(_mm256_unpacklo_epi8(m, zero), _mm256_unpacklo_epi8(d, zero),
                                    _mm256_unpacklo_epi32(aa, aa));
            const __m256i hi = half(_mm256_unpackhi_epi8(m, zero), _mm256_unpackhi_epi8(d, zero),
                                    _mm256_unpackhi_epi32(aa, aa));
            out = _mm256_blendv_epi8(_mm256_or_si256(_mm256_packus_epi16(lo, hi), alphaMask), written, opaque);
        }
        if constexpr (Alpha)
            out = _mm256_blendv_epi8(out, d, skip);
        Store(dp, out, tail, mask);
    });
}

} // namespace

void FillAvx2FillerSpans(FillerSpanKernels& kernels)
{
    kernels.opaque = OpaqueSpan;
    kernels.blended888 = Span888<true, false>;
    kernels.modulated888 = Span888<false, true>;
    kernels.blendedModulated888 = Span888<true, true>;
}

} // namespace Quib

#else

namespace Quib {

void FillAvx2FillerSpans(FillerSpanKernels&) {}

} // namespace Quib

#endif
