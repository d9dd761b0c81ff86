// The fast pixel loops against the plain reference, over seeded random
// pictures, colours, positions, clips and scales. A failing case prints its
// seed; the canary border proves nothing is written outside the target.

#include "framework/core/CpuFeatures.h"
#include "framework/graphics/SoftwareRender.h"
#include "tests/graphics/SoftwareReference.h"
#include "tests/graphics/SoftwareTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace Quib {
namespace {

using namespace TestSupport;

constexpr int kCases = 400;

// Source picture in bits or palette form.
struct RandomSource {
    std::vector<uint32_t> bits;
    PalettePicture pal;
    PixelSource view;
    RandomSource(std::mt19937& rng, int w, int h)
    {
        if (RandomInt(rng, 0, 3) == 0) {
            pal = RandomPalettePicture(rng, w, h);
            view = PixelSource{nullptr, pal.palette.data(), pal.indices.data(), w, h};
        } else {
            bits = RandomPicture(rng, w, h);
            view = PixelSource{bits.data(), nullptr, nullptr, w, h};
        }
    }
    bool HasTranslucent() const
    {
        for (int y = 0; y < view.height; ++y)
            for (int x = 0; x < view.width; ++x) {
                const uint32_t a = view.At(x, y) >> 24;
                if (a != 0 && a != 255)
                    return true;
            }
        return false;
    }
};

// Mostly large rectangles, sometimes the whole area, sometimes tiny or empty.
Rect RandomRectIn(std::mt19937& rng, int w, int h)
{
    if (RandomInt(rng, 0, 3) == 0)
        return Rect(0, 0, w, h);
    const int x = RandomInt(rng, 0, (w - 1) / 2), y = RandomInt(rng, 0, (h - 1) / 2);
    if (RandomInt(rng, 0, 9) == 0)
        return Rect(x, y, RandomInt(rng, 0, w - x), RandomInt(rng, 0, h - y));
    return Rect(x, y, RandomInt(rng, (w - x + 1) / 2, w - x), RandomInt(rng, (h - y + 1) / 2, h - y));
}

// Runs `draw(target, fast)` on two copies of one random destination and
// compares every word, canary border included.
void Differential(const char* what, const std::function<void(std::mt19937&, PixelTarget, bool)>& draw,
                  bool opaqueDestination = false)
{
    int changed = 0;
    const std::string loops = std::string(" (") + PixelLoopsName(ActivePixelLoops()) + " loops)";
    for (int seed = 1; seed <= kCases; ++seed) {
        const int caseSeed0 = seed;
        std::mt19937 rng{uint32_t(caseSeed0)};
        const int w = RandomInt(rng, 1, 40), h = RandomInt(rng, 1, 40);
        const bool opaque = opaqueDestination || RandomInt(rng, 0, 4) == 0;
        const std::vector<uint32_t> start = RandomPicture(rng, w, h, opaque);
        CanaryTarget fast(w, h), slow(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                fast.At(x, y) = slow.At(x, y) = start[size_t(y) * w + x];
        const uint32_t caseSeed = uint32_t(rng());
        std::mt19937 rngFast{caseSeed}, rngSlow{caseSeed};
        draw(rngFast, fast.Target(), true);
        draw(rngSlow, slow.Target(), false);
        ASSERT_TRUE(fast.CanaryIntact()) << what << " wrote outside the target, seed " << caseSeed0 << loops;
        ASSERT_EQ(fast.FirstDifference(slow), "") << what << " differs from the reference, seed " << caseSeed0 << loops;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (fast.At(x, y) != start[size_t(y) * w + x]) {
                    ++changed;
                    y = h;
                    break;
                }
    }
    // The random cases must mostly draw something, or they prove little.
    EXPECT_GT(changed, kCases / 3) << what;
}

TEST(SoftwareDifferential, FillRect)
{
    Differential("fill", [](std::mt19937& rng, PixelTarget t, bool fast) {
        const Rect r = RandomRectIn(rng, t.width, t.height);
        const Color c = RandomColor(rng);
        fast ? SoftFillRect(t, r, c) : Ref::FillRect(t, r, c);
    });
}

TEST(SoftwareDifferential, FillSpansWithCoverage)
{
    Differential("coverage fill", [](std::mt19937& rng, PixelTarget t, bool fast) {
        std::vector<ScanSpan> spans;
        for (int i = RandomInt(rng, 0, 6); i > 0; --i) {
            const int y = RandomInt(rng, 0, t.height - 1), x = RandomInt(rng, 0, t.width - 1);
            spans.push_back(ScanSpan{y, x, RandomInt(rng, 0, t.width - x)});
        }
        std::vector<uint8_t> coverage(size_t(t.width + 3) * (t.height + 2));
        for (auto& c : coverage)
            c = uint8_t(RandomInt(rng, 0, 2) == 0 ? (RandomInt(rng, 0, 1) ? 0 : 255) : RandomInt(rng, 0, 255));
        const Color c = RandomColor(rng);
        // Coverage origin one pixel up and left of the image, stride width + 3.
        const uint8_t* cov = coverage.data();
        fast ? SoftFillSpansWithCoverage(t, spans.data(), int(spans.size()), c, cov, -1, -1, t.width + 3)
             : Ref::FillSpansWithCoverage(t, spans.data(), int(spans.size()), c, cov, -1, -1, t.width + 3);
    });
}

// End points inside the target, sometimes on pixel centres, sometimes far
// outside (the lines then run through and past the image).
void RandomLine(std::mt19937& rng, const PixelTarget& t, double* p)
{
    for (int i = 0; i < 4; ++i) {
        const double extent = i % 2 ? t.height : t.width;
        switch (RandomInt(rng, 0, 5)) {
        case 0:
            p[i] = RandomInt(rng, 0, int(extent) - 1);
            break;
        case 1:
            p[i] = RandomDouble(rng, -30, extent + 30);
            break;
        default:
            p[i] = RandomDouble(rng, 0, extent - 0.001);
        }
    }
    if (RandomInt(rng, 0, 9) == 0)
        p[2] = p[0];
}

TEST(SoftwareDifferential, Lines)
{
    Differential("line", [](std::mt19937& rng, PixelTarget t, bool fast) {
        double p[4];
        RandomLine(rng, t, p);
        const Color c = RandomColor(rng);
        switch (RandomInt(rng, 0, 2)) {
        case 0:
            fast ? SoftLineBlend(t, c, p[0], p[1], p[2], p[3]) : Ref::LineBlend(t, c, p[0], p[1], p[2], p[3]);
            break;
        case 1:
            fast ? SoftLineAdd(t, c, p[0], p[1], p[2], p[3]) : Ref::LineAdd(t, c, p[0], p[1], p[2], p[3]);
            break;
        default:
            fast ? SoftSmoothLineBlend(t, c, p[0], p[1], p[2], p[3])
                 : Ref::SmoothLineBlend(t, c, p[0], p[1], p[2], p[3]);
        }
    });
}

TEST(SoftwareDifferential, PutImageNormalAndAdditive)
{
    for (int opaque = 0; opaque < 2; ++opaque)
        Differential(
            "blit",
            [opaque](std::mt19937& rng, PixelTarget t, bool fast) {
                const int sw = RandomInt(rng, 1, 40), sh = RandomInt(rng, 1, 40);
                RandomSource src(rng, sw, sh);
                Rect s = RandomRectIn(rng, sw, sh);
                s.width = std::min(s.width, t.width);
                s.height = std::min(s.height, t.height);
                const int x = RandomInt(rng, 0, t.width - s.width), y = RandomInt(rng, 0, t.height - s.height);
                const Color c = RandomColor(rng);
                if (RandomInt(rng, 0, 2) == 0) {
                    const bool translucent = RandomInt(rng, 0, 3) ? src.HasTranslucent() : false;
                    fast ? SoftPutImageAdditive(t, x, y, src.view, s, c, translucent)
                         : Ref::PutImageAdditive(t, x, y, src.view, s, c, translucent);
                    return;
                }
                // The run path only for an opaque destination.
                const std::vector<uint8_t> runs = Ref::AlphaRunTable(src.view);
                const uint8_t* table = opaque ? runs.data() : nullptr;
                fast ? SoftPutImageNormal(t, x, y, src.view, s, c, table)
                     : Ref::PutImageNormal(t, x, y, src.view, s, c, table);
            },
            opaque != 0);
}

TEST(SoftwareDifferential, Stretch)
{
    Differential("stretch", [](std::mt19937& rng, PixelTarget t, bool fast) {
        const int sw = RandomInt(rng, 1, 40), sh = RandomInt(rng, 1, 40);
        RandomSource src(rng, sw, sh);
        const Rect s = RandomRectIn(rng, sw, sh);
        const Rect d(RandomInt(rng, -10, t.width), RandomInt(rng, -10, t.height), RandomInt(rng, 0, 60),
                     RandomInt(rng, 0, 60));
        const Rect clip = RandomRectIn(rng, t.width, t.height);
        Rect R;
        DoubleRect area;
        if (!ClipStretchRects(d, s, clip, R, area))
            return;
        if (RandomInt(rng, 0, 2) == 0)
            fast ? SoftStretchFast(t, R, area, src.view) : Ref::StretchFast(t, R, area, src.view);
        else
            fast ? (void)SoftStretchFiltered(t, R, area, src.view) : (void)Ref::StretchFiltered(t, R, area, src.view);
    });
}

TEST(SoftwareDifferential, Rotated)
{
    Differential("rotated", [](std::mt19937& rng, PixelTarget t, bool fast) {
        const int sw = RandomInt(rng, 1, 40), sh = RandomInt(rng, 1, 40);
        RandomSource src(rng, sw, sh);
        const Rect s = RandomRectIn(rng, sw, sh);
        float pos[2] = {float(RandomDouble(rng, -s.width / 2.0, t.width - s.width / 2.0)),
                        float(RandomDouble(rng, -s.height / 2.0, t.height - s.height / 2.0))};
        if (RandomInt(rng, 0, 3) == 0) {
            pos[0] = float(int(pos[0]));
            pos[1] = float(int(pos[1]));
        }
        const double angle = RandomInt(rng, 0, 4) == 0 ? 0.0 : RandomDouble(rng, -7, 7);
        const float cx = float(RandomDouble(rng, 0, s.width)), cy = float(RandomDouble(rng, 0, s.height));
        const Rect clip = RandomRectIn(rng, t.width, t.height);
        const Color c = RandomColor(rng);
        const DrawMode mode = RandomInt(rng, 0, 2) == 0 ? RandomInt(rng, 1, 2) : 0;
        double bounds[4];
        if (!RotatedBlitBounds(pos, s, clip, bounds, cx, cy, angle))
            return;
        fast ? SoftPutImageRotated(t, bounds, src.view, s, pos[0], pos[1], c, mode, angle, cx, cy)
             : Ref::PutImageRotated(t, bounds, src.view, s, pos[0], pos[1], c, mode, angle, cx, cy);
    });
}

// Large pictures, where the wide loops run long spans.
TEST(SoftwareDifferential, LargeRotatedAndStretched)
{
    for (int seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng{uint32_t(seed)};
        const int sw = RandomInt(rng, 100, 200), sh = RandomInt(rng, 100, 200);
        const std::vector<uint32_t> pixels = RandomPicture(rng, sw, sh);
        const PixelSource src{pixels.data(), nullptr, nullptr, sw, sh};
        const std::vector<uint32_t> start = RandomPicture(rng, 300, 260, seed % 2 == 0);
        const Rect s = RandomRectIn(rng, sw, sh);
        const float pos[2] = {float(RandomDouble(rng, 0, 100)), float(RandomDouble(rng, 0, 60))};
        const double angle = RandomDouble(rng, -3.2, 3.2);
        const Color c = seed % 3 ? Color(255, 255, 255, 255) : RandomColor(rng);
        const DrawMode mode = seed % 4 == 3 ? 1 : 0;
        const Rect dest(RandomInt(rng, 0, 50), RandomInt(rng, 0, 50), RandomInt(rng, 150, 250), RandomInt(rng, 150, 200));
        CanaryTarget ref(300, 260);
        CanaryTarget fast(300, 260);
        for (int y = 0; y < 260; ++y)
            for (int x = 0; x < 300; ++x)
                ref.At(x, y) = fast.At(x, y) = start[size_t(y) * 300 + x];
        double bounds[4];
        const bool drawn = RotatedBlitBounds(pos, s, Rect(0, 0, 300, 260), bounds, s.width / 2.f, s.height / 2.f, angle);
        ASSERT_TRUE(drawn);
        Rect R;
        DoubleRect area;
        ASSERT_TRUE(ClipStretchRects(dest, s, Rect(0, 0, 300, 260), R, area));
        Ref::PutImageRotated(ref.Target(), bounds, src, s, pos[0], pos[1], c, mode, angle, s.width / 2.f, s.height / 2.f);
        Ref::StretchFiltered(ref.Target(), R, area, src);
        SoftPutImageRotated(fast.Target(), bounds, src, s, pos[0], pos[1], c, mode, angle, s.width / 2.f,
                            s.height / 2.f);
        SoftStretchFiltered(fast.Target(), R, area, src);
        EXPECT_EQ(fast.FirstDifference(ref), "") << "seed " << seed << " (" << PixelLoopsName(ActivePixelLoops())
                                                 << " loops)";
        EXPECT_TRUE(fast.CanaryIntact());
    }
}

} // namespace
} // namespace Quib
