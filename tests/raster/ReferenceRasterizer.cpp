#include "tests/raster/ReferenceRasterizer.h"

#include <algorithm>
#include <cstring>

namespace Quib::Testing {
namespace {

// Wrapping arithmetic, so that extreme slivers stay defined.
int32_t Narrow(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }
int64_t Product(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b)); }
int32_t CeilFixed(int32_t a) { return Narrow((static_cast<int64_t>(a) + 65535) >> 16); }
int64_t Reciprocal(int64_t d) { return (static_cast<int64_t>(1) << 48) / d; }

enum Field { F_ALPHA, F_RED, F_GREEN, F_BLUE, F_U, F_V, FIELDS };

int32_t Get(const FixedCorner& c, int f)
{
    switch (f) {
    case F_ALPHA: return c.alpha;
    case F_RED: return c.red;
    case F_GREEN: return c.green;
    case F_BLUE: return c.blue;
    case F_U: return c.u;
    default: return c.v;
    }
}

struct Pixel {
    uint32_t a, r, g, b;
};

Pixel Unpack(uint32_t w) { return {w >> 24, (w >> 16) & 255, (w >> 8) & 255, w & 255}; }

int Kind(PixelFormatCode f)
{
    if (f == PIXEL_FORMAT_888)
        return 1;
    if (f == PIXEL_FORMAT_565)
        return 2;
    if (f == PIXEL_FORMAT_555)
        return 3;
    return 0;
}

// The texel at column x, row y, or 0 outside the picture (width x
// size / width texels; none without pixels).
uint32_t ReadTexel(const TextureInfo& t, int64_t x, int64_t y)
{
    const int64_t w = t.pixels && t.width > 0 ? t.width : 0;
    const int64_t h = w > 0 ? t.size / w : 0;
    return x >= 0 && x < w && y >= 0 && y < h ? t.pixels[y * w + x] : 0;
}

// Nearest texel (each coordinate held to the picture), or the bilinear
// filter giving premultiplied colour and the sum of the weights as alpha.
Pixel Sample(const TextureInfo& t, bool smooth, int32_t u, int32_t v)
{
    if (!smooth) {
        const int64_t w = t.pixels && t.width > 0 ? t.width : 1;
        const int64_t h = t.pixels && t.width > 0 ? std::max<int64_t>(t.size / w, 1) : 1;
        return Unpack(ReadTexel(t, std::clamp<int64_t>(u >> 16, 0, w - 1), std::clamp<int64_t>(v >> 16, 0, h - 1)));
    }
    const int32_t u0 = static_cast<int32_t>(static_cast<uint32_t>(u) & 0xFFFF0000u);
    const int32_t v0 = static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFF0000u);
    const int64_t x = u0 >> 16, y = v0 >> 16;
    const Pixel tex[4] = {Unpack(ReadTexel(t, x, y)), Unpack(ReadTexel(t, x + 1, y)),
                          Unpack(ReadTexel(t, x, y + 1)), Unpack(ReadTexel(t, x + 1, y + 1))};
    const uint32_t fu = ((static_cast<uint32_t>(u) - static_cast<uint32_t>(u0)) & 0xFFFE) + 1;
    const uint32_t fv = ((static_cast<uint32_t>(v) - static_cast<uint32_t>(v0)) & 0xFFFE) + 1;
    const uint32_t raw[4] = {((0x10000 - fu) * (0x10000 - fv)) >> 16, (fu * (0x10000 - fv)) >> 16,
                             ((0x10000 - fu) * fv) >> 16, (fu * fv) >> 16};
    uint32_t sum = 0, r = 0, g = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
        const uint32_t weight = (raw[i] * tex[i].a) >> 16;
        sum += weight;
        r += weight * tex[i].r;
        g += weight * tex[i].g;
        b += weight * tex[i].b;
    }
    return {sum & 255, r >> 8, g >> 8, b >> 8};
}

uint32_t Field16(uint32_t c, int bits) { return c >> (8 - bits); }

void Write(uint8_t* p, int kind, uint32_t word32, uint16_t word16)
{
    if (kind <= 1)
        std::memcpy(p, &word32, 4);
    else
        std::memcpy(p, &word16, 2);
}

uint16_t Pack(int kind, uint32_t r, uint32_t g, uint32_t b)
{
    if (kind == 2)
        return static_cast<uint16_t>((Field16(r, 5) << 11) | (Field16(g, 6) << 5) | Field16(b, 5));
    return static_cast<uint16_t>((Field16(r, 5) << 10) | (Field16(g, 5) << 5) | Field16(b, 5));
}

void WriteSolid(uint8_t* p, int kind, uint32_t r, uint32_t g, uint32_t b)
{
    Write(p, kind, 0xFF000000u | (r << 16) | (g << 8) | b, kind >= 2 ? Pack(kind, r, g, b) : 0);
}

// Source terms (sr, sg, sb) already weighted, effective alpha a.
void BlendPixel(uint8_t* p, int kind, uint32_t sr, uint32_t sg, uint32_t sb, uint32_t a)
{
    if (kind == 0) {
        uint32_t word;
        std::memcpy(&word, p, 4);
        const Pixel d = Unpack(word);
        const uint32_t outA = 256 - (((256 - d.a) * (256 - a)) >> 8);
        if (outA == 0)
            return;
        const auto mix = [&](uint32_t dc, uint32_t sc) {
            const uint32_t c = ((((dc * d.a) >> 8) * (256 - a)) + 256 * sc) / outA;
            return c > 255 ? 255u : c;
        };
        const uint32_t out = ((outA - 1) << 24) | (mix(d.r, sr) << 16) | (mix(d.g, sg) << 8) | mix(d.b, sb);
        std::memcpy(p, &out, 4);
    } else if (kind == 1) {
        uint32_t word;
        std::memcpy(&word, p, 4);
        const Pixel d = Unpack(word);
        const auto mix = [&](uint32_t dc, uint32_t sc) {
            const uint32_t c = sc + ((dc * (255 - a)) >> 8);
            return c > 255 ? 255u : c;
        };
        const uint32_t out = 0xFF000000u | (mix(d.r, sr) << 16) | (mix(d.g, sg) << 8) | mix(d.b, sb);
        std::memcpy(p, &out, 4);
    } else {
        uint16_t word;
        std::memcpy(&word, p, 2);
        const int gBits = kind == 2 ? 6 : 5;
        const uint32_t k = (255 - a) >> 3;
        const uint32_t dR = word >> (5 + gBits) & 31, dG = (word >> 5) & ((1u << gBits) - 1), dB = word & 31;
        const uint32_t r = std::min<uint32_t>(31, ((dR * k) >> 5) + Field16(sr, 5));
        const uint32_t g = std::min<uint32_t>((1u << gBits) - 1, ((dG * k) >> 5) + Field16(sg, gBits));
        const uint32_t b = std::min<uint32_t>(31, ((dB * k) >> 5) + Field16(sb, 5));
        const auto out = static_cast<uint16_t>((r << (5 + gBits)) | (g << 5) | b);
        std::memcpy(p, &out, 2);
    }
}

void ShadeTextured(const ReferenceOptions& o, int kind, uint8_t* p, const int32_t* q, const TextureInfo& t,
                   const FillerColor& colour)
{
    int32_t u = q[F_U], v = q[F_V];
    if (o.smooth) { // the filter is centred half a texel back
        u = Narrow(static_cast<int64_t>(u) - 0x8000);
        v = Narrow(static_cast<int64_t>(v) - 0x8000);
    }
    const Pixel s = Sample(t, o.smooth, u, v);
    if (!o.alphaBlended && !o.vertexColours && !o.modulated) {
        WriteSolid(p, kind, s.r, s.g, s.b);
        return;
    }
    const uint32_t texAlpha = o.alphaBlended ? s.a : 255;
    if (o.alphaBlended && texAlpha <= 8)
        return;
    uint32_t mr = s.r, mg = s.g, mb = s.b, a = texAlpha;
    if (o.vertexColours || o.modulated) {
        uint32_t f[4];
        if (o.vertexColours) {
            for (int i = 0; i < 4; ++i)
                f[i] = static_cast<uint32_t>(q[F_ALPHA + i]) >> 16;
        } else {
            f[0] = static_cast<uint32_t>(colour.alpha);
            f[1] = static_cast<uint32_t>(colour.red);
            f[2] = static_cast<uint32_t>(colour.green);
            f[3] = static_cast<uint32_t>(colour.blue);
        }
        const auto factor = [&](uint32_t c, uint32_t fc) {
            uint32_t x = ((c * fc) >> 8) & 255;
            if (o.smooth)
                x = ((x * f[0]) >> 8) & 255;
            return x;
        };
        mr = factor(s.r, f[1]);
        mg = factor(s.g, f[2]);
        mb = factor(s.b, f[3]);
        a = ((f[0] * texAlpha) >> 8) & 255;
    }
    if (a >= 240) {
        WriteSolid(p, kind, mr, mg, mb);
        return;
    }
    if (o.smooth)
        BlendPixel(p, kind, mr, mg, mb, a);
    else
        BlendPixel(p, kind, (mr * a) >> 8, (mg * a) >> 8, (mb * a) >> 8, a);
}

void ShadeColoured(int kind, uint8_t* p, const int32_t* q)
{
    const uint32_t a = static_cast<uint32_t>(q[F_ALPHA]);
    const uint32_t r16 = static_cast<uint32_t>(q[F_RED]), g16 = static_cast<uint32_t>(q[F_GREEN]),
                   b16 = static_cast<uint32_t>(q[F_BLUE]);
    if (a > 0xF00000) {
        WriteSolid(p, kind, (r16 >> 16) & 255, (g16 >> 16) & 255, (b16 >> 16) & 255);
        return;
    }
    if (a <= 0x80000)
        return;
    const uint32_t A = a >> 16;
    if (kind == 0)
        BlendPixel(p, kind, static_cast<uint32_t>((static_cast<uint64_t>(r16) * A) >> 24) & 255,
                   (((g16 >> 8) * A) >> 16) & 255, (((b16 >> 16) * A) >> 8) & 255, A);
    else
        BlendPixel(p, kind, (((r16 >> 16) * A) >> 8) & 255, (((g16 >> 16) * A) >> 8) & 255,
                   (((b16 >> 16) * A) >> 8) & 255, A);
}

} // namespace

ReferenceOptions OptionsOfIndex(int index)
{
    static const PixelFormatCode formats[4] = {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565,
                                               PIXEL_FORMAT_555};
    ReferenceOptions o;
    o.format = formats[(index >> 5) & 3];
    o.textured = index & 16;
    o.alphaBlended = index & 8;
    o.vertexColours = index & 4;
    o.modulated = index & 2;
    o.smooth = index & 1;
    return o;
}

void ReferenceFillTriangle(const ReferenceOptions& options, const FixedCorner* corners, uint8_t* bits, int pitch,
                           const TextureInfo& texture, const FillerColor& colour)
{
    ReferenceOptions o = options;
    if (!o.textured && !o.vertexColours)
        return; // nothing to draw with
    if (!o.textured)
        o.alphaBlended = o.smooth = false;
    const int kind = Kind(o.format);
    const int bpp = kind <= 1 ? 4 : 2;

    FixedCorner c[3] = {corners[0], corners[1], corners[2]};
    if (o.vertexColours && o.modulated) {
        const uint32_t k[4] = {static_cast<uint32_t>(colour.alpha), static_cast<uint32_t>(colour.red),
                               static_cast<uint32_t>(colour.green), static_cast<uint32_t>(colour.blue)};
        for (auto& x : c) {
            x.alpha = static_cast<int32_t>((static_cast<uint32_t>(x.alpha) * k[0]) >> 8);
            x.red = static_cast<int32_t>((static_cast<uint32_t>(x.red) * k[1]) >> 8);
            x.green = static_cast<int32_t>((static_cast<uint32_t>(x.green) * k[2]) >> 8);
            x.blue = static_cast<int32_t>((static_cast<uint32_t>(x.blue) * k[3]) >> 8);
        }
    }

    // Sort by y, keeping the order of equal ones.
    int order[3] = {0, 1, 2};
    if (c[order[0]].y > c[order[1]].y)
        std::swap(order[0], order[1]);
    if (c[order[1]].y > c[order[2]].y)
        std::swap(order[1], order[2]);
    if (c[order[0]].y > c[order[1]].y)
        std::swap(order[0], order[1]);
    const FixedCorner& T = c[order[0]];
    const FixedCorner& M = c[order[1]];
    const FixedCorner& B = c[order[2]];

    const int32_t firstRow = CeilFixed(T.y), endRow = CeilFixed(B.y), midRow = CeilFixed(M.y);
    if (firstRow == endRow)
        return;
    const int64_t longRecip = Reciprocal(static_cast<int64_t>(B.y) - T.y);
    const int32_t longDx = Narrow(Product(static_cast<int64_t>(B.x) - T.x, longRecip) >> 32);
    const int64_t heightToMid = static_cast<int64_t>(M.y) - T.y;
    const int32_t longAtMid = Narrow(static_cast<int64_t>(Narrow(Product(longDx, heightToMid) >> 16)) + T.x);
    if (longAtMid == M.x)
        return;
    const int64_t preStep = (static_cast<int64_t>(firstRow) << 16) - T.y;
    const int64_t widthRecip = Reciprocal(static_cast<int64_t>(M.x) - longAtMid);

    int32_t longQ[FIELDS] = {}, longDq[FIELDS] = {}, rowDq[FIELDS] = {};
    for (int f = 0; f < FIELDS; ++f) {
        longDq[f] = Narrow(Product(static_cast<int64_t>(Get(B, f)) - Get(T, f), longRecip) >> 32);
        longQ[f] = Narrow(static_cast<int64_t>(Narrow(Product(longDq[f], preStep) >> 16)) + Get(T, f));
        rowDq[f] = Narrow(
            Product(static_cast<int64_t>(Get(M, f)) - (Product(longDq[f], heightToMid) >> 16) - Get(T, f), widthRecip) >>
            32);
    }
    int32_t longX = Narrow(static_cast<int64_t>(Narrow(Product(longDx, preStep) >> 16)) + T.x);

    const int32_t minX = std::min({T.x, M.x, B.x}), maxX = std::max({T.x, M.x, B.x});
    const int32_t lowestColumn = minX >> 16, highestColumn = maxX >> 16;
    const int64_t rowBytes = pitch / bpp * bpp;

    int32_t shortX = 0, shortDx = 0;
    for (int32_t y = firstRow; y < endRow; ++y) {
        if (y == firstRow && midRow > firstRow) {
            shortDx = Narrow(Product(static_cast<int64_t>(M.x) - T.x, Reciprocal(heightToMid)) >> 32);
            shortX = Narrow(static_cast<int64_t>(Narrow(Product(shortDx, preStep) >> 16)) + T.x);
        }
        if (y == midRow) {
            shortDx = Narrow(Product(static_cast<int64_t>(B.x) - M.x, Reciprocal(static_cast<int64_t>(B.y) - M.y)) >> 32);
            shortX = Narrow(static_cast<int64_t>(M.x) +
                            (Product((static_cast<int64_t>(midRow) << 16) - M.y, shortDx) >> 16));
        }
        const bool longIsLeft = longAtMid < M.x;
        const int32_t left = longIsLeft ? longX : shortX;
        const int32_t right = longIsLeft ? shortX : longX;
        const int64_t upLeft = (static_cast<int64_t>(left) + 0xFFFF) & ~static_cast<int64_t>(0xFFFF);
        int32_t q[FIELDS];
        for (int f = 0; f < FIELDS; ++f)
            q[f] = Narrow(static_cast<int64_t>(longQ[f]) + Narrow(Product(rowDq[f], upLeft - longX) >> 16));
        uint8_t* row = bits + y * rowBytes;
        for (int32_t x = CeilFixed(left); x < CeilFixed(right); ++x) {
            if (x >= lowestColumn && x <= highestColumn) {
                uint8_t* p = row + static_cast<int64_t>(x) * bpp;
                if (o.textured)
                    ShadeTextured(o, kind, p, q, texture, colour);
                else
                    ShadeColoured(kind, p, q);
            }
            for (int f = 0; f < FIELDS; ++f)
                q[f] = Narrow(static_cast<int64_t>(q[f]) + rowDq[f]);
        }
        longX = Narrow(static_cast<int64_t>(longX) + longDx);
        shortX = Narrow(static_cast<int64_t>(shortX) + shortDx);
        for (int f = 0; f < FIELDS; ++f)
            longQ[f] = Narrow(static_cast<int64_t>(longQ[f]) + longDq[f]);
    }
}

} // namespace Quib::Testing
