#pragma once
// The over-composite weights shared by the software fills, lines and blits:
// a colour of effective alpha a over a pixel of alpha dA gives the new alpha
// A = dA + (255 - dA) * a / 255 and the source weight g = a * 255 / A (the
// destination weight is 256 - g), in truncating integer arithmetic.
// The per-pixel rules are internal to each file that includes them: the pixel
// loops built for other instruction sets (loops/) compile their own copies,
// and no copy is shared between files.

#include <cstdint>

namespace Quib {

// The weights of every pair, entry a * 256 + dA = (A << 8) | g; 0 where both
// alphas are 0. Built once, on first use; two zero entries follow the last.
const uint16_t* OverWeightTable();

namespace {

struct OverWeights {
    uint32_t alpha;  // A
    uint32_t g;      // source weight 0..255
};

// False when both alphas are 0: there is no defined weight and the pixel must
// stay as it is (nothing is added in that case anyway).
inline bool ComputeOverWeights(uint32_t a, uint32_t dA, OverWeights& w)
{
    w.alpha = dA + (255 - dA) * a / 255;
    if (w.alpha == 0)
        return false;
    w.g = a * 255 / w.alpha;
    return true;
}

// ComputeOverWeights by table lookup.
inline bool LookUpOverWeights(uint32_t a, uint32_t dA, OverWeights& w)
{
    const uint32_t e = OverWeightTable()[(a << 8) | dA];
    w.alpha = e >> 8;
    w.g = e & 0xFF;
    return e != 0;
}

// Table of the weights for one effective alpha a over every destination alpha.
// Entry dA = (A << 8) | g; entry 0 when both alphas are 0.
inline void BuildOverWeightTable(uint32_t a, uint16_t table[256])
{
    for (uint32_t dA = 0; dA < 256; ++dA) {
        OverWeights w;
        table[dA] = ComputeOverWeights(a, dA, w) ? static_cast<uint16_t>((w.alpha << 8) | w.g) : 0;
    }
}

// Channels of the fills and lines: (d * (256 - g) + s * g) >> 8, red and blue
// in one multiply, green in another. srcRgb holds the colour in 0x00RRGGBB.
inline uint32_t MixChannelsShiftSum(uint32_t d, uint32_t srcRgb, uint32_t g)
{
    const uint32_t inv = 256 - g;
    const uint32_t rb = (((d & 0x00FF00FF) * inv + (srcRgb & 0x00FF00FF) * g) >> 8) & 0x00FF00FF;
    const uint32_t gr = (((d & 0x0000FF00) * inv + (srcRgb & 0x0000FF00) * g) >> 8) & 0x0000FF00;
    return rb | gr;
}

// Over-composite of a colour (0x00RRGGBB) with effective alpha a into d, as the
// fills and lines do it. a = 0, or both alphas 0, leaves d unchanged.
inline uint32_t OverCompositeFill(uint32_t d, uint32_t srcRgb, uint32_t a)
{
    OverWeights w;
    if (a == 0 || !LookUpOverWeights(a, d >> 24, w))
        return d;
    return (w.alpha << 24) | MixChannelsShiftSum(d, srcRgb, w.g);
}

// Channels of the blits: red and green (s * g + d * (256 - g)) >> 8, blue
// (s * g >> 8) + (d * (256 - g) >> 8).
inline uint32_t MixChannelsBlit(uint32_t d, uint32_t s, uint32_t g)
{
    const uint32_t inv = 256 - g;
    const uint32_t r = (((s & 0x00FF0000) * g + (d & 0x00FF0000) * inv) >> 8) & 0x00FF0000;
    const uint32_t gr = (((s & 0x0000FF00) * g + (d & 0x0000FF00) * inv) >> 8) & 0x0000FF00;
    const uint32_t b = (((s & 0xFF) * g) >> 8) + (((d & 0xFF) * inv) >> 8);
    return r | gr | b;
}

// The additive rule: each colour channel min(d + add, 255), d's alpha kept.
inline uint32_t AddChannelsClamped(uint32_t d, uint32_t addR, uint32_t addG, uint32_t addB)
{
    auto clamp = [](uint32_t v) { return v < 255 ? v : 255u; };
    const uint32_t r = clamp(((d >> 16) & 0xFF) + addR);
    const uint32_t g = clamp(((d >> 8) & 0xFF) + addG);
    const uint32_t b = clamp((d & 0xFF) + addB);
    return (d & 0xFF000000) | (r << 16) | (g << 8) | b;
}

} // namespace
} // namespace Quib
