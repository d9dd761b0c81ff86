#pragma once
// The display copy of a picture: ARGB words premultiplied and placed in the
// display's pixel format, alpha kept on top.

#include "framework/core/PixelFormat.h"

#include <cstddef>
#include <cstdint>

namespace Quib {

// An ARGB word as a display-copy word: colour premultiplied by
// (alpha + 1) / 256 and truncated, cut to the channel widths and placed at
// the layout's shifts; the alpha unchanged in bits 24..31 whatever the
// layout.
uint32_t ToDisplayCopyPixel(uint32_t argb, const PixelFormat& layout);

// A display-copy word back as ARGB. Each channel becomes the smallest value
// that premultiplies to the stored one, so converting the result again gives
// the same word: a picture loses the display precision once, never more.
uint32_t FromDisplayCopyPixel(uint32_t word, const PixelFormat& layout);

// The same conversions over n words, without a division or a branch per
// pixel; the per-word functions above are their reference.
void ToDisplayCopyPixels(const uint32_t* argb, uint32_t* out, size_t n, const PixelFormat& layout);
void FromDisplayCopyPixels(const uint32_t* words, uint32_t* out, size_t n, const PixelFormat& layout);

} // namespace Quib
