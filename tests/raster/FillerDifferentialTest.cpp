// Every entry of the filler table against the slow reference, bit for bit,
// over seeded random triangles, textures, colours and destinations inside
// a canary border.
#include "tests/raster/RasterTestSupport.h"
#include "tests/raster/ReferenceRasterizer.h"
#include "tests/support/Differential.h"
#include "tests/support/Random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Quib {
namespace {

using namespace Testing;

// The index the dispatch computes for a set of options is the entry the
// reference reads the same options from.
TEST(FillerTable, IndexOfTheOptionsIsTheirEntry)
{
    for (int index = 0; index < FILLER_TABLE_SIZE; ++index) {
        const ReferenceOptions o = OptionsOfIndex(index);
        EXPECT_EQ(FillerIndex(o.textured, o.alphaBlended, o.vertexColours, o.modulated, o.smooth, o.format), index);
    }
    // A layout word not listed draws as 32-bit ARGB.
    EXPECT_EQ(FillerIndex(true, true, false, false, true, 0x1234), FILLER_TEXTURED | FILLER_ALPHA_BLENDED | FILLER_SMOOTH);
}

struct RandomScene {
    std::mt19937 rng;
    explicit RandomScene(uint32_t seed) : rng(seed) {}

    int Int(int lo, int hi) { return RandomInt(rng, lo, hi); }
    double Real(double lo, double hi) { return RandomDouble(rng, lo, hi); }

    std::vector<uint32_t> Texture(int w, int h)
    {
        std::vector<uint32_t> px(static_cast<size_t>(w * h));
        static const uint32_t alphas[] = {0, 1, 8, 9, 100, 128, 239, 240, 241, 255};
        const int style = Int(0, 2);
        for (auto& p : px) {
            uint32_t a = 255;
            if (style == 1)
                a = static_cast<uint32_t>(Int(0, 255));
            else if (style == 2)
                a = alphas[Int(0, 9)];
            p = (a << 24) | (static_cast<uint32_t>(Int(0, 0xFFFFFF)));
        }
        return px;
    }

    int32_t Channel()
    {
        // Whole channel values as the set-up makes them, sometimes with fractions.
        const int32_t whole = Int(0, 255) << 16;
        return Int(0, 3) == 0 ? std::min(whole + Int(0, 0xFFFF), 255 << 16) : whole;
    }

    FixedCorner Point(int w, int h, int texW, int texH)
    {
        FixedCorner c;
        c.x = Int(0, (w - 1) << 16);
        c.y = Int(0, (h - 1) << 16);
        if (Int(0, 4) == 0) { // whole positions share edges and rows exactly
            c.x &= ~0xFFFF;
            c.y &= ~0xFFFF;
        }
        c.u = static_cast<int32_t>(Real(-0.3, 1.3) * texW * 65536.0);
        c.v = static_cast<int32_t>(Real(-0.3, 1.3) * texH * 65536.0);
        c.alpha = Channel();
        c.red = Channel();
        c.green = Channel();
        c.blue = Channel();
        return c;
    }

    FillerColor Colour()
    {
        static const int32_t picks[] = {0, 1, 2, 127, 128, 254, 255};
        FillerColor c;
        c.alpha = Int(0, 1) ? picks[Int(0, 6)] : Int(0, 255);
        c.red = Int(0, 255);
        c.green = Int(0, 1) ? 255 : Int(0, 255);
        c.blue = Int(0, 255);
        return c;
    }
};

void CheckEntry(int index, uint32_t seed)
{
    RandomScene scene(seed);
    const ReferenceOptions options = OptionsOfIndex(index);
    const int w = scene.Int(1, 40), h = scene.Int(1, 30);
    const int bytes = PixelFormatBytes(options.format);
    // Rows a whole number of pixels apart, as in every surface and picture.
    CanaryBuffer fast(w, h, bytes, scene.Int(1, 3), scene.Int(0, 3) * bytes);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t v = uint32_t(scene.Int(0, 0xFFFF)) | uint32_t(scene.Int(0, 0xFFFF)) << 16;
            if (bytes == 4 && y % 3 == 0 && x % 2 == 0) // some destination alpha 0 and 255
                v = (v & 0xFFFFFF) | ((x + y) % 4 == 0 ? 0u : 0xFF000000u);
            fast.Set(x, y, v);
        }
    CanaryBuffer slow = fast;

    for (int tri = 0; tri < 40; ++tri) {
        const int texW = scene.Int(1, 9), texH = scene.Int(1, 9);
        const std::vector<uint32_t> texels = scene.Texture(texW, texH);
        const TextureInfo texture = MakeTextureInfo(texels, texW);
        const FillerColor colour = scene.Colour();
        FixedCorner corners[3] = {scene.Point(w, h, texW, texH), scene.Point(w, h, texW, texH),
                                  scene.Point(w, h, texW, texH)};
        if (scene.Int(0, 5) == 0) // a sliver
            corners[2].y = corners[1].y + scene.Int(-3, 3);
        if (scene.Int(0, 5) == 0)
            corners[2].x = corners[0].x + scene.Int(-3, 3);
        const FixedCorner before[3] = {corners[0], corners[1], corners[2]};

        TriangleFillerAt(index)(corners, fast.Bits(), fast.Pitch(), texture, colour);
        ReferenceFillTriangle(options, corners, slow.Bits(), slow.Pitch(), texture, colour);

        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(std::memcmp(&corners[k], &before[k], sizeof(FixedCorner)), 0) << "corners changed";
        ASSERT_EQ(fast.CanaryDamage(), "") << "triangle " << tri << " wrote outside the destination";
        ASSERT_EQ(fast.FirstDifference(slow), "") << "triangle " << tri;
    }
}

class FillerDifferential : public ::testing::TestWithParam<int> {};

TEST_P(FillerDifferential, MatchesTheReferenceBitForBit)
{
    const int index = GetParam();
    RunCases("filler entry " + std::to_string(index), 12, [index](uint32_t seed) { CheckEntry(index, seed); },
             1 + 100 * uint32_t(index));
}

INSTANTIATE_TEST_SUITE_P(AllEntries, FillerDifferential, ::testing::Range(0, int{FILLER_TABLE_SIZE}));

} // namespace
} // namespace Quib
