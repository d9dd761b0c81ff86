#pragma once
// The per-pixel rules of the blits' white rows, over a row reader (pixels in
// bits form, or palette entries through index bytes). The portable loops are
// these; the faster families fall back on them at the ends of rows. Internal
// to each file that includes them, so every family compiles its own copy
// with its own instruction set.

#include "framework/graphics/OverComposite.h"

#include <cstdint>

namespace Quib {
namespace {

struct BitsRow {
    const uint32_t* p;
    uint32_t operator[](int i) const { return p[i]; }
};
struct PaletteRow {
    const uint32_t* palette;
    const uint8_t* p;
    uint32_t operator[](int i) const { return palette[p[i]]; }
};

// The blits' white composite of source pixel s over d.
inline uint32_t WhiteComposite(uint32_t d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 255)
        return 0xFF000000 | MixChannelsBlit(d, s, 255);
    OverWeights w;
    if (!LookUpOverWeights(a, d >> 24, w))
        return d;
    return (w.alpha << 24) | MixChannelsBlit(d, s, w.g);
}

template <class Row>
void PortableWhiteRow(uint32_t* d, Row s, int width)
{
    for (int i = 0; i < width; ++i) {
        const uint32_t sp = s[i];
        if ((sp >> 24) != 0)
            d[i] = WhiteComposite(d[i], sp);
    }
}

// The white additive rule: each channel + s, or + s * sA >> 8 with
// translucent pixels; alpha kept.
inline uint32_t AddWhite(uint32_t d, uint32_t sp, bool translucent)
{
    const uint32_t sa = translucent ? sp >> 24 : 256;
    return AddChannelsClamped(d, (((sp >> 16) & 0xFF) * sa) >> 8, (((sp >> 8) & 0xFF) * sa) >> 8,
                              ((sp & 0xFF) * sa) >> 8);
}

template <class Row>
void PortableAdditiveWhiteRow(uint32_t* d, Row s, int width, bool translucent)
{
    for (int i = 0; i < width; ++i)
        d[i] = AddWhite(d[i], s[i], translucent);
}

} // namespace
} // namespace Quib
