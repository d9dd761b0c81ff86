// Every entry of the filler table against the slow reference, bit for bit,
// over seeded random triangles, textures, colours and destinations.
#include "tests/raster/RasterTestSupport.h"
#include "tests/raster/ReferenceRasterizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace Quib {
namespace {

constexpr PixelFormatCode formats[4] = {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565, PIXEL_FORMAT_555};

TEST(FillerTable, EntriesFollowTheOptionsWithTheirSharedFillers)
{
    std::set<TriangleFiller> distinct;
    for (int i = 0; i < FILLER_TABLE_SIZE; ++i) {
        distinct.insert(TriangleFillerAt(i));
        const int inBlock = i & 31;
        const bool nothing = inBlock < 4 || (inBlock >= 8 && inBlock < 12);
        EXPECT_EQ(TriangleFillerAt(i) == &RasterizeNothing, nothing) << i;
    }
    EXPECT_EQ(distinct.size(), 71u);
    EXPECT_EQ(TriangleFillerAt(48), TriangleFillerAt(16));
    EXPECT_EQ(TriangleFillerAt(49), TriangleFillerAt(17));
    EXPECT_NE(TriangleFillerAt(80), TriangleFillerAt(112));
    // Untextured vertex-colour fillers ignore alpha-blended and smooth.
    for (int block = 0; block < 128; block += 32) {
        EXPECT_EQ(TriangleFillerAt(block + 4), TriangleFillerAt(block + 13));
        EXPECT_EQ(TriangleFillerAt(block + 6), TriangleFillerAt(block + 15));
        EXPECT_NE(TriangleFillerAt(block + 4), TriangleFillerAt(block + 6));
    }
    EXPECT_EQ(FillerIndex(true, true, false, false, true, 0x1234), 25);
    EXPECT_EQ(FillerIndex(true, false, false, false, false, PIXEL_FORMAT_555), 112);
}

struct RandomScene {
    std::mt19937 rng;
    explicit RandomScene(uint32_t seed) : rng(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }

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
    TestSurface fast(w, h, options.format, scene.Int(0, 3) * 2);
    for (auto& b : fast.bytes)
        b = static_cast<uint8_t>(scene.Int(0, 255));
    for (int y = 0; y < h; y += 3) // some destination alpha 0 and 255
        for (int x = 0; x < w; x += 2)
            if (PixelFormatBytes(options.format) == 4)
                fast.Set(x, y, (fast.Get(x, y) & 0xFFFFFF) | ((x + y) % 4 == 0 ? 0u : 0xFF000000u));
    TestSurface slow = fast;

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

        TriangleFillerAt(index)(corners, fast.Bits(), fast.pitch, texture, colour);
        ReferenceFillTriangle(options, corners, slow.Bits(), slow.pitch, texture, colour);

        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(std::memcmp(&corners[k], &before[k], sizeof(FixedCorner)), 0) << "corners changed";
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(fast.Get(x, y), slow.Get(x, y))
                    << "entry " << index << " seed " << seed << " triangle " << tri << " at " << x << "," << y;
        ASSERT_EQ(fast.bytes, slow.bytes) << "entry " << index << " wrote padding";
    }
}

class FillerDifferential : public ::testing::TestWithParam<int> {};

TEST_P(FillerDifferential, MatchesTheReferenceBitForBit)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        CheckEntry(GetParam(), seed * 7919u + static_cast<uint32_t>(GetParam()));
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(AllEntries, FillerDifferential, ::testing::Range(0, int{FILLER_TABLE_SIZE}));

} // namespace
} // namespace Quib
