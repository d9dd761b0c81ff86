#include "platform/SystemFont.h"
#include "platform/CoverageBlend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <climits>
#include <vector>

namespace Quib {
namespace {

// A locked surface of the given size and format over the pixels.
SurfaceDesc Target(void* bits, int pitch, int width, int height, int bitCount = 32, uint32_t r = 0xFF0000,
                   uint32_t g = 0xFF00, uint32_t b = 0xFF)
{
    SurfaceDesc desc;
    desc.bits = bits;
    desc.pitch = pitch;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.format = {uint32_t(bitCount), r, g, b, 0};
    return desc;
}

std::unique_ptr<SystemFont> MakeFont(const char* face, int height, int weight = 400, bool underline = false)
{
    SystemFontRequest request;
    request.face = face;
    request.height = height;
    request.weight = weight;
    request.underline = underline;
    return SystemFont::Create(request);
}

TEST(SystemFont, MissingFamilyFallsBackToDejaVuSans)
{
    auto font = MakeFont("Arial Unicode MS", -16);
    ASSERT_TRUE(font->HasFace());
    EXPECT_EQ(font->FamilyName(), "DejaVu Sans");
    // GDI-like metrics: the cell is taller than the 16-pixel em.
    EXPECT_GT(font->Height(), 16);
    EXPECT_LT(font->Height(), 24);
    EXPECT_GT(font->Ascent(), font->Height() / 2);
    EXPECT_LT(font->Ascent(), font->Height());
}

TEST(SystemFont, PositiveHeightIsTheCellHeight)
{
    auto font = MakeFont("DejaVu Sans", 30);
    EXPECT_NEAR(font->Height(), 30, 1);
}

TEST(SystemFont, MeasuresLinesLikeDrawTextCalcRect)
{
    auto font = MakeFont("DejaVu Sans", -16);
    int w = 0, h = 0;
    font->MeasureText(u"ab", w, h);
    EXPECT_EQ(w, font->CharAdvance(U'a') + font->CharAdvance(U'b'));
    EXPECT_EQ(h, font->Height());
    int w2 = 0, h2 = 0;
    font->MeasureText(u"ab\r\nabcd\nx", w2, h2);
    EXPECT_EQ(w2, font->LineWidth(u"abcd"));
    EXPECT_EQ(h2, 3 * font->Height());
    EXPECT_GT(font->LineWidth(u"WWW"), font->LineWidth(u"iii"));
}

TEST(SystemFont, BoldIsWider)
{
    auto normal = MakeFont("DejaVu Sans", -20);
    auto bold = MakeFont("DejaVu Sans", -20, 700);
    EXPECT_GT(bold->LineWidth(u"Hello world"), normal->LineWidth(u"Hello world"));
}

TEST(SystemFont, RendersCoverageInsideTheCell)
{
    auto font = MakeFont("DejaVu Sans", -16);
    TextCoverage text = font->Render(u"H");
    ASSERT_EQ(text.width, font->CharAdvance(U'H'));
    ASSERT_EQ(text.height, font->Height());
    int full = 0, covered = 0;
    for (int y = 0; y < text.height; ++y)
        for (int x = 0; x < text.width; ++x) {
            full += text.At(x, y) == 255;
            covered += text.At(x, y) != 0;
        }
    EXPECT_GT(full, 10);          // the stems are solid
    EXPECT_LT(covered, text.width * text.height / 2);
    // Nothing above the cap height's top row or below the baseline for "H".
    for (int x = 0; x < text.width; ++x)
        EXPECT_EQ(text.At(x, text.height - 1), 0);

    TextCoverage twice = font->Render(u"H", 2.0f, 2.0f);
    EXPECT_NEAR(twice.width, 2 * text.width, 2);
    EXPECT_NEAR(twice.height, 2 * text.height, 1);
    EXPECT_EQ(font->Render(u"").width, 0);
}

TEST(SystemFont, BlendsIntoSurfacesInsideTheClipOnly)
{
    auto font = MakeFont("DejaVu Sans", -16);
    struct Layout {
        int bitCount;
        uint32_t r, g, b;
    };
    const Layout layouts[] = {{32, 0xFF0000, 0xFF00, 0xFF}, {32, 0xFF, 0xFF00, 0xFF0000},
                              {16, 0xF800, 0x07E0, 0x1F}, {16, 0x7C00, 0x03E0, 0x1F}};
    for (const Layout& layout : layouts) {
        const int width = 40, height = 30;
        std::vector<uint32_t> pixels(width * height, 0);
        SurfaceDesc target =
            Target(pixels.data(), width * 4, width, height, layout.bitCount, layout.r, layout.g, layout.b);
        if (layout.bitCount == 16)
            target.pitch = width * 2;
        // Clip to the left half: nothing may change right of x = 10.
        font->BlendInto(target, u"MMMM", 0xFFFFFFFF, 2, 2, 0, 0, 10, height);
        bool changedInside = false;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t p = layout.bitCount == 32 ? pixels[y * width + x]
                                                   : reinterpret_cast<uint16_t*>(pixels.data())[y * width + x];
                if (x >= 10)
                    ASSERT_EQ(p, 0u) << "written outside the clip at " << x << "," << y;
                else if (p)
                    changedInside = true;
            }
        EXPECT_TRUE(changedInside);
    }
}

// A window of the line is exactly that part of the whole line's coverage,
// whatever the scale and the synthetic styles.
TEST(SystemFont, AreaIsTheSameWindowOfTheWholeLine)
{
    SystemFontRequest request;
    request.face = "DejaVu Sans";
    request.height = -13;
    request.weight = 700;
    request.italic = true;
    request.underline = true;
    auto font = SystemFont::Create(request);
    const std::u16string text = u"Wavy jig, fluffy AV quartz, offset 1234567890 and more of it";
    struct Case {
        float scaleX, scaleY;
        int left, top, width, height;
    } cases[] = {
        {1, 1, 0, 0, 40, 10}, {1, 1, 150, 3, 60, 12}, {1, 1, -5, -5, 30, 30},
        {1.5f, 2, 200, 10, 80, 20}, {2, 1, 300, 0, 500, 40}, {0.5f, 0.5f, 40, 2, 50, 6},
    };
    for (const Case& c : cases) {
        const TextCoverage whole = font->Render(text, c.scaleX, c.scaleY);
        const TextCoverage part = font->RenderArea(text, c.scaleX, c.scaleY, c.left, c.top, c.width, c.height);
        ASSERT_EQ(part.width, c.width);
        ASSERT_EQ(part.height, c.height);
        int differences = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int wx = c.left + x, wy = c.top + y;
                const bool inside = wx >= 0 && wy >= 0 && wx < whole.width && wy < whole.height;
                differences += part.At(x, y) != (inside ? whole.At(wx, wy) : 0);
            }
        EXPECT_EQ(differences, 0) << "scale " << c.scaleX << " window at " << c.left << "," << c.top;
    }
}

// Text far wider than the surface, at the largest scale: only the part on the
// surface is rendered, so it neither allocates the whole line nor fails.
TEST(SystemFont, HugeLinesRenderOnlyWhatShows)
{
    auto font = MakeFont("DejaVu Sans", -16);
    const std::u16string text(200000, u'M');
    EXPECT_EQ(font->Render(text, 64, 64).width, 0); // over the coverage limit
    EXPECT_EQ(font->Render(u"M", 0, 1).width, 0);
    EXPECT_EQ(font->Render(u"M", 65, 1).width, 0);

    const int width = 64, height = 48;
    std::vector<uint32_t> pixels(width * height, 0);
    const SurfaceDesc target = Target(pixels.data(), width * 4, width, height);
    font->BlendInto(target, text, 0xFFFFFFFF, -1000, -300, 0, 0, width, height, 64, 64);
    int lit = 0;
    for (uint32_t p : pixels)
        lit += p != 0;
    EXPECT_GT(lit, width * height / 4); // inside the stem of a huge M

    std::fill(pixels.begin(), pixels.end(), 0u);
    font->BlendInto(target, text, 0xFFFFFFFF, INT32_MIN, 0, INT32_MIN, 0, INT32_MAX, height, 64, 64);
    font->BlendInto(target, text, 0xFFFFFFFF, INT32_MAX, INT32_MAX, 0, 0, width, height, 64, 64);
    for (uint32_t p : pixels)
        ASSERT_EQ(p, 0u);
}

// One font measured and rendered (scaled, which resizes its face) on
// several threads at once gives what it gives on one.
TEST(SystemFont, SharedBetweenThreads)
{
    auto font = MakeFont("DejaVu Sans", -16);
    const std::u16string text = u"Shared glyphs, several threads";
    const int width = font->LineWidth(text);
    const TextCoverage scaled = font->Render(text, 2, 2);
    const std::vector<uint8_t> expected(scaled.alpha.get(), scaled.alpha.get() + scaled.width * scaled.height);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                wrong += font->LineWidth(text) != width;
                const TextCoverage c = font->Render(text, 2, 2);
                wrong += c.width != scaled.width || c.height != scaled.height ||
                         !std::equal(expected.begin(), expected.end(), c.alpha.get());
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

// A fully covered pixel takes the colour scaled to each field, moved from
// what was there by the colour's alpha.
TEST(SystemFont, BlendedFieldValues)
{
    auto font = MakeFont("DejaVu Sans", -16);
    const TextCoverage m = font->Render(u"M");
    int cx = -1, cy = -1;
    for (int y = 0; y < m.height && cx < 0; ++y)
        for (int x = 0; x < m.width && cx < 0; ++x)
            if (m.At(x, y) == 255)
                cx = x, cy = y;
    ASSERT_GE(cx, 0);
    struct Case {
        int bitCount;
        uint32_t r, g, b, before, color, after;
    } cases[] = {
        {32, 0xFF0000, 0xFF00, 0xFF, 0, 0xFFFF8000, 0xFF8000},
        {32, 0xFF, 0xFF00, 0xFF0000, 0, 0xFFFF8000, 0x0080FF},
        {16, 0xF800, 0x07E0, 0x1F, 0, 0xFFFF8000, 0xFC00},
        {16, 0x7C00, 0x03E0, 0x1F, 0, 0xFFFF8000, 0x7E00},
        {32, 0xFF0000, 0xFF00, 0xFF, 0xFFFFFFFF, 0x80FF8000, 0xFFFFBF7F}, // alpha field kept
    };
    for (const Case& c : cases) {
        const int width = 32, height = 32;
        std::vector<uint32_t> pixels(width * height, 0);
        SurfaceDesc target = Target(pixels.data(), width * 4, width, height, c.bitCount, c.r, c.g, c.b);
        if (c.bitCount == 16) {
            target.pitch = width * 2;
            std::fill_n(reinterpret_cast<uint16_t*>(pixels.data()), width * height, uint16_t(c.before));
        } else {
            std::fill(pixels.begin(), pixels.end(), c.before);
        }
        font->BlendInto(target, u"M", c.color, 0, 0, 0, 0, width, height);
        const uint32_t got = c.bitCount == 32 ? pixels[cy * width + cx]
                                              : reinterpret_cast<uint16_t*>(pixels.data())[cy * width + cx];
        EXPECT_EQ(got, c.after) << std::hex << c.color << " in " << std::dec << c.bitCount << " bits";
    }
}

// White on black, each pixel's red field is the coverage Render gives at
// that place: nothing of a slanted, underlined line is lost or moved. Only
// the ink past the last advance, which Render cuts off, may be added.
TEST(SystemFont, BlendedLineMatchesItsCoverage)
{
    SystemFontRequest request;
    request.face = "DejaVu Sans";
    request.height = -15;
    request.weight = 700;
    request.italic = true;
    request.underline = true;
    auto font = SystemFont::Create(request);
    const std::u16string text = u"fluffy jigsaw fff";
    for (float scale : {1.0f, 1.5f}) {
        const TextCoverage line = font->Render(text, scale, scale);
        const int width = 260, height = 60, x = 7, y = 5;
        std::vector<uint32_t> pixels(width * height, 0);
        const SurfaceDesc target = Target(pixels.data(), width * 4, width, height);
        font->BlendInto(target, text, 0xFFFFFFFF, x, y, 0, 0, width, height, scale, scale);
        int differences = 0, lit = 0;
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) {
                const int lx = px - x, ly = py - y;
                const bool inside = lx >= 0 && ly >= 0 && lx < line.width && ly < line.height;
                const uint32_t expected = inside ? line.At(lx, ly) : 0;
                const uint32_t got = (pixels[py * width + px] >> 16) & 255;
                if (lx >= line.width && ly >= 0 && ly < line.height)
                    continue; // a slanted last glyph may reach past its advance, as on screen
                differences += got != expected;
                lit += expected != 0;
            }
        EXPECT_GT(lit, 100);
        EXPECT_EQ(differences, 0) << "scale " << scale;
    }
}

TEST(SystemFont, TransparentColourDrawsNothing)
{
    auto font = MakeFont("DejaVu Sans", -16);
    std::vector<uint32_t> pixels(20 * 20, 0x12345678);
    const SurfaceDesc target = Target(pixels.data(), 80, 20, 20);
    font->BlendInto(target, u"M", 0x00FFFFFF, 0, 0, 0, 0, 20, 20);
    for (uint32_t p : pixels)
        ASSERT_EQ(p, 0x12345678u);
}

TEST(SystemFont, SurrogatePairsAndUnpairedHalves)
{
    EXPECT_EQ(Utf16ToCodePoints(u"a\U0001F600b"), std::u32string(U"a\U0001F600b"));
    std::u16string broken = u"x";
    broken += char16_t(0xD800);
    EXPECT_EQ(Utf16ToCodePoints(broken), std::u32string(U"x\uFFFD"));
}

// Lines drawn again come from the font's kept coverage: on random lines,
// places, clips and scales (more lines than are kept, so some are dropped and
// rendered again), a font that has drawn before blends the same pixels as a
// font that draws for the first time.
TEST(SystemFont, KeptCoverageBlendsTheSamePixels)
{
    auto warm = MakeFont("DejaVu Sans", -14);
    ASSERT_TRUE(warm->HasFace());
    constexpr int width = 96, height = 40;
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < SystemFont::kCoverageCacheEntries + 16; ++i)
        lines.push_back(u"Line " + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(i / 26 + 1, u'x'));
    const float scales[] = {1.0f, 1.0f, 0.75f, 1.5f};
    std::vector<uint32_t> background(size_t(width) * height);
    for (uint32_t& p : background)
        p = 0xFF000000u | next(0x1000000);
    int differing = 0;
    for (int round = 0; round < 300; ++round) {
        const std::u16string& text = lines[next(uint32_t(lines.size()))];
        const int x = int(next(60)) - 20, y = int(next(40)) - 10;
        const int clipX = int(next(30)), clipY = int(next(10));
        const float scale = scales[next(4)];
        const uint32_t color = 0x80000000u | next(0x1000000) | (next(2) ? 0x7F000000u : 0);
        std::vector<uint32_t> a = background, b = background;
        warm->BlendInto(Target(a.data(), width * 4, width, height), text, color, x, y, clipX, clipY, 70, 30, scale,
                        scale);
        auto cold = MakeFont("DejaVu Sans", -14);
        cold->BlendInto(Target(b.data(), width * 4, width, height), text, color, x, y, clipX, clipY, 70, 30, scale,
                        scale);
        differing += a != b;
        if (a != background)
            background = a; // later lines over earlier ones
    }
    EXPECT_EQ(differing, 0);
}

// The row blend against the pixel-at-a-time reference on random coverage
// (clear stretches, partial and full cover), colours, alphas and layouts.
TEST(SystemFont, CoverageBlendMatchesItsReference)
{
    struct Layout {
        int bitCount;
        uint32_t r, g, b;
    };
    const Layout layouts[] = {{32, 0xFF0000, 0xFF00, 0xFF}, {16, 0xF800, 0x7E0, 0x1F}, {16, 0x7C00, 0x3E0, 0x1F}};
    uint32_t seed = 777;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    int differing = 0;
    for (const Layout& l : layouts) {
        for (int round = 0; round < 60; ++round) {
            TextCoverage coverage;
            coverage.width = 1 + int(next(40));
            coverage.height = 1 + int(next(12));
            coverage.alpha = std::make_unique<uint8_t[]>(size_t(coverage.width) * coverage.height);
            for (int i = 0; i < coverage.width * coverage.height;) {
                const int run = 1 + int(next(12));
                const uint32_t kind = next(3);
                for (int k = 0; k < run && i < coverage.width * coverage.height; ++k, ++i)
                    coverage.alpha[size_t(i)] = kind == 0 ? 0 : kind == 1 ? 255 : uint8_t(next(256));
            }
            const int width = 48, height = 16, bytes = l.bitCount / 8;
            const int left = int(next(uint32_t(width - coverage.width + 1)));
            const int top = int(next(uint32_t(height - coverage.height + 1)));
            std::vector<uint8_t> a(size_t(width) * height * bytes);
            for (uint8_t& p : a)
                p = uint8_t(next(256));
            std::vector<uint8_t> b = a;
            const uint32_t color = (next(2) ? 0xFF000000u : next(256) << 24) | next(0x1000000);
            BlendCoverage(Target(a.data(), width * bytes, width, height, l.bitCount, l.r, l.g, l.b), coverage, left,
                          top, color);
            BlendCoverageReference(Target(b.data(), width * bytes, width, height, l.bitCount, l.r, l.g, l.b),
                                   coverage, left, top, color);
            differing += a != b;
        }
    }
    EXPECT_EQ(differing, 0);
}

} // namespace
} // namespace Quib
