// The filler table of the fastest family the processor runs against the
// plain table and the slow reference, bit for bit, over seeded random
// triangles cut to random clips, on pictures and destinations large enough
// for the wide span kernels: spans of many groups and a few pixels,
// textures narrower and wider than a kernel's row window, steps near one
// texel (pictures drawn near their size, slightly warped), enlarged,
// shrunk, mirrored and reaching past the edges.
#include "framework/raster/TriangleSetup.h"
#include "tests/raster/RasterTestSupport.h"
#include "tests/raster/ReferenceRasterizer.h"
#include "tests/support/Differential.h"
#include "tests/support/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// The table entries the tests run: every textured entry of a 32-bit layout.
std::vector<int> WideCheckedEntries()
{
    std::vector<int> entries;
    for (int index = 0; index < FILLER_TABLE_SIZE; ++index) {
        const ReferenceOptions o = OptionsOfIndex(index);
        if (o.textured && PixelFormatBytes(o.format) == 4)
            entries.push_back(index);
    }
    return entries;
}

struct WideScene {
    std::mt19937 rng;
    explicit WideScene(uint32_t seed) : rng(seed) {}

    int Int(int lo, int hi) { return RandomInt(rng, lo, hi); }
    double Real(double lo, double hi) { return RandomDouble(rng, lo, hi); }

    // Opaque, mixed (every alpha the rules tell apart), or mostly clear.
    std::vector<uint32_t> Texture(int w, int h)
    {
        static const uint32_t alphas[] = {0, 8, 9, 100, 239, 240, 255, 255, 255};
        const int style = Int(0, 3);
        std::vector<uint32_t> px(size_t(w) * size_t(h));
        for (auto& p : px) {
            uint32_t a = 255;
            if (style == 1)
                a = alphas[Int(0, 8)];
            else if (style == 2)
                a = uint32_t(Int(0, 255));
            else if (style == 3)
                a = Int(0, 3) == 0 ? 255 : 0;
            p = a << 24 | uint32_t(Int(0, 0xFFFFFF));
        }
        return px;
    }

    FillerColor Colour()
    {
        FillerColor c;
        const int kind = Int(0, 3);
        if (kind == 0)
            return c; // white
        c.alpha = kind == 1 ? 255 : Int(0, 255);
        c.red = Int(0, 255);
        c.green = Int(0, 255);
        c.blue = Int(0, 255);
        return c;
    }
};

// A triangle of float corners with texture coordinates: a cell of a picture
// drawn near its own size with each corner moved a little (the rippling
// mesh), or any triangle with any coordinates.
// A picture of random colours, two thirds of it opaque.
std::vector<uint32_t> MixedAlphaPicture(std::mt19937& rng, int w, int h)
{
    std::vector<uint32_t> picture(size_t(w) * size_t(h));
    for (uint32_t& px : picture)
        px = uint32_t(RandomInt(rng, 0, 2) == 0 ? RandomInt(rng, 0, 255) : 255) << 24 |
             uint32_t(RandomInt(rng, 0, 0xFFFFFF));
    return picture;
}

// A 32-bit target filled with a fixed pattern, canaries around it.
CanaryBuffer PatternedTarget(int w, int h)
{
    CanaryBuffer target(w, h, 4, 2, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            target.Set(x, y, uint32_t(x * 2654435761u ^ uint32_t(y) * 40503u));
    return target;
}

void WideTriangle(WideScene& scene, int w, int h, int texW, int texH, TriangleVertex* out)
{
    if (scene.Int(0, 1) == 0) {
        // Texels per pixel across: enlarged, near one, and shrunk to either
        // side of two (the widest step of the kernels' row loads).
        static const double scales[] = {0.3, 0.9, 1.0, 1.02, 1.1, 1.9, 2.0, 2.1, 2.9, -1.0, -1.05};
        const double scale = scales[scene.Int(0, 10)];
        const double x0 = scene.Real(-20, w), y0 = scene.Real(-20, h);
        const double cw = scene.Real(8, w), ch = scene.Real(2, h);
        const double u0 = scene.Real(0, 1), v0 = scene.Real(0, 0.5);
        const double us = scale * cw / texW, vs = scene.Real(0.5, 1.5) * ch / texH;
        const bool upper = scene.Int(0, 1) == 0;
        const double cx[3] = {0, 1, upper ? 0.0 : 1.0}, cy[3] = {0, upper ? 0.0 : 1.0, 1};
        for (int k = 0; k < 3; ++k) {
            out[k].x = float(x0 + cx[k] * cw + scene.Real(-3, 3));
            out[k].y = float(y0 + cy[k] * ch + scene.Real(-3, 3));
            out[k].u = float(u0 + cx[k] * us);
            out[k].v = float(v0 + cy[k] * vs);
            out[k].color = 0;
        }
        return;
    }
    for (int k = 0; k < 3; ++k) {
        out[k].x = float(scene.Real(-40, w + 40));
        out[k].y = float(scene.Real(-40, h + 40));
        out[k].u = float(scene.Real(-0.4, 1.4));
        out[k].v = float(scene.Real(-0.4, 1.4));
        out[k].color = 0;
    }
}

void CheckWideEntry(int index, uint32_t seed)
{
    WideScene scene(seed);
    const ReferenceOptions options = OptionsOfIndex(index);
    const int w = scene.Int(1, 300), h = scene.Int(1, 60);
    CanaryBuffer wide(w, h, 4, 2, scene.Int(0, 2) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wide.Set(x, y, uint32_t(scene.Int(0, 0xFFFF)) | uint32_t(scene.Int(0, 0xFFFF)) << 16);
    CanaryBuffer plain = wide, reference = wide;

    for (int tri = 0; tri < 12; ++tri) {
        static const int widths[] = {1, 3, 15, 16, 17, 40, 200, 333};
        const int texW = scene.Int(0, 2) == 0 ? widths[scene.Int(0, 7)] : scene.Int(1, 400);
        const int texH = scene.Int(1, 120);
        const std::vector<uint32_t> texels = scene.Texture(texW, texH);
        const TextureInfo texture = MakeTextureInfo(texels, texW);
        const FillerColor colour = scene.Colour();

        TriangleVertex corners[3];
        WideTriangle(scene, w, h, texW, texH, corners);
        const Rect clip = RandomRectIn(scene.rng, w, h);
        if (clip.width <= 0 || clip.height <= 0)
            continue;
        const TriangleVertex* in[4] = {&corners[0], &corners[1], &corners[2], nullptr};
        const TriangleVertex* cut[MAX_CLIP_CORNERS];
        const int n = ClipPolygonToRect(cut, in, float(clip.x), float(clip.x + clip.width - 1), float(clip.y),
                                        float(clip.y + clip.height - 1));
        std::vector<FixedCorner> fixed;
        for (int k = 0; k < n; ++k) {
            FixedCorner f;
            f.x = int32_t(std::lround(std::clamp(double(cut[k]->x), double(clip.x), double(clip.x + clip.width - 1)) * 65536.0));
            f.y = int32_t(std::lround(std::clamp(double(cut[k]->y), double(clip.y), double(clip.y + clip.height - 1)) * 65536.0));
            f.u = int32_t(double(cut[k]->u) * texW * 65536.0);
            f.v = int32_t(double(cut[k]->v) * texH * 65536.0);
            fixed.push_back(f);
        }
        for (int k = 2; k < n; ++k) {
            const FixedCorner fan[3] = {fixed[0], fixed[size_t(k) - 1], fixed[size_t(k)]};
            TriangleFillerAt(index)(fan, wide.Bits(), wide.Pitch(), texture, colour);
            PlainTriangleFillerAt(index)(fan, plain.Bits(), plain.Pitch(), texture, colour);
            ReferenceFillTriangle(options, fan, reference.Bits(), reference.Pitch(), texture, colour);
        }
        ASSERT_EQ(wide.CanaryDamage(), "") << "triangle " << tri << " wrote outside the destination";
        ASSERT_EQ(plain.FirstDifference(reference), "") << "plain, triangle " << tri << " texture " << texW << "x" << texH;
        ASSERT_EQ(wide.FirstDifference(plain), "") << "fastest, triangle " << tri << " texture " << texW << "x" << texH;
    }
}

TEST(WideFillerDifferential, EveryTexturedEntryMatchesThePlainOneAndTheReference)
{
    for (const int index : WideCheckedEntries())
        RunCases("filler entry " + std::to_string(index) + " on wide spans", 6,
                 [index](uint32_t seed) { CheckWideEntry(index, seed); }, 7 + 1000 * uint32_t(index));
}

// A picture drawn as a rippling mesh of cells at its own size, each entry
// of the 32-bit layouts over the whole destination: long spans, steps close
// to one texel, rows crossed inside groups of pixels.
TEST(WideFillerDifferential, RipplingMeshOfAPicture)
{
    std::mt19937 rng(77);
    const int w = 203, h = 97;
    std::vector<uint32_t> picture(size_t(w) * h);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = (i % 11 == 0 ? 0x80u : i % 13 == 0 ? 0x04u : 0xFFu) << 24 | uint32_t(rng() & 0xFFFFFF);
    const TextureInfo texture = MakeTextureInfo(picture, w);
    constexpr int cells = 5;
    for (const int index : WideCheckedEntries()) {
        if (OptionsOfIndex(index).vertexColours)
            continue;
        CanaryBuffer wide = PatternedTarget(w, h);
        CanaryBuffer plain = wide;
        FillerColor colour;
        colour.alpha = 200;
        colour.green = 100;
        for (double t = 0; t < 1.0; t += 0.25) {
            FixedCorner grid[cells + 1][cells + 1];
            for (int j = 0; j <= cells; ++j)
                for (int i = 0; i <= cells; ++i) {
                    const double px = double(i) * (w - 1) / cells, py = double(j) * (h - 1) / cells;
                    const double ax = i == 0 || i == cells ? 0 : 2.0, ay = j == 0 || j == cells ? 0 : 2.0;
                    grid[j][i] = Corner(px + ax * std::sin(px / 20 + t * 6), py + ay * std::cos(py / 10 + t * 6),
                                        double(i) * w / cells, double(j) * h / cells);
                }
            for (int j = 0; j < cells; ++j)
                for (int i = 0; i < cells; ++i) {
                    const FixedCorner a[3] = {grid[j][i], grid[j][i + 1], grid[j + 1][i]};
                    const FixedCorner b[3] = {grid[j][i + 1], grid[j + 1][i + 1], grid[j + 1][i]};
                    for (const FixedCorner* tri : {a, b}) {
                        TriangleFillerAt(index)(tri, wide.Bits(), wide.Pitch(), texture, colour);
                        PlainTriangleFillerAt(index)(tri, plain.Bits(), plain.Pitch(), texture, colour);
                    }
                }
            ASSERT_EQ(wide.CanaryDamage(), "") << "entry " << index;
            ASSERT_EQ(wide.FirstDifference(plain), "") << "entry " << index << " time " << t;
        }
    }
}

// Triangles taller than a batch of spans, and drawing colours past 0..255
// (which the kernels decline, leaving the spans to the filler's own loop):
// every nearest entry against the plain one.
TEST(WideFillerDifferential, TallTrianglesAndColoursPastTheRange)
{
    RunCases("tall triangles", 8, [](uint32_t seed) {
        std::mt19937 rng(seed);
        const int w = 90, h = 330;
        const int texW = RandomInt(rng, 16, 120), texH = RandomInt(rng, 50, 400);
        const std::vector<uint32_t> picture = MixedAlphaPicture(rng, texW, texH);
        const TextureInfo texture = MakeTextureInfo(picture, texW);
        for (const int index : WideCheckedEntries()) {
            const ReferenceOptions o = OptionsOfIndex(index);
            if (o.vertexColours || o.smooth)
                continue;
            CanaryBuffer wide = PatternedTarget(w, h);
            CanaryBuffer plain = wide;
            FillerColor colour;
            colour.alpha = RandomInt(rng, 0, 1) ? 300 : RandomInt(rng, 0, 255);
            colour.red = RandomInt(rng, 0, 1) ? 256 : RandomInt(rng, 0, 255);
            colour.blue = RandomInt(rng, 0, 255);
            for (int tri = 0; tri < 4; ++tri) {
                FixedCorner corners[3];
                for (FixedCorner& k : corners)
                    k = Corner(RandomDouble(rng, 0, w - 1), RandomDouble(rng, 0, h - 1),
                               RandomDouble(rng, -0.1, 1.1) * texW, RandomDouble(rng, -0.1, 1.1) * texH);
                corners[0].y = 0;
                corners[1].y = (h - 1) * 65536;
                TriangleFillerAt(index)(corners, wide.Bits(), wide.Pitch(), texture, colour);
                PlainTriangleFillerAt(index)(corners, plain.Bits(), plain.Pitch(), texture, colour);
            }
            ASSERT_EQ(wide.CanaryDamage(), "") << "entry " << index;
            ASSERT_EQ(wide.FirstDifference(plain), "") << "entry " << index << " colour " << colour.alpha << ","
                                                       << colour.red;
        }
    });
}

// Pictures drawn at their own size, a texel a pixel across: spans that
// copy a row (from any column, at any fraction), spans whose rows drift so
// that some end on the next row, and mirrored ones, every nearest entry
// against the plain one.
TEST(WideFillerDifferential, PicturesAtTheirOwnSize)
{
    struct Case {
        double drift; // texture rows per destination pixel across
        double across; // texels per pixel across
    };
    static const Case cases[] = {{0, 1}, {0, 1}, {0.001, 1}, {0.02, 1}, {-0.02, 1}, {0, -1}, {0.3, 1}};
    RunCases("pictures at their own size", 14, [](uint32_t seed) {
        std::mt19937 rng(seed);
        const Case& k = cases[seed % (sizeof cases / sizeof cases[0])];
        const int w = 160, h = 40;
        const int texW = RandomInt(rng, 1, 300), texH = RandomInt(rng, 1, 50);
        const std::vector<uint32_t> picture = MixedAlphaPicture(rng, texW, texH);
        const TextureInfo texture = MakeTextureInfo(picture, texW);
        const double x0 = RandomInt(rng, -20, 60) + (RandomInt(rng, 0, 1) ? 0.0 : RandomDouble(rng, 0, 1));
        const double y0 = RandomInt(rng, -5, 20);
        const double u0 = RandomInt(rng, 0, 3) == 0 ? RandomDouble(rng, -3, 3) : RandomInt(rng, 0, 5) + 0.5;
        const double v0 = RandomDouble(rng, 0, 2);
        const double cw = RandomDouble(rng, 1, 200), ch = RandomDouble(rng, 1, 40);
        const auto at = [&](double dx, double dy) {
            const double x = std::clamp(x0 + dx, 0.0, double(w - 1)), y = std::clamp(y0 + dy, 0.0, double(h - 1));
            return Corner(x, y, u0 + k.across * (x - x0), v0 + (y - y0) + k.drift * (x - x0));
        };
        const FixedCorner a[3] = {at(0, 0), at(cw, 0), at(0, ch)}, b[3] = {at(cw, 0), at(cw, ch), at(0, ch)};
        FillerColor colour;
        colour.alpha = RandomInt(rng, 0, 1) ? 255 : RandomInt(rng, 0, 255);
        colour.red = RandomInt(rng, 0, 255);
        for (const int index : WideCheckedEntries()) {
            const ReferenceOptions o = OptionsOfIndex(index);
            if (o.vertexColours || o.smooth)
                continue;
            CanaryBuffer wide = PatternedTarget(w, h);
            CanaryBuffer plain = wide;
            for (const FixedCorner* tri : {a, b}) {
                TriangleFillerAt(index)(tri, wide.Bits(), wide.Pitch(), texture, colour);
                PlainTriangleFillerAt(index)(tri, plain.Bits(), plain.Pitch(), texture, colour);
            }
            ASSERT_EQ(wide.CanaryDamage(), "") << "entry " << index;
            ASSERT_EQ(wide.FirstDifference(plain), "") << "entry " << index << " texture " << texW << "x" << texH
                                                       << " drift " << k.drift << " across " << k.across;
        }
    });
}

} // namespace
} // namespace Quib

namespace Quib {
namespace {

// Bilinear blended spans (the particles' filler) into 32-bit pixels: small
// and large pictures, scaled from four times larger to a little past two
// texels a pixel, turned a little or a lot, white or modulated by a
// particle's colour, against the plain filler.
void CheckBilinearBlendedSpans(bool modulated)
{
    const int index = FillerIndex(true, true, false, modulated, true, PIXEL_FORMAT_888);
    static const double scales[] = {0.25, 0.5, 1.0, 1.5, 1.9, 2.0, 2.05, 2.1, 2.14, 3.0, 5.5, 9.0};
    static const double angles[] = {0.0, 0.01, 0.1, 0.5, 1.2, 3.0};
    const char* name = modulated ? "bilinear blended modulated spans" : "bilinear blended spans";
    RunCases(name, 40, [index, modulated](uint32_t seed) {
        std::mt19937 rng(seed);
        const int w = 120, h = 70;
        const int texW = RandomInt(rng, 0, 1) ? RandomInt(rng, 1, 12) : RandomInt(rng, 13, 60);
        const int texH = RandomInt(rng, 1, 40);
        std::vector<uint32_t> picture(size_t(texW) * size_t(texH));
        for (uint32_t& px : picture)
            px = uint32_t(RandomInt(rng, 0, 3) == 0 ? 0 : RandomInt(rng, 0, 1) ? 255 : RandomInt(rng, 0, 255)) << 24 |
                 uint32_t(RandomInt(rng, 0, 0xFFFFFF));
        const TextureInfo texture = MakeTextureInfo(picture, texW);
        CanaryBuffer wide(w, h, 4, 2, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                wide.Set(x, y, uint32_t(RandomInt(rng, 0, 0xFFFF)) << 16 | uint32_t(RandomInt(rng, 0, 0xFFFF)));
        CanaryBuffer plain = wide;
        const double scale = scales[RandomInt(rng, 0, 11)], angle = angles[RandomInt(rng, 0, 5)];
        // A particle's colour: faint, half, nearly and wholly opaque, any tint.
        static const int alphas[] = {0, 1, 24, 128, 239, 240, 255};
        FillerColor colour;
        if (modulated) {
            colour.alpha = alphas[RandomInt(rng, 0, 6)];
            colour.red = RandomInt(rng, 0, 255);
            colour.green = RandomInt(rng, 0, 1) ? 255 : RandomInt(rng, 0, 255);
            colour.blue = RandomInt(rng, 0, 255);
        }
        // Texture point (a, b) maps to destination (cx, cy) + R (a, b) / scale.
        const double cx = RandomDouble(rng, 0, w - 1), cy = RandomDouble(rng, 0, h - 1);
        const double c = std::cos(angle) / scale, sn = std::sin(angle) / scale;
        const double a0 = RandomDouble(rng, -5, texW + 5), b0 = RandomDouble(rng, -5, texH + 5);
        for (int tri = 0; tri < 6; ++tri) {
            FixedCorner corners[3];
            for (FixedCorner& k : corners) {
                const double a = a0 + RandomDouble(rng, -60, 60), b = b0 + RandomDouble(rng, -40, 40);
                const double x = std::clamp(cx + c * (a - a0) - sn * (b - b0), 0.0, double(w - 1));
                const double y = std::clamp(cy + sn * (a - a0) + c * (b - b0), 0.0, double(h - 1));
                k = Corner(x, y, a, b);
            }
            TriangleFillerAt(index)(corners, wide.Bits(), wide.Pitch(), texture, colour);
            PlainTriangleFillerAt(index)(corners, plain.Bits(), plain.Pitch(), texture, colour);
        }
        ASSERT_EQ(wide.CanaryDamage(), "");
        ASSERT_EQ(wide.FirstDifference(plain), "") << "texture " << texW << "x" << texH << " scale " << scale
                                                   << " angle " << angle << " colour " << colour.alpha << ","
                                                   << colour.red << "," << colour.green << "," << colour.blue;
    });
}

TEST(WideFillerDifferential, BilinearBlendedSpansScaledAndTurned)
{
    for (const bool modulated : {false, true}) {
        SCOPED_TRACE(modulated ? "modulated" : "white");
        CheckBilinearBlendedSpans(modulated);
    }
}

} // namespace
} // namespace Quib
