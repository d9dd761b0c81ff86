// Rotated blits: the inverse mapping is set up once per row in floating point
// and stepped per pixel in 16.16 fixed point; each row is cut to the span whose
// 2 x 2 sample blocks lie inside the source rectangle.

#include "framework/graphics/OverComposite.h"
#include "framework/graphics/RotatedSampler.h"
#include "framework/graphics/SoftwareRender.h"

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <immintrin.h>
#endif

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

namespace {

using namespace RotatedSampling;

// The sample's premultiplied colour (sum of c_i W_i) >> 8 per channel, as a
// 0x00RRGGBB word: red with blue and green with alpha share one multiply per
// texel (each sum stays below 65536 since the W_i add up to at most 255).
inline uint32_t PremultipliedSample(const Texels& t)
{
    uint32_t rb = 0, ga = 0;
    for (int k = 0; k < 4; ++k) {
        rb += (t.p[k] & 0x00FF00FF) * t.W[k];
        ga += ((t.p[k] >> 8) & 0x00FF00FF) * t.W[k];
    }
    return ((rb >> 8) & 0x00FF00FF) | (ga & 0x0000FF00);
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

// Stores a sample of alpha S and colour P over d: nearly opaque samples
// replace d, others blend over it by the alphas of both.
inline uint32_t StoreNormal(uint32_t d, uint32_t S, uint32_t pr, uint32_t pg, uint32_t pb)
{
    if (S > 250)
        return 0xFF000000 | (pr << 16) | (pg << 8) | pb;
    const uint32_t dA = d >> 24;
    const uint32_t inv = 256 - S;
    const uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
    const uint32_t A = 256 - (((256 - dA) * inv) >> 8);
    const uint32_t r = kReciprocals.Divide((((dr * dA) >> 8) * inv) + 256 * pr, A);
    const uint32_t g = kReciprocals.Divide((((dg * dA) >> 8) * inv) + 256 * pg, A);
    const uint32_t b = kReciprocals.Divide((((db * dA) >> 8) * inv) + 256 * pb, A);
    return ((A - 1) << 24) | (r << 16) | (g << 8) | b;
}

// StoreNormal with P as from PremultipliedSample. Over an opaque
// pixel A' = 256, so each channel is (((d * 255) >> 8) * (256 - S) >> 8) + P.
inline uint32_t StoreNormalPacked(uint32_t d, uint32_t S, uint32_t P)
{
    if (S > 250)
        return 0xFF000000 | P;
    if ((d >> 24) == 255) {
        const uint32_t inv = 256 - S;
        const uint32_t rb = ((((d & 0x00FF00FF) * 255) >> 8) & 0x00FF00FF) * inv;
        const uint32_t g = ((((d & 0x0000FF00) * 255) >> 8) & 0x0000FF00) * inv;
        return 0xFF000000 | (((rb >> 8) & 0x00FF00FF) + ((g >> 8) & 0x0000FF00) + P);
    }
    return StoreNormal(d, S, (P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
}

#ifdef __SSE2__
// Eight pixels at a time of the opaque-white variants (normal or additive)
// from a source in bits form; the blend over a pixel that is not opaque is
// left to StoreNormal. Returns the number of pixels done.
__attribute__((target("avx2"))) int RotatedWhiteAvx2(uint32_t* d, int count, int32_t u, int32_t v, int32_t du,
                                                     int32_t dv, const PixelSource& src, const Rect& s,
                                                     bool additive)
{
    const int* base = reinterpret_cast<const int*>(src.bits + ptrdiff_t(s.y) * src.width + s.x);
    const int* right = base + 1;
    const int* below = base + src.width;
    const int* belowRight = below + 1;
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i U = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(steps, _mm256_set1_epi32(du)));
    __m256i V = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(steps, _mm256_set1_epi32(dv)));
    const __m256i dU8 = _mm256_set1_epi32(du * 8), dV8 = _mm256_set1_epi32(dv * 8);
    const __m256i rowWords = _mm256_set1_epi32(src.width);
    const __m256i fracMask = _mm256_set1_epi32(0xFFFE), one = _mm256_set1_epi32(1);
    const __m256i full = _mm256_set1_epi32(65536);
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF), gMask = _mm256_set1_epi32(0x0000FF00);
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000));
    const __m256i k255 = _mm256_set1_epi32(255), k256 = _mm256_set1_epi32(256), k250 = _mm256_set1_epi32(250);
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= count; i += 8, U = _mm256_add_epi32(U, dU8), V = _mm256_add_epi32(V, dV8)) {
        const __m256i idx =
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 16), rowWords), _mm256_srai_epi32(U, 16));
        const __m256i p[4] = {_mm256_i32gather_epi32(base, idx, 4), _mm256_i32gather_epi32(right, idx, 4),
                              _mm256_i32gather_epi32(below, idx, 4), _mm256_i32gather_epi32(belowRight, idx, 4)};
        const __m256i fu = _mm256_add_epi32(_mm256_and_si256(U, fracMask), one);
        const __m256i fv = _mm256_add_epi32(_mm256_and_si256(V, fracMask), one);
        const __m256i iu = _mm256_sub_epi32(full, fu), iv = _mm256_sub_epi32(full, fv);
        const __m256i w[4] = {_mm256_srli_epi32(_mm256_mullo_epi32(iu, iv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(fu, iv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(iu, fv), 16),
                              _mm256_srli_epi32(_mm256_mullo_epi32(fu, fv), 16)};
        __m256i S = zero, rb = zero, ga = zero;
        for (int k = 0; k < 4; ++k) {
            const __m256i W = _mm256_srli_epi32(_mm256_mullo_epi32(w[k], _mm256_srli_epi32(p[k], 24)), 16);
            S = _mm256_add_epi32(S, W);
            rb = _mm256_add_epi32(rb, _mm256_mullo_epi32(_mm256_and_si256(p[k], rbMask), W));
            ga = _mm256_add_epi32(ga, _mm256_mullo_epi32(_mm256_and_si256(_mm256_srli_epi32(p[k], 8), rbMask), W));
        }
        const __m256i P =
            _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(rb, 8), rbMask), _mm256_and_si256(ga, gMask));
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
    return i;
}
#endif

enum class RotVariant { NormalWhite, NormalColor, AddWhite, AddColor };

template <RotVariant V>
void RotatedSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv, const PixelSource& src,
                 const Rect& s, const Color& c)
{
    const uint32_t ca = uint32_t(c.alpha), cr = uint32_t(c.red), cg = uint32_t(c.green), cb = uint32_t(c.blue);
    const uint32_t kr = ca * cr / 255, kg = ca * cg / 255, kb = ca * cb / 255;
    int i = 0;
#ifdef __SSE2__
    if constexpr (V == RotVariant::NormalWhite || V == RotVariant::AddWhite) {
        if (SoftwareAvx2() && !src.palette) {
            i = RotatedWhiteAvx2(d, count, u, v, du, dv, src, s, V == RotVariant::AddWhite);
            u += i * du;
            v += i * dv;
        }
    }
#endif
    for (; i < count; ++i, u += du, v += dv) {
        Texels t;
        ReadTexels(src, s, u, v, t);
        const uint32_t S = t.W[0] + t.W[1] + t.W[2] + t.W[3];
        if (S == 0)
            continue;
        if constexpr (V == RotVariant::NormalWhite) {
            d[i] = StoreNormalPacked(d[i], S, PremultipliedSample(t));
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
            const uint32_t P = PremultipliedSample(t);
            d[i] = AddChannelsClamped(d[i], (P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
        } else {
            d[i] = AddChannelsClamped(d[i], ((SumChannel(t, t.W, 16) >> 8) * kr) >> 8,
                                      (SumChannel(t, t.W, 8) * kg) >> 16, (SumChannel(t, t.W, 0) * kb) >> 16);
        }
    }
}

} // namespace

void SoftPutImageRotated(const PixelTarget& dst, const double* bounds, const PixelSource& src,
                         const Rect& srcRect, float x, float y, const Color& color, DrawMode mode, double angle,
                         float centerX, float centerY)
{
    const bool white = color.IsOpaqueWhite();
    const RotVariant variant = mode == DRAWMODE_NORMAL ? (white ? RotVariant::NormalWhite : RotVariant::NormalColor)
                                         : (white ? RotVariant::AddWhite : RotVariant::AddColor);
    ForEachRotatedSpan(dst.width, dst.height, bounds, srcRect, x, y, angle, centerX, centerY,
                       [&](int row, int column, int count, int32_t u0, int32_t v0, int32_t du, int32_t dv) {
                           uint32_t* d = dst.bits + ptrdiff_t(row) * dst.stride + column;
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
