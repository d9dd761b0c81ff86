#pragma once
#include <cstddef>
#include <cstdint>

namespace Quib {

// One colour channel of a display pixel: its mask, the position of the
// mask's lowest bit and its width in bits.
struct ChannelLayout {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    static ChannelLayout FromMask(uint32_t mask);
    bool operator==(const ChannelLayout&) const = default;
};

// The pixel format of a display: 16 or 32 bits per pixel, three channels.
struct PixelLayout {
    int bitCount = 0;
    ChannelLayout red;
    ChannelLayout green;
    ChannelLayout blue;

    static PixelLayout FromMasks(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
    // Red in the highest bits, blue in the lowest.
    bool RedAboveGreenAboveBlue() const { return red.mask > green.mask && green.mask > blue.mask; }
    bool operator==(const PixelLayout&) const = default;
};

// An ARGB word as a display-copy word: colour premultiplied by
// (alpha + 1) / 256 and truncated, cut to the channel widths and placed at
// the layout's shifts; the alpha unchanged in bits 24..31 whatever the
// layout.
uint32_t ToDisplayCopyPixel(uint32_t argb, const PixelLayout& layout);

// A display-copy word back as ARGB. Each channel becomes the smallest value
// that premultiplies to the stored one, so converting the result again gives
// the same word: a picture loses the display precision once, never more.
uint32_t FromDisplayCopyPixel(uint32_t word, const PixelLayout& layout);

// The same conversions over n words, without a division or a branch per
// pixel; the per-word functions above are their reference.
void ToDisplayCopyPixels(const uint32_t* argb, uint32_t* out, size_t n, const PixelLayout& layout);
void FromDisplayCopyPixels(const uint32_t* words, uint32_t* out, size_t n, const PixelLayout& layout);

} // namespace Quib
