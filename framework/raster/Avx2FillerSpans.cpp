// The AVX2 span kernels of the textured fillers: eight pixels per step.
// This file alone is built with -mavx2; nothing here runs unless the
// processor has AVX2, and everything but the function that hands the
// kernels out is internal to it, so no code built for AVX2 is shared with
// the rest of the program.

#include "framework/raster/FillerSpans.h"

#include <cstdint>

#ifdef __AVX2__
#include <immintrin.h>

namespace Quib {

namespace {

// The texel coordinates of eight neighbouring pixels, stepped eight pixels
// on at a time; the sums wrap as the filler's own do.
// The lanes' offsets from the first pixel's coordinates, and the step of
// eight pixels: the same for every span of a triangle.
struct LaneSteps {
    __m256i stepsU, stepsV, du8, dv8;

    LaneSteps(int32_t du, int32_t dv)
    {
        const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        stepsU = _mm256_mullo_epi32(steps, _mm256_set1_epi32(du));
        stepsV = _mm256_mullo_epi32(steps, _mm256_set1_epi32(dv));
        du8 = _mm256_slli_epi32(_mm256_set1_epi32(du), 3);
        dv8 = _mm256_slli_epi32(_mm256_set1_epi32(dv), 3);
    }
};

struct Lanes {
    __m256i u, v, du8, dv8, stepsU, stepsV;

    explicit Lanes(const NearestSpan& s) : Lanes(s, LaneSteps(s.du, s.dv)) {}
    Lanes(const NearestSpan& s, const LaneSteps& k)
        : u(_mm256_add_epi32(_mm256_set1_epi32(s.u), k.stepsU)),
          v(_mm256_add_epi32(_mm256_set1_epi32(s.v), k.stepsV)),
          du8(k.du8),
          dv8(k.dv8),
          stepsU(k.stepsU),
          stepsV(k.stepsV)
    {
    }
    void Advance()
    {
        u = _mm256_add_epi32(u, du8);
        v = _mm256_add_epi32(v, dv8);
    }
    // The lanes of the eight pixels from pixel k of the span on.
    Lanes At(const NearestSpan& s, int32_t k) const
    {
        Lanes at = *this;
        const auto from = [k](int32_t c, int32_t d) {
            return static_cast<int32_t>(static_cast<uint32_t>(c) + static_cast<uint32_t>(d) * static_cast<uint32_t>(k));
        };
        at.u = _mm256_add_epi32(_mm256_set1_epi32(from(s.u, s.du)), stepsU);
        at.v = _mm256_add_epi32(_mm256_set1_epi32(from(s.v, s.dv)), stepsV);
        return at;
    }
};

// Whether the span's coordinates move without wrapping, so that along it
// each texel column and row index only grows or only shrinks.
bool Monotonic(const NearestSpan& s)
{
    const auto fits = [&s](int32_t c, int32_t d) {
        const int64_t end = int64_t{c} + int64_t{d} * (s.count - 1);
        return end >= INT32_MIN && end <= INT32_MAX;
    };
    return fits(s.u, s.du) && fits(s.v, s.dv);
}

// Whether every coordinate of the span lies inside the texture (the two
// ends tell; inside, the coordinates cannot have wrapped).
bool Inside(const NearestSpan& s, const SpanTexels& t)
{
    const auto inside = [&s](int32_t c, int32_t d, int32_t count) {
        const int64_t end = int64_t{c} + int64_t{d} * (s.count - 1);
        return (c < end ? c : end) >= 0 && (c < end ? end : c) < (int64_t{count} << 16);
    };
    return inside(s.u, s.du, t.width) && inside(s.v, s.dv, t.height);
}

// Lane k of a vector.
int32_t LaneAt(__m256i v, int32_t k)
{
    return _mm256_cvtsi256_si32(_mm256_permutevar8x32_epi32(v, _mm256_set1_epi32(k)));
}

// Eight texels of one texture row: row points at the row's column base,
// at holds each lane's column less base (0 .. 15), and two loads of eight
// words and two lane permutes (which read the low three bits) give them.
__m256i RowWindow(const uint32_t* row, __m256i at)
{
    const __m256i first = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)), at);
    const __m256i second =
        _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8)), at);
    return _mm256_blendv_epi8(first, second, _mm256_cmpgt_epi32(at, _mm256_set1_epi32(7)));
}

// The words of base at the eight lanes' indices, by plain loads: a gather
// instruction is slower than these on some processors.
[[gnu::always_inline]] inline __m256i LoadWords(const uint32_t* base, __m256i at)
{
    alignas(32) int32_t k[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(k), at);
    const __m128i lo = _mm_setr_epi32(static_cast<int>(base[k[0]]), static_cast<int>(base[k[1]]),
                                      static_cast<int>(base[k[2]]), static_cast<int>(base[k[3]]));
    const __m128i hi = _mm_setr_epi32(static_cast<int>(base[k[4]]), static_cast<int>(base[k[5]]),
                                      static_cast<int>(base[k[6]]), static_cast<int>(base[k[7]]));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// The same in the mask's lanes, 0 in the others (whose indices may lie
// anywhere: they read word 0).
[[gnu::always_inline]] inline __m256i LoadWords(const uint32_t* base, __m256i at, __m256i mask)
{
    return _mm256_and_si256(LoadWords(base, _mm256_and_si256(at, mask)), mask);
}

// Two neighbouring words of base from each of the eight lanes' indices:
// first holds the words at the indices, second those after them.
[[gnu::always_inline]] inline void LoadWordPairs(const uint32_t* base, __m256i at, __m256i& first, __m256i& second)
{
    alignas(32) int32_t k[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(k), at);
    const auto pair = [base](int32_t i) {
        long long w;
        __builtin_memcpy(&w, base + i, sizeof w);
        return w;
    };
    const __m256i a = _mm256_setr_epi64x(pair(k[0]), pair(k[1]), pair(k[2]), pair(k[3]));
    const __m256i b = _mm256_setr_epi64x(pair(k[4]), pair(k[5]), pair(k[6]), pair(k[7]));
    const __m256i split = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    const __m256i sa = _mm256_permutevar8x32_epi32(a, split), sb = _mm256_permutevar8x32_epi32(b, split);
    first = _mm256_permute2x128_si256(sa, sb, 0x20);
    second = _mm256_permute2x128_si256(sa, sb, 0x31);
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

// Draws a span through pixels.Compose(texels, destination, tail, mask,
// store), which gives the eight pixels a group becomes from its texels and
// its pixels at destination (read only when needed, and only in the mask's
// lanes when tail), and clears store when the group stays as it is. Each
// pixel's result depends on that pixel alone.
//
// The texels: a coordinate's whole part is held to 0 .. count - 1. Where a
// span steps less than two texels across per pixel, the pixels of a group
// lie within sixteen texels of a row, or of two neighbouring rows: they
// come from row loads and lane permutes (the lanes' columns and rows lie
// between those of the group's first and last pixels). Other groups load
// their texels one by one.
//
// A span of eight pixels or more ends on a whole group that overlaps the
// one before: it is composed from the destination before anything is
// written and stored last, so its overlapping pixels get the values they
// already have. Shorter spans go through the lane mask.
template <class Pixels>
[[gnu::always_inline]] inline int32_t DrawSpan(const NearestSpan& span, const SpanTexels& texture,
                                               const Pixels& pixels, const LaneSteps& laneSteps)
{
    // Copies: the destination stores cannot make them reload.
    const NearestSpan s = span;
    const SpanTexels t = texture;
    uint8_t* const p = s.p;
    const __m256i width = _mm256_set1_epi32(t.width);
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1), seven = _mm256_set1_epi32(7);
    const __m256i lastX = _mm256_set1_epi32(t.width - 1), lastY = _mm256_set1_epi32(t.height - 1);
    const int32_t lastBase = t.width - 16;
    const bool steps = t.width >= 16 && s.du > -0x20000 && s.du < 0x20000;
    const bool inside = s.count >= 8 && Inside(s, t);
    const bool rows = steps && (inside || Monotonic(s));
    const bool forward = s.du >= 0;
    // The texels at columns x and rows y (inside the texture) of a group
    // whose last pixel is lane last; spanLanes holds the lanes of its pixels.
    const auto fetch = [&](__m256i x, __m256i y, int32_t last, __m256i spanLanes) {
        if (rows) [[likely]] {
            const int32_t low = forward ? _mm256_cvtsi256_si32(x) : LaneAt(x, last);
            const int32_t base = low < lastBase ? low : lastBase;
            const __m256i at = _mm256_sub_epi32(x, _mm256_set1_epi32(base));
            const int32_t yA = _mm256_cvtsi256_si32(y);
            const __m256i texels = RowWindow(t.pixels + (int64_t{yA} * t.width + base), at);
            if (_mm256_testc_si256(_mm256_cmpeq_epi32(y, _mm256_permutevar8x32_epi32(y, zero)), spanLanes))
                return texels;
            const int32_t yB = LaneAt(y, last);
            if (yA - yB <= 1 && yB - yA <= 1)
                return _mm256_blendv_epi8(texels, RowWindow(t.pixels + (int64_t{yB} * t.width + base), at),
                                          _mm256_cmpeq_epi32(y, _mm256_set1_epi32(yB)));
        }
        return LoadWords(t.pixels, _mm256_add_epi32(_mm256_mullo_epi32(y, width), x));
    };
    const auto held = [&](const Lanes& l, int32_t last, __m256i spanLanes) {
        const __m256i x = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(l.u, 16), zero), lastX);
        const __m256i y = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(l.v, 16), zero), lastY);
        return fetch(x, y, last, spanLanes);
    };
    Lanes lanes(s, laneSteps);
    bool store = true;
    if (s.count < 8) {
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(s.count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i out = pixels.Compose(held(lanes, s.count - 1, mask), p, true, mask, store);
        if (store)
            Store(p, out, true, mask);
        return s.count;
    }
    // The last group, from the destination as it is now.
    const int32_t lastGroup = s.count - 8;
    uint8_t* const lastPixels = p + 4 * lastGroup;
    const Lanes end = lanes.At(s, lastGroup);
    bool storeLast = true;
    const __m256i lastOut =
        pixels.Compose(inside ? fetch(_mm256_srai_epi32(end.u, 16), _mm256_srai_epi32(end.v, 16), 7, ones)
                              : held(end, 7, ones),
                       lastPixels, false, ones, storeLast);
    int32_t i = 0;
    // Pixel k's column is the first's plus k while the column's fraction,
    // moving by du - 1 texel a pixel, stays within a texel at both ends.
    const int64_t lastV = int64_t{s.v} + int64_t{s.dv} * (s.count - 1);
    const int64_t lastFraction = int64_t{s.u & 0xFFFF} + (int64_t{s.du} - 0x10000) * (s.count - 1);
    if (inside && lastFraction >= 0 && lastFraction <= 0xFFFF && (s.v >> 16) == (lastV >> 16)) {
        // A texel a pixel along one row: the span copies the row's words.
        const uint32_t* row = t.pixels + (int64_t{s.v >> 16} * t.width + (s.u >> 16));
        for (; i < lastGroup; i += 8) {
            const __m256i out = pixels.Compose(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i)),
                                               p + 4 * i, false, ones, store);
            if (store)
                Store(p + 4 * i, out, false, ones);
        }
    } else if (inside && steps) {
        // The common case, kept short: the group's lowest column (its first
        // lane's, or its last's when the span runs right to left) and its
        // first and last rows follow in scalars, and a group on one row
        // away from the texture's right end takes its columns relative to
        // the lowest.
        const __m256i lowest = forward ? zero : seven;
        const bool narrow = s.du >= -0x10000 && s.du <= 0x10000;
        uint32_t uLow = static_cast<uint32_t>(s.u) + (forward ? 0u : 7u * static_cast<uint32_t>(s.du));
        uint32_t v = static_cast<uint32_t>(s.v);
        const uint32_t du8 = static_cast<uint32_t>(s.du) * 8, dv8 = static_cast<uint32_t>(s.dv) * 8,
                       dv7 = static_cast<uint32_t>(s.dv) * 7;
        for (; i < lastGroup; i += 8, lanes.Advance(), uLow += du8, v += dv8) {
            const __m256i x = _mm256_srai_epi32(lanes.u, 16);
            const int32_t low = static_cast<int32_t>(uLow) >> 16, y = static_cast<int32_t>(v) >> 16;
            __m256i texels;
            if (low <= lastBase && y == static_cast<int32_t>(v + dv7) >> 16) [[likely]] {
                const uint32_t* row = t.pixels + (int64_t{y} * t.width + low);
                const __m256i at = _mm256_sub_epi32(x, _mm256_permutevar8x32_epi32(x, lowest));
                // At most a texel a pixel: the group's columns lie within
                // eight of the lowest, one load holds them.
                texels = narrow ? _mm256_permutevar8x32_epi32(
                                      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)), at)
                                : RowWindow(row, at);
            } else
                texels = fetch(x, _mm256_srai_epi32(lanes.v, 16), 7, ones);
            const __m256i out = pixels.Compose(texels, p + 4 * i, false, ones, store);
            if (store)
                Store(p + 4 * i, out, false, ones);
        }
    } else {
        for (; i < lastGroup; i += 8, lanes.Advance()) {
            const __m256i out = pixels.Compose(
                inside ? fetch(_mm256_srai_epi32(lanes.u, 16), _mm256_srai_epi32(lanes.v, 16), 7, ones)
                       : held(lanes, 7, ones),
                p + 4 * i, false, ones, store);
            if (store)
                Store(p + 4 * i, out, false, ones);
        }
    }
    if (storeLast)
        Store(lastPixels, lastOut, false, ones);
    return s.count;
}

bool Usable(const SpanTexels& t)
{
    return t.pixels && t.width > 0 && t.height > 0;
}

// Opaque: each texel with alpha 0xFF.
struct OpaquePixels {
    __m256i alpha = _mm256_set1_epi32(int(0xFF000000));

    __m256i Compose(__m256i texels, const uint8_t*, bool, __m256i, bool& store) const
    {
        store = true;
        return _mm256_or_si256(texels, alpha);
    }
};

int32_t OpaqueSpan(const NearestSpan& s, const SpanTexels& t, const FillerColor&)
{
    return Usable(t) ? DrawSpan(s, t, OpaquePixels(), LaneSteps(s.du, s.dv)) : 0;
}

// Into 0x..RRGGBB pixels written with alpha 0xFF. The texel's alpha A
// (Alpha: its top byte, else 255) skips the pixel when A <= 8; the
// colour m is the texel's (Mod: each channel c f >> 8 by the drawing colour
// f) and the effective alpha a is A (Mod: fa A >> 8). a >= 240 writes m,
// else each channel (m a >> 8) + (d (255 - a) >> 8). Every product fits 16
// bits, so the channels go through 16-bit lanes, four pixels a half.
template <bool Alpha, bool Mod>
struct Pixels888 {
    __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1);
    __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000)), rgbMask = _mm256_set1_epi32(0x00FFFFFF);
    __m256i k255 = _mm256_set1_epi32(255), k239 = _mm256_set1_epi32(239), k9 = _mm256_set1_epi32(9);
    __m256i k255x16 = _mm256_set1_epi16(255);
    __m256i fa;
    __m256i f16; // blue, green, red, then 0 for the alpha byte

    explicit Pixels888(const FillerColor& colour)
        : fa(_mm256_set1_epi32(colour.alpha)),
          f16(_mm256_set1_epi64x(static_cast<long long>(uint64_t(uint32_t(colour.blue)) |
                                                        uint64_t(uint32_t(colour.green)) << 16 |
                                                        uint64_t(uint32_t(colour.red)) << 32)))
    {
    }

    __m256i Compose(__m256i texel, const uint8_t* dp, bool tail, __m256i mask, bool& store) const
    {
        const __m256i A = Alpha ? _mm256_srli_epi32(texel, 24) : k255;
        const __m256i skip = Alpha ? _mm256_cmpgt_epi32(k9, A) : zero;
        store = true;
        if (Alpha && _mm256_testc_si256(skip, ones)) {
            store = false;
            return zero;
        }
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
        if (_mm256_testc_si256(opaque, ones))
            return written;
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
        return out;
    }
};

template <bool Alpha, bool Mod>
int32_t Span888(const NearestSpan& s, const SpanTexels& t, const FillerColor& colour)
{
    if (!Usable(t))
        return 0;
    if (Mod && ((colour.alpha | colour.red | colour.green | colour.blue) & ~0xFF) != 0)
        return 0; // channels past 0..255: the plain loop's 32-bit arithmetic
    return DrawSpan(s, t, Pixels888<Alpha, Mod>(colour), LaneSteps(s.du, s.dv));
}

// Bilinear into 0x..RRGGBB pixels, blended by the filter's alpha: the span
// starts half a texel back; each pixel's four taps at columns x, x + 1 and
// rows y, y + 1 (a tap outside the picture is 0) are weighted by their
// fractions times their alpha, the weights summing to the alpha S and the
// colour coming premultiplied. S <= 8 keeps the pixel, S >= 240 writes the
// colour, else each channel c + (d (255 - S) >> 8), at most 255. Mod: the
// filtered colour's channels are scaled by the drawing colour's (c f >> 8)
// and then by its alpha fa, and S by fa (fa S >> 8) for the rest, while
// S <= 8 still keeps the pixel.
//
// The taps of a group come from the texture rows under it (two, or three
// where the group crosses a row) through masked row loads and lane
// permutes, while its columns lie within fifteen of each other; the first
// group that does not is left, with the rest of the span, to the filler's
// own loop. The fractions are below 2^16 and the weights at most 255 in
// all, so the weights come from 16-bit high products and each channel's
// weighted sum fits 16 bits. A span of eight pixels or more ends on a whole
// group that overlaps the one before, composed from the destination before
// anything is written and stored last; a shorter one is one group under a
// lane mask.
template <bool Mod>
int32_t BilinearSpan888(const NearestSpan& span, const SpanTexels& texture, const FillerColor& colour)
{
    const NearestSpan s = span;
    const SpanTexels t = texture;
    if (!Usable(t) || s.count <= 0)
        return 0;
    if (Mod && ((colour.alpha | colour.red | colour.green | colour.blue) & ~0xFF) != 0)
        return 0; // channels past 0..255: the plain loop's 32-bit arithmetic
    NearestSpan back = s;
    back.u = static_cast<int32_t>(static_cast<uint32_t>(s.u) - 0x8000u);
    back.v = static_cast<int32_t>(static_cast<uint32_t>(s.v) - 0x8000u);
    if (!Monotonic(back))
        return 0;
    uint8_t* const p = s.p;
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), eight = _mm256_set1_epi32(8);
    const __m256i seven = _mm256_set1_epi32(7), one = _mm256_set1_epi32(1);
    const __m256i fracMask = _mm256_set1_epi32(0xFFFE), full = _mm256_set1_epi32(0x10000);
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF), gMask = _mm256_set1_epi32(0x0000FF00);
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000)), low8 = _mm256_set1_epi32(0xFF);
    const __m256i k239 = _mm256_set1_epi32(239), k9 = _mm256_set1_epi32(9), k255x16 = _mm256_set1_epi16(255);
    const __m256i widthV = _mm256_set1_epi32(t.width);
    const __m256i fa = _mm256_set1_epi32(colour.alpha),
                  fa16 = _mm256_set1_epi16(static_cast<int16_t>(colour.alpha));
    const __m256i f16 = _mm256_set1_epi64x(static_cast<long long>(uint64_t(uint32_t(colour.blue)) |
                                                                  uint64_t(uint32_t(colour.green)) << 16 |
                                                                  uint64_t(uint32_t(colour.red)) << 32));
    // Byte selections: a lane's low byte into both its halves; its green
    // and alpha bytes into the low bytes of its halves.
    const __m256i twice = _mm256_setr_epi8(0, -128, 0, -128, 4, -128, 4, -128, 8, -128, 8, -128, 12, -128, 12, -128,
                                           0, -128, 0, -128, 4, -128, 4, -128, 8, -128, 8, -128, 12, -128, 12, -128);
    const __m256i greenAlpha = _mm256_setr_epi8(1, -128, 3, -128, 5, -128, 7, -128, 9, -128, 11, -128, 13, -128, 15,
                                                -128, 1, -128, 3, -128, 5, -128, 7, -128, 9, -128, 11, -128, 13, -128,
                                                15, -128);
    const uint32_t du7 = static_cast<uint32_t>(s.du) * 7, dv7 = static_cast<uint32_t>(s.dv) * 7;

    // The eight pixels at dp of the group whose lanes are lanes, its first
    // lane's coordinates uA, vA, into result. The destination is read only in the mask's lanes when tail;
    // store is cleared when the group stays as it is.
    const auto group = [&](const Lanes& lanes, uint32_t uA, uint32_t vA, const uint8_t* dp, bool tail, __m256i mask,
                           __m256i& result, bool& store) __attribute__((always_inline))
    {
        const int32_t xA = static_cast<int32_t>(uA) >> 16, xB = static_cast<int32_t>(uA + du7) >> 16;
        const int32_t yA = static_cast<int32_t>(vA) >> 16, yB = static_cast<int32_t>(vA + dv7) >> 16;
        const int32_t low = xA < xB ? xA : xB, high = xA < xB ? xB : xA;
        const int32_t top = yA < yB ? yA : yB;
        __m256i t00, t10, t01, t11;
        if (high - low <= 14 && (yA < yB ? yB - yA : yA - yB) <= 1) {
            // Columns low .. low + 15 of a row, the columns outside the picture
            // (and rows outside it) read as 0.
            const __m256i columns = _mm256_add_epi32(_mm256_set1_epi32(low), steps);
            const __m256i in0 = _mm256_and_si256(_mm256_cmpgt_epi32(columns, _mm256_set1_epi32(-1)),
                                                 _mm256_cmpgt_epi32(widthV, columns));
            const __m256i columns8 = _mm256_add_epi32(columns, eight);
            const __m256i in1 = _mm256_and_si256(_mm256_cmpgt_epi32(columns8, _mm256_set1_epi32(-1)),
                                                 _mm256_cmpgt_epi32(widthV, columns8));
            const __m256i x = _mm256_srai_epi32(lanes.u, 16);
            const __m256i at = _mm256_sub_epi32(x, _mm256_set1_epi32(low)), at1 = _mm256_add_epi32(at, one);
            const __m256i second0 = _mm256_cmpgt_epi32(at, seven), second1 = _mm256_cmpgt_epi32(at1, seven);
            // The sixteen words of a row under the group, those outside the
            // picture 0.
            struct Window {
                __m256i a, b;
            };
            // A group whose taps lie within eight columns needs the first
            // eight words alone.
            const bool narrow = high - low <= 6;
            const bool interior = low >= 0 && low <= t.width - (narrow ? 8 : 16);
            const auto rowWindow = [&](int32_t row) -> Window {
                if (row < 0 || row >= t.height)
                    return {zero, zero};
                const int* words = reinterpret_cast<const int*>(
                    reinterpret_cast<uintptr_t>(t.pixels) +
                    4 * static_cast<uintptr_t>(int64_t{row} * t.width + low));
                const int* more = reinterpret_cast<const int*>(reinterpret_cast<uintptr_t>(words) + 32);
                if (interior)
                    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(words)),
                            narrow ? zero : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(more))};
                return {_mm256_maskload_epi32(words, in0), narrow ? zero : _mm256_maskload_epi32(more, in1)};
            };
            const Window r0 = rowWindow(top), r1 = rowWindow(top + 1);
            const Window r2 = yA != yB ? rowWindow(top + 2) : Window{zero, zero};
            // Every tap of the group is among these words: when none has an
            // alpha above 8, no weight sum can reach 9 and every pixel is kept.
            const __m256i most = _mm256_max_epu32(_mm256_max_epu32(_mm256_max_epu32(r0.a, r0.b),
                                                                   _mm256_max_epu32(r1.a, r1.b)),
                                                  _mm256_max_epu32(r2.a, r2.b));
            if (_mm256_testc_si256(_mm256_cmpgt_epi32(k9, _mm256_srli_epi32(most, 24)), ones)) {
                store = false;
                return;
            }
            struct Taps {
                __m256i left, right;
            };
            const auto rowTaps = [&](const Window& w) -> Taps {
                if (narrow)
                    return {_mm256_permutevar8x32_epi32(w.a, at), _mm256_permutevar8x32_epi32(w.a, at1)};
                return {_mm256_blendv_epi8(_mm256_permutevar8x32_epi32(w.a, at),
                                           _mm256_permutevar8x32_epi32(w.b, at), second0),
                        _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(w.a, at1),
                                           _mm256_permutevar8x32_epi32(w.b, at1), second1)};
            };
            const Taps t0 = rowTaps(r0), t1 = rowTaps(r1);
            t00 = t0.left;
            t10 = t0.right;
            t01 = t1.left;
            t11 = t1.right;
            if (yA != yB) {
                const Taps t2 = rowTaps(r2);
                const __m256i lower = _mm256_cmpeq_epi32(_mm256_srai_epi32(lanes.v, 16),
                                                         _mm256_set1_epi32(top + 1));
                t00 = _mm256_blendv_epi8(t00, t1.left, lower);
                t10 = _mm256_blendv_epi8(t10, t1.right, lower);
                t01 = _mm256_blendv_epi8(t01, t2.left, lower);
                t11 = _mm256_blendv_epi8(t11, t2.right, lower);
            }
        } else {
            // Taps spread wider (pictures shrunk, or turned): loaded one by
            // one, each under the mask of the picture.
            const __m256i x = _mm256_srai_epi32(lanes.u, 16), y = _mm256_srai_epi32(lanes.v, 16);
            const __m256i x1 = _mm256_add_epi32(x, one), y1 = _mm256_add_epi32(y, one);
            const auto inside = [&](__m256i c, __m256i count) {
                return _mm256_and_si256(_mm256_cmpgt_epi32(c, ones), _mm256_cmpgt_epi32(count, c));
            };
            const __m256i heightV = _mm256_set1_epi32(t.height);
            const __m256i inX = inside(x, widthV), inX1 = inside(x1, widthV);
            const __m256i inY = inside(y, heightV), inY1 = inside(y1, heightV);
            const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(y, widthV), x);
            const __m256i below = _mm256_add_epi32(at, widthV);
            if (_mm256_testc_si256(_mm256_and_si256(_mm256_and_si256(inX, inX1), _mm256_and_si256(inY, inY1)),
                                   ones)) {
                // Every tap inside: each lane's two taps of a row are neighbours.
                LoadWordPairs(t.pixels, at, t00, t10);
                LoadWordPairs(t.pixels, below, t01, t11);
            } else {
                t00 = LoadWords(t.pixels, at, _mm256_and_si256(inX, inY));
                t10 = LoadWords(t.pixels, _mm256_add_epi32(at, one), _mm256_and_si256(inX1, inY));
                t01 = LoadWords(t.pixels, below, _mm256_and_si256(inX, inY1));
                t11 = LoadWords(t.pixels, _mm256_add_epi32(below, one), _mm256_and_si256(inX1, inY1));
            }
        }
        // Fractions 1 .. 0xFFFF in the low half of each lane, 0 above.
        const __m256i fu = _mm256_add_epi32(_mm256_and_si256(lanes.u, fracMask), one);
        const __m256i fv = _mm256_add_epi32(_mm256_and_si256(lanes.v, fracMask), one);
        const __m256i gu = _mm256_sub_epi32(full, fu), gv = _mm256_sub_epi32(full, fv);
        const auto weight = [](__m256i a, __m256i b, __m256i texel) {
            return _mm256_mulhi_epu16(_mm256_mulhi_epu16(a, b), _mm256_srli_epi32(texel, 24));
        };
        const __m256i w00 = weight(gu, gv, t00), w10 = weight(fu, gv, t10), w01 = weight(gu, fv, t01),
                      w11 = weight(fu, fv, t11);
        const __m256i filtered = _mm256_and_si256(_mm256_add_epi32(_mm256_add_epi32(w00, w10),
                                                                   _mm256_add_epi32(w01, w11)),
                                                  low8);
        const __m256i skip = _mm256_cmpgt_epi32(k9, filtered);
        if (_mm256_testc_si256(skip, ones)) {
            store = false;
            return;
        }
        store = true;
        // Red and blue, and green and alpha, as pairs of 16-bit products.
        const auto both = [&](__m256i w) { return _mm256_shuffle_epi8(w, twice); };
        const __m256i b00 = both(w00), b10 = both(w10), b01 = both(w01), b11 = both(w11);
        const auto sum = [&](__m256i a00, __m256i a10, __m256i a01, __m256i a11) {
            return _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a00, b00), _mm256_mullo_epi16(a10, b10)),
                                    _mm256_add_epi16(_mm256_mullo_epi16(a01, b01), _mm256_mullo_epi16(a11, b11)));
        };
        const __m256i rb = sum(_mm256_and_si256(t00, rbMask), _mm256_and_si256(t10, rbMask),
                               _mm256_and_si256(t01, rbMask), _mm256_and_si256(t11, rbMask));
        const __m256i ga = sum(_mm256_shuffle_epi8(t00, greenAlpha), _mm256_shuffle_epi8(t10, greenAlpha),
                               _mm256_shuffle_epi8(t01, greenAlpha), _mm256_shuffle_epi8(t11, greenAlpha));
        __m256i m = _mm256_or_si256(_mm256_srli_epi16(rb, 8), _mm256_and_si256(ga, gMask));
        __m256i mLo = _mm256_unpacklo_epi8(m, zero), mHi = _mm256_unpackhi_epi8(m, zero);
        __m256i a = filtered;
        if constexpr (Mod) {
            // Every product fits 16 bits: channels and factors are 0 .. 255.
            const auto scale = [&](__m256i c16) {
                const __m256i c = _mm256_srli_epi16(_mm256_mullo_epi16(c16, f16), 8);
                return _mm256_srli_epi16(_mm256_mullo_epi16(c, fa16), 8);
            };
            mLo = scale(mLo);
            mHi = scale(mHi);
            m = _mm256_packus_epi16(mLo, mHi);
            a = _mm256_srli_epi32(_mm256_mullo_epi16(fa, filtered), 8);
        }
        const __m256i opaque = _mm256_cmpgt_epi32(a, k239);
        const __m256i written = _mm256_or_si256(m, alphaMask);
        if (_mm256_testc_si256(opaque, ones)) {
            result = written; // a > 239 needs S > 239: no pixel kept
            return;
        }
        const __m256i d = Load(dp, tail, mask);
        const __m256i aa = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
        const auto half = [&](__m256i m16, __m256i d16, __m256i a16) {
            return _mm256_add_epi16(m16,
                                    _mm256_srli_epi16(_mm256_mullo_epi16(d16, _mm256_sub_epi16(k255x16, a16)), 8));
        };
        const __m256i lo = half(mLo, _mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi32(aa, aa));
        const __m256i hi = half(mHi, _mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi32(aa, aa));
        const __m256i out = _mm256_blendv_epi8(_mm256_or_si256(_mm256_packus_epi16(lo, hi), alphaMask), written,
                                               opaque);
        result = _mm256_blendv_epi8(out, d, skip);
    };

    Lanes lanes(back);
    __m256i out = zero;
    bool store = true;
    if (s.count < 8) {
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(s.count), steps);
        group(lanes, static_cast<uint32_t>(back.u), static_cast<uint32_t>(back.v), p, true, mask, out, store);
        if (store)
            Store(p, out, true, mask);
        return s.count;
    }
    // The last group, from the destination as it is now.
    const int32_t lastGroup = s.count - 8;
    const uint32_t last = static_cast<uint32_t>(lastGroup);
    __m256i lastOut = zero;
    bool storeLast = true;
    group(lanes.At(back, lastGroup), static_cast<uint32_t>(back.u) + static_cast<uint32_t>(s.du) * last,
          static_cast<uint32_t>(back.v) + static_cast<uint32_t>(s.dv) * last, p + 4 * lastGroup, false, ones, lastOut,
          storeLast);
    uint32_t uA = static_cast<uint32_t>(back.u), vA = static_cast<uint32_t>(back.v);
    const uint32_t du8 = static_cast<uint32_t>(s.du) * 8, dv8 = static_cast<uint32_t>(s.dv) * 8;
    for (int32_t i = 0; i < lastGroup; i += 8, lanes.Advance(), uA += du8, vA += dv8) {
        group(lanes, uA, vA, p + 4 * i, false, ones, out, store);
        if (store)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i), out);
    }
    if (storeLast)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * lastGroup), lastOut);
    return s.count;
}

// Spans of one triangle: the kernel's set-up is done once for them all.
template <class Pixels>
void DrawSpans(const NearestSpan* spans, int32_t count, const SpanTexels& texture, const Pixels& pixels)
{
    if (count <= 0)
        return;
    const SpanTexels t = texture;
    const Pixels px = pixels;
    int32_t du = spans[0].du, dv = spans[0].dv;
    LaneSteps steps(du, dv);
    for (int32_t k = 0; k < count; ++k) {
        if (spans[k].du != du || spans[k].dv != dv) [[unlikely]] {
            du = spans[k].du;
            dv = spans[k].dv;
            steps = LaneSteps(du, dv);
        }
        DrawSpan(spans[k], t, px, steps);
    }
}

bool OpaqueSpans(const NearestSpan* spans, int32_t count, const SpanTexels& t, const FillerColor&)
{
    if (!Usable(t))
        return false;
    DrawSpans(spans, count, t, OpaquePixels());
    return true;
}

template <bool Alpha, bool Mod>
bool Spans888(const NearestSpan* spans, int32_t count, const SpanTexels& t, const FillerColor& colour)
{
    if (!Usable(t))
        return false;
    if (Mod && ((colour.alpha | colour.red | colour.green | colour.blue) & ~0xFF) != 0)
        return false; // channels past 0..255: the plain loop's 32-bit arithmetic
    DrawSpans(spans, count, t, Pixels888<Alpha, Mod>(colour));
    return true;
}

} // namespace

void FillAvx2FillerSpans(FillerSpanKernels& kernels)
{
    kernels.opaqueSpans = OpaqueSpans;
    kernels.blended888Spans = Spans888<true, false>;
    kernels.modulated888Spans = Spans888<false, true>;
    kernels.blendedModulated888Spans = Spans888<true, true>;
    kernels.opaque = OpaqueSpan;
    kernels.blended888 = Span888<true, false>;
    kernels.modulated888 = Span888<false, true>;
    kernels.blendedModulated888 = Span888<true, true>;
    kernels.bilinearBlended888 = BilinearSpan888<false>;
    kernels.bilinearBlendedModulated888 = BilinearSpan888<true>;
}

} // namespace Quib

#else

namespace Quib {

void FillAvx2FillerSpans(FillerSpanKernels&) {}

} // namespace Quib

#endif
