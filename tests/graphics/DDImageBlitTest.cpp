#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/core/ScanSpan.h"
#include "framework/core/TriangleVertex.h"
#include "framework/graphics/DDImage.h"
#include "tests/support/Random.h"
#include "tests/support/RecordingD3D.h"
#include "tests/support/SurfaceReference.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace Quib {
namespace {

using namespace Testing;

std::vector<uint32_t> Solid(int n, uint32_t argb)
{
    return std::vector<uint32_t>(size_t(n), argb);
}

// ---- The render target draws through the 3-D device.

class RenderTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
        screen = std::make_unique<DDImage>(app.display.get());
        screen->AssignPixels(Solid(64 * 48, 0xFF000000).data(), 64, 48, true);
        ASSERT_TRUE(screen->CreateSurface());
        app.display->is3D = true;
        app.display->drawSurface = screen->surface;
        app.display->d3d = &d3d;
        source.AssignPixels(Solid(8 * 6, 0xFF336699).data(), 8, 6, true);
    }
    void TearDown() override
    {
        app.display->d3d = nullptr;
        app.display->drawSurface = nullptr;
    }
    static void ExpectMaps(const Matrix3x3& m, float x, float y, float X, float Y)
    {
        EXPECT_NEAR(m.m[0][0] * x + m.m[0][1] * y + m.m[0][2], X, 1e-3) << x << "," << y;
        EXPECT_NEAR(m.m[1][0] * x + m.m[1][1] * y + m.m[1][2], Y, 1e-3) << x << "," << y;
    }

    QuibAppBase app;
    RecordingD3D d3d;
    std::unique_ptr<DDImage> screen;
    MemoryImage source{&app};
};

TEST_F(RenderTarget, UntexturedDrawsGoToTheDevice)
{
    ASSERT_TRUE(screen->IsRenderTarget());
    screen->FillRectangle(Rect(1, 2, 3, 4), Color(10, 20, 30, 40), 1);
    screen->DrawLineSegment(1, 2, 30, 40, Color::White, 0);
    // The render target draws no anti-aliased lines of its own.
    screen->DrawSmoothLineSegment(1, 2, 30, 40, Color::White, 2);
    const Point points[3] = {{0, 0}, {5, 0}, {0, 5}};
    EXPECT_TRUE(screen->TryFillPolygon(points, 3, Rect(0, 0, 10, 10), Color::White, 0, 2, 3));
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{
                             "FillRect (1,2,3,4) rgba(10,20,30,40) 1",
                             "DrawLine rgba(255,255,255,255) 0 1 2 30 40",
                             "DrawLine rgba(255,255,255,255) 2 1 2 30 40",
                             "FillPoly 3 (0,0,10,10) rgba(255,255,255,255) 0 2 3",
                         }));
    // Nothing touched the surface.
    EXPECT_EQ(screen->surface->PixelAt(2, 3), 0u);
    app.display->is3D = false;
    EXPECT_FALSE(screen->TryFillPolygon(points, 3, Rect(0, 0, 10, 10), Color::White, 0, 0, 0));
}

TEST_F(RenderTarget, PlainCopies)
{
    // A source with a surface: a surface blit onto the render target.
    DDImage ddSource(app.display.get());
    ddSource.AssignPixels(Solid(4 * 4, 0xFFFF0000).data(), 4, 4, true);
    ASSERT_TRUE(ddSource.CreateSurface());
    screen->PutImage(&ddSource, 5, 6, Rect(0, 0, 4, 4), Color::White, 0);
    EXPECT_TRUE(d3d.calls.empty());
    EXPECT_EQ(screen->surface->PixelAt(5, 6), 0xFF0000u);
    EXPECT_TRUE(ddSource.drawn);
    // Otherwise the texture pieces, point sampled.
    screen->PutImage(&source, 7, 8, Rect(1, 1, 3, 3), Color::White, 1);
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{"PrepareTexture 1 false",
                                                   "DrawTexturePieces 7 8 (1,1,3,3) rgba(255,255,255,255)"}));
    // A transform turns both into the transformed draw, linear, no clip.
    d3d.calls.clear();
    d3d.transformStack.push_back(Matrix3x3());
    screen->PutImage(&ddSource, 5, 6, Rect(0, 0, 4, 4), Color::White, 0);
    ASSERT_EQ(d3d.calls.size(), 1u);
    EXPECT_EQ(d3d.calls[0], "BltTransformed rgba(255,255,255,255) (0,0,4,4) 0 true 0 0 false");
    EXPECT_EQ(d3d.clips[0], Rect(0, 0, -1, -1));
    ExpectMaps(d3d.matrices[0], 0, 0, 5, 6);
    // A device that cannot draw draws nothing.
    d3d.transformStack.clear();
    d3d.calls.clear();
    d3d.prepareResult = false;
    screen->PutImage(&source, 7, 8, Rect(1, 1, 3, 3), Color::White, 0);
    EXPECT_EQ(d3d.calls, std::vector<std::string>{"PrepareTexture 0 false"});
}

TEST_F(RenderTarget, SubpixelDraws)
{
    const Rect clip(0, 0, 20, 20);
    screen->PutImageSubpixel(&source, 30.5f, 2.0f, Rect(0, 0, 8, 6), clip, Color::White, 0); // wholly clipped
    EXPECT_TRUE(d3d.calls.empty());
    screen->PutImageSubpixel(&source, 15.5f, 2.0f, Rect(0, 0, 8, 6), clip, Color::White, 0); // partly
    screen->PutImageSubpixel(&source, 1.5f, 2.25f, Rect(0, 0, 8, 6), clip, Color::White, 0); // wholly visible
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{
                             "BltTransformed rgba(255,255,255,255) (0,0,8,6) 0 true 0 0 false",
                             "PrepareTexture 0 true",
                             "TextureBlt 1.5 2.25 (0,0,8,6) rgba(255,255,255,255)",
                         }));
    EXPECT_EQ(d3d.clips[0], clip);
    ExpectMaps(d3d.matrices[0], 0, 0, 15.5f, 2.0f);
}

TEST_F(RenderTarget, RotatedStretchedAndMatrixDraws)
{
    const Rect clip(0, 0, 64, 48);
    const double angle = 0.7;
    screen->PutImageRotated(&source, 10, 12, Rect(0, 0, 8, 6), clip, Color::White, 0, angle, 3, 2);
    ASSERT_EQ(d3d.matrices.size(), 1u);
    // Each source point lands where the rotation of the data model puts it.
    const float a = float(angle), c = std::cos(a), s = std::sin(a);
    for (auto [px, py] : {std::pair{0.0f, 0.0f}, {8.0f, 0.0f}, {5.0f, 6.0f}})
        ExpectMaps(d3d.matrices[0], px, py, 10 + 3 + (px - 3) * c + (py - 2) * s, 12 + 2 + (py - 2) * c - (px - 3) * s);

    screen->PutImageStretched(&source, Rect(4, 4, 16, 12), Rect(0, 0, 8, 6), clip, Color::White, 0, false);
    screen->PutImageStretched(&source, Rect(4, 4, 16, 12), Rect(0, 0, 8, 6), clip, Color::White, 0, true);
    ExpectMaps(d3d.matrices[1], 8, 6, 20, 16);

    Matrix3x3 m;
    m.m[0][0] = 2;
    screen->PutImageMatrix(&source, 30, 20, m, clip, Color::White, 0, Rect(0, 0, 8, 6), 1);
    // The source rectangle is centred on (x, y).
    ExpectMaps(d3d.matrices[3], 4, 3, 30, 20);
    ExpectMaps(d3d.matrices[3], 8, 6, 38, 23);
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{
                             "BltTransformed rgba(255,255,255,255) (0,0,8,6) 0 true 0 0 false",
                             "PrepareTexture 0 true",
                             "TextureBltTransformed rgba(255,255,255,255) (0,0,8,6) (0,0,64,48) 0 0 false",
                             "PrepareTexture 0 false",
                             "TextureBltTransformed rgba(255,255,255,255) (0,0,8,6) (0,0,64,48) 0 0 false",
                             "PrepareTexture 0 true",
                             "TextureBltTransformed rgba(255,255,255,255) (0,0,8,6) (0,0,64,48) 0 0 false",
                         }));
}

TEST_F(RenderTarget, TrianglesAndMirroredDraws)
{
    const TriangleVertex v[3] = {{0, 0, 0, 0, 0}, {4, 0, 1, 0, 0}, {0, 4, 0, 1, 0}};
    screen->PutTexturedTriangles(&source, v, 1, Rect(0, 0, 64, 48), Color::White, 2, 1.5f, 2.5f, 1);
    screen->PutImageMirrored(&source, 3, 4, Rect(0, 0, 8, 6), Color::White, 0);
    screen->PutImageStretchedMirrored(&source, Rect(0, 0, 16, 12), Rect(0, 0, 8, 6), Rect(0, 0, 10, 10),
                                      Color::White, 1, true);
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{
                             "Blt 1 rgba(255,255,255,255) 2 1.5 2.5 true",
                             "PutImageMirrored 3 4 (0,0,8,6) rgba(255,255,255,255) 0",
                             "PutImageStretchedMirrored (0,0,16,12) (0,0,8,6) (0,0,10,10) "
                             "rgba(255,255,255,255) 1 true true",
                         }));
}

TEST_F(RenderTarget, CoverageFillLeavesTheCallersSpansAlone)
{
    const ScanSpan spans[2] = {{10, 5, 4}, {12, 3, 2}};
    const ScanSpan original[2] = {spans[0], spans[1]};
    std::vector<uint8_t> coverage(64 * 48, 255);
    screen->FillSpansWithCoverage(spans, 2, Color(255, 0, 0), 1, coverage.data(), 0, 0, 64);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(spans[i].x, original[i].x);
        EXPECT_EQ(spans[i].y, original[i].y);
        EXPECT_EQ(spans[i].length, original[i].length);
    }
    // The bounding box (3, 10) .. (8, 12) is put at its corner.
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{"PrepareTexture 1 false",
                                                   "DrawTexturePieces 3 10 (0,0,6,3) rgba(255,255,255,255)"}));
    EXPECT_EQ(d3d.lastTextureSize, Rect(0, 0, 6, 3));
    // Spans reaching off the 64 x 48 screen: the scratch image covers only
    // the part on it.
    d3d.calls.clear();
    const ScanSpan wide[2] = {{10, -100, 110}, {60, 3, 2}};
    screen->FillSpansWithCoverage(wide, 2, Color(255, 0, 0), 0, coverage.data(), -100, 10, 64);
    EXPECT_EQ(d3d.calls, (std::vector<std::string>{"PrepareTexture 0 false",
                                                   "DrawTexturePieces 0 10 (0,0,10,38) rgba(255,255,255,255)"}));
}

// ---- Surface paths per layout

class SurfaceBlits : public DisplayLayoutTest {
protected:
    std::unique_ptr<DDImage> Opaque(int w, int h, uint32_t argb)
    {
        auto image = std::make_unique<DDImage>(app.display.get());
        image->AssignPixels(Solid(w * h, argb).data(), w, h, true);
        EXPECT_TRUE(image->CreateSurface());
        return image;
    }
};

INSTANTIATE_TEST_SUITE_P(Displays, SurfaceBlits, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName);

TEST_P(SurfaceBlits, FilteredStretchOntoTransparentPixelsDrawsOnTheBits)
{
    std::vector<uint32_t> words = Solid(8 * 8, 0xFF000000);
    words[0] = 0;
    DDImage image(app.display.get());
    image.AssignPixels(words.data(), 8, 8, true);
    ASSERT_TRUE(image.CreateSurface());
    MemoryImage source(&app);
    source.AssignPixels(Solid(4, 0xFFFFFFFF).data(), 2, 2, true);
    image.PutImageStretched(&source, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 8, 8), Color::White, 0, false);
    // Drawn on the bits: the surface was given up.
    EXPECT_EQ(image.surface, nullptr);
    ASSERT_TRUE(image.bits);
    EXPECT_NE(image.bits[9] & 0xFFFFFF, 0u);
}

TEST_P(SurfaceBlits, FilteredStretchGoesThroughAScratchImage)
{
    auto image = Opaque(4, 1, 0xFF000000);
    MemoryImage source(&app);
    const uint32_t two[2] = {0xFF000000, 0xFFFFFFFF};
    source.AssignPixels(two, 2, 1, true);
    image->PutImageStretched(&source, Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 0, false);
    // 0 and 255 filter to 127, stored opaque as 127 * 255 >> 8 = 126.
    EXPECT_EQ(image->surface->PixelAt(0, 0) & ChannelBits(), OnSurface(0x7E7E7E));
    EXPECT_FALSE(image->bits);
}

TEST_P(SurfaceBlits, FastStretchBetweenSurfacesIsASurfaceBlit)
{
    auto image = Opaque(8, 8, 0xFF000000);
    auto source = Opaque(2, 2, 0xFF00FF00);
    source->surface->SetPixelAt(1, 1, 0x1F); // only the surface has it
    image->PutImageStretched(source.get(), Rect(0, 0, 8, 8), Rect(0, 0, 2, 2), Rect(0, 0, 8, 8), Color::White, 0,
                             true);
    EXPECT_EQ(image->surface->PixelAt(0, 0), OnSurface(0x00FF00));
    EXPECT_EQ(image->surface->PixelAt(7, 7), 0x1Fu);
    EXPECT_FALSE(image->bits);
}

TEST_P(SurfaceBlits, MirroredStretchCutOnTheRight)
{
    auto image = Opaque(4, 1, 0xFF000000);
    MemoryImage source(&app);
    const uint32_t four[4] = {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000};
    source.AssignPixels(four, 4, 1, true);
    image->PutImageStretchedMirrored(&source, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Color::White,
                                     0, true);
    // Column c shows source column 3 - c; the cut columns stay.
    EXPECT_EQ(image->surface->PixelAt(0, 0) & ChannelBits(), OnSurface(four[3]));
    EXPECT_EQ(image->surface->PixelAt(1, 0) & ChannelBits(), OnSurface(four[2]));
    EXPECT_EQ(image->surface->PixelAt(2, 0), 0u);
    EXPECT_EQ(image->surface->PixelAt(3, 0), 0u);
}

TEST_P(SurfaceBlits, MatrixAndTrianglesIntoTheSurface)
{
    MemoryImage source(&app);
    source.AssignPixels(Solid(4 * 4, 0xFFFF8040).data(), 4, 4, true);
    // Every layout draws, blue-green-red surfaces too, in their own order.
    auto image = Opaque(10, 10, 0xFF000000);
    image->PutImageMatrix(&source, 5, 5, Matrix3x3(), Rect(0, 0, 10, 10), Color::White, 0, Rect(0, 0, 4, 4), 0);
    EXPECT_EQ(image->surface->PixelAt(4, 4) & ChannelBits(), OnSurface(0xFF8040));
    EXPECT_EQ(image->surface->PixelAt(0, 0), 0u);
    EXPECT_FALSE(image->bits);

    auto other = Opaque(10, 10, 0xFF000000);
    const TriangleVertex v[3] = {{0, 0, 0, 0, 0}, {8, 0, 1, 0, 0}, {0, 8, 0, 1, 0}};
    other->PutTexturedTriangles(&source, v, 1, Rect(0, 0, 10, 10), Color::White, 0, 1, 1, 0);
    EXPECT_EQ(other->surface->PixelAt(2, 2) & ChannelBits(), OnSurface(0xFF8040));
    EXPECT_EQ(other->surface->PixelAt(9, 9), 0u);

    // Vertex colours and a modulating colour keep their channels apart:
    // corners (0x40, 0x80, 0xFF) times the colour (128, 255, 255) give
    // factors (32, 127, 254); the texel (0xFF, 0x80, 0x40) becomes
    // (0x1F, 0x3F, 0x3F), written opaque at alpha (254 * 255) >> 8.
    auto tinted = Opaque(10, 10, 0xFF000000);
    const uint32_t corner = 0xFF4080FF;
    const TriangleVertex c[3] = {{0, 0, 0, 0, corner}, {8, 0, 1, 0, corner}, {0, 8, 0, 1, corner}};
    tinted->PutTexturedTriangles(&source, c, 1, Rect(0, 0, 10, 10), Color(128, 255, 255), 0, 0, 0, 0);
    EXPECT_EQ(tinted->surface->PixelAt(1, 1) & ChannelBits(), OnSurface(0x1F3F3F));
}

// A translucent picture stretched with the filter onto an opaque surface
// goes through a scratch image; it must come out as on the bits, not
// darkened by the alpha a second time.
TEST_P(SurfaceBlits, FilteredStretchOfTranslucentPicturesKeepsItsColour)
{
    MemoryImage source(&app);
    source.AssignPixels(Solid(4, 0x80FFFFFF).data(), 2, 2, true);
    auto image = Opaque(4, 4, 0xFF000000);
    image->PutImageStretched(&source, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0, false);
    ASSERT_TRUE(image->surface);
    const uint32_t* px = image->Pixels();
    ASSERT_NE(px, nullptr);
    // White at alpha 128 over black: (255 * 128) >> 8 = 127, as on the bits
    // (16-bit channels keep their top bits of it).
    for (int i = 0; i < 16; ++i)
        for (int shift : {16, 8, 0}) {
            const uint32_t c = (px[i] >> shift) & 0xFF;
            EXPECT_LE(c, 127u) << i;
            EXPECT_GE(c, Wide() ? 127u : 120u) << i;
        }
    if (!Wide())
        return;
    // Random translucent pictures over random opaque ones, any scale: the
    // same pixels as the MemoryImage drawing.
    std::mt19937 rng(41);
    for (int round = 0; round < 40; ++round) {
        const int sw = RandomInt(rng, 1, 9), sh = RandomInt(rng, 1, 9);
        MemoryImage picture(&app);
        picture.AssignPixels(RandomPicture(rng, sw, sh).data(), sw, sh, true);
        const std::vector<uint32_t> background = RandomPicture(rng, 16, 12, true);
        MemoryImage memory(&app);
        memory.AssignPixels(background.data(), 16, 12, true);
        DDImage dd(app.display.get());
        dd.AssignPixels(background.data(), 16, 12, true);
        ASSERT_TRUE(dd.CreateSurface());
        const Rect dest(RandomInt(rng, -3, 10), RandomInt(rng, -3, 8), RandomInt(rng, 1, 20),
                        RandomInt(rng, 1, 16));
        const Rect sr = RandomRectIn(rng, sw, sh);
        const Rect clip(0, 0, 16, 12);
        memory.PutImageStretched(&picture, dest, sr, clip, Color::White, 0, false);
        dd.PutImageStretched(&picture, dest, sr, clip, Color::White, 0, false);
        const uint32_t* want = memory.Pixels();
        const uint32_t* got = dd.Pixels();
        ASSERT_NE(got, nullptr);
        for (int i = 0; i < 16 * 12; ++i)
            ASSERT_EQ(got[i], want[i]) << "round " << round << " pixel " << i;
    }
}

TEST_P(SurfaceBlits, RotatedDrawAtHalfAPixelMixesNeighbours)
{
    MemoryImage source(&app);
    std::vector<uint32_t> words(6 * 3);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = i % 2 ? 0xFFFFFFFF : 0xFF000000;
    source.AssignPixels(words.data(), 6, 3, true);
    auto image = Opaque(20, 4, 0xFF000000);
    image->PutImageRotated(&source, 10.5f, 0, Rect(0, 0, 6, 3), Rect(0, 0, 20, 4), Color::White, 0, 0.0, 0, 0);
    // Column 11 samples at u = 0.5: W = 127 per texel, P = 255 * 127 >> 8.
    const uint32_t p = 126;
    const auto& L = RefLayout();
    uint32_t want = 0;
    for (int c = 0; c < 3; ++c)
        want |= ((p >> (8 - L.bits[c])) << L.shift[c]) & L.mask[c];
    EXPECT_EQ(image->surface->PixelAt(11, 0), want);
    EXPECT_EQ(image->surface->PixelAt(10, 0), 0u);
    EXPECT_FALSE(image->bits);
}

TEST_P(SurfaceBlits, RotatedTransparentSourceChangesNothing)
{
    MemoryImage source(&app);
    source.AssignPixels(Solid(5 * 5, 0x00FFFFFF).data(), 5, 5, true);
    std::mt19937 rng(8);
    for (DrawMode mode : {0, 1, 2}) {
        for (Color c : {Color::White, Color(100, 150, 200, 128)}) {
            auto image = Opaque(8, 8, 0xFF000000);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    image->surface->SetPixelAt(x, y, uint32_t(rng()) & ChannelBits());
            std::vector<uint32_t> before;
            for (int i = 0; i < 64; ++i)
                before.push_back(image->surface->PixelAt(i % 8, i / 8));
            image->PutImageRotated(&source, 1.3f, 0.7f, Rect(0, 0, 5, 5), Rect(0, 0, 8, 8), c, mode, 0.4, 2, 2);
            for (int i = 0; i < 64; ++i)
                EXPECT_EQ(image->surface->PixelAt(i % 8, i / 8), before[i]) << "mode " << mode << " pixel " << i;
        }
    }
}

TEST_P(SurfaceBlits, RotatedModeTwoAddsLikeModeOne)
{
    MemoryImage source(&app);
    std::mt19937 rng(9);
    source.AssignPixels(RandomPicture(rng, 6, 6).data(), 6, 6, true);
    auto a = Opaque(10, 10, 0xFF404040);
    auto b = Opaque(10, 10, 0xFF404040);
    a->PutImageRotated(&source, 1.2f, 1.7f, Rect(0, 0, 6, 6), Rect(0, 0, 10, 10), Color(90, 80, 70, 200), 1, 0.3, 3, 3);
    b->PutImageRotated(&source, 1.2f, 1.7f, Rect(0, 0, 6, 6), Rect(0, 0, 10, 10), Color(90, 80, 70, 200), 2, 0.3, 3, 3);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(a->surface->PixelAt(i % 10, i / 10), b->surface->PixelAt(i % 10, i / 10)) << i;
}

TEST_P(SurfaceBlits, NoSurfaceAccessStopsTheRotatedDraw)
{
    MemoryImage source(&app);
    source.AssignPixels(Solid(4 * 4, 0xFFFFFFFF).data(), 4, 4, true);
    auto image = Opaque(6, 6, 0xFF000000);
    image->noSurfaceAccess = true;
    image->PutImageRotated(&source, 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color::White, 0, 0.0, 0, 0);
    EXPECT_TRUE(image->bits);
    EXPECT_EQ(image->surface->PixelAt(1, 1), 0u);
    EXPECT_TRUE(source.drawn);
}

TEST_P(SurfaceBlits, SoftwareTestSendsTranslucentImagesToTheBits)
{
    std::vector<uint32_t> words = Solid(4 * 4, 0xFF000000);
    words[15] = 0x80000000;
    DDImage image(app.display.get());
    image.AssignPixels(words.data(), 4, 4, true);
    ASSERT_TRUE(image.CreateSurface());
    MemoryImage source(&app);
    source.AssignPixels(Solid(4, 0xFFFFFFFF).data(), 2, 2, true);
    image.PutImage(&source, 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_EQ(image.surface, nullptr);
    EXPECT_EQ(image.bits[0], 0xFFFEFEFEu); // composited: the picture has translucent pixels
    // 3-D mode draws into the bits too, except into the cursor areas.
    DDImage cursor(app.display.get());
    cursor.AssignPixels(Solid(4, 0xFF000000).data(), 2, 2, true);
    ASSERT_TRUE(cursor.CreateSurface());
    app.display->cursorAreaImages[0] = &cursor;
    app.display->is3D = true;
    cursor.PutImage(&source, 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_NE(cursor.surface, nullptr);
    EXPECT_EQ(cursor.surface->PixelAt(1, 1) & ChannelBits(), OnSurface(0xFFFFFF));
    app.display->is3D = false;
    app.display->cursorAreaImages[0] = nullptr;
}

// Where the pixel rules agree, a MemoryImage and a 32-bit DDImage drawn
// alike end with the same pixels: opaque copies, plain and additive lines
// between whole pixels, additive copies and additive rotated draws.
TEST(DDImageAndMemoryImage, SamePicturesWhereTheRulesAgree)
{
    QuibAppBase app;
    MakeTestDisplay(app, kDisplayLayouts[0]);
    std::mt19937 rng(21);
    for (int n = 0; n < 60; ++n) {
        const std::vector<uint32_t> base = RandomPicture(rng, 16, 12, true);
        MemoryImage memory(&app);
        memory.AssignPixels(base.data(), 16, 12, true);
        DDImage dd(app.display.get());
        dd.AssignPixels(base.data(), 16, 12, true);
        ASSERT_TRUE(dd.CreateSurface());
        MemoryImage source(&app);
        const std::vector<uint32_t> sourceWords = RandomPicture(rng, 6, 5, true);
        source.AssignPixels(sourceWords.data(), 6, 5, true);
        const Color c = n % 3 ? Color(RandomInt(rng, 0, 255), RandomInt(rng, 0, 255), RandomInt(rng, 0, 255),
                                      RandomInt(rng, 1, 255))
                              : Color::White;
        const int x1 = RandomInt(rng, 0, 15), y1 = RandomInt(rng, 0, 11), x2 = RandomInt(rng, 0, 15),
                  y2 = RandomInt(rng, 0, 11);
        const int kind = n % 5;
        for (Image* target : {static_cast<Image*>(&memory), static_cast<Image*>(&dd)}) {
            switch (kind) {
            case 0:
                target->PutImage(&source, 3, 4, Rect(0, 0, 6, 5), Color::White, 0);
                break;
            case 1:
                target->PutImage(&source, 2, 1, Rect(1, 1, 5, 4), Color::White, 1);
                break;
            case 2:
                target->DrawLineSegment(x1 + 0.5, y1, x2 + 0.25, y2 + 0.5, c, 0);
                break;
            case 3:
                target->DrawLineSegment(x1, y1, x2, y2, c, 1);
                break;
            default:
                target->PutImageRotated(&source, 2.3f, 1.6f, Rect(0, 0, 6, 5), Rect(0, 0, 16, 12), c, 1, 0.5, 3,
                                        2);
                break;
            }
        }
        const uint32_t* m = memory.Pixels();
        const uint32_t* d = dd.Pixels();
        ASSERT_NE(d, nullptr);
        for (int i = 0; i < 16 * 12; ++i)
            ASSERT_EQ(d[i], m[i]) << "case " << n << " kind " << kind << " pixel " << i;
    }
}

} // namespace
} // namespace Quib
