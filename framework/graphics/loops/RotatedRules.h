#pragma once
// The per-pixel rules of the rotated blits and their plain span loop. Internal
// to each file that includes them, so every family compiles its own copy
// with its own instruction set.

#include "framework/graphics/OverComposite.h"
#include "framework/graphics/RotatedSampler.h"
#include "framework/graphics/SoftwareRender.h"

#include <cstdint>

namespace Quib {
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
    uint64_t m[257] = {};
    constexpr Reciprocals()
    {
        for (uint64_t d = 1; d <= 256; ++d)
            m[d] = ((uint64_t(1) << 32) + d - 1) / d;
    }
    uint32_t Divide(uint32_t n, uint32_t d) const { return uint32_t((n * m[d]) >> 32); }
};
// Built by the compiler: no start-up code runs in any family's instruction set.
constexpr Reciprocals kReciprocals;

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

// The opaque-white normal rule into a 32-bit surface without alpha, one
// pixel at a time: the plain form of the loops' rotatedWhiteSurfaceSpan.
inline void RotatedSurfaceWhiteSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv,
                                    const PixelSource& src, const Rect& s)
{
    for (int i = 0; i < count; ++i, u += du, v += dv) {
        Texels t;
        ReadTexels(src, s, u, v, t);
        const uint32_t S = t.W[0] + t.W[1] + t.W[2] + t.W[3];
        if (S == 0)
            continue;
        const uint32_t inv = 256 - S, p = d[i];
        const uint32_t r = (SumChannel(t, t.W, 16) >> 8) + ((((p >> 16) & 0xFF) * inv) >> 8);
        const uint32_t g = (SumChannel(t, t.W, 8) >> 8) + ((((p >> 8) & 0xFF) * inv) >> 8);
        const uint32_t b = (SumChannel(t, t.W, 0) >> 8) + (((p & 0xFF) * inv) >> 8);
        d[i] = r << 16 | g << 8 | b;
    }
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
} // namespace Quib
