// The portable loops: plain C++, one pixel at a time. They are the whole
// table when QUIB_PIXEL_LOOPS=portable and the ends of rows for the other
// families.

#include "framework/graphics/loops/PixelLoops.h"
#include "framework/graphics/loops/PortableRows.h"
#include "framework/graphics/loops/RotatedRules.h"

namespace Quib {

namespace {

void WhiteRow(uint32_t* d, const uint32_t* s, int width)
{
    PortableWhiteRow(d, BitsRow{s}, width);
}

void AdditiveWhiteRow(uint32_t* d, const uint32_t* s, int width, bool translucent)
{
    PortableAdditiveWhiteRow(d, BitsRow{s}, width, translucent);
}

void RotatedWhiteSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv, const PixelSource& src,
                      const Rect& s, bool additive)
{
    if (additive)
        RotatedSpan<RotVariant::AddWhite>(d, count, u, v, du, dv, src, s, Color::White);
    else
        RotatedSpan<RotVariant::NormalWhite>(d, count, u, v, du, dv, src, s, Color::White);
}

void RotatedWhiteSurfaceSpan(uint32_t* d, int count, int32_t u, int32_t v, int32_t du, int32_t dv,
                             const PixelSource& src, const Rect& s)
{
    RotatedSurfaceWhiteSpan(d, count, u, v, du, dv, src, s);
}

void BlendBytesRow(uint32_t* d, int n, uint32_t term, uint32_t inv)
{
    for (int i = 0; i < n; ++i) {
        const uint32_t p = d[i];
        d[i] = term + ((((p & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) + ((((p & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
    }
}

void AddBytesRow(uint32_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; ++i) {
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t sum = ((d[i] >> shift) & 0xFF) + ((s[i] >> shift) & 0xFF);
            out |= (sum > 255 ? 255 : sum) << shift;
        }
        d[i] = out;
    }
}

void PremulOverRow(uint32_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; ++i) {
        const uint32_t sp = s[i], dp = d[i], inv = 256 - (sp >> 24);
        d[i] = sp + ((((dp & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) + ((((dp & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
    }
}

void ModulateOverRow(uint32_t* d, const uint32_t* s, int n, const uint32_t* k, uint32_t colorAlpha)
{
    static constexpr uint32_t kMasks[3] = {0xFF0000, 0xFF00, 0xFF};
    const bool grey = k[0] == k[1] && k[1] == k[2];
    for (int i = 0; i < n; ++i) {
        const uint32_t sp = s[i], dp = d[i], sa = sp >> 24;
        const uint32_t inv = sa == 255 && colorAlpha == 255 ? 0 : 256 - sa * colorAlpha / 255;
        uint32_t out = 0;
        if (grey) {
            out = ((((sp & 0x00FF00FF) * k[0] + (dp & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) |
                  ((((sp & 0x0000FF00) * k[0] + (dp & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
        } else {
            for (int c = 0; c < 3; ++c) {
                const uint32_t m = kMasks[c];
                out |= (((sp & m) * k[c] + (dp & m) * inv) >> 8) & m;
            }
        }
        d[i] = out;
    }
}

void PaletteRow(uint32_t* d, const uint32_t* palette, const uint8_t* indices, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = palette[indices[i]];
}

void PaletteModulateRow(uint32_t* d, const uint64_t* terms, const uint8_t* indices, int n)
{
    for (int i = 0; i < n; ++i) {
        const uint64_t t = terms[indices[i]];
        const uint32_t inv = uint32_t(t >> 48), dp = d[i];
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= ((uint32_t(t >> (16 * c)) & 0xFFFF) + ((dp >> (8 * c)) & 0xFF) * inv) >> 8 << (8 * c);
        d[i] = out;
    }
}

void NarrowRow(uint16_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = uint16_t(s[i]);
}

} // namespace

bool PaletteModulateTerms(const uint32_t* palette, const uint32_t* k, uint32_t colorAlpha, uint64_t* terms)
{
    for (int e = 0; e < 256; ++e) {
        const uint32_t sp = palette[e], sa = sp >> 24;
        // As modulateOverRow weighs the destination.
        const uint32_t inv = sa == 255 && colorAlpha == 255 ? 0 : 256 - sa * colorAlpha / 255;
        uint64_t t = uint64_t(inv) << 48;
        for (int c = 0; c < 3; ++c) {
            // k[0] is red, the highest channel of the word.
            const uint32_t term = ((sp >> (8 * c)) & 0xFF) * k[2 - c];
            if (term + 255 * inv > 0xFFFF)
                return false;
            t |= uint64_t(term) << (16 * c);
        }
        terms[e] = t;
    }
    return true;
}

void FillPortableLoops(PixelLoopTable& table)
{
    table.whiteRow = WhiteRow;
    table.additiveWhiteRow = AdditiveWhiteRow;
    table.rotatedWhiteSpan = RotatedWhiteSpan;
    table.rotatedWhiteSurfaceSpan = RotatedWhiteSurfaceSpan;
    table.stretchFilterRow16 = nullptr;
    table.stretchEmitRow16 = nullptr;
    table.blendBytesRow = BlendBytesRow;
    table.addBytesRow = AddBytesRow;
    table.premulOverRow = PremulOverRow;
    table.modulateOverRow = ModulateOverRow;
    table.paletteRow = PaletteRow;
    table.paletteModulateRow = PaletteModulateRow;
    table.narrowRow = NarrowRow;
}

} // namespace Quib
