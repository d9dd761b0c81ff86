#include "framework/graphics/PixelLayout.h"

#include <bit>

namespace Quib {

namespace {

// The channel at position pos (16 red, 8 green, 0 blue) of an ARGB word.
uint32_t ChannelToDisplay(uint32_t argb, uint32_t alphaPlusOne, int pos, const ChannelLayout& ch)
{
    if (ch.bits <= 0)
        return 0;
    uint32_t premultiplied = (((argb & (255u << pos)) >> pos) * alphaPlusOne) >> 8;
    return ((premultiplied >> (8 - ch.bits)) << ch.shift) & ch.mask;
}

uint32_t ChannelFromDisplay(uint32_t word, uint32_t alphaPlusOne, const ChannelLayout& ch)
{
    if (ch.bits <= 0)
        return 0;
    uint32_t premultiplied = ((word & ch.mask) >> ch.shift) << (8 - ch.bits);
    uint32_t c = (premultiplied * 256 + alphaPlusOne - 1) / alphaPlusOne;
    // Words made by hand may hold more colour than their alpha allows.
    return c > 255 ? 255 : c;
}

} // namespace

ChannelLayout ChannelLayout::FromMask(uint32_t mask)
{
    ChannelLayout ch;
    ch.mask = mask;
    if (mask != 0) {
        ch.shift = std::countr_zero(mask);
        ch.bits = std::popcount(mask);
        // Channels wider than 8 bits are not a display format here; keep the
        // top 8 bits of such a mask.
        if (ch.bits > 8) {
            ch.shift += ch.bits - 8;
            ch.bits = 8;
            ch.mask = 255u << ch.shift;
        }
    }
    return ch;
}

PixelLayout PixelLayout::FromMasks(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    PixelLayout layout;
    layout.bitCount = bitCount;
    layout.red = ChannelLayout::FromMask(redMask);
    layout.green = ChannelLayout::FromMask(greenMask);
    layout.blue = ChannelLayout::FromMask(blueMask);
    return layout;
}

uint32_t ToDisplayCopyPixel(uint32_t argb, const PixelLayout& layout)
{
    uint32_t a = argb >> 24;
    return (a << 24) | ChannelToDisplay(argb, a + 1, 16, layout.red) |
           ChannelToDisplay(argb, a + 1, 8, layout.green) | ChannelToDisplay(argb, a + 1, 0, layout.blue);
}

uint32_t FromDisplayCopyPixel(uint32_t word, const PixelLayout& layout)
{
    uint32_t a = word >> 24;
    return (a << 24) | (ChannelFromDisplay(word, a + 1, layout.red) << 16) |
           (ChannelFromDisplay(word, a + 1, layout.green) << 8) | ChannelFromDisplay(word, a + 1, layout.blue);
}

} // namespace Quib
