// The SSE2 loops: four pixels (or two filter cells) per vector. Built with
// the compiler's default flags; on a processor without SSE2 the table keeps
// the portable loops.

#include "framework/graphics/loops/PixelLoops.h"

#ifdef __SSE2__
#include <emmintrin.h>

namespace Quib {

namespace {

// The family below: the portable loops, for the ends of rows.
PixelLoopTable lower;

// Four pixels of the white additive blit with translucent pixels: each
// channel + (s * sA >> 8), saturated; alpha kept.
inline __m128i AddWeightedWhite4(__m128i d, __m128i s)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
    __m128i lo = _mm_unpacklo_epi8(s, zero);
    __m128i hi = _mm_unpackhi_epi8(s, zero);
    __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, 0xFF), 0xFF);
    __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, 0xFF), 0xFF);
    lo = _mm_srli_epi16(_mm_mullo_epi16(lo, alo), 8);
    hi = _mm_srli_epi16(_mm_mullo_epi16(hi, ahi), 8);
    const __m128i add = _mm_and_si128(_mm_packus_epi16(lo, hi), rgbMask);
    return _mm_adds_epu8(d, add);
}

void AdditiveWhiteRow(uint32_t* d, const uint32_t* s, int width, bool translucent)
{
    const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000));
    int i = 0;
    for (; i + 4 <= width; i += 4) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i* dp = reinterpret_cast<__m128i*>(d + i);
        if (!translucent) {
            _mm_storeu_si128(dp, _mm_adds_epu8(_mm_loadu_si128(dp), _mm_and_si128(sv, rgbMask)));
            continue;
        }
        // Four pixels of alpha 0 add nothing.
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, alphaMask), _mm_setzero_si128())) == 0xFFFF)
            continue;
        _mm_storeu_si128(dp, AddWeightedWhite4(_mm_loadu_si128(dp), sv));
    }
    if (i < width)
        lower.additiveWhiteRow(d + i, s + i, width - i, translucent);
}

// ---- The filtered stretch in 16-bit sums, two cells or two pixels at a time.

inline __m128i Weights(const uint16_t* weights, int i)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(i) * 8));
}

template <class Pixel>
void FilterRow16(const Filter16Row& in, Pixel px, uint16_t* row)
{
    const int* c0 = in.column;
    const int* c1 = in.column1;
    const __m128i zero = _mm_setzero_si128();
    const int width = in.width;
    int i = 0;
    for (; i + 2 <= width; i += 2) {
        const __m128i v = _mm_set_epi32(int(px(c1[i + 1])), int(px(c0[i + 1])), int(px(c1[i])), int(px(c0[i])));
        const __m128i ml = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), Weights(in.weights, i));
        const __m128i mh = _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), Weights(in.weights, i + 1));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(ml, mh), _mm_unpackhi_epi64(ml, mh));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + size_t(i) * 4), sum);
    }
    if (i < width) {
        const __m128i v = _mm_set_epi32(0, 0, int(px(c1[i])), int(px(c0[i])));
        const __m128i m = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), Weights(in.weights, i));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + size_t(i) * 4), _mm_add_epi16(m, _mm_srli_si128(m, 8)));
    }
}

void StretchFilterRow16(const Filter16Row& in, uint16_t* row)
{
    if (in.palette)
        FilterRow16(in, [&](int x) { return in.palette[in.indices[x]]; }, row);
    else
        FilterRow16(in, [&](int x) { return in.bits[x]; }, row);
}

// Filtered values (a w + b (256 - w)) >> 16 of eight 16-bit sums.
inline __m128i VerticalMix(__m128i a, __m128i b, __m128i w, __m128i w2)
{
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const __m128i lo1 = _mm_mullo_epi16(a, w), hi1 = _mm_mulhi_epu16(a, w);
    const __m128i lo2 = _mm_mullo_epi16(b, w2), hi2 = _mm_mulhi_epu16(b, w2);
    const __m128i lo = _mm_add_epi16(lo1, lo2);
    // Carry out of the low halves: lo < lo1, unsigned.
    const __m128i carry = _mm_cmplt_epi16(_mm_xor_si128(lo, flip), _mm_xor_si128(lo1, flip));
    return _mm_sub_epi16(_mm_add_epi16(hi1, hi2), carry);
}

// Output of two pixels: F the filtered b, g, r, a (16-bit lanes), d the
// destination pixels.
inline __m128i StretchOutput(__m128i F, __m128i d16)
{
    const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(F, 0xFF), 0xFF);
    const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(256), u);
    const __m128i colour = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(F, u), 8),
                                         _mm_srli_epi16(_mm_mullo_epi16(d16, inv), 8));
    // Alpha: dA + (255 - dA) u / 255, the division as (x + 1 + (x >> 8)) >> 8.
    const __m128i x = _mm_mullo_epi16(_mm_sub_epi16(_mm_set1_epi16(255), d16), u);
    const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
    const __m128i alpha = _mm_add_epi16(d16, q);
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    return _mm_or_si128(_mm_and_si128(alphaLanes, alpha), _mm_andnot_si128(alphaLanes, colour));
}

void StretchEmitRow16(uint32_t* d, const uint16_t* a, const uint16_t* b, int width, uint32_t weight)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i alpha255 = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
    const __m128i w = _mm_set1_epi16(short(weight));
    const __m128i w2 = _mm_set1_epi16(short(256 - weight));
    // Two pixels per vector; u = 255 on every pixel (an opaque source)
    // gives colour F * 255 >> 8 (the destination's share d >> 8 is 0)
    // and alpha 255 without reading the destination.
    auto pair = [&](int at, __m128i F, bool opaque) {
        if (opaque)
            return _mm_or_si128(_mm_srli_epi16(_mm_mullo_epi16(F, _mm_set1_epi16(255)), 8), alpha255);
        const __m128i d16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + at)), zero);
        return StretchOutput(F, d16);
    };
    auto mix = [&](int at) {
        return VerticalMix(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + size_t(at) * 4)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + size_t(at) * 4)), w, w2);
    };
    int i = 0;
    for (; i + 4 <= width; i += 4) {
        const __m128i F1 = mix(i), F2 = mix(i + 2);
        const __m128i alphas = _mm_and_si128(_mm_and_si128(F1, F2), alphaLanes);
        const bool opaque = (_mm_movemask_epi8(_mm_cmpeq_epi16(alphas, alpha255)) & 0xC0C0) == 0xC0C0;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_packus_epi16(pair(i, F1, opaque), pair(i + 2, F2, opaque)));
    }
    for (; i + 2 <= width; i += 2)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(pair(i, mix(i), false), zero));
    if (i < width) {
        // The last odd pixel: the same arithmetic on one lane.
        const __m128i av = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + size_t(i) * 4));
        const __m128i bv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + size_t(i) * 4));
        const __m128i F = VerticalMix(av, bv, w, w2);
        const __m128i d16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(d[i])), zero);
        d[i] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(StretchOutput(F, d16), zero)));
    }
}

// ---- Surface rows with whole-byte channels

void BlendBytesRow(uint32_t* d, int n, uint32_t term, uint32_t inv)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i weight = _mm_set1_epi16(int16_t(inv));
    const __m128i terms = _mm_unpacklo_epi8(_mm_set1_epi32(int(term)), zero);
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(d + i);
        const __m128i dv = _mm_loadu_si128(p);
        auto half = [&](__m128i wide) {
            return _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(wide, weight), 8), terms);
        };
        const __m128i lo = half(_mm_unpacklo_epi8(dv, zero)), hi = half(_mm_unpackhi_epi8(dv, zero));
        _mm_storeu_si128(p, _mm_and_si128(_mm_packus_epi16(lo, hi), keep));
    }
    if (i < n)
        lower.blendBytesRow(d + i, n - i, term, inv);
}

void AddBytesRow(uint32_t* d, const uint32_t* s, int n)
{
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(d + i);
        const __m128i sum = _mm_adds_epu8(_mm_loadu_si128(p), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        _mm_storeu_si128(p, _mm_and_si128(sum, keep));
    }
    if (i < n)
        lower.addBytesRow(d + i, s + i, n - i);
}

// The low halves of the words, eight at a time (sign-extended so that the
// signed pack keeps them as they are).
void NarrowRow(uint16_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
        const __m128i packed = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(lo, 16), 16),
                                               _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), packed);
    }
    if (i < n)
        lower.narrowRow(d + i, s + i, n - i);
}

// ---- Image copies into the 32-bit surface layout

// Each 16-bit lane set to the alpha lane of its pixel.
inline __m128i AlphaLanes(__m128i wide)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(wide, 0xFF), 0xFF);
}

void PremulOverRow(uint32_t* d, const uint32_t* s, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(d + i);
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i dv = _mm_loadu_si128(p);
        const __m128i invLo = _mm_sub_epi16(full, AlphaLanes(_mm_unpacklo_epi8(sv, zero)));
        const __m128i invHi = _mm_sub_epi16(full, AlphaLanes(_mm_unpackhi_epi8(sv, zero)));
        const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), invLo), 8);
        const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), invHi), 8);
        _mm_storeu_si128(p, _mm_add_epi32(sv, _mm_and_si128(_mm_packus_epi16(lo, hi), keep)));
    }
    if (i < n)
        lower.premulOverRow(d + i, s + i, n - i);
}

// Per channel in 16-bit lanes. A source channel never above its alpha
// (as in premultiplied words) keeps s * k + d * inv below 65535, so the
// lanes give the word sums exactly; a group with a channel above its alpha
// goes to the family below.
void ModulateOverRow(uint32_t* d, const uint32_t* s, int n, const uint32_t* k, uint32_t colorAlpha)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
    const __m128i factors = _mm_set_epi16(0, int16_t(k[0]), int16_t(k[1]), int16_t(k[2]), 0, int16_t(k[0]),
                                          int16_t(k[1]), int16_t(k[2]));
    const __m128i colorA = _mm_set1_epi16(int16_t(colorAlpha));
    // Source alpha 255 under colour alpha 255 weighs the destination 0.
    const __m128i solid = _mm_set1_epi16(colorAlpha == 255 ? 255 : 0x7FFF);
    const __m128i div255 = _mm_set1_epi16(int16_t(0x8081));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(d + i);
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i sLo = _mm_unpacklo_epi8(sv, zero), sHi = _mm_unpackhi_epi8(sv, zero);
        const __m128i aLo = AlphaLanes(sLo), aHi = AlphaLanes(sHi);
        const __m128i over = _mm_or_si128(_mm_subs_epu16(sLo, aLo), _mm_subs_epu16(sHi, aHi));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, zero)) != 0xFFFF) {
            lower.modulateOverRow(d + i, s + i, 4, k, colorAlpha);
            continue;
        }
        const __m128i dv = _mm_loadu_si128(p);
        auto half = [&](__m128i sw, __m128i a, __m128i dw) {
            // sA * colorAlpha / 255 as (x * 0x8081) >> 23, exact for 16-bit x.
            const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(a, colorA), div255), 7);
            const __m128i inv = _mm_andnot_si128(_mm_cmpeq_epi16(a, solid), _mm_sub_epi16(full, q));
            return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(sw, factors), _mm_mullo_epi16(dw, inv)), 8);
        };
        const __m128i lo = half(sLo, aLo, _mm_unpacklo_epi8(dv, zero));
        const __m128i hi = half(sHi, aHi, _mm_unpackhi_epi8(dv, zero));
        _mm_storeu_si128(p, _mm_and_si128(_mm_packus_epi16(lo, hi), keep));
    }
    if (i < n)
        lower.modulateOverRow(d + i, s + i, n - i, k, colorAlpha);
}

} // namespace

void FillSse2Loops(PixelLoopTable& table)
{
    lower = table;
    table.additiveWhiteRow = AdditiveWhiteRow;
    table.stretchFilterRow16 = StretchFilterRow16;
    table.stretchEmitRow16 = StretchEmitRow16;
    table.blendBytesRow = BlendBytesRow;
    table.addBytesRow = AddBytesRow;
    table.narrowRow = NarrowRow;
    table.premulOverRow = PremulOverRow;
    table.modulateOverRow = ModulateOverRow;
}

} // namespace Quib

#else

namespace Quib {

void FillSse2Loops(PixelLoopTable&) {}

} // namespace Quib

#endif
