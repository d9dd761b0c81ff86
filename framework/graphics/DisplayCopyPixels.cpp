#include "framework/graphics/DisplayCopyPixels.h"

#include <algorithm>

namespace Quib {

namespace {

// The channel at position pos (16 red, 8 green, 0 blue) of an ARGB word.
uint32_t ChannelToDisplay(uint32_t argb, uint32_t alphaPlusOne, int pos, const PixelChannel& ch)
{
    if (ch.bits <= 0)
        return 0;
    uint32_t premultiplied = (((argb & (255u << pos)) >> pos) * alphaPlusOne) >> 8;
    return ((premultiplied >> (8 - ch.bits)) << ch.shift) & ch.mask;
}

uint32_t ChannelFromDisplay(uint32_t word, uint32_t alphaPlusOne, const PixelChannel& ch)
{
    if (ch.bits <= 0)
        return 0;
    uint32_t premultiplied = ((word & ch.mask) >> ch.shift) << (8 - ch.bits);
    uint32_t c = (premultiplied * 256 + alphaPlusOne - 1) / alphaPlusOne;
    // Words made by hand may hold more colour than their alpha allows.
    return c > 255 ? 255 : c;
}

// Division by a + 1 as a multiplication: (x * v[a]) >> 40 equals x / (a + 1)
// for every x below 2^17, and the channel sums stay below 2^16.
struct Reciprocals {
    uint64_t v[256];
    constexpr Reciprocals() : v()
    {
        for (uint64_t a = 0; a < 256; ++a)
            v[a] = (uint64_t(1) << 40) / (a + 1) + 1;
    }
};
constexpr Reciprocals kReciprocals;

// A channel's place in the batch loops. A channel of no bits has no mask
// and drops out without a test.
struct Placement {
    uint32_t mask, shift, narrow;
    explicit Placement(const PixelChannel& ch)
        : mask(ch.bits > 0 ? ch.mask : 0), shift(uint32_t(ch.shift)), narrow(uint32_t(8 - std::clamp(ch.bits, 0, 8)))
    {
    }
};

} // namespace

uint32_t ToDisplayCopyPixel(uint32_t argb, const PixelFormat& layout)
{
    uint32_t a = argb >> 24;
    return (a << 24) | ChannelToDisplay(argb, a + 1, 16, layout.red) |
           ChannelToDisplay(argb, a + 1, 8, layout.green) | ChannelToDisplay(argb, a + 1, 0, layout.blue);
}

uint32_t FromDisplayCopyPixel(uint32_t word, const PixelFormat& layout)
{
    uint32_t a = word >> 24;
    return (a << 24) | (ChannelFromDisplay(word, a + 1, layout.red) << 16) |
           (ChannelFromDisplay(word, a + 1, layout.green) << 8) | ChannelFromDisplay(word, a + 1, layout.blue);
}

void ToDisplayCopyPixels(const uint32_t* argb, uint32_t* out, size_t n, const PixelFormat& layout)
{
    const Placement r(layout.red), g(layout.green), b(layout.blue);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = argb[i], a = p >> 24, a1 = a + 1;
        const uint32_t rv = ((((p >> 16) & 255) * a1) >> 8 >> r.narrow) << r.shift;
        const uint32_t gv = ((((p >> 8) & 255) * a1) >> 8 >> g.narrow) << g.shift;
        const uint32_t bv = (((p & 255) * a1) >> 8 >> b.narrow) << b.shift;
        out[i] = (a << 24) | (rv & r.mask) | (gv & g.mask) | (bv & b.mask);
    }
}

void FromDisplayCopyPixels(const uint32_t* words, uint32_t* out, size_t n, const PixelFormat& layout)
{
    const Placement r(layout.red), g(layout.green), b(layout.blue);
    // Clear and opaque words, the common ones, skip the division.
    for (size_t i = 0; i < n; ++i) {
        const uint32_t w = words[i], a = w >> 24;
        if (w == 0) {
            out[i] = 0;
            continue;
        }
        const uint32_t rp = ((w & r.mask) >> r.shift) << r.narrow;
        const uint32_t gp = ((w & g.mask) >> g.shift) << g.narrow;
        const uint32_t bp = ((w & b.mask) >> b.shift) << b.narrow;
        if (a == 255) {
            out[i] = 0xFF000000u | rp << 16 | gp << 8 | bp;
            continue;
        }
        const uint64_t reciprocal = kReciprocals.v[a];
        auto unpremultiply = [&](uint64_t p) {
            return uint32_t(std::min<uint64_t>(((p * 256 + a) * reciprocal) >> 40, 255));
        };
        out[i] = (a << 24) | unpremultiply(rp) << 16 | unpremultiply(gp) << 8 | unpremultiply(bp);
    }
}

} // namespace Quib
