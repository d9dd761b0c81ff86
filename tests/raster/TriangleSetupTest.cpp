// Strip set-up, clipping, and the calls the image classes make.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TriangleRasterizer.h"
#include "tests/raster/RasterTestSupport.h"
#include "tests/support/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

PixelBuffer TargetOf(TestSurface& s) { return s.Buffer(); }

TriangleVertex V(float x, float y, float u = 0, float v = 0, uint32_t colour = 0) { return {x, y, u, v, colour}; }

// Untextured corners of colour alpha 128 over opaque black XRGB: a pixel
// drawn once reads 0x7F in every channel, twice 0xBE.
constexpr uint32_t halfWhite = 0x80FFFFFF;
constexpr uint32_t once = 0xFF7F7F7F;

void DrawHalfWhite(TestSurface& s, std::vector<TriangleVertex> corners, Rect clip)
{
    for (auto& c : corners)
        c.color = halfWhite;
    SetupAndRasterizeTriangles(corners.data(), static_cast<int>(corners.size()), nullptr, Color::White, clip,
                               TargetOf(s), false, true);
}

int CountValue(const TestSurface& s, uint32_t value)
{
    int n = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            n += s.Get(x, y) == value;
    return n;
}

TEST(TriangleSetup, StripCountsAndOrder)
{
    const std::vector<TriangleVertex> zigzag = {V(0, 0), V(0, 8), V(5, 0), V(5, 8), V(10, 0), V(10, 8)};
    const Rect all(0, 0, 16, 16);
    TestSurface s(16, 16, PIXEL_FORMAT_888);
    s.Fill(0xFF000000);
    DrawHalfWhite(s, {zigzag.begin(), zigzag.begin() + 2}, all);
    EXPECT_EQ(CountValue(s, 0xFF000000), 256); // two corners draw nothing
    DrawHalfWhite(s, {zigzag.begin(), zigzag.begin() + 3}, all);
    EXPECT_EQ(CountValue(s, once), 26); // (0,0) (0,8) (5,0): rows of 5,5,4,4,3,2,2,1 pixels
    s.Fill(0xFF000000);
    DrawHalfWhite(s, zigzag, all);
    // (a,b,c), (b,d,c), (c,d,e), (d,f,e): the 10 x 8 rectangle exactly once.
    EXPECT_EQ(CountValue(s, once), 80);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(s.Get(x, y), once) << x << "," << y;
}

TEST(TriangleSetup, ClipKeepsCornersOnTheBoundsAndCutsTheRest)
{
    const TriangleVertex a = V(0, 0), b = V(10, 0), c = V(10, 10);
    const TriangleVertex* in[4] = {&a, &b, &c, nullptr};
    const TriangleVertex* out[MAX_CLIP_CORNERS];
    ASSERT_EQ(ClipPolygonToRect(out, in, 0, 10, 0, 10), 3);
    EXPECT_EQ(out[0], &a);
    EXPECT_EQ(out[1], &b);
    EXPECT_EQ(out[2], &c);
    EXPECT_EQ(out[3], nullptr);

    const TriangleVertex l1 = V(-5, 0), l2 = V(-1, 3), l3 = V(-0.001f, 9);
    const TriangleVertex* left[4] = {&l1, &l2, &l3, nullptr};
    EXPECT_EQ(ClipPolygonToRect(out, left, 0, 10, 0, 10), 0);

    const TriangleVertex k1 = V(-4, 3), k2 = V(8, -5), k3 = V(15, 14);
    const TriangleVertex* cover[4] = {&k1, &k2, &k3, nullptr};
    const int n = ClipPolygonToRect(out, cover, 0, 10, 0, 10);
    ASSERT_EQ(n, 7);
    for (int i = 0; i < n; ++i) {
        EXPECT_GE(out[i]->x, 0.0f);
        EXPECT_LE(out[i]->x, 10.0f);
        EXPECT_GE(out[i]->y, 0.0f);
        EXPECT_LE(out[i]->y, 10.0f);
    }

    // Drawn as a fan from its first corner, the cut polygon covers every
    // pixel at most once, and its inside fully.
    TestSurface s(16, 16, PIXEL_FORMAT_888);
    s.Fill(0xFF000000);
    DrawHalfWhite(s, {k1, k2, k3}, Rect(0, 0, 11, 11));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t got = s.Get(x, y);
            ASSERT_TRUE(got == once || got == 0xFF000000u) << "drawn twice at " << x << "," << y;
            if (x >= 10 || y >= 10) {
                ASSERT_EQ(got, 0xFF000000u) << "outside the bounds at " << x << "," << y;
            }
        }
    EXPECT_EQ(s.Get(5, 5), once);
    EXPECT_EQ(s.Get(0, 3), once);
    EXPECT_EQ(s.Get(9, 9), once);
}

TEST(TriangleSetup, NewCornerHalfwayGetsTruncatedChannels)
{
    const TriangleVertex black = V(-1, 0, 0, 0, 0xFF000000), white = V(1, 0, 1, 0.5f, 0xFFFFFFFF);
    TriangleVertex mid;
    InterpolateCornerAtX(mid, white, black, 0);
    EXPECT_EQ(mid.color, 0xFF7F7F7Fu);
    EXPECT_FLOAT_EQ(mid.x, 0);
    EXPECT_FLOAT_EQ(mid.u, 0.5f);
    EXPECT_FLOAT_EQ(mid.v, 0.25f);
    InterpolateCornerAtY(mid, V(0, 4, 0, 0, 0x10203040), V(0, -4, 0, 0, 0x10203040), 0);
    EXPECT_EQ(mid.color, 0x10203040u);
}

TEST(TriangleSetup, RightAndBottomOfTheClipStayEmpty)
{
    TestSurface s(110, 110, PIXEL_FORMAT_888);
    s.Fill(0xFF000000);
    DrawHalfWhite(s, {V(-20, -20), V(200, -20), V(-20, 200), V(200, 200)}, Rect(0, 0, 100, 100));
    EXPECT_EQ(s.Get(98, 98), once);
    EXPECT_EQ(s.Get(0, 0), once);
    EXPECT_EQ(s.Get(99, 50), 0xFF000000u);
    EXPECT_EQ(s.Get(50, 99), 0xFF000000u);
    EXPECT_EQ(CountValue(s, once), 99 * 99);
}

MemoryImage MakeImage(std::vector<uint32_t> words, int w, int h)
{
    MemoryImage img(nullptr);
    img.AssignPixels(words.data(), w, h, true);
    return img;
}

uint32_t DrawImageCentre(MemoryImage& img, const Color& colour, bool smooth, uint32_t dest = 0xFF000000)
{
    TestSurface s(8, 8, PIXEL_FORMAT_8888);
    s.Fill(dest);
    const TriangleVertex q[4] = {V(0, 0, 0, 0), V(8, 0, 1, 0), V(0, 8, 0, 1), V(8, 8, 1, 1)};
    SetupAndRasterizeTriangles(q, 4, &img, colour, Rect(0, 0, 8, 8), TargetOf(s), smooth, false);
    return s.Get(4, 4);
}

TEST(TriangleSetup, OpaqueWhiteIsNotModulated)
{
    MemoryImage img = MakeImage(std::vector<uint32_t>(4, 0xFFC8C8C8), 2, 2);
    EXPECT_EQ(DrawImageCentre(img, Color(255, 255, 255, 255), false), 0xFFC8C8C8u);
    EXPECT_EQ(DrawImageCentre(img, Color(255, 255, 255, 254), false), 0xFFC7C7C7u);
}

TEST(TriangleSetup, BlendingFollowsTheSourceFlagsOrSmooth)
{
    MemoryImage img = MakeImage(std::vector<uint32_t>(4, 0x00C8C8C8), 2, 2);
    EXPECT_TRUE(img.hasTrans);
    EXPECT_EQ(DrawImageCentre(img, Color::White, false, 0xFF102030), 0xFF102030u); // transparent: skipped
    img.ForceTransparencyFlags(false, false);
    EXPECT_EQ(DrawImageCentre(img, Color::White, false, 0xFF102030), 0xFFC8C8C8u); // plain copy
    EXPECT_EQ(DrawImageCentre(img, Color::White, true, 0xFF102030), 0xFF102030u);  // smooth blends
}

TEST(TriangleSetup, AnEmptySourceSamplesZero)
{
    // Every fetch from a picture without pixels gives 0: transparent black,
    // skipped when blending, opaque black through the plain filler.
    MemoryImage empty(nullptr);
    empty.ForceTransparencyFlags(true, false);
    TestSurface s(8, 8, PIXEL_FORMAT_8888);
    s.Fill(0xFF102030);
    const TriangleVertex q[4] = {V(0, 0, 0, 0, 0xFFFFFFFF), V(8, 0, 1, 0, 0xFFFFFFFF), V(0, 8, 0, 1, 0xFFFFFFFF),
                                 V(8, 8, 1, 1, 0xFFFFFFFF)};
    SetupAndRasterizeTriangles(q, 4, &empty, Color::White, Rect(0, 0, 8, 8), TargetOf(s), false, true);
    EXPECT_EQ(CountValue(s, 0xFF102030), 64);
    empty.ForceTransparencyFlags(false, false);
    SetupAndRasterizeTriangles(q, 4, &empty, Color::White, Rect(0, 0, 8, 8), TargetOf(s), false, false);
    EXPECT_EQ(s.Get(4, 4), 0xFF000000u);
}

TEST(TriangleSetup, FlippedPictureKeepsItsEdgeTexels)
{
    // A 4 x 3 picture drawn turned over both ways onto 8 x 6: the top row
    // and the left column sample at exactly u = 1.0 or v = 1.0, which is
    // the last texel. The texels sit in a vector of exactly 4 x 3 words.
    std::vector<uint32_t> words(12);
    for (uint32_t row = 0; row < 3; ++row)
        for (uint32_t col = 0; col < 4; ++col)
            words[row * 4 + col] = 0xFF000000u | (0x40 + 0x30 * col) << 16 | (0x40 + 0x50 * row) << 8 | 0x80;
    RasterTexture texture;
    texture.pixels = words.data();
    texture.width = 4;
    texture.height = 3;
    const std::vector<TriangleVertex> q = {V(0, 0, 1, 1), V(8, 0, 0, 1), V(0, 6, 1, 0), V(8, 6, 0, 0)};
    for (bool translucent : {false, true}) {
        texture.hasTranslucent = translucent;
        // A clip one larger: its last column and row are never drawn.
        TestSurface s(9, 7, PIXEL_FORMAT_888);
        s.Fill(0xFF000000);
        RasterizeTriangleStrip(q.data(), 4, &texture, FillerColor{}, 0, 0, 9, 7, TargetOf(s), false, false);
        const auto texel = [&](int col, int row) { return words[static_cast<size_t>(row * 4 + col)]; };
        // Row 0 samples v = 3.0 and u = 4 - x / 2; column 0 u = 4.0 and v = 3 - y / 2.
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(s.Get(x, 0), texel(std::min(3, (8 - x) / 2), 2)) << translucent << " column " << x;
        for (int y = 0; y < 6; ++y)
            EXPECT_EQ(s.Get(0, y), texel(3, std::min(2, (6 - y) / 2))) << translucent << " row " << y;
        EXPECT_EQ(CountValue(s, 0xFF000000), 9 + 7 - 1) << translucent;
    }
}

TEST(TriangleSetup, DestinationBoundsWinOverAWiderClip)
{
    // A 20 x 10 destination in the middle of a larger canary buffer; the
    // clip reaches far outside it.
    const int outerW = 40, outerH = 30, padX = 10, padY = 10;
    for (PixelFormatCode f : {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565, PIXEL_FORMAT_555}) {
        TestSurface outer(outerW, outerH, f);
        outer.Fill(0x5A5A5A5A);
        const int bpp = PixelFormatBytes(f);
        PixelBuffer target = outer.Buffer();
        target.bits += padY * outer.pitch + padX * bpp;
        target.width = 20;
        target.height = 10;
        std::vector<TriangleVertex> q = {V(-50, -50, 0, 0, 0xFF00FF00), V(90, -50, 1, 0, 0xFF00FF00),
                                         V(-50, 90, 0, 1, 0xFF00FF00), V(90, 90, 1, 1, 0xFF00FF00)};
        SetupAndRasterizeTriangles(q.data(), 4, nullptr, Color::White, Rect(-100, -100, 400, 400), target, false,
                                   true);
        for (int y = 0; y < outerH; ++y)
            for (int x = 0; x < outerW; ++x) {
                // The last column and row of a clip are never drawn.
                const bool inside = x >= padX && x < padX + 19 && y >= padY && y < padY + 9;
                if (!inside)
                    ASSERT_EQ(outer.Get(x, y), outer.Get(0, 0)) << f << " at " << x << "," << y;
                else
                    ASSERT_NE(outer.Get(x, y), outer.Get(0, 0)) << f << " at " << x << "," << y;
            }
    }
}

TEST(TriangleSetup, BadInputDrawsNothing)
{
    TestSurface s(8, 8, PIXEL_FORMAT_8888);
    s.Fill(0x11223344);
    const std::vector<uint32_t> before(s.bytes.begin(), s.bytes.end());
    const float nan = std::nanf(""), inf = INFINITY;
    const TriangleVertex bad[3] = {V(nan, 0, 0, 0, 0xFFFFFFFF), V(8, inf, 0, 0, 0xFFFFFFFF),
                                   V(0, 8, 0, 0, 0xFFFFFFFF)};
    SetupAndRasterizeTriangles(bad, 3, nullptr, Color::White, Rect(0, 0, 8, 8), TargetOf(s), false, true);
    PixelBuffer shortPitch = TargetOf(s);
    shortPitch.pitch = 8;
    const TriangleVertex good[3] = {V(0, 0, 0, 0, 0xFFFFFFFF), V(8, 0, 0, 0, 0xFFFFFFFF), V(0, 8, 0, 0, 0xFFFFFFFF)};
    SetupAndRasterizeTriangles(good, 3, nullptr, Color::White, Rect(0, 0, 8, 8), shortPitch, false, true);
    PixelBuffer oddPitch = TargetOf(s);
    oddPitch.pitch = 8 * 4 - 2; // rows would not start on whole pixels
    oddPitch.width = 7;
    SetupAndRasterizeTriangles(good, 3, nullptr, Color::White, Rect(0, 0, 8, 8), oddPitch, false, true);
    SetupAndRasterizeTriangles(good, 3, nullptr, Color::White, Rect(0, 0, 0, 8), TargetOf(s), false, true);
    RasterizeTriangleList(nullptr, good, -1, Rect(0, 0, 8, 8), Color::White, TargetOf(s), 0, 0, false);
    EXPECT_EQ(std::vector<uint32_t>(s.bytes.begin(), s.bytes.end()), before);
    // Texture coordinates far out of range still sample safely.
    MemoryImage img = MakeImage({0xFF0000FF}, 1, 1);
    const TriangleVertex wild[3] = {V(0, 0, 1e30f, -1e30f), V(8, 0, nan, 0), V(0, 8, 0, inf)};
    SetupAndRasterizeTriangles(wild, 3, &img, Color::White, Rect(0, 0, 8, 8), TargetOf(s), true, false);
}

TEST(TriangleSetup, ThreadsClipAtTheSameTime)
{
    // Each thread cuts its own triangles; the corners clipping makes are
    // never shared between threads.
    const auto draw = [](TestSurface& s, uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> at(-30, 60);
        for (int i = 0; i < 400; ++i) {
            const TriangleVertex t[3] = {V(at(rng), at(rng), 0, 0, static_cast<uint32_t>(rng()) | 0xFF000000),
                                         V(at(rng), at(rng), 0, 0, static_cast<uint32_t>(rng()) | 0xFF000000),
                                         V(at(rng), at(rng), 0, 0, static_cast<uint32_t>(rng()) | 0xFF000000)};
            SetupAndRasterizeTriangles(t, 3, nullptr, Color::White, Rect(0, 0, 32, 32), TargetOf(s), false, true);
        }
    };
    TestSurface wantA(32, 32, PIXEL_FORMAT_8888), wantB(32, 32, PIXEL_FORMAT_8888);
    draw(wantA, 1);
    draw(wantB, 2);
    for (int round = 0; round < 10; ++round) {
        TestSurface a(32, 32, PIXEL_FORMAT_8888), b(32, 32, PIXEL_FORMAT_8888);
        std::thread ta(draw, std::ref(a), 1u), tb(draw, std::ref(b), 2u);
        ta.join();
        tb.join();
        ASSERT_EQ(a.bytes, wantA.bytes) << round;
        ASSERT_EQ(b.bytes, wantB.bytes) << round;
    }
}

TEST(RasterizeTriangleList, OffsetsSourceKindAndVertexColours)
{
    TestSurface s(8, 8, PIXEL_FORMAT_8888);
    s.Fill(0);
    const TriangleVertex plain[3] = {V(0, 0), V(4, 0), V(0, 4)};
    Image notMemory;
    RasterizeTriangleList(&notMemory, plain, 1, Rect(0, 0, 8, 8), Color::White, TargetOf(s), 2, 2, false);
    EXPECT_EQ(CountValue(s, 0), 64); // no texture, no vertex colours: nothing

    const TriangleVertex coloured[6] = {V(0, 0, 0, 0, 0xFFFF0000), V(4, 0), V(0, 4), V(4, 4, 0, 0, 0xFF0000FF),
                                        V(8, 4, 0, 0, 0xFF0000FF), V(4, 8, 0, 0, 0xFF0000FF)};
    RasterizeTriangleList(&notMemory, coloured, 2, Rect(0, 0, 8, 8), Color::White, TargetOf(s), 1, 2, false);
    EXPECT_EQ(s.Get(1, 2), 0xFFFF0000u); // moved by (1, 2)
    EXPECT_EQ(s.Get(0, 0), 0u);
    EXPECT_EQ(s.Get(5, 6), 0xFF0000FFu);
}

TEST(RasterizeImageQuad, DrawsTheSourceRectangleThroughTheMatrix)
{
    std::vector<uint32_t> words(64);
    for (int i = 0; i < 64; ++i)
        words[static_cast<size_t>(i)] = 0xFF000000u | static_cast<uint32_t>(i * 0x030507);
    MemoryImage img = MakeImage(words, 8, 8);
    TestSurface s(16, 16, PIXEL_FORMAT_8888);
    s.Fill(0);
    RasterizeImageQuad(&img, 10, 10, Matrix3x3(), Rect(0, 0, 16, 16), Color::White, Rect(2, 3, 4, 4), TargetOf(s),
                       false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 8 && x < 12 && y >= 8 && y < 12;
            const uint32_t want = inside ? words[static_cast<size_t>((y - 8 + 3) * 8 + (x - 8 + 2))] : 0u;
            ASSERT_EQ(s.Get(x, y), want) << x << "," << y;
        }
    Image notMemory;
    s.Fill(0);
    RasterizeImageQuad(&notMemory, 10, 10, Matrix3x3(), Rect(0, 0, 16, 16), Color::White, Rect(0, 0, 4, 4),
                       TargetOf(s), false);
    EXPECT_EQ(CountValue(s, 0), 256);
}

// Seeded random triangles through the whole set-up, every layout and option.
class SetupInvariants : public ::testing::Test {
protected:
    std::mt19937 rng{20261210};
    int Int(int lo, int hi) { return RandomInt(rng, lo, hi); }
    float Real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    TriangleVertex RandomCorner(float w, float h)
    {
        return V(Real(-0.5f * w, 1.5f * w), Real(-0.5f * h, 1.5f * h), Real(-0.2f, 1.2f), Real(-0.2f, 1.2f),
                 Int(0, 3) ? static_cast<uint32_t>(Int(0, 0x7FFFFFFF)) * 2u : 0u);
    }
    MemoryImage RandomImage()
    {
        const int w = Int(1, 6), h = Int(1, 6);
        std::vector<uint32_t> px(static_cast<size_t>(w * h));
        const bool opaque = Int(0, 1);
        for (auto& p : px)
            p = (opaque ? 0xFF000000u : static_cast<uint32_t>(Int(0, 255)) << 24) | static_cast<uint32_t>(Int(0, 0xFFFFFF));
        return MakeImage(px, w, h);
    }
};

TEST_F(SetupInvariants, CanaryBorderAroundTheClipIsNeverWritten)
{
    for (PixelFormatCode f : {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565, PIXEL_FORMAT_555}) {
        for (int round = 0; round < 150; ++round) {
            TestSurface s(32, 24, f, 8);
            s.Fill(0xA5A5A5A5);
            for (auto& b : s.bytes)
                if ((&b - s.bytes.data()) % s.pitch >= 32 * PixelFormatBytes(f))
                    b = 0xA5;
            const std::vector<uint8_t> before = s.bytes;
            const Rect clip(Int(-4, 20), Int(-4, 14), Int(0, 30), Int(0, 24));
            MemoryImage img = RandomImage();
            const bool textured = Int(0, 2) != 0;
            const Color colour = Int(0, 1) ? Color::White : Color(Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255));
            const int count = Int(3, 6);
            std::vector<TriangleVertex> corners;
            for (int i = 0; i < count; ++i)
                corners.push_back(RandomCorner(32, 24));
            SetupAndRasterizeTriangles(corners.data(), count, textured ? &img : nullptr, colour, clip, TargetOf(s),
                                       Int(0, 1), Int(0, 1));
            const Rect inside = clip.Intersection(Rect(0, 0, 32, 24));
            for (size_t i = 0; i < s.bytes.size(); ++i) {
                const int y = static_cast<int>(i / static_cast<size_t>(s.pitch));
                const int x = static_cast<int>(i % static_cast<size_t>(s.pitch)) / PixelFormatBytes(f);
                if (!inside.Contains(x, y)) {
                    ASSERT_EQ(s.bytes[i], before[i]) << "format " << f << " round " << round << " at " << x << ","
                                                     << y << " clip " << clip.x << "," << clip.y << " "
                                                     << clip.width << "x" << clip.height;
                }
            }
        }
    }
}

TEST_F(SetupInvariants, SteepSliversStayInsideTheClip)
{
    // Edges steeper than 32768 pixels per row overflow the edge arithmetic;
    // whatever they draw stays inside the clip.
    for (PixelFormatCode f : {PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565, PIXEL_FORMAT_555}) {
        for (int round = 0; round < 300; ++round) {
            TestSurface s(64, 16, f);
            const uint32_t canary = PixelFormatBytes(f) == 4 ? 0xA5A5A5A5u : 0xA5A5u;
            s.Fill(canary);
            const Rect clip(Int(0, 20), 0, Int(10, 44), 16);
            const float row = static_cast<float>(Int(1, 14));
            const float e = static_cast<float>(Int(1, 4)) / 65536.0f;
            std::vector<TriangleVertex> corners = {
                V(Real(-10, 70), row - e, 0, 0, 0xFFFFFFFF), V(Real(-10, 70), row + e, 1, 1, 0xFF00FF00),
                V(Real(-10, 70), row + Real(-e, e), 0.5f, 1, 0x80FF0000)};
            MemoryImage img = RandomImage();
            SetupAndRasterizeTriangles(corners.data(), 3, Int(0, 1) ? &img : nullptr, Color(255, 255, 255, Int(0, 255)),
                                       clip, TargetOf(s), Int(0, 1), true);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 64; ++x) {
                    if (!clip.Contains(x, y)) {
                        ASSERT_EQ(s.Get(x, y), canary)
                            << "format " << f << " round " << round << " at " << x << "," << y;
                    }
                }
        }
    }
}

TEST_F(SetupInvariants, QuadCoversItsAreaExactlyOnce)
{
    for (int round = 0; round < 300; ++round) {
        TestSurface s(48, 48, PIXEL_FORMAT_888);
        s.Fill(0xFF000000);
        // A rotated, scaled rectangle as a four-corner strip.
        const float cx = Real(10, 38), cy = Real(10, 38), hw = Real(1, 15), hh = Real(1, 15);
        const float a = Real(0, 2 * std::numbers::pi_v<float>), c = std::cos(a), sn = std::sin(a);
        const auto at = [&](float px, float py) { return V(cx + px * c - py * sn, cy + px * sn + py * c); };
        DrawHalfWhite(s, {at(-hw, -hh), at(hw, -hh), at(-hw, hh), at(hw, hh)}, Rect(0, 0, 48, 48));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const uint32_t got = s.Get(x, y);
                ASSERT_TRUE(got == once || got == 0xFF000000u) << "pixel drawn twice at " << x << "," << y;
                // Centre in quad coordinates.
                const float dx = static_cast<float>(x) - cx, dy = static_cast<float>(y) - cy;
                const float qx = dx * c + dy * sn, qy = -dx * sn + dy * c;
                const float margin = 0.01f;
                if (x < 47 && y < 47 && std::abs(qx) < hw - margin && std::abs(qy) < hh - margin) {
                    ASSERT_EQ(got, once) << "hole at " << x << "," << y << " round " << round;
                }
                if (std::abs(qx) > hw + margin || std::abs(qy) > hh + margin) {
                    ASSERT_EQ(got, 0xFF000000u) << "outside drawn at " << x << "," << y;
                }
            }
    }
}

TEST_F(SetupInvariants, BlueGreenRedTargetsDrawTheSamePixelsInTheirOrder)
{
    // The same strips into a red-green-blue and a blue-green-red buffer
    // (with and without alpha) holding the same picture: the second ends as
    // the first with red and blue exchanged, and nothing outside the clip
    // changes.
    const auto swapped = [](uint32_t p) { return (p & 0xFF00FF00u) | (p >> 16 & 0xFF) | (p & 0xFF) << 16; };
    for (int round = 0; round < 300; ++round) {
        const bool alpha = Int(0, 1);
        TestSurface rgb(24, 20, alpha ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_888, 4 * Int(0, 2));
        TestSurface bgr = rgb;
        for (int y = 0; y < rgb.height; ++y)
            for (int x = 0; x < rgb.width; ++x) {
                const uint32_t p = static_cast<uint32_t>(Int(0, 0x7FFFFFFF)) * 2u +
                                   static_cast<uint32_t>(Int(0, 1));
                rgb.Set(x, y, p);
                bgr.Set(x, y, swapped(p));
            }
        PixelBuffer bgrTarget = bgr.Buffer();
        bgrTarget.format = PixelFormat::FromMasks(32, 0xFF, 0xFF00, 0xFF0000, alpha ? 0xFF000000u : 0u);
        MemoryImage img = RandomImage();
        const bool textured = Int(0, 3) != 0;
        const Color colour = Int(0, 1) ? Color::White : Color(Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255));
        const Rect clip(Int(-4, 12), Int(-4, 10), Int(0, 30), Int(0, 26));
        const bool smooth = Int(0, 1), vertexColours = Int(0, 1);
        std::vector<TriangleVertex> corners;
        for (int i = Int(3, 6); i > 0; --i)
            corners.push_back(RandomCorner(24, 20));
        const int count = static_cast<int>(corners.size());
        SetupAndRasterizeTriangles(corners.data(), count, textured ? &img : nullptr, colour, clip, TargetOf(rgb),
                                   smooth, vertexColours);
        SetupAndRasterizeTriangles(corners.data(), count, textured ? &img : nullptr, colour, clip, bgrTarget,
                                   smooth, vertexColours);
        for (int y = 0; y < rgb.height; ++y)
            for (int x = 0; x < rgb.width; ++x)
                ASSERT_EQ(bgr.Get(x, y), swapped(rgb.Get(x, y))) << "round " << round << " at " << x << "," << y;
        for (size_t i = 0; i < bgr.bytes.size(); ++i)
            if (static_cast<int>(i % static_cast<size_t>(bgr.pitch)) >= bgr.width * 4) {
                ASSERT_EQ(bgr.bytes[i], 0) << "row padding changed, round " << round;
            }
    }
}

TEST_F(SetupInvariants, PlainAndXrgbWritesAreOpaqueAndEmptyEntriesWriteNothing)
{
    for (int round = 0; round < 200; ++round) {
        const PixelFormatCode f = Int(0, 1) ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_888;
        TestSurface s(24, 24, f);
        for (auto& b : s.bytes)
            b = static_cast<uint8_t>(Int(0, 255));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                s.Set(x, y, s.Get(x, y) & 0x00FFFFFF);
        const std::vector<uint8_t> before = s.bytes;
        MemoryImage img = RandomImage();
        const bool plain = f == PIXEL_FORMAT_8888;
        if (plain)
            img.ForceTransparencyFlags(false, false);
        std::vector<TriangleVertex> corners = {RandomCorner(24, 24), RandomCorner(24, 24), RandomCorner(24, 24)};
        const Color colour = plain ? Color::White : Color(Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255));
        SetupAndRasterizeTriangles(corners.data(), 3, &img, colour, Rect(0, 0, 24, 24), TargetOf(s),
                                   !plain && Int(0, 1), !plain && Int(0, 1));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                const uint32_t px = s.Get(x, y);
                if (px != (before[static_cast<size_t>(y * s.pitch + x * 4)] |
                           uint32_t(before[static_cast<size_t>(y * s.pitch + x * 4 + 1)]) << 8 |
                           uint32_t(before[static_cast<size_t>(y * s.pitch + x * 4 + 2)]) << 16)) {
                    ASSERT_EQ(px >> 24, 0xFFu) << x << "," << y;
                }
            }

        // Untextured without vertex colours: not a byte changes.
        s.bytes = before;
        for (auto& c : corners)
            c.color = 0xFFFFFFFF;
        SetupAndRasterizeTriangles(corners.data(), 3, nullptr, colour, Rect(0, 0, 24, 24), TargetOf(s), Int(0, 1),
                                   false);
        ASSERT_EQ(s.bytes, before);
    }
}

TEST_F(SetupInvariants, TrianglesInsideTheClipDrawAsTheCutDrawsThem)
{
    // A batch skips the cut for triangles wholly inside the clip: the same
    // triangles through the general cut give the same bytes. Corners land
    // inside, on the clip's edges, and outside.
    for (int round = 0; round < 400; ++round) {
        const int kind = Int(0, 4);
        const PixelFormatCode f =
            kind == 4 ? PIXEL_FORMAT_8888 : std::array{PIXEL_FORMAT_8888, PIXEL_FORMAT_888, PIXEL_FORMAT_565,
                                                       PIXEL_FORMAT_555}[static_cast<size_t>(kind)];
        TestSurface fast(40, 30, f, 4 * Int(0, 1));
        for (auto& b : fast.bytes)
            b = static_cast<uint8_t>(Int(0, 255));
        TestSurface plain = fast;
        PixelBuffer fastTarget = fast.Buffer(), plainTarget = plain.Buffer();
        if (kind == 4) // blue-green-red
            fastTarget.format = plainTarget.format = PixelFormat::FromMasks(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u);
        const Rect clip(Int(-2, 10), Int(-2, 8), Int(1, 40), Int(1, 30));
        const float left = static_cast<float>(std::max(clip.x, 0)),
                    right = static_cast<float>(std::min(clip.x + clip.width, 40) - 1);
        const float top = static_cast<float>(std::max(clip.y, 0)),
                    bottom = static_cast<float>(std::min(clip.y + clip.height, 30) - 1);
        MemoryImage img = RandomImage();
        RasterTexture texture{img.Pixels(), img.width, img.height, img.hasTrans, img.hasAlpha};
        const bool textured = Int(0, 3) != 0, smooth = Int(0, 1);
        const FillerColor colour = Int(0, 1) ? FillerColor{} : FillerColor{Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255)};
        TriangleBatch batch(textured ? &texture : nullptr, colour, clip.x, clip.y, clip.width, clip.height,
                            fastTarget, smooth);
        TriangleBatch cut(textured ? &texture : nullptr, colour, clip.x, clip.y, clip.width, clip.height,
                          plainTarget, smooth);
        cut.alwaysCut = true;
        const auto corner = [&] {
            TriangleVertex c = RandomCorner(40, 30);
            switch (Int(0, 5)) {
            case 0: c.x = left; break;
            case 1: c.x = right; break;
            case 2: c.y = top; break;
            case 3: c.y = bottom; break;
            default:
                if (right >= left && bottom >= top) {
                    c.x = Real(left, right);
                    c.y = Real(top, bottom);
                }
            }
            return c;
        };
        for (int t = Int(1, 6); t > 0; --t) {
            const TriangleVertex a = corner(), b = corner(), c = corner();
            const bool vertexColours = Int(0, 1);
            batch.Draw(a, b, c, vertexColours);
            cut.Draw(a, b, c, vertexColours);
        }
        ASSERT_EQ(fast.bytes, plain.bytes) << "round " << round << " layout " << kind;
    }
}

TEST_F(SetupInvariants, TriangleListDrawsAsOneStripPerTriangle)
{
    for (int round = 0; round < 200; ++round) {
        const PixelFormatCode f = Int(0, 1) ? PIXEL_FORMAT_8888 : PIXEL_FORMAT_565;
        TestSurface listed(32, 24, f);
        for (auto& b : listed.bytes)
            b = static_cast<uint8_t>(Int(0, 255));
        TestSurface single = listed;
        MemoryImage img = RandomImage();
        const bool textured = Int(0, 2) != 0, smooth = Int(0, 1);
        const Color colour = Int(0, 1) ? Color::White : Color(Int(0, 255), Int(0, 255), Int(0, 255), Int(0, 255));
        const Rect clip(Int(-4, 10), Int(-4, 10), Int(0, 36), Int(0, 28));
        const float dx = Real(-3, 3), dy = Real(-3, 3);
        std::vector<TriangleVertex> corners;
        for (int i = 3 * Int(1, 5); i > 0; --i)
            corners.push_back(RandomCorner(32, 24));
        const int count = static_cast<int>(corners.size()) / 3;
        RasterizeTriangleList(textured ? &img : nullptr, corners.data(), count, clip, colour, TargetOf(listed), dx, dy,
                              smooth);
        for (int t = 0; t < count; ++t) {
            TriangleVertex moved[3];
            bool vertexColours = false;
            for (int k = 0; k < 3; ++k) {
                moved[k] = corners[static_cast<size_t>(3 * t + k)];
                moved[k].x += dx;
                moved[k].y += dy;
                vertexColours = vertexColours || moved[k].color != 0;
            }
            SetupAndRasterizeTriangles(moved, 3, textured ? &img : nullptr, colour, clip, TargetOf(single), smooth,
                                       vertexColours);
        }
        ASSERT_EQ(listed.bytes, single.bytes) << "round " << round;
    }
}

} // namespace
} // namespace Quib
