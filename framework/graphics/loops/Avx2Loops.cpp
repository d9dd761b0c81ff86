// The AVX2 loops: eight pixels (or four filter cells) per vector. This file
// alone is built with -mavx2; nothing here runs unless the processor has
// AVX2. Everything is internal to the file (the shared per-pixel rules are
// file-local copies), so no code built for AVX2 is shared with the others.

#include "framework/graphics/OverComposite.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/loops/PixelLoops.h"
#include "framework/graphics/loops/PortableRows.h"
#include "framework/graphics/loops/RotatedRules.h"

#include <cstring>

#ifdef __AVX2__
#include <immintrin.h>

namespace Quib {

namespace {

// The family below (SSE2), for the ends of rows.
PixelLoopTable lower;

// The white composite eight pixels at a time. Where all eight are opaque,
// a = 255 gives A = 255 and g = 255: red and green (255 s + d) >> 8, blue
// 255 s >> 8, that is each byte s - (d < s) with d's blue byte taken as 0.
// All eight transparent are skipped; mixed groups take their weights from
// the table.
void WhiteRow(uint32_t* d, const uint32_t* s, int width)
{
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i oneBytes = _mm256_set1_epi8(1);
    // The destination's red and green bytes.
    const __m256i redGreen = _mm256_set1_epi32(0x00FFFF00);
    const __m256i blueLanes = _mm256_set_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
    const int* table = reinterpret_cast<const int*>(OverWeightTable());
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        if (_mm256_testz_si256(sv, alphaMask))
            continue;
        __m256i* dp = reinterpret_cast<__m256i*>(d + i);
        const __m256i dv = _mm256_loadu_si256(dp);
        if (!_mm256_testc_si256(sv, alphaMask)) {
            // Mixed alphas: the weights of each pair from the table. A source
            // alpha of 0 gives g = 0 and A = dA, which leaves the pixel as it is.
            const __m256i idx = _mm256_or_si256(_mm256_slli_epi32(_mm256_srli_epi32(sv, 24), 8), _mm256_srli_epi32(dv, 24));
            const __m256i e = _mm256_and_si256(_mm256_i32gather_epi32(table, idx, 2), _mm256_set1_epi32(0xFFFF));
            const __m256i g = _mm256_and_si256(e, _mm256_set1_epi32(0xFF));
            const __m256i gg = _mm256_or_si256(g, _mm256_slli_epi32(g, 16));
            auto half = [&](__m256i s16, __m256i d16, __m256i G) {
                const __m256i ps = _mm256_mullo_epi16(s16, G);
                const __m256i pd = _mm256_mullo_epi16(d16, _mm256_sub_epi16(_mm256_set1_epi16(256), G));
                const __m256i rg = _mm256_srli_epi16(_mm256_add_epi16(ps, pd), 8);
                const __m256i b = _mm256_add_epi16(_mm256_srli_epi16(ps, 8), _mm256_srli_epi16(pd, 8));
                return _mm256_blendv_epi8(rg, b, blueLanes);
            };
            const __m256i lo = half(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(dv, zero), _mm256_unpacklo_epi32(gg, gg));
            const __m256i hi = half(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(dv, zero), _mm256_unpackhi_epi32(gg, gg));
            const __m256i colour = _mm256_andnot_si256(alphaMask, _mm256_packus_epi16(lo, hi));
            _mm256_storeu_si256(dp, _mm256_or_si256(colour, _mm256_slli_epi32(_mm256_srli_epi32(e, 8), 24)));
            continue;
        }
        // s > d' exactly where s - d' (saturated) is not 0.
        const __m256i below = _mm256_min_epu8(_mm256_subs_epu8(sv, _mm256_and_si256(dv, redGreen)), oneBytes);
        _mm256_storeu_si256(dp, _mm256_or_si256(_mm256_sub_epi8(sv, below), alphaMask));
    }
    if (i < width)
        lower.whiteRow(d + i, s + i, width - i);
}

// The white additive row, sixteen or eight pixels at a time on a 32-byte
// aligned destination (no load or store of it then crosses a cache line).
void AdditiveWhiteRow(uint32_t* d, const uint32_t* s, int width, bool translucent)
{
    const __m256i rgbMask = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000));
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i greenHigh = _mm256_set1_epi32(0x0000FF00);
    const __m256i one = _mm256_set1_epi8(1);
    // Each pixel's alpha byte into both of its 16-bit lanes.
    const __m256i alphaLanes = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, 3, -1, 3,
                                                -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
    // s * sA >> 8 per colour byte: blue and red in one 16-bit multiply per
    // lane, green (with alpha, dropped) in another.
    auto weighted = [&](__m256i sv) {
        if (!translucent)
            return _mm256_and_si256(sv, rgbMask);
        const __m256i a = _mm256_shuffle_epi8(sv, alphaLanes);
        const __m256i rb = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(sv, lowBytes), a), 8);
        const __m256i g = _mm256_and_si256(_mm256_mullo_epi16(_mm256_srli_epi16(sv, 8), a), greenHigh);
        return _mm256_or_si256(rb, g);
    };
    {
        const int alignHead = int((32 - (reinterpret_cast<uintptr_t>(d) & 31)) & 31) / 4;
        const int head = width < alignHead ? width : alignHead;
        int i = 0;
        for (; i < head; ++i)
            d[i] = AddWhite(d[i], s[i], translucent);
        for (; i + 16 <= width; i += 16) {
            const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 8));
            __m256i* dp = reinterpret_cast<__m256i*>(d + i);
            if (translucent && _mm256_testc_si256(_mm256_and_si256(s0, s1), alphaMask)) {
                // All opaque: s * 255 >> 8 is s - 1, or 0 for 0.
                _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp),
                                                         _mm256_and_si256(_mm256_subs_epu8(s0, one), rgbMask)));
                _mm256_storeu_si256(dp + 1, _mm256_adds_epu8(_mm256_loadu_si256(dp + 1),
                                                             _mm256_and_si256(_mm256_subs_epu8(s1, one), rgbMask)));
                continue;
            }
            // Sixteen pixels of alpha 0 add nothing when the weights apply.
            if (translucent && _mm256_testz_si256(_mm256_or_si256(s0, s1), alphaMask))
                continue;
            _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp), weighted(s0)));
            _mm256_storeu_si256(dp + 1, _mm256_adds_epu8(_mm256_loadu_si256(dp + 1), weighted(s1)));
        }
        for (; i + 8 <= width; i += 8) {
            const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            __m256i* dp = reinterpret_cast<__m256i*>(d + i);
            _mm256_storeu_si256(dp, _mm256_adds_epu8(_mm256_loadu_si256(dp), weighted(sv)));
        }
        for (; i < width; ++i)
            d[i] = AddWhite(d[i], s[i], translucent);
    }
}

// Eight rotated samples: the four neighbours of each (u, v) gathered, their
// bilinear weights times alpha, the coverage S and the premultiplied colour
// P (sum of c_i W_i) >> 8 per channel, as PremultipliedSample makes it.
struct RotatedSampler8 {
    const int* base;
    const int* right;
    const int* below;
    const int* belowRight;
    ptrdiff_t width;
    __m256i rowWords;

    RotatedSampler8(const PixelSource& src, const Rect& s)
    {
        base = reinterpret_cast<const int*>(src.bits + ptrdiff_t(s.y) * src.width + s.x);
        right = base + 1;
        below = base + src.width;
        belowRight = below + 1;
        width = src.width;
        rowWords = _mm256_set1_epi32(src.width);
    }

    // The four neighbours of each lane's texel at column x, row y. Lanes on
    // one row whose columns lie within fifteen of each other (a picture
    // turned a little) read their taps from two masked loads of each of
    // the two rows, permuted into place; others gather them.
    void Taps(__m256i x, __m256i y, __m256i* p) const
    {
        const __m256i zero = _mm256_setzero_si256(), seven = _mm256_set1_epi32(7), one = _mm256_set1_epi32(1);
        const int32_t xa = _mm256_cvtsi256_si32(x);
        const int32_t xb = _mm256_cvtsi256_si32(_mm256_permutevar8x32_epi32(x, seven));
        const int32_t low = xa < xb ? xa : xb, high = xa < xb ? xb : xa;
        if (high - low <= 14 &&
            _mm256_testc_si256(_mm256_cmpeq_epi32(y, _mm256_permutevar8x32_epi32(y, zero)), _mm256_set1_epi32(-1))) {
            // Words low .. high + 1 of the row, which the taps read anyway.
            const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
            const __m256i words = _mm256_set1_epi32(high + 2 - low);
            const __m256i in0 = _mm256_cmpgt_epi32(words, k);
            const __m256i in1 = _mm256_cmpgt_epi32(words, _mm256_add_epi32(k, _mm256_set1_epi32(8)));
            const __m256i at = _mm256_sub_epi32(x, _mm256_set1_epi32(low)), at1 = _mm256_add_epi32(at, one);
            const __m256i second = _mm256_cmpgt_epi32(at, seven), second1 = _mm256_cmpgt_epi32(at1, seven);
            const int* row = base + ptrdiff_t(_mm256_cvtsi256_si32(y)) * width + low;
            for (int r = 0; r < 2; ++r, row += width) {
                const __m256i a = _mm256_maskload_epi32(row, in0), b = _mm256_maskload_epi32(row + 8, in1);
                p[2 * r] = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(a, at), _mm256_permutevar8x32_epi32(b, at),
                                              second);
                p[2 * r + 1] = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(a, at1),
                                                  _mm256_permutevar8x32_epi32(b, at1), second1);
            }
            return;
        }
        const __m256i idx = _mm256_add_epi32(_mm256_mullo_epi32(y, rowWords), x);
        p[0] = _mm256_i32gather_epi32(base, idx, 4);
        p[1] = _mm256_i32gather_epi32(right, idx, 4);
        p[2] = _mm256_i32gather_epi32(below, idx, 4);
        p[3] = _mm256_i32gather_epi32(belowRight, idx, 4);
    }

    void Sample(__m256i U, __m256i V, __m256i& S, __m256i& P) const
    {
        const __m256i fracMask = _mm256_set1_epi32(0xFFFE), one = _mm256_set1_epi32(1);
        const __m256i full = _mm256_set1_epi32(65536);
        const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF), gMask = _mm256_set1_epi32(0x0000FF00);
        __m256i p[4];
        Taps(_mm256_srai_epi32(U, 16), _mm256_srai_epi32(V, 16), p);
        const __m256i fu = _mm256_add_epi32(_mm256_and_si256(U, fracMask), one);
        const __m256i fv = _mm256_add_epi32(_mm256_and_si256(V, fracMask), one);
        const __m256i iu = _mm256_sub_epi32(full, fu), iv = _mm256_sub_epi32(full, fv);
        const __m256i w[4] = {_mm256_srli_epi32(_mm256_mullo_epi32(iu, iv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(fu, iv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(iu, fv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(fu, fv), 16)};
        __m256i rb = _mm256_setzero_si256(), ga = _mm256_setzero_si256();
        S = _mm256_setzero_si256();
        for (int k = 0; k < 4; ++k) {
            const __m256i W = _mm256_srli_epi32(_mm256_mullo_epi32(w[k], _mm256_srli_epi32(p[k], 24)), 16);
            S = _mm256_add_epi32(S, W);
            rb = _mm256_add_epi32(rb, _mm256_mullo_epi32(_mm256_and_si256(p[k], rbMask), W));
            ga = _mm256_add_epi32(ga, _mm256_mullo_epi32(_mm256_and_si256(_mm256_srli_epi32(p[k], 8), rbMask), W));
        }
        P = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(rb, 8), rbMask), _mm256_and_si256(ga, gMask));
    }
};

// The source coordinates of eight neighbouring pixels of a span, stepped
// eight pixels on at a time.
struct RotatedLanes {
    __m256i U, V, dU8, dV8;
    RotatedLanes(int32_t u, int32_t v, int32_t du, int32_t dv)
    {
        const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        U = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(steps, _mm256_set1_epi32(du)));
        V = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(steps, _mm256_set1_epi32(dv)));
        dU8 = _mm256_set1_epi32(du * 8);
        dV8 = _mm256_set1_epi32(dv * 8);
    }
    void Advance()
    {
        U = _mm256_add_epi32(U, dU8);
        V = _mm256_add_epi32(V, dV8);
    }
};

// Eight pixels at a time of the opaque-white variants (normal or additive)
// from a source in bits form; the blend over a pixel that is not opaque is
// left to StoreNormal.
void RotatedWhiteSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv, const PixelSource& src,
                      const Rect& s, bool additive)
{
    const RotatedSampler8 sampler(src, s);
    RotatedLanes lanes(u, v, du, dv);
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF), gMask = _mm256_set1_epi32(0x0000FF00);
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000));
    const __m256i k255 = _mm256_set1_epi32(255), k256 = _mm256_set1_epi32(256), k250 = _mm256_set1_epi32(250);
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= count; i += 8, lanes.Advance()) {
        __m256i S, P;
        sampler.Sample(lanes.U, lanes.V, S, P);
        __m256i* dp = reinterpret_cast<__m256i*>(d + i);
        const __m256i dst = _mm256_loadu_si256(dp);
        if (additive) {
            // P is 0 where S is 0, and its alpha byte is 0.
            _mm256_storeu_si256(dp, _mm256_adds_epu8(dst, P));
            continue;
        }
        const __m256i inv = _mm256_sub_epi32(k256, S);
        const __m256i drb = _mm256_and_si256(
            _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_and_si256(dst, rbMask), k255), 8), rbMask);
        const __m256i dg = _mm256_and_si256(
            _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_and_si256(dst, gMask), k255), 8), gMask);
        const __m256i blend = _mm256_or_si256(
            alpha, _mm256_add_epi32(_mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(drb, inv), 8), rbMask),
                                                     _mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(dg, inv), 8), gMask)),
                                    P));
        const __m256i opaqueSample = _mm256_cmpgt_epi32(S, k250);
        const __m256i empty = _mm256_cmpeq_epi32(S, zero);
        __m256i out = _mm256_blendv_epi8(blend, _mm256_or_si256(P, alpha), opaqueSample);
        out = _mm256_blendv_epi8(out, dst, empty);
        _mm256_storeu_si256(dp, out);
        // Blends over pixels that are not opaque: the general rule.
        const __m256i destOpaque = _mm256_cmpeq_epi32(_mm256_srli_epi32(dst, 24), k255);
        const int general = _mm256_movemask_ps(_mm256_castsi256_ps(
            _mm256_andnot_si256(_mm256_or_si256(_mm256_or_si256(opaqueSample, empty), destOpaque), _mm256_set1_epi32(-1))));
        if (general) {
            alignas(32) uint32_t sv[8], pv[8], dv8[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(sv), S);
            _mm256_store_si256(reinterpret_cast<__m256i*>(pv), P);
            _mm256_store_si256(reinterpret_cast<__m256i*>(dv8), dst);
            for (int k = 0; k < 8; ++k)
                if (general & (1 << k))
                    d[i + k] = StoreNormal(dv8[k], sv[k], (pv[k] >> 16) & 0xFF, (pv[k] >> 8) & 0xFF, pv[k] & 0xFF);
        }
    }
    if (i < count)
        lower.rotatedWhiteSpan(d + i, count - i, u + i * du, v + i * dv, du, dv, src, s, additive);
}

// The opaque-white normal span into a 32-bit surface, eight pixels at a
// time: each channel P + (d * (256 - S) >> 8), where red and blue share one
// 16-bit multiply per lane (each product stays below 65536) and green takes
// another; pixels with S = 0 keep their word.
// The surface span of a picture moved without turning (u steps by one
// texel, v stays): the four bilinear weights are the same for the whole
// span and the taps of eight pixels are four plain loads. Per pixel the
// rule of RotatedSurfaceWhiteSpan in 16-bit lanes: W_k = w_k a_k >> 16, S
// their sum, each channel (sum c_k W_k >> 8) + (d (256 - S) >> 8); S = 0
// keeps the pixel.
void TranslatedWhiteSurfaceSpan(uint32_t* d, int count, int32_t u, int32_t v, const PixelSource& src, const Rect& s)
{
    const uint32_t fu = (uint32_t(u) & 0xFFFE) + 1, fv = (uint32_t(v) & 0xFFFE) + 1;
    const __m256i w[4] = {_mm256_set1_epi16(int16_t(((65536 - fu) * (65536 - fv)) >> 16)),
                          _mm256_set1_epi16(int16_t((fu * (65536 - fv)) >> 16)),
                          _mm256_set1_epi16(int16_t(((65536 - fu) * fv) >> 16)),
                          _mm256_set1_epi16(int16_t((fu * fv) >> 16))};
    const uint32_t* row = src.bits + ptrdiff_t(s.y + (v >> 16)) * src.width + s.x + (u >> 16);
    const uint32_t* below = row + src.width;
    const __m256i zero = _mm256_setzero_si256(), k256 = _mm256_set1_epi16(256);
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    // Eight pixels from the taps at r (and r + 1) and b (and b + 1).
    auto eight = [&](uint32_t* dp8, const uint32_t* r, const uint32_t* b) {
        const __m256i taps[4] = {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + 1)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 1))};
        __m256i* dp = reinterpret_cast<__m256i*>(dp8);
        const __m256i dst = _mm256_loadu_si256(dp);
        __m256i out[2], empty[2];
        for (int h = 0; h < 2; ++h) {
            __m256i S = zero, sum = zero;
            for (int k = 0; k < 4; ++k) {
                const __m256i t = h ? _mm256_unpackhi_epi8(taps[k], zero) : _mm256_unpacklo_epi8(taps[k], zero);
                const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(t, 0xFF), 0xFF);
                const __m256i W = _mm256_mulhi_epu16(a, w[k]);
                S = _mm256_add_epi16(S, W);
                sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(t, W));
            }
            const __m256i dw = h ? _mm256_unpackhi_epi8(dst, zero) : _mm256_unpacklo_epi8(dst, zero);
            const __m256i under = _mm256_srli_epi16(_mm256_mullo_epi16(dw, _mm256_sub_epi16(k256, S)), 8);
            out[h] = _mm256_add_epi16(_mm256_srli_epi16(sum, 8), under);
            empty[h] = _mm256_cmpeq_epi16(S, zero);
        }
        const __m256i packed = _mm256_and_si256(_mm256_packus_epi16(out[0], out[1]), keep);
        _mm256_storeu_si256(dp, _mm256_blendv_epi8(packed, dst, _mm256_packs_epi16(empty[0], empty[1])));
    };
    int i = 0;
    for (; i + 8 <= count; i += 8)
        eight(d + i, row + i, below + i);
    if (i < count) {
        // The last pixels through copies of what they read (the texels up
        // to one past the last pixel), so nothing beyond is touched.
        const int n = count - i;
        uint32_t r[9] = {}, b[9] = {}, tail[8] = {};
        std::memcpy(r, row + i, size_t(n + 1) * 4);
        std::memcpy(b, below + i, size_t(n + 1) * 4);
        std::memcpy(tail, d + i, size_t(n) * 4);
        eight(tail, r, b);
        std::memcpy(d + i, tail, size_t(n) * 4);
    }
}

void RotatedWhiteSurfaceSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv,
                             const PixelSource& src, const Rect& s)
{
    if (du == 65536 && dv == 0 && !src.palette) {
        TranslatedWhiteSurfaceSpan(d, count, u, v, src, s);
        return;
    }
    const RotatedSampler8 sampler(src, s);
    RotatedLanes lanes(u, v, du, dv);
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF), gMask = _mm256_set1_epi32(0x0000FF00);
    const __m256i low8 = _mm256_set1_epi32(0xFF), k256 = _mm256_set1_epi32(256);
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= count; i += 8, lanes.Advance()) {
        __m256i S, P;
        sampler.Sample(lanes.U, lanes.V, S, P);
        const __m256i empty = _mm256_cmpeq_epi32(S, zero);
        if (_mm256_testc_si256(empty, _mm256_set1_epi32(-1)))
            continue;
        __m256i* dp = reinterpret_cast<__m256i*>(d + i);
        const __m256i dst = _mm256_loadu_si256(dp);
        const __m256i inv = _mm256_sub_epi32(k256, S);
        const __m256i inv2 = _mm256_or_si256(inv, _mm256_slli_epi32(inv, 16));
        const __m256i rb = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(dst, rbMask), inv2), 8);
        const __m256i g =
            _mm256_and_si256(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(dst, 8), low8), inv2), gMask);
        const __m256i out = _mm256_add_epi32(_mm256_or_si256(rb, g), P);
        _mm256_storeu_si256(dp, _mm256_blendv_epi8(out, dst, empty));
    }
    if (i < count)
        lower.rotatedWhiteSurfaceSpan(d + i, count - i, u + i * du, v + i * dv, du, dv, src, s);
}

// ---- The filtered stretch in 16-bit sums, four cells or eight pixels at a time.
inline __m256i Weights2(const uint16_t* weights, int i, int j)
{
    return _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(j) * 8)),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + size_t(i) * 8)));
}

template <bool Bits, class Pixel>
void FilterRow16(const Filter16Row& in, Pixel px, uint16_t* row)
{
    const int* c0 = in.column;
    const int* c1 = in.column1;
    const uint16_t* weights = in.weights;
    const __m256i zero = _mm256_setzero_si256();
    const int width = in.width;
    int i = 0;
    if constexpr (Bits) {
        // Where each cell's two pixels are neighbours, one 64-bit load each.
        auto pair = [&](int k) {
            long long v;
            std::memcpy(&v, in.bits + c0[k], sizeof v);
            return v;
        };
        for (; i + 4 <= in.pairCells; i += 4) {
            const __m256i v = _mm256_set_epi64x(pair(i + 3), pair(i + 2), pair(i + 1), pair(i));
            const __m256i ml = _mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), Weights2(weights, i, i + 2));
            const __m256i mh = _mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), Weights2(weights, i + 1, i + 3));
            const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(ml, mh), _mm256_unpackhi_epi64(ml, mh));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + size_t(i) * 4), sum);
        }
    }
    for (; i + 4 <= width; i += 4) {
        const __m256i v = _mm256_setr_epi32(int(px(c0[i])), int(px(c1[i])), int(px(c0[i + 1])), int(px(c1[i + 1])),
                                            int(px(c0[i + 2])), int(px(c1[i + 2])), int(px(c0[i + 3])),
                                            int(px(c1[i + 3])));
        const __m256i ml = _mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), Weights2(weights, i, i + 2));
        const __m256i mh = _mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), Weights2(weights, i + 1, i + 3));
        const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(ml, mh), _mm256_unpackhi_epi64(ml, mh));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + size_t(i) * 4), sum);
    }
    if (i < width) {
        Filter16Row rest = in;
        rest.column += i;
        rest.column1 += i;
        rest.weights += size_t(i) * 8;
        rest.pairCells = in.pairCells > i ? in.pairCells - i : 0;
        rest.width = width - i;
        lower.stretchFilterRow16(rest, row + size_t(i) * 4);
    }
}

void StretchFilterRow16(const Filter16Row& in, uint16_t* row)
{
    if (in.palette)
        FilterRow16<false>(in, [&](int x) { return in.palette[in.indices[x]]; }, row);
    else
        FilterRow16<true>(in, [&](int x) { return in.bits[x]; }, row);
}

inline __m256i VerticalMix256(__m256i a, __m256i b, __m256i w, __m256i w2)
{
    const __m256i flip = _mm256_set1_epi16(short(0x8000));
    const __m256i lo1 = _mm256_mullo_epi16(a, w), hi1 = _mm256_mulhi_epu16(a, w);
    const __m256i lo2 = _mm256_mullo_epi16(b, w2), hi2 = _mm256_mulhi_epu16(b, w2);
    const __m256i lo = _mm256_add_epi16(lo1, lo2);
    const __m256i carry = _mm256_cmpgt_epi16(_mm256_xor_si256(lo1, flip), _mm256_xor_si256(lo, flip));
    return _mm256_sub_epi16(_mm256_add_epi16(hi1, hi2), carry);
}

inline __m256i StretchOutput256(__m256i F, __m256i d16)
{
    const __m256i u = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(F, 0xFF), 0xFF);
    const __m256i inv = _mm256_sub_epi16(_mm256_set1_epi16(256), u);
    const __m256i colour = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(F, u), 8),
                                            _mm256_srli_epi16(_mm256_mullo_epi16(d16, inv), 8));
    const __m256i x = _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_set1_epi16(255), d16), u);
    const __m256i q =
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, _mm256_set1_epi16(1)), _mm256_srli_epi16(x, 8)), 8);
    const __m256i alpha = _mm256_add_epi16(d16, q);
    const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
    return _mm256_blendv_epi8(colour, alpha, alphaLanes);
}

// One destination row from horizontal rows a and b.
void StretchEmitRow16(uint32_t* d, const uint16_t* a, const uint16_t* b, int width, uint32_t weight)
{
    const __m256i w = _mm256_set1_epi16(short(weight)), w2 = _mm256_set1_epi16(short(256 - weight));
    const __m256i alphaLanes = _mm256_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0);
    const __m256i alpha255 = _mm256_and_si256(alphaLanes, _mm256_set1_epi16(255));
    int i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m256i* av = reinterpret_cast<const __m256i*>(a + size_t(i) * 4);
        const __m256i* bv = reinterpret_cast<const __m256i*>(b + size_t(i) * 4);
        const __m256i F1 = VerticalMix256(_mm256_loadu_si256(av), _mm256_loadu_si256(bv), w, w2);
        const __m256i F2 = VerticalMix256(_mm256_loadu_si256(av + 1), _mm256_loadu_si256(bv + 1), w, w2);
        const __m256i alphas = _mm256_and_si256(_mm256_and_si256(F1, F2), alphaLanes);
        __m256i o1, o2;
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(alphas, alpha255)) == -1) {
            // u = 255 everywhere: colour F * 255 >> 8, alpha 255.
            const __m256i k = _mm256_set1_epi16(255);
            o1 = _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(F1, k), 8), alpha255);
            o2 = _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(F2, k), 8), alpha255);
        } else {
            const __m128i* dp = reinterpret_cast<const __m128i*>(d + i);
            o1 = StretchOutput256(F1, _mm256_cvtepu8_epi16(_mm_loadu_si128(dp)));
            o2 = StretchOutput256(F2, _mm256_cvtepu8_epi16(_mm_loadu_si128(dp + 1)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(o1, o2), 0xD8));
    }
    if (i < width)
        lower.stretchEmitRow16(d + i, a + size_t(i) * 4, b + size_t(i) * 4, width - i, weight);
}


// ---- Surface rows with whole-byte channels, and 16-bit pixels

void BlendBytesRow(uint32_t* d, int n, uint32_t term, uint32_t inv)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weight = _mm256_set1_epi16(int16_t(inv));
    const __m256i terms = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(term)), zero);
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    auto half = [&](__m256i wide) { return _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(wide, weight), 8), terms); };
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(d + i);
        const __m256i dv = _mm256_loadu_si256(p);
        const __m256i lo = half(_mm256_unpacklo_epi8(dv, zero)), hi = half(_mm256_unpackhi_epi8(dv, zero));
        _mm256_storeu_si256(p, _mm256_and_si256(_mm256_packus_epi16(lo, hi), keep));
    }
    if (i < n)
        lower.blendBytesRow(d + i, n - i, term, inv);
}

void AddBytesRow(uint32_t* d, const uint32_t* s, int n)
{
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(d + i);
        const __m256i sum =
            _mm256_adds_epu8(_mm256_loadu_si256(p), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
        _mm256_storeu_si256(p, _mm256_and_si256(sum, keep));
    }
    if (i < n)
        lower.addBytesRow(d + i, s + i, n - i);
}

// The low halves of the words, sixteen at a time.
void NarrowRow(uint16_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 8));
        const __m256i packed = _mm256_packs_epi32(_mm256_srai_epi32(_mm256_slli_epi32(lo, 16), 16),
                                                  _mm256_srai_epi32(_mm256_slli_epi32(hi, 16), 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    if (i < n)
        lower.narrowRow(d + i, s + i, n - i);
}

// ---- Image copies into the 32-bit surface layout, as the SSE2 loops do
// them, eight pixels at a time.

inline __m256i AlphaLanes8(__m256i wide)
{
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(wide, 0xFF), 0xFF);
}

void PremulOverRow(uint32_t* d, const uint32_t* s, int n)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi16(256);
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(d + i);
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i dv = _mm256_loadu_si256(p);
        const __m256i invLo = _mm256_sub_epi16(full, AlphaLanes8(_mm256_unpacklo_epi8(sv, zero)));
        const __m256i invHi = _mm256_sub_epi16(full, AlphaLanes8(_mm256_unpackhi_epi8(sv, zero)));
        const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), invLo), 8);
        const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), invHi), 8);
        _mm256_storeu_si256(p, _mm256_add_epi32(sv, _mm256_and_si256(_mm256_packus_epi16(lo, hi), keep)));
    }
    if (i < n)
        lower.premulOverRow(d + i, s + i, n - i);
}

// Exact while no source channel is above its alpha; other groups go to the
// family below (see the SSE2 loop).
void ModulateOverRow(uint32_t* d, const uint32_t* s, int n, const uint32_t* k, uint32_t colorAlpha)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi16(256);
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i factors = _mm256_broadcastsi128_si256(_mm_set_epi16(
        0, int16_t(k[0]), int16_t(k[1]), int16_t(k[2]), 0, int16_t(k[0]), int16_t(k[1]), int16_t(k[2])));
    const __m256i colorA = _mm256_set1_epi16(int16_t(colorAlpha));
    const __m256i solid = _mm256_set1_epi16(colorAlpha == 255 ? 255 : 0x7FFF);
    const __m256i div255 = _mm256_set1_epi16(int16_t(0x8081));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(d + i);
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i sLo = _mm256_unpacklo_epi8(sv, zero), sHi = _mm256_unpackhi_epi8(sv, zero);
        const __m256i aLo = AlphaLanes8(sLo), aHi = AlphaLanes8(sHi);
        const __m256i over = _mm256_or_si256(_mm256_subs_epu16(sLo, aLo), _mm256_subs_epu16(sHi, aHi));
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(over, zero)) != -1) {
            lower.modulateOverRow(d + i, s + i, 8, k, colorAlpha);
            continue;
        }
        const __m256i dv = _mm256_loadu_si256(p);
        auto half = [&](__m256i sw, __m256i a, __m256i dw) {
            const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_mullo_epi16(a, colorA), div255), 7);
            const __m256i inv = _mm256_andnot_si256(_mm256_cmpeq_epi16(a, solid), _mm256_sub_epi16(full, q));
            return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sw, factors), _mm256_mullo_epi16(dw, inv)),
                                     8);
        };
        const __m256i lo = half(sLo, aLo, _mm256_unpacklo_epi8(dv, zero));
        const __m256i hi = half(sHi, aHi, _mm256_unpackhi_epi8(dv, zero));
        _mm256_storeu_si256(p, _mm256_and_si256(_mm256_packus_epi16(lo, hi), keep));
    }
    if (i < n)
        lower.modulateOverRow(d + i, s + i, n - i, k, colorAlpha);
}

// Eight lookups by plain loads: a gather is slower than separate loads on
// many processors, and the lookups of a row never depend on each other.
void PaletteRow(uint32_t* d, const uint32_t* palette, const uint8_t* indices, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t at;
        std::memcpy(&at, indices + i, 8);
        const __m256i v = _mm256_setr_epi32(int(palette[at & 255]), int(palette[(at >> 8) & 255]),
                                            int(palette[(at >> 16) & 255]), int(palette[(at >> 24) & 255]),
                                            int(palette[(at >> 32) & 255]), int(palette[(at >> 40) & 255]),
                                            int(palette[(at >> 48) & 255]), int(palette[at >> 56]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v);
    }
    if (i < n)
        lower.paletteRow(d + i, palette, indices + i, n - i);
}

// The terms of eight pixels in the layout of the destination's bytes
// widened to 16 bits: lo holds pixels 0, 1, 4, 5 and hi 2, 3, 6, 7, as
// the unpacks of a vector place them. Each lane (term + d * inv) >> 8, inv
// spread from the top lane of its pixel; the top byte is cleared after.
void PaletteModulateRow(uint32_t* d, const uint64_t* terms, const uint8_t* indices, int n)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    const long long* t = reinterpret_cast<const long long*>(terms);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t at;
        std::memcpy(&at, indices + i, 8);
        const __m256i lo = _mm256_setr_epi64x(t[at & 255], t[(at >> 8) & 255], t[(at >> 32) & 255], t[(at >> 40) & 255]);
        const __m256i hi =
            _mm256_setr_epi64x(t[(at >> 16) & 255], t[(at >> 24) & 255], t[(at >> 48) & 255], t[at >> 56]);
        __m256i* p = reinterpret_cast<__m256i*>(d + i);
        const __m256i dv = _mm256_loadu_si256(p);
        auto half = [&](__m256i term, __m256i dw) {
            const __m256i inv = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(term, 0xFF), 0xFF);
            return _mm256_srli_epi16(_mm256_add_epi16(term, _mm256_mullo_epi16(dw, inv)), 8);
        };
        const __m256i a = half(lo, _mm256_unpacklo_epi8(dv, zero));
        const __m256i b = half(hi, _mm256_unpackhi_epi8(dv, zero));
        _mm256_storeu_si256(p, _mm256_and_si256(_mm256_packus_epi16(a, b), keep));
    }
    if (i < n)
        lower.paletteModulateRow(d + i, terms, indices + i, n - i);
}

} // namespace

void FillAvx2Loops(PixelLoopTable& table)
{
    lower = table;
    table.whiteRow = WhiteRow;
    table.additiveWhiteRow = AdditiveWhiteRow;
    table.rotatedWhiteSpan = RotatedWhiteSpan;
    table.rotatedWhiteSurfaceSpan = RotatedWhiteSurfaceSpan;
    if (lower.stretchFilterRow16 && lower.stretchEmitRow16) {
        table.stretchFilterRow16 = StretchFilterRow16;
        table.stretchEmitRow16 = StretchEmitRow16;
    }
    table.blendBytesRow = BlendBytesRow;
    table.addBytesRow = AddBytesRow;
    table.narrowRow = NarrowRow;
    table.premulOverRow = PremulOverRow;
    table.modulateOverRow = ModulateOverRow;
    table.paletteRow = PaletteRow;
    table.paletteModulateRow = PaletteModulateRow;
}

} // namespace Quib

#else

namespace Quib {

void FillAvx2Loops(PixelLoopTable&) {}

} // namespace Quib

#endif
