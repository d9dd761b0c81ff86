// MemoryImage drawing: the worked cases of the fills, lines, spans, blits,
// stretches and rotated blits, through the Image operations.

#include "framework/app/QuibAppBase.h"
#include "framework/core/ScanSpan.h"
#include "framework/core/TriangleVertex.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SoftwareRender.h"

#include <gtest/gtest.h>

#include <vector>

namespace Quib {
namespace {

class MemoryImageDraw : public ::testing::Test {
protected:
    // A w x h image filled with one word, its flags computed.
    std::unique_ptr<MemoryImage> Make(int w, int h, uint32_t fill)
    {
        std::vector<uint32_t> words(size_t(w) * h, fill);
        return MakeFrom(w, h, words);
    }
    std::unique_ptr<MemoryImage> MakeFrom(int w, int h, const std::vector<uint32_t>& words)
    {
        auto image = std::make_unique<MemoryImage>(&app);
        image->AssignPixels(words.data(), w, h, true);
        return image;
    }
    static uint32_t At(MemoryImage& image, int x, int y) { return image.GetPixel(x, y); }
    // Number of pixels that differ from `fill`.
    static int Changed(MemoryImage& image, uint32_t fill)
    {
        int n = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                n += At(image, x, y) != fill;
        return n;
    }

    QuibAppBase app;
};

// ---- Fills, lines and spans.

TEST_F(MemoryImageDraw, FillCases)
{
    struct Case {
        const char* what;
        uint32_t before;
        Color color;
        uint32_t after;
    };
    const Case cases[] = {
        // Over alpha 0: A = a, g = 255, channel (d + 255 s) >> 8.
        {"translucent over transparent black", 0x00000000, Color(200, 100, 50, 128), 0x80C76331},
        {"translucent over transparent white", 0x00FFFFFF, Color(200, 100, 50, 128), 0x80C86432},
        {"opaque white is stored", 0x12345678, Color(255, 255, 255, 255), 0xFFFFFFFF},
        {"alpha 254 white over opaque black", 0xFF000000, Color(255, 255, 255, 254), 0xFFFDFDFD},
        // No weight when both alphas are 0: the pixel stays.
        {"alpha 0 over alpha 0", 0x00405060, Color(255, 0, 0, 0), 0x00405060},
        {"alpha 0 over opaque", 0xFF405060, Color(255, 0, 0, 0), 0xFF405060},
    };
    for (const Case& c : cases) {
        auto image = Make(4, 3, c.before);
        image->FillRectangle(Rect(1, 1, 2, 1), c.color, DRAWMODE_NORMAL);
        EXPECT_EQ(At(*image, 1, 1), c.after) << c.what;
        EXPECT_EQ(At(*image, 2, 1), c.after) << c.what;
        EXPECT_EQ(Changed(*image, c.before), c.after == c.before ? 0 : 2) << c.what;
    }
}

TEST_F(MemoryImageDraw, AdditiveFillBlendsLikeNormal)
{
    auto a = Make(2, 2, 0xFF204060), b = Make(2, 2, 0xFF204060);
    a->FillRectangle(Rect(0, 0, 2, 2), Color(10, 200, 30, 77), DRAWMODE_NORMAL);
    b->FillRectangle(Rect(0, 0, 2, 2), Color(10, 200, 30, 77), DRAWMODE_ADDITIVE);
    EXPECT_EQ(At(*a, 1, 1), At(*b, 1, 1));
}

TEST_F(MemoryImageDraw, OutlineRectangle)
{
    auto image = Make(14, 9, 0);
    image->OutlineRectangle(Rect(1, 1, 10, 5), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 14; ++x) {
            const bool frame = (x >= 1 && x <= 11 && (y == 1 || y == 6)) || ((x == 1 || x == 11) && y >= 1 && y <= 6);
            EXPECT_EQ(At(*image, x, y), frame ? 0xFFFFFFFF : 0u) << x << "," << y;
        }
    // Height 0: the one row twice (a translucent colour shows the double draw).
    auto row = Make(8, 3, 0xFF000000);
    row->OutlineRectangle(Rect(1, 1, 4, 0), Color(255, 255, 255, 128), DRAWMODE_NORMAL);
    auto once = Make(1, 1, 0xFF000000);
    once->FillRectangle(Rect(0, 0, 1, 1), Color(255, 255, 255, 128), DRAWMODE_NORMAL);
    once->FillRectangle(Rect(0, 0, 1, 1), Color(255, 255, 255, 128), DRAWMODE_NORMAL);
    for (int x = 1; x <= 5; ++x)
        EXPECT_EQ(At(*row, x, 1), At(*once, 0, 0));
    EXPECT_EQ(Changed(*row, 0xFF000000), 5);
}

TEST_F(MemoryImageDraw, ClearRectangleAndFillSpans)
{
    auto image = Make(5, 4, 0xFF112233);
    image->ClearRectangle(Rect(1, 1, 2, 2));
    EXPECT_EQ(At(*image, 1, 1), 0u);
    EXPECT_EQ(At(*image, 2, 2), 0u);
    EXPECT_EQ(Changed(*image, 0xFF112233), 4);
    const ScanSpan spans[] = {{0, 1, 3}, {3, 0, 5}};
    image->FillSpans(spans, 2, Color(1, 2, 3, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(At(*image, 1, 0), 0xFF010203);
    EXPECT_EQ(At(*image, 3, 0), 0xFF010203);
    EXPECT_EQ(At(*image, 4, 0), 0xFF112233);
    EXPECT_EQ(At(*image, 4, 3), 0xFF010203);
}

TEST_F(MemoryImageDraw, FillSpansWithCoverage)
{
    struct Case {
        uint8_t coverage;
        int alpha;
        uint32_t after;
    };
    const Case cases[] = {
        {0, 255, 0xFF000000},    // e = 255 >> 8 = 0: unchanged
        {0, 100, 0xFF000000},
        {255, 255, 0xFFFEFEFE},  // a = 255: (0 + 255 * 255) >> 8
        {127, 255, 0xFF7E7E7E},  // e = 255 * 128 >> 8 = 127 = g: 255 * 127 >> 8
    };
    for (const Case& c : cases) {
        auto image = Make(3, 2, 0xFF000000);
        const uint8_t coverage[6] = {c.coverage, c.coverage, c.coverage, c.coverage, c.coverage, c.coverage};
        const ScanSpan span{1, 0, 3};
        image->FillSpansWithCoverage(&span, 1, Color(255, 255, 255, c.alpha), DRAWMODE_NORMAL, coverage, 0, 0, 3);
        EXPECT_EQ(At(*image, 1, 1), c.after) << int(c.coverage) << " " << c.alpha;
        EXPECT_EQ(At(*image, 1, 0), 0xFF000000u);
    }
}

TEST_F(MemoryImageDraw, LineCases)
{
    // Horizontal: x 2..10 of row 3.
    auto h = Make(12, 5, 0);
    h->DrawLineSegment(10.7, 3.2, 2.2, 3.2, Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(At(*h, x, 3), x >= 2 && x <= 10 ? 0xFFFFFFFF : 0u) << x;
    EXPECT_EQ(Changed(*h, 0), 9);

    // Diagonal opaque white: alpha 255, channels 254; one pixel per column.
    auto d = Make(12, 5, 0);
    d->DrawLineSegment(0, 0, 10, 3, Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(At(*d, 0, 0), 0xFFFEFEFE);
    EXPECT_EQ(Changed(*d, 0), 11);
    for (int x = 0; x <= 10; ++x) {
        int inColumn = 0;
        for (int y = 0; y < 5; ++y)
            if (At(*d, x, y) != 0) {
                EXPECT_EQ(At(*d, x, y), 0xFFFEFEFE);
                ++inColumn;
            }
        EXPECT_EQ(inColumn, 1) << x;
    }

    // Additive diagonal with alpha 128.
    struct AddCase {
        uint32_t before, after;
    };
    for (const AddCase& c : {AddCase{0x80102030, 0xFF90A0B0}, AddCase{0x80C8C8C8, 0xFFFFFFFF}}) {
        auto a = Make(4, 4, c.before);
        a->DrawLineSegment(0, 0, 3, 3, Color(255, 255, 255, 128), DRAWMODE_ADDITIVE);
        EXPECT_EQ(At(*a, 1, 1), c.after);
    }

    // Other modes draw nothing but still mark the change.
    auto n = Make(4, 4, 0);
    const int before = n->changeCount;
    n->DrawLineSegment(0, 0, 3, 2, Color(255, 255, 255, 255), 2);
    EXPECT_EQ(Changed(*n, 0), 0);
    EXPECT_GT(n->changeCount, before);
}

TEST_F(MemoryImageDraw, SmoothLineInsideOnePixelDrawsItTwice)
{
    auto image = Make(4, 4, 0xFF000000);
    image->DrawSmoothLineSegment(1.2, 1.3, 1.7, 1.9, Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    // B = trunc(0.3 * 0.2 * 65536) = 3932, f = 15: main coverage 240, twice.
    auto twice = Make(1, 1, 0xFF000000);
    for (int i = 0; i < 2; ++i)
        twice->FillRectangle(Rect(0, 0, 1, 1), Color(255, 255, 255, 240), DRAWMODE_NORMAL);
    EXPECT_EQ(At(*image, 1, 1), At(*twice, 0, 0));
    EXPECT_EQ(Changed(*image, 0xFF000000), 1);
}

TEST_F(MemoryImageDraw, AdditiveSmoothLineDrawsNothing)
{
    auto image = Make(6, 6, 0xFF000000);
    image->DrawSmoothLineSegment(0.5, 0.5, 4.5, 3.5, Color(255, 255, 255, 255), DRAWMODE_ADDITIVE);
    EXPECT_EQ(Changed(*image, 0xFF000000), 0);
}

TEST_F(MemoryImageDraw, LinesFarOutsideStayInside)
{
    auto image = Make(8, 8, 0);
    image->DrawLineSegment(-1e6, 3.5, 1e6, 4.5, Color(255, 0, 0, 255), DRAWMODE_NORMAL);
    image->DrawLineSegment(2.5, -1e9, 3.5, 1e9, Color(0, 255, 0, 128), DRAWMODE_ADDITIVE);
    image->DrawSmoothLineSegment(-50.5, -40.25, 60.5, 70.75, Color(0, 0, 255, 255), DRAWMODE_NORMAL);
    image->DrawLineSegment(1e300, 2, -1e300, 3, Color(255, 0, 0, 255), DRAWMODE_NORMAL);
    image->DrawLineSegment(3, 3, 3, 1e12, Color(255, 0, 0, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(image->bits[64], kImageGuardWord);
}

// ---- Blits.

TEST_F(MemoryImageDraw, RunPathCopiesExactlyCompositeDoesNot)
{
    auto src = Make(2, 1, 0xFFFFFFFF);
    auto opaque = Make(2, 1, 0xFF000000);
    opaque->PutImage(src.get(), 0, 0, Rect(0, 0, 2, 1), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(At(*opaque, 0, 0), 0xFFFFFFFF);

    auto translucent = Make(2, 1, 0x80000000);
    translucent->PutImage(src.get(), 0, 0, Rect(0, 0, 2, 1), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(At(*translucent, 0, 0), 0xFFFEFEFE);
}

TEST_F(MemoryImageDraw, BlitCases)
{
    struct Case {
        const char* what;
        uint32_t source, dest;
        Color color;
        DrawMode mode;
        uint32_t after;
    };
    const Case cases[] = {
        {"alpha 0 skipped", 0x00FFFFFF, 0x80102030, Color(255, 255, 255, 255), DRAWMODE_NORMAL, 0x80102030},
        {"alpha 0 skipped, run path", 0x00FFFFFF, 0xFF102030, Color(255, 255, 255, 255), DRAWMODE_NORMAL,
         0xFF102030},
        // The source has no translucent pixels: its colour is added whole.
        {"alpha 0 adds", 0x00102030, 0x80102030, Color(255, 255, 255, 255), DRAWMODE_ADDITIVE, 0x80204060},
        {"additive saturates, keeps alpha", 0x00F0F0F0, 0x40202020, Color(255, 255, 255, 255),
         DRAWMODE_ADDITIVE, 0x40FFFFFF},
        // Grey modulation halves the channel before compositing (a = 255).
        {"grey halves", 0xFFC8C8C8, 0xFF000000, Color(128, 128, 128, 255), DRAWMODE_NORMAL, 0xFF636363},
        {"mode 2 draws nothing", 0xFFFFFFFF, 0xFF000000, Color(255, 255, 255, 255), 2, 0xFF000000},
    };
    for (const Case& c : cases) {
        auto src = Make(1, 1, c.source);
        auto dst = Make(1, 1, c.dest);
        dst->PutImage(src.get(), 0, 0, Rect(0, 0, 1, 1), c.color, c.mode);
        EXPECT_EQ(At(*dst, 0, 0), c.after) << c.what;
        EXPECT_TRUE(src->drawn) << c.what;
    }
}

TEST_F(MemoryImageDraw, BlitOfPaletteFormEqualsBits)
{
    std::vector<uint32_t> words;
    for (int i = 0; i < 64; ++i)
        words.push_back(i % 3 == 0 ? 0x00FF0000 : i % 3 == 1 ? 0xFF00FF00 : 0x800000FF);
    auto bitsSource = MakeFrom(8, 8, words);
    auto paletteSource = MakeFrom(8, 8, words);
    ASSERT_TRUE(paletteSource->TryPalettize());
    ASSERT_FALSE(paletteSource->bits);
    for (DrawMode mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE}) {
        auto a = Make(8, 8, 0x80404040), b = Make(8, 8, 0x80404040);
        a->PutImage(bitsSource.get(), 0, 0, Rect(1, 1, 6, 6), Color(10, 20, 30, 200), mode);
        b->PutImage(paletteSource.get(), 0, 0, Rect(1, 1, 6, 6), Color(10, 20, 30, 200), mode);
        EXPECT_EQ(std::vector<uint32_t>(a->bits.get(), a->bits.get() + 64),
                  std::vector<uint32_t>(b->bits.get(), b->bits.get() + 64));
    }
}

TEST_F(MemoryImageDraw, BlitOutsideThePictureIsCut)
{
    auto src = Make(4, 4, 0xFFFFFFFF);
    auto dst = Make(4, 4, 0xFF000000);
    dst->PutImage(src.get(), 2, -1, Rect(-3, 0, 10, 10), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(dst->bits[16], kImageGuardWord);
    // Source column 0 lands at x = 5 (outside); nothing of the picture moves.
    EXPECT_EQ(Changed(*dst, 0xFF000000), 0);
    dst->PutImage(src.get(), -2, -2, Rect(0, 0, 4, 4), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(Changed(*dst, 0xFF000000), 4);
}

// ---- Stretches.

TEST_F(MemoryImageDraw, StretchCases)
{
    auto src = Make(10, 10, 0x80FF8040);
    // Width 0: nothing, and no change noted.
    auto dst = Make(12, 12, 0xFF000000);
    const int count = dst->changeCount;
    dst->PutImageStretched(src.get(), Rect(0, 0, 0, 5), Rect(0, 0, 10, 10), Rect(0, 0, 12, 12),
                           Color(255, 255, 255, 255), DRAWMODE_NORMAL, true);
    EXPECT_EQ(dst->changeCount, count);

    // A 1:1 fast stretch equals the white composite, also on an opaque image.
    auto stretched = Make(12, 12, 0xFF000000), blitted = Make(12, 12, 0xFF000000);
    stretched->PutImageStretched(src.get(), Rect(1, 1, 10, 10), Rect(0, 0, 10, 10), Rect(0, 0, 12, 12),
                                 Color(255, 255, 255, 255), DRAWMODE_NORMAL, true);
    blitted->hasAlpha = true;  // not taken as opaque: the composite path
    blitted->PutImage(src.get(), 1, 1, Rect(0, 0, 10, 10), Color(255, 255, 255, 255), DRAWMODE_NORMAL);
    EXPECT_EQ(std::vector<uint32_t>(stretched->bits.get(), stretched->bits.get() + 144),
              std::vector<uint32_t>(blitted->bits.get(), blitted->bits.get() + 144));

    // Any other colour tints: as the white stretch of a pre-tinted source.
    auto other = Make(12, 12, 0xFF000000);
    other->PutImageStretched(src.get(), Rect(1, 1, 10, 10), Rect(0, 0, 10, 10), Rect(0, 0, 12, 12),
                             Color(255, 255, 255, 254), DRAWMODE_NORMAL, true);
    EXPECT_EQ(Changed(*other, 0xFF000000), 100);
}

TEST_F(MemoryImageDraw, StretchesApplyTheTint)
{
    // Source 0xC0F08010 tinted by (128, 64, 255, 128): each channel times
    // the colour's / 255, rounded.
    auto src = Make(6, 5, 0xC0F08010);
    auto pre = Make(6, 5, 0x60782010);
    for (bool fast : {true, false}) {
        for (const Rect dest : {Rect(2, 1, 6, 5), Rect(0, 0, 15, 11), Rect(3, 3, 4, 3)}) {
            auto tinted = Make(16, 12, 0xFF203040), expected = Make(16, 12, 0xFF203040);
            tinted->PutImageStretched(src.get(), dest, Rect(0, 0, 6, 5), Rect(0, 0, 16, 12),
                                      Color(128, 64, 255, 128), DRAWMODE_NORMAL, fast);
            expected->PutImageStretched(pre.get(), dest, Rect(0, 0, 6, 5), Rect(0, 0, 16, 12),
                                        Color(255, 255, 255, 255), DRAWMODE_NORMAL, fast);
            EXPECT_EQ(std::vector<uint32_t>(tinted->bits.get(), tinted->bits.get() + 192),
                      std::vector<uint32_t>(expected->bits.get(), expected->bits.get() + 192))
                << (fast ? "fast " : "filtered ") << dest.width << "x" << dest.height;
            EXPECT_EQ(Changed(*tinted, 0xFF203040), dest.width * dest.height);
        }
    }
    // A part of the source: the window copy keeps the mapping.
    std::vector<uint32_t> ramp(64);
    for (int i = 0; i < 64; ++i)
        ramp[size_t(i)] = 0xFF000000u | uint32_t(i * 4) << 16 | uint32_t(255 - i * 4);
    auto grad = MakeFrom(8, 8, ramp);
    std::vector<uint32_t> halved(64);
    for (int i = 0; i < 64; ++i)
        halved[size_t(i)] = 0xFF000000u | uint32_t((i * 4 * 128 + 127) / 255) << 16 |
                            uint32_t(((255 - i * 4) * 128 + 127) / 255);
    auto gradPre = MakeFrom(8, 8, halved);
    auto a = Make(10, 10, 0xFF000000), b = Make(10, 10, 0xFF000000);
    a->PutImageStretched(grad.get(), Rect(1, 1, 9, 7), Rect(3, 2, 4, 5), Rect(0, 0, 10, 10),
                         Color(128, 128, 128, 255), DRAWMODE_NORMAL, false);
    b->PutImageStretched(gradPre.get(), Rect(1, 1, 9, 7), Rect(3, 2, 4, 5), Rect(0, 0, 10, 10),
                         Color(255, 255, 255, 255), DRAWMODE_NORMAL, false);
    EXPECT_EQ(std::vector<uint32_t>(a->bits.get(), a->bits.get() + 100),
              std::vector<uint32_t>(b->bits.get(), b->bits.get() + 100));
}

TEST_F(MemoryImageDraw, FilteredStretchCases)
{
    // 2:1 reduction of 0 and 255 in one row: filtered 127, written 126.
    auto src = MakeFrom(2, 1, {0xFF000000, 0xFFFF0000});
    auto dst = Make(1, 1, 0xFF000000);
    dst->PutImageStretched(src.get(), Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), Rect(0, 0, 1, 1),
                           Color(255, 255, 255, 255), DRAWMODE_NORMAL, false);
    EXPECT_EQ(At(*dst, 0, 0), 0xFF7E0000);

    // 1:1 keeps the filtered values but writes an opaque 255 as 254.
    auto one = MakeFrom(2, 1, {0xFFFF0080, 0xFF00FF00});
    auto copy = Make(2, 1, 0xFF000000);
    copy->PutImageStretched(one.get(), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1),
                            Color(255, 255, 255, 255), DRAWMODE_NORMAL, false);
    EXPECT_EQ(At(*copy, 0, 0), 0xFFFE007F);
    EXPECT_EQ(At(*copy, 1, 0), 0xFF00FE00);
}

TEST_F(MemoryImageDraw, FilteredStretchRefusesBuffersBeyond32Bits)
{
    // 65600 source rows onto 4100 columns: 65600 x 4104 cells of 16 bytes
    // do not fit in 32 bits. Nothing is drawn, nothing noted.
    auto src = Make(1, 65600, 0xFFFFFFFF);
    auto dst = Make(4100, 1, 0xFF000000);
    const int count = dst->changeCount;
    dst->PutImageStretched(src.get(), Rect(0, 0, 4100, 1), Rect(0, 0, 1, 65600), Rect(0, 0, 4100, 1),
                           Color(255, 255, 255, 255), DRAWMODE_NORMAL, false);
    EXPECT_EQ(dst->changeCount, count);
    EXPECT_EQ(Changed(*dst, 0xFF000000), 0);
    // With 200 rows it fits and draws.
    auto fits = Make(1, 200, 0xFFFFFFFF);
    dst->PutImageStretched(fits.get(), Rect(0, 0, 4100, 1), Rect(0, 0, 1, 200), Rect(0, 0, 4100, 1),
                           Color(255, 255, 255, 255), DRAWMODE_NORMAL, false);
    EXPECT_GT(Changed(*dst, 0xFF000000), 0);
}

// ---- Rotated blits.

TEST_F(MemoryImageDraw, RotatedAtHalfPixelMixesNeighbours)
{
    // Columns alternate 0 and 254 in red; at x + 0.5 each pixel is half of each.
    std::vector<uint32_t> words;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            words.push_back(x % 2 ? 0xFFFE0000 : 0xFF000000);
    auto src = MakeFrom(8, 4, words);
    auto dst = Make(20, 6, 0xFF000000);
    dst->PutImageSubpixel(src.get(), 10.5f, 0, Rect(0, 0, 8, 4), Rect(0, 0, 20, 6), Color(255, 255, 255, 255),
                          DRAWMODE_NORMAL);
    // Column 11 starts at u = 32768: W = 127 for each texel, S = 254 > 250.
    EXPECT_EQ(At(*dst, 11, 0), 0xFF000000u | ((254u * 127 >> 8) << 16));
    EXPECT_EQ(At(*dst, 12, 0), 0xFF000000u | ((254u * 127 >> 8) << 16));
}

TEST_F(MemoryImageDraw, RotatedAtIntegralPosition)
{
    auto src = Make(5, 4, 0xFFFFFFFF);
    auto dst = Make(10, 10, 0xFF000000);
    dst->PutImageRotated(src.get(), 2, 3, Rect(0, 0, 5, 4), Rect(0, 0, 10, 10), Color(255, 255, 255, 255),
                         DRAWMODE_NORMAL, 0.0, 0, 0);
    // fu = fv = 1: w00 = 65534, 255 stored as 253; (W - 1) x (H - 1) pixels.
    EXPECT_EQ(At(*dst, 2, 3), 0xFFFDFDFD);
    EXPECT_EQ(At(*dst, 5, 5), 0xFFFDFDFD);
    EXPECT_EQ(At(*dst, 6, 3), 0xFF000000);
    EXPECT_EQ(At(*dst, 2, 6), 0xFF000000);
    EXPECT_EQ(Changed(*dst, 0xFF000000), 12);
}

TEST_F(MemoryImageDraw, RotatedOutsideTheClipNotesNothing)
{
    auto src = Make(5, 4, 0xFFFFFFFF);
    auto dst = Make(10, 10, 0xFF000000);
    const int count = dst->changeCount;
    dst->PutImageRotated(src.get(), 40, 40, Rect(0, 0, 5, 4), Rect(0, 0, 10, 10), Color(255, 255, 255, 255),
                         DRAWMODE_NORMAL, 0.5, 2, 2);
    EXPECT_EQ(dst->changeCount, count);
    EXPECT_TRUE(src->drawn);
}

TEST_F(MemoryImageDraw, RotatedSubRectangleOfASheet)
{
    // Rows 0..3 red, rows 4..7 green; the sub-rectangle starts at row 4.
    std::vector<uint32_t> words;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x)
            words.push_back(y < 4 ? 0xFFFF0000 : 0xFF00FF00);
    auto sheet = MakeFrom(6, 8, words);
    auto dst = Make(8, 8, 0xFF000000);
    dst->PutImageRotated(sheet.get(), 0, 0, Rect(1, 4, 3, 4), Rect(0, 0, 8, 8), Color(255, 255, 255, 255),
                         DRAWMODE_NORMAL, 0.0, 0, 0);
    EXPECT_EQ(At(*dst, 0, 0), 0xFF00FD00);
    EXPECT_EQ(At(*dst, 1, 2), 0xFF00FD00);
    EXPECT_EQ(Changed(*dst, 0xFF000000), 2 * 3);
}

TEST_F(MemoryImageDraw, RotatedModesAndTransparentSource)
{
    auto src = Make(6, 6, 0xFF204080);
    auto one = Make(8, 8, 0xFF101010), two = Make(8, 8, 0xFF101010);
    one->PutImageRotated(src.get(), 1, 1, Rect(0, 0, 6, 6), Rect(0, 0, 8, 8), Color(255, 255, 255, 255), 1, 0.3,
                         3, 3);
    two->PutImageRotated(src.get(), 1, 1, Rect(0, 0, 6, 6), Rect(0, 0, 8, 8), Color(255, 255, 255, 255), 2, 0.3,
                         3, 3);
    EXPECT_GT(Changed(*one, 0xFF101010), 0);
    EXPECT_EQ(std::vector<uint32_t>(one->bits.get(), one->bits.get() + 64),
              std::vector<uint32_t>(two->bits.get(), two->bits.get() + 64));

    auto clear = Make(6, 6, 0x00FFFFFF);
    const Color colors[] = {Color(255, 255, 255, 255), Color(10, 200, 30, 100)};
    for (const Color& c : colors)
        for (DrawMode mode : {DRAWMODE_NORMAL, DRAWMODE_ADDITIVE})
            for (uint32_t fill : {0x00000000u, 0x80402010u, 0xFF102030u}) {
                auto dst = Make(8, 8, fill);
                dst->PutImageRotated(clear.get(), 1.25f, 0.5f, Rect(0, 0, 6, 6), Rect(0, 0, 8, 8), c, mode, 0.7,
                                     3, 3);
                EXPECT_EQ(Changed(*dst, fill), 0);
            }
}

TEST_F(MemoryImageDraw, RotatedColourWithZeroWeightLeavesTransparentPixels)
{
    // A faint texel under a faint colour: the scaled weights are all 0, and
    // over a pixel of alpha 0 there is no weight to divide by.
    auto src = Make(4, 4, 0x02FFFFFF);
    auto dst = Make(6, 6, 0x00000000);
    dst->PutImageRotated(src.get(), 1, 1, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color(255, 255, 255, 100),
                         DRAWMODE_NORMAL, 0.2, 2, 2);
    EXPECT_EQ(Changed(*dst, 0), 0);
}

// ---- Triangles and the matrix quad.

TEST_F(MemoryImageDraw, TrianglesOfAPlainImageWithoutVertexColoursDrawNothing)
{
    Image plain;
    plain.width = plain.height = 4;
    auto dst = Make(8, 8, 0xFF000000);
    const TriangleVertex tri[3] = {{0, 0, 0, 0, 0}, {8, 0, 1, 0, 0}, {0, 8, 0, 1, 0}};
    const int count = dst->changeCount;
    dst->PutTexturedTriangles(&plain, tri, 1, Rect(0, 0, 8, 8), Color(255, 255, 255, 255), DRAWMODE_NORMAL, 0, 0, 0);
    EXPECT_EQ(Changed(*dst, 0xFF000000), 0);
    EXPECT_TRUE(plain.drawn);
    EXPECT_GT(dst->changeCount, count);
}

TEST_F(MemoryImageDraw, TexturedTrianglesAndMatrixQuadDraw)
{
    auto src = Make(4, 4, 0xFF20C040);
    // Two triangles covering the image, moved by (2, 2): only the clip is drawn.
    auto dst = Make(12, 12, 0xFF000000);
    const TriangleVertex tris[6] = {{0, 0, 0, 0, 0}, {4, 0, 1, 0, 0}, {0, 4, 0, 1, 0},
                                    {4, 0, 1, 0, 0}, {4, 4, 1, 1, 0}, {0, 4, 0, 1, 0}};
    dst->PutTexturedTriangles(src.get(), tris, 2, Rect(0, 0, 5, 12), Color(255, 255, 255, 255), DRAWMODE_NORMAL, 2,
                              2, 0);
    EXPECT_EQ(At(*dst, 3, 3), 0xFF20C040);
    EXPECT_EQ(At(*dst, 8, 3), 0xFF000000);
    EXPECT_EQ(At(*dst, 1, 1), 0xFF000000);
    EXPECT_TRUE(src->drawn);

    // Identity matrix at (6, 6): the 4 x 4 source centred there.
    auto quad = Make(12, 12, 0xFF000000);
    quad->PutImageMatrix(src.get(), 6, 6, Matrix3x3(), Rect(0, 0, 12, 12), Color(255, 255, 255, 255),
                         DRAWMODE_NORMAL, Rect(0, 0, 4, 4), 0);
    EXPECT_EQ(At(*quad, 5, 5), 0xFF20C040);
    EXPECT_EQ(At(*quad, 6, 6), 0xFF20C040);
    EXPECT_EQ(At(*quad, 1, 1), 0xFF000000);
    EXPECT_EQ(At(*quad, 10, 10), 0xFF000000);
    EXPECT_EQ(quad->bits[144], kImageGuardWord);

    // A source that is not a MemoryImage: nothing drawn, the change still noted.
    Image plain;
    const int count = quad->changeCount;
    auto before = std::vector<uint32_t>(quad->bits.get(), quad->bits.get() + 144);
    quad->PutImageMatrix(&plain, 6, 6, Matrix3x3(), Rect(0, 0, 12, 12), Color(255, 255, 255, 255),
                         DRAWMODE_NORMAL, Rect(0, 0, 4, 4), 0);
    EXPECT_EQ(std::vector<uint32_t>(quad->bits.get(), quad->bits.get() + 144), before);
    EXPECT_GT(quad->changeCount, count);
}

TEST_F(MemoryImageDraw, RasterFormatFollowsForcedFlags)
{
    auto image = Make(2, 2, 0xFF000000);
    EXPECT_EQ(image->RasterFormat(), 0x8888);
    image->ForceTransparencyFlags(false, false);
    EXPECT_EQ(image->RasterFormat(), 0x888);
    image->ForceTransparencyFlags(true, false);
    EXPECT_EQ(image->RasterFormat(), 0x8888);
}

TEST_F(MemoryImageDraw, MissingSourcesAndBuffersDrawNothing)
{
    auto dst = Make(4, 4, 0xFF102030);
    const Rect all(0, 0, 4, 4);
    const Color white(255, 255, 255, 255);
    dst->PutImage(nullptr, 0, 0, all, white, DRAWMODE_NORMAL);
    dst->PutImageSubpixel(nullptr, 0, 0, all, all, white, DRAWMODE_NORMAL);
    dst->PutImageRotated(nullptr, 0, 0, all, all, white, DRAWMODE_NORMAL, 0.5, 1, 1);
    dst->PutImageStretched(nullptr, all, all, all, white, DRAWMODE_NORMAL, false);
    dst->PutImageMatrix(nullptr, 2, 2, Matrix3x3(), all, white, DRAWMODE_NORMAL, all, 1);
    dst->PutTexturedTriangles(nullptr, nullptr, 1, all, white, DRAWMODE_NORMAL, 0, 0, 0);
    dst->FillSpans(nullptr, 3, white, DRAWMODE_NORMAL);
    const ScanSpan span{0, 0, 4};
    dst->FillSpansWithCoverage(&span, 1, white, DRAWMODE_NORMAL, nullptr, 0, 0, 4);
    EXPECT_EQ(Changed(*dst, 0xFF102030), 0);
}

} // namespace
} // namespace Quib
