#pragma once
// The row kernels of the software and surface routines. The routines do the
// clipping, the set-up and the row iteration; each row or span goes through
// one kernel of this table. Three families fill it: the portable loops
// (plain C++), the SSE2 loops and the AVX2 loops; each family starts from
// the one below it and replaces what it does faster, and its kernels hand
// the ends of a row they do not cover to the family below. The table is
// chosen once from ActivePixelLoops(); every family gives the same pixels.

#include "framework/core/Rect.h"

#include <cstdint>

namespace Quib {

struct PixelSource;

// A source row for the 16-bit horizontal pass of the filtered stretch:
// cell i = pixel(column[i]) w_i + pixel(column1[i]) (257 - w_i); weights
// holds per cell w_i four times, then 257 - w_i four times. The first
// pairCells cells read two neighbouring pixels.
struct Filter16Row {
    const uint32_t* bits = nullptr;     // the row in bits form, or
    const uint32_t* palette = nullptr;  // palette entries through
    const uint8_t* indices = nullptr;   // the row's index bytes
    const int* column = nullptr;
    const int* column1 = nullptr;
    const uint16_t* weights = nullptr;
    int pairCells = 0;
    int width = 0;
};

struct PixelLoopTable {
    // The blits' white composite of a row of pixels in bits form.
    void (*whiteRow)(uint32_t* d, const uint32_t* s, int width) = nullptr;
    // The white additive blit of a row in bits form: each channel + s, or
    // + s * sA >> 8 when translucent; alpha kept.
    void (*additiveWhiteRow)(uint32_t* d, const uint32_t* s, int width, bool translucent) = nullptr;
    // A span of the rotated opaque-white blit (normal or additive) from a
    // source in bits form, u and v stepped in 16.16 fixed point.
    void (*rotatedWhiteSpan)(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv,
                             const PixelSource& src, const Rect& s, bool additive) = nullptr;
    // A span of the rotated opaque-white normal blit from a source in bits
    // form into a 32-bit surface (red 0xFF0000, green 0xFF00, blue 0xFF):
    // each channel P + (d * (256 - S) >> 8) with the top byte 0; a pixel
    // whose sample is empty (S = 0) is kept.
    void (*rotatedWhiteSurfaceSpan)(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv,
                                    const PixelSource& src, const Rect& s) = nullptr;
    // The filtered stretch in 16-bit sums (enlarging on both axes): the
    // horizontal pass of one source row, and one destination row mixed from
    // two such rows by weight. Null where the family has no 16-bit loops;
    // the routine then works in 32-bit sums.
    void (*stretchFilterRow16)(const Filter16Row& in, uint16_t* row) = nullptr;
    void (*stretchEmitRow16)(uint32_t* d, const uint16_t* a, const uint16_t* b, int width,
                             uint32_t weight) = nullptr;
    // Surface rows whose three channels are whole bytes below a top byte:
    // each channel term + (d * inv >> 8), or min(d + s, 255); top byte 0.
    void (*blendBytesRow)(uint32_t* d, int n, uint32_t term, uint32_t inv) = nullptr;
    void (*addBytesRow)(uint32_t* d, const uint32_t* s, int n) = nullptr;
    // Image copies into the 32-bit surface layout (red 0xFF0000, green
    // 0xFF00, blue 0xFF) from display-copy words with alpha sA on top.
    // premulOverRow: s + (d * (256 - sA) >> 8) per channel, added as whole
    // words; d's top byte dropped.
    void (*premulOverRow)(uint32_t* d, const uint32_t* s, int n) = nullptr;
    // modulateOverRow: each channel (s * k + d * inv) >> 8 in 32-bit words
    // (k: red, green, blue), inv = 256 - sA * colorAlpha / 255, or 0 when
    // both are 255; top byte 0.
    void (*modulateOverRow)(uint32_t* d, const uint32_t* s, int n, const uint32_t* k, uint32_t colorAlpha) = nullptr;
    // Palette entries looked up by index bytes: d[i] = palette[indices[i]].
    void (*paletteRow)(uint32_t* d, const uint32_t* palette, const uint8_t* indices, int n) = nullptr;
    // modulateOverRow of palette entries looked up by index bytes, through
    // the entries' terms from PaletteModulateTerms: each channel
    // (term + d * inv) >> 8, top byte 0.
    void (*paletteModulateRow)(uint32_t* d, const uint64_t* terms, const uint8_t* indices, int n) = nullptr;
    // Display-copy words of a 16-bit layout into 16-bit pixels.
    void (*narrowRow)(uint16_t* d, const uint32_t* s, int n) = nullptr;
};

// The terms of the 256 palette entries (display-copy words) for
// paletteModulateRow under the modulation k, colorAlpha of modulateOverRow:
// per entry s_c * k_c in 16-bit lanes (blue lowest, then green, red) and
// inv on top. False, and the terms unusable, when some entry could carry
// past a 16-bit lane (term + 255 * inv above 65535): such a palette takes
// paletteRow and modulateOverRow.
bool PaletteModulateTerms(const uint32_t* palette, const uint32_t* k, uint32_t colorAlpha, uint64_t* terms);

// The table of the active family.
const PixelLoopTable& ActiveLoops();

// The families, each over the table of the family below it.
void FillPortableLoops(PixelLoopTable& table);
void FillSse2Loops(PixelLoopTable& table);
void FillAvx2Loops(PixelLoopTable& table);

} // namespace Quib
