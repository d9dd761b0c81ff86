#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/core/ScanSpan.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/SoftwareRender.h"
#include "tests/support/Differential.h"
#include "tests/support/Random.h"
#include "tests/support/SurfaceReference.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

namespace Quib {
namespace {

using namespace Testing;

class SurfaceDraw : public DisplayLayoutTest {
protected:
    // A target image whose surface holds random channel values.
    std::unique_ptr<DDImage> Target(int w, int h, std::mt19937& rng)
    {
        auto image = Target(w, h, 0u);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->surface->SetPixelAt(x, y, uint32_t(rng()) & ChannelBits());
        return image;
    }
    std::unique_ptr<DDImage> Target(int w, int h, uint32_t fill)
    {
        auto image = std::make_unique<DDImage>(app.display.get());
        image->Resize(w, h);
        EXPECT_TRUE(image->CreateSurface());
        // An opaque picture, as a screen or back buffer is.
        image->hasTrans = image->hasAlpha = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->surface->SetPixelAt(x, y, fill);
        return image;
    }
    RefSurface Snapshot(DDImage& image)
    {
        RefSurface s{RefLayout(), image.width, image.height, {}};
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                s.px.push_back(image.surface->PixelAt(x, y));
        return s;
    }
    // First difference between the image's surface and the reference.
    static std::string Difference(DDImage& image, const RefSurface& ref)
    {
        for (int y = 0; y < ref.height; ++y)
            for (int x = 0; x < ref.width; ++x)
                if (image.surface->PixelAt(x, y) != ref.px[size_t(y) * ref.width + x]) {
                    std::ostringstream o;
                    o << "(" << x << ", " << y << ") got 0x" << std::hex << image.surface->PixelAt(x, y)
                      << " want 0x" << ref.px[size_t(y) * ref.width + x];
                    return o.str();
                }
        return "";
    }
    std::unique_ptr<MemoryImage> Source(const std::vector<uint32_t>& words, int w, int h)
    {
        auto image = std::make_unique<MemoryImage>(&app);
        image->AssignPixels(words.data(), w, h, true);
        return image;
    }
    // Runs `draw` with the image's surface locked and its pixels moved into a
    // buffer inside a canary border, then moves them back; expects the
    // border untouched.
    void DrawInsideCanary(DDImage& image, const std::function<void()>& draw)
    {
        ASSERT_TRUE(image.AcquireSurfaceLock());
        const SurfaceDesc locked = image.lockDesc;
        const int bpp = int(locked.format.bitCount / 8);
        CanaryBuffer buffer(image.width, image.height, bpp);
        const auto* rows = static_cast<const uint8_t*>(locked.bits);
        for (int y = 0; y < image.height; ++y)
            std::memcpy(buffer.Bits() + size_t(y) * buffer.Pitch(), rows + size_t(y) * locked.pitch,
                        size_t(image.width) * bpp);
        image.lockDesc.bits = buffer.Bits();
        image.lockDesc.pitch = buffer.Pitch();
        draw();
        image.lockDesc = locked;
        for (int y = 0; y < image.height; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch,
                        buffer.Bits() + size_t(y) * buffer.Pitch(), size_t(image.width) * bpp);
        image.ReleaseSurfaceLock();
        EXPECT_EQ(buffer.CanaryDamage(), "") << "wrote outside the surface";
    }
};

INSTANTIATE_TEST_SUITE_P(Displays, SurfaceDraw, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName);

// ---- Differential checks against the plain reference, seeded random cases.

TEST_P(SurfaceDraw, FillsMatchReference)
{
    RunCases("fill", 200, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        auto image = Target(23, 17, rng);
        auto ref = Snapshot(*image);
        const Rect r = RandomRectIn(rng, 23, 17);
        const Color c = RandomColor(rng);
        if (seed % 2) {
            DrawInsideCanary(*image, [&] { image->SurfaceFillRectangleAdditive(r, c); });
            RefFillAdditive(ref, r, c);
        } else {
            DrawInsideCanary(*image, [&] { image->SurfaceFillRectangle(r, c); });
            RefFill(ref, r, c);
        }
        ASSERT_EQ(Difference(*image, ref), "");
    });
}

TEST_P(SurfaceDraw, LinesMatchReference)
{
    RunCases("line", 300, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        auto image = Target(31, 19, rng);
        auto ref = Snapshot(*image);
        const double x1 = RandomDouble(rng, 0, 30.99), y1 = RandomDouble(rng, 0, 18.99);
        const double x2 = RandomDouble(rng, 0, 30.99), y2 = RandomDouble(rng, 0, 18.99);
        const Color c = RandomColor(rng);
        switch (seed % 3) {
        case 0:
            DrawInsideCanary(*image, [&] { image->SurfaceDrawLine(x1, y1, x2, y2, c); });
            RefLine(ref, x1, y1, x2, y2, c);
            break;
        case 1:
            DrawInsideCanary(*image, [&] { image->SurfaceDrawLineAdditive(x1, y1, x2, y2, c); });
            RefLineAdditive(ref, x1, y1, x2, y2, c);
            break;
        default:
            DrawInsideCanary(*image, [&] { image->SurfaceDrawSmoothLine(x1, y1, x2, y2, c); });
            RefSmoothLine(ref, x1, y1, x2, y2, c);
            break;
        }
        ASSERT_EQ(Difference(*image, ref), "");
    });
}

TEST_P(SurfaceDraw, CoverageFillMatchesReference)
{
    RunCases("coverage fill", 100, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        auto image = Target(20, 12, rng);
        auto ref = Snapshot(*image);
        std::vector<uint8_t> coverage(20 * 12);
        for (auto& v : coverage)
            v = uint8_t(rng());
        std::vector<ScanSpan> spans;
        for (int y = 0; y < 12; ++y) {
            const int x = RandomInt(rng, 0, 19);
            spans.push_back(ScanSpan{y, x, RandomInt(rng, 0, 20 - x)});
        }
        const Color c = RandomColor(rng);
        DrawInsideCanary(*image, [&] {
            SurfaceFillSpansWithCoverage(*image, spans.data(), int(spans.size()), c, coverage.data(), 0, 0, 20);
        });
        RefCoverageFill(ref, spans.data(), int(spans.size()), c, coverage.data(), 0, 0, 20);
        ASSERT_EQ(Difference(*image, ref), "");
    });
}

TEST_P(SurfaceDraw, ImageCopiesMatchReference)
{
    RunCases("copy", 400, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 1, 40), sh = RandomInt(rng, 1, 8);
        std::vector<uint32_t> words = RandomPicture(rng, sw, sh, RandomInt(rng, 0, 3) == 0);
        if (RandomInt(rng, 0, 5) == 0) {
            // Palette form: at most 256 colours.
            auto pic = RandomPalettePicture(rng, sw, sh);
            words = pic.bits;
        }
        auto source = Source(words, sw, sh);
        if (seed % 7 == 0)
            source->TryPalettize();
        const Rect sr = RandomRectIn(rng, sw, sh);
        auto image = Target(44, 10, rng);
        const int x = RandomInt(rng, 0, 44 - sr.width), y = RandomInt(rng, 0, 10 - sr.height);
        const Color c = RandomColor(rng);
        auto ref = Snapshot(*image);
        RefSource src{words.data(), sw, source->hasTrans, source->hasAlpha};
        const int kind = int(seed % 4);
        switch (kind) {
        case 0:
            DrawInsideCanary(*image, [&] { image->SurfacePutImage(source.get(), x, y, sr, c); });
            RefPutImage(ref, x, y, src, sr, c, false);
            break;
        case 1:
            DrawInsideCanary(*image, [&] { image->SurfacePutImageAdditive(source.get(), x, y, sr, c); });
            RefPutImageAdditive(ref, x, y, src, sr, c, false);
            break;
        case 2:
            DrawInsideCanary(*image, [&] { image->SurfacePutImageMirrored(source.get(), x, y, sr, c); });
            RefPutImage(ref, x, y, src, sr, c, true);
            break;
        default:
            DrawInsideCanary(*image, [&] { image->SurfacePutImageMirroredAdditive(source.get(), x, y, sr, c); });
            RefPutImageAdditive(ref, x, y, src, sr, c, true);
            break;
        }
        ASSERT_EQ(Difference(*image, ref), "") << "kind " << kind << " palette " << source->IsPaletteForm()
                                               << " at " << x << "," << y << " sr " << sr.x << "," << sr.y << ","
                                               << sr.width << "," << sr.height;
        EXPECT_TRUE(source->drawn);
    });
}

// Rows long enough for the vector loops' full groups and for runs longer
// than the window a palette source is looked up into.
TEST_P(SurfaceDraw, WideImageCopiesMatchReference)
{
    RunCases("wide copy", 60, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 200, 700), sh = RandomInt(rng, 1, 3);
        std::vector<uint32_t> words = RandomPicture(rng, sw, sh, false);
        if (seed % 3 == 0) {
            // Long runs of one translucent alpha.
            for (size_t i = 0; i < words.size(); ++i)
                words[i] = (i / 300 % 2 ? 0x80u : 0x11u) << 24 | (words[i] & 0x00FFFFFF);
        }
        auto source = Source(words, sw, sh);
        if (seed % 2 == 0)
            source->TryPalettize();
        const Rect sr = RandomRectIn(rng, sw, sh);
        auto image = Target(720, 4, rng);
        const int x = RandomInt(rng, 0, 720 - sr.width), y = RandomInt(rng, 0, 4 - sr.height);
        const Color c = seed % 4 == 0 ? Color::White : RandomColor(rng);
        auto ref = Snapshot(*image);
        RefSource src{words.data(), sw, source->hasTrans, source->hasAlpha};
        DrawInsideCanary(*image, [&] { image->SurfacePutImage(source.get(), x, y, sr, c); });
        RefPutImage(ref, x, y, src, sr, c, false);
        ASSERT_EQ(Difference(*image, ref), "") << "palette " << source->IsPaletteForm() << " width " << sr.width
                                               << " colour " << c.red << "," << c.green << "," << c.blue << ","
                                               << c.alpha;
    });
}

TEST_P(SurfaceDraw, VolatileCopiesMatchReference)
{
    RunCases("volatile copy", 100, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 1, 30), sh = RandomInt(rng, 1, 6);
        const std::vector<uint32_t> words = RandomPicture(rng, sw, sh);
        auto source = Source(words, sw, sh);
        source->FlagVolatile(true);
        const Rect sr = RandomRectIn(rng, sw, sh);
        auto image = Target(32, 8, rng);
        const int x = RandomInt(rng, 0, 32 - sr.width), y = RandomInt(rng, 0, 8 - sr.height);
        auto ref = Snapshot(*image);
        DrawInsideCanary(*image, [&] { image->SurfacePutImage(source.get(), x, y, sr, Color::White); });
        RefPutImageVolatile(ref, x, y, RefSource{words.data(), sw}, sr);
        ASSERT_EQ(Difference(*image, ref), "");
        // The volatile path reads the bits, not a display copy.
        EXPECT_FALSE(source->nativeAlpha);
    });
}

TEST_P(SurfaceDraw, NearestStretchesMatchReference)
{
    RunCases("nearest stretch", 200, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 1, 20), sh = RandomInt(rng, 1, 20);
        const std::vector<uint32_t> words = RandomPicture(rng, sw, sh);
        auto source = Source(words, sw, sh);
        auto image = Target(30, 30, rng);
        const Rect sr = RandomRectIn(rng, sw, sh);
        const Rect dest(RandomInt(rng, -5, 25), RandomInt(rng, -5, 25), RandomInt(rng, 1, 30), RandomInt(rng, 1, 30));
        const Rect clip = RandomRectIn(rng, 30, 30);
        const Color c = RandomColor(rng);
        const DrawMode mode = RandomInt(rng, 0, 2) ? DRAWMODE_NORMAL : DRAWMODE_ADDITIVE;
        const bool mirrored = seed % 2;
        auto ref = Snapshot(*image);
        RefSource src{words.data(), sw, source->hasTrans, source->hasAlpha};
        if (!mirrored) {
            Rect R;
            DoubleRect area;
            if (sr.width > 0 && sr.height > 0 && ClipStretchRects(dest, sr, clip, R, area)) {
                const double a[4] = {area.x, area.y, area.width, area.height};
                RefStretch(ref, R, a, src, c, mode, false);
            }
            DrawInsideCanary(*image, [&] { image->PutImageStretched(source.get(), dest, sr, clip, c, mode, true); });
        } else {
            const Rect vis = dest.Intersection(clip);
            if (vis.width > 0 && vis.height > 0 && sr.width > 0 && sr.height > 0) {
                const double sx = double(sr.width) / dest.width, sy = double(sr.height) / dest.height;
                const double a[4] = {sx * ((dest.x + dest.width) - (vis.x + vis.width)) + sr.x,
                                     sy * (vis.y - dest.y) + sr.y, sr.width + sx * (vis.width - dest.width),
                                     sr.height + sy * (vis.height - dest.height)};
                RefStretch(ref, vis, a, src, c, mode, true);
            }
            DrawInsideCanary(*image,
                             [&] { image->PutImageStretchedMirrored(source.get(), dest, sr, clip, c, mode, true); });
        }
        ASSERT_EQ(Difference(*image, ref), "") << (mirrored ? "mirrored" : "");
    });
}

TEST_P(SurfaceDraw, RotatedDrawsMatchReference)
{
    RunCases("rotated", 150, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 2, 14), sh = RandomInt(rng, 2, 14);
        const std::vector<uint32_t> words = RandomPicture(rng, sw, sh);
        auto source = Source(words, sw, sh);
        auto image = Target(24, 24, rng);
        const Rect sr = RandomRectIn(rng, sw, sh);
        const Rect clip = RandomRectIn(rng, 24, 24);
        const float x = float(RandomDouble(rng, -4, 20)), y = float(RandomDouble(rng, -4, 20));
        const float cx = float(RandomDouble(rng, 0, sw)), cy = float(RandomDouble(rng, 0, sh));
        const double angle = RandomInt(rng, 0, 3) == 0 ? 0.0 : RandomDouble(rng, -7, 7);
        const Color c = RandomColor(rng);
        const DrawMode mode = DrawMode(RandomInt(rng, DRAWMODE_NORMAL, DRAWMODE_NORMAL_COLOR));
        auto ref = Snapshot(*image);
        const float position[2] = {x, y};
        double bounds[4];
        if (RotatedBlitBounds(position, sr, clip, bounds, cx, cy, angle))
            RefRotate(ref, bounds, RefSource{words.data(), sw}, sr, x, y, c, mode, angle, cx, cy);
        DrawInsideCanary(*image, [&] { image->PutImageRotated(source.get(), x, y, sr, clip, c, mode, angle, cx, cy); });
        ASSERT_EQ(Difference(*image, ref), "");
    });
}

// Opaque-white normal turns of larger pictures: long spans, as the loops'
// span kernel takes them on a 32-bit surface.
TEST_P(SurfaceDraw, RotatedWhiteDrawsOfLargePicturesMatchReference)
{
    RunCases("rotated white", 40, [&](uint32_t seed) {
        std::mt19937 rng(seed);
        const int sw = RandomInt(rng, 20, 70), sh = RandomInt(rng, 2, 30);
        const std::vector<uint32_t> words = RandomPicture(rng, sw, sh, RandomInt(rng, 0, 2) == 0);
        auto source = Source(words, sw, sh);
        auto image = Target(80, 48, rng);
        const Rect sr = RandomRectIn(rng, sw, sh);
        const Rect clip = RandomInt(rng, 0, 1) ? Rect(0, 0, 80, 48) : RandomRectIn(rng, 80, 48);
        const float x = float(RandomDouble(rng, -10, 40)), y = float(RandomDouble(rng, -6, 30));
        const float cx = float(RandomDouble(rng, 0, sw)), cy = float(RandomDouble(rng, 0, sh));
        const double angle = RandomInt(rng, 0, 3) == 0 ? RandomDouble(rng, -0.01, 0.01) : RandomDouble(rng, -7, 7);
        auto ref = Snapshot(*image);
        const float position[2] = {x, y};
        double bounds[4];
        if (RotatedBlitBounds(position, sr, clip, bounds, cx, cy, angle))
            RefRotate(ref, bounds, RefSource{words.data(), sw}, sr, x, y, Color::White, DRAWMODE_NORMAL, angle, cx,
                      cy);
        DrawInsideCanary(*image, [&] {
            image->PutImageRotated(source.get(), x, y, sr, clip, Color::White, DRAWMODE_NORMAL, angle, cx, cy);
        });
        ASSERT_EQ(Difference(*image, ref), "");
    });
}

TEST_P(SurfaceDraw, DrawsReachingPastTheSurfaceOrTheSourceAreCut)
{
    // Each draw must equal the same draw onto a surface with a margin of M
    // all round, from a source with a transparent margin, seen through the
    // middle.
    constexpr int M = 24, W = 12, H = 9;
    std::mt19937 rng(18);
    for (int n = 0; n < 300; ++n) {
        const int sw = RandomInt(rng, 1, 10), sh = RandomInt(rng, 1, 6);
        const std::vector<uint32_t> words = RandomPicture(rng, sw, sh, RandomInt(rng, 0, 2) == 0);
        std::vector<uint32_t> padded(size_t(sw + 2 * M) * (sh + 2 * M), 0);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x)
                padded[size_t(y + M) * (sw + 2 * M) + x + M] = words[size_t(y) * sw + x];
        auto source = Source(words, sw, sh);
        auto paddedSource = Source(padded, sw + 2 * M, sh + 2 * M);
        auto big = Target(W + 2 * M, H + 2 * M, rng);
        auto image = Target(W, H, 0u);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                image->surface->SetPixelAt(x, y, big->surface->PixelAt(x + M, y + M));
        const int sx = RandomInt(rng, -4, sw), sy = RandomInt(rng, -4, sh);
        const Rect sr(sx, sy, RandomInt(rng, 0, sw + 6 - sx), RandomInt(rng, 0, sh + 6 - sy));
        const Rect shifted(sr.x + M, sr.y + M, sr.width, sr.height);
        const int x = RandomInt(rng, -6, W), y = RandomInt(rng, -6, H);
        const Color c = RandomColor(rng);
        const int kind = n % 8;
        switch (kind) {
        case 0:
            image->SurfaceFillRectangle(Rect(x, y, sr.width, sr.height), c);
            big->SurfaceFillRectangle(Rect(x + M, y + M, sr.width, sr.height), c);
            break;
        case 1:
            image->SurfaceFillRectangleAdditive(Rect(x, y, sr.width, sr.height), c);
            big->SurfaceFillRectangleAdditive(Rect(x + M, y + M, sr.width, sr.height), c);
            break;
        case 2:
            image->SurfacePutImage(source.get(), x, y, sr, c);
            big->SurfacePutImage(paddedSource.get(), x + M, y + M, shifted, c);
            break;
        case 3:
            image->SurfacePutImageAdditive(source.get(), x, y, sr, c);
            big->SurfacePutImageAdditive(paddedSource.get(), x + M, y + M, shifted, c);
            break;
        case 4:
            image->SurfacePutImageMirrored(source.get(), x, y, sr, c);
            big->SurfacePutImageMirrored(paddedSource.get(), x + M, y + M, shifted, c);
            break;
        case 5:
            image->SurfacePutImageMirroredAdditive(source.get(), x, y, sr, c);
            big->SurfacePutImageMirroredAdditive(paddedSource.get(), x + M, y + M, shifted, c);
            break;
        case 6:
            source->FlagVolatile(true);
            paddedSource->FlagVolatile(true);
            image->SurfacePutImage(source.get(), x, y, sr, Color::White);
            big->SurfacePutImage(paddedSource.get(), x + M, y + M, shifted, Color::White);
            break;
        default: {
            // Spans from row -3 and column -5 on, coverage laid out from there.
            constexpr int left = -5, top = -3, stride = W + 30;
            std::vector<uint8_t> coverage(size_t(stride) * (H + 6));
            for (auto& v : coverage)
                v = uint8_t(rng());
            std::vector<ScanSpan> spans, bigSpans;
            for (int k = 0; k < 6; ++k) {
                const ScanSpan span{RandomInt(rng, top, H + 2), RandomInt(rng, left, W), RandomInt(rng, 0, 20)};
                spans.push_back(span);
                bigSpans.push_back(ScanSpan{span.y + M, span.x + M, span.length});
            }
            SurfaceFillSpansWithCoverage(*image, spans.data(), 6, c, coverage.data(), left, top, stride);
            SurfaceFillSpansWithCoverage(*big, bigSpans.data(), 6, c, coverage.data(), left + M, top + M, stride);
            break;
        }
        }
        RefSurface window{RefLayout(), W, H, {}};
        for (int j = 0; j < H; ++j)
            for (int i = 0; i < W; ++i)
                window.px.push_back(big->surface->PixelAt(i + M, j + M));
        ASSERT_EQ(Difference(*image, window), "") << "case " << n << " kind " << kind << " at " << x << "," << y
                                                  << " sr " << sr.x << "," << sr.y << "," << sr.width << ","
                                                  << sr.height;
    }
}

// ---- Edge cases

TEST_P(SurfaceDraw, WhiteFillConvertsEachRoutineItsOwnWay)
{
    const bool wide = GetParam().bitCount == 32;
    const uint32_t all = ChannelBits();
    // The fill: c * m >> 8 in 32 bits (254 per channel), (c + 1) * m >> 8 in 16.
    auto image = Target(4, 4, 0u);
    image->SurfaceFillRectangle(Rect(0, 0, 4, 4), Color::White);
    EXPECT_EQ(image->surface->PixelAt(1, 1), wide ? 0xFEFEFEu : all);
    // The line: (m / 2 + m * c) >> 8: 254 in 32 bits, each 16-bit channel
    // one below its top.
    image->SurfaceDrawLine(0, 0, 3, 2, Color::White);
    EXPECT_EQ(image->surface->PixelAt(0, 0), wide ? 0xFEFEFEu : GetParam().redMask == 0xF800 ? 0xF7DEu : 0x7BDEu);
    // The coverage fill: opaque value m * c >> 8, then mixed by coverage
    // (255 + 1) * 255 >> 8 = 255 out of 256: 253 in 32 bits.
    auto cov = Target(2, 1, 0u);
    const uint8_t full[2] = {255, 255};
    const ScanSpan span{0, 0, 2};
    SurfaceFillSpansWithCoverage(*cov, &span, 1, Color::White, full, 0, 0, 2);
    uint32_t expected = 0;
    for (uint32_t m : {GetParam().redMask, GetParam().greenMask, GetParam().blueMask})
        expected |= (((((m * 255) >> 8) & m) * 255) >> 8) & m;
    EXPECT_EQ(cov->surface->PixelAt(0, 0), expected);
    if (wide) {
        EXPECT_EQ(expected, 0xFDFDFDu);
    }
}

TEST_P(SurfaceDraw, RunCrossingTheRightEdgeIsCut)
{
    // Rows of 8 translucent pixels: one run per row; only 3 are copied.
    std::vector<uint32_t> words(8 * 2, 0x80FFFFFF);
    auto source = Source(words, 8, 2);
    auto image = Target(6, 2, 0u);
    image->SurfacePutImage(source.get(), 0, 0, Rect(2, 0, 3, 2), Color::White);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_NE(image->surface->PixelAt(x, y), 0u) << x << "," << y;
        for (int x = 3; x < 6; ++x)
            EXPECT_EQ(image->surface->PixelAt(x, y), 0u) << x << "," << y;
    }
}

TEST_P(SurfaceDraw, AdditiveCopySkipsBlackRuns)
{
    std::mt19937 rng(3);
    std::vector<uint32_t> words = {0xFF000000, 0xFF000000, 0xFF404040, 0x00000000};
    auto source = Source(words, 4, 1);
    auto image = Target(4, 1, rng);
    const uint32_t before[4] = {image->surface->PixelAt(0, 0), image->surface->PixelAt(1, 0),
                                image->surface->PixelAt(2, 0), image->surface->PixelAt(3, 0)};
    image->SurfacePutImageAdditive(source.get(), 0, 0, Rect(0, 0, 4, 1), Color::White);
    EXPECT_EQ(image->surface->PixelAt(0, 0), before[0]);
    EXPECT_EQ(image->surface->PixelAt(1, 0), before[1]);
    EXPECT_EQ(image->surface->PixelAt(3, 0), before[3]);
}

TEST_P(SurfaceDraw, MirroredCopyOfOneColumnIsAPlainCopy)
{
    std::mt19937 rng(4);
    const std::vector<uint32_t> words = RandomPicture(rng, 1, 6);
    auto source = Source(words, 1, 6);
    for (Color c : {Color::White, Color(128, 128, 128, 200), Color(10, 200, 30, 255)}) {
        auto a = Target(3, 6, rng);
        auto b = Target(3, 6, 0u);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 3; ++x)
                b->surface->SetPixelAt(x, y, a->surface->PixelAt(x, y));
        a->SurfacePutImage(source.get(), 1, 0, Rect(0, 0, 1, 6), c);
        b->SurfacePutImageMirrored(source.get(), 1, 0, Rect(0, 0, 1, 6), c);
        // 16-bit grey colours blend at 5 bits in the plain copy and at 8 in
        // the mirrored one; everything else matches.
        if (GetParam().bitCount == 16 && c.red == 128)
            continue;
        EXPECT_EQ(Difference(*a, Snapshot(*b)), "");
    }
}

TEST_P(SurfaceDraw, AdditiveSmoothLineWritesNothing)
{
    std::mt19937 rng(5);
    auto image = Target(10, 10, rng);
    auto before = Snapshot(*image);
    image->DrawSmoothLineSegment(1, 1, 8, 5, Color(200, 100, 50), 1);
    EXPECT_EQ(Difference(*image, before), "");
}

TEST_P(SurfaceDraw, SmoothLineAndCoverageFillHonourNoSurfaceAccess)
{
    std::mt19937 rng(6);
    auto image = Target(10, 10, rng);
    auto before = Snapshot(*image);
    image->noSurfaceAccess = true;
    image->SurfaceDrawSmoothLine(1, 1, 8, 5, Color::White);
    const uint8_t coverage[10] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    const ScanSpan span{2, 0, 10};
    image->FillSpansWithCoverage(&span, 1, Color::White, 0, coverage, 0, 2, 10);
    image->noSurfaceAccess = false;
    EXPECT_EQ(Difference(*image, before), "");
}

TEST_P(SurfaceDraw, DirectDrawCopiesBetweenSurfacesUnlessVideoToSystem)
{
    // The source's surface is changed behind its bits: a surface blit shows
    // the change, the software copy the bits' display copy.
    const std::vector<uint32_t> words(4 * 2, 0xFF204060);
    struct Case {
        bool sourceVideo, destVideo, blit;
    };
    for (Case k : {Case{false, false, true}, Case{true, true, true}, Case{false, true, true},
                   Case{true, false, false}}) {
        DDImage source(app.display.get());
        source.AssignPixels(words.data(), 4, 2, true);
        source.PreferVideoMemory(k.sourceVideo);
        ASSERT_TRUE(source.CreateSurface());
        source.surface->SetPixelAt(0, 0, 0x1F);
        auto dest = Target(4, 2, 0u);
        dest->PreferVideoMemory(k.destVideo);
        ASSERT_TRUE(dest->CreateSurface());
        ASSERT_TRUE(dest->AcquireSurfaceLock());
        dest->SurfacePutImage(&source, 0, 0, Rect(0, 0, 4, 2), Color::White);
        EXPECT_TRUE(dest->surface->IsLocked());
        EXPECT_EQ(dest->lockCount, 1);
        dest->ReleaseSurfaceLock();
        EXPECT_EQ(dest->surface->PixelAt(0, 0) == 0x1F, k.blit) << k.sourceVideo << k.destVideo;
        EXPECT_EQ(dest->surface->PixelAt(1, 0) & ChannelBits(), RefLayout().DisplayCopy(0xFF204060) & ChannelBits())
            << k.sourceVideo << k.destVideo;
    }
}

} // namespace
} // namespace Quib
