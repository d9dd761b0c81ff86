// SysFont over the platform's FreeType fonts: requests, metrics, layout,
// and real text drawn into a MemoryImage (coverage, not glyph shapes).
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "platform/SystemFont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace Quib {
namespace {

TEST(SysFont, RequestsAsGdiWouldCreateThem)
{
    struct Case {
        int points, dpi;
        bool bold;
        int height, weight;
    } cases[] = {
        {12, 96, false, -16, 400},
        {12, 120, false, -20, 400},
        {14, 96, true, -19, 700}, // 18.67 rounds to 19
        {9, 96, false, -12, 400},
        {0, 96, false, 0, 400},
    };
    for (const Case& c : cases) {
        SystemFontRequest r = SysFont::MakeRequest("Arial", c.points, c.bold, true, false, c.dpi);
        EXPECT_EQ(r.height, c.height) << c.points << " at " << c.dpi;
        EXPECT_EQ(r.weight, c.weight);
        EXPECT_TRUE(r.italic);
        EXPECT_EQ(r.face, "Arial");
    }
    EXPECT_EQ(MulDiv(7, 3, 2), 11);   // 10.5 away from zero
    EXPECT_EQ(MulDiv(-7, 3, 2), -11);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(SysFont, MetricsOfAMissingFaceComeFromTheFallback)
{
    SysFont font("Arial Unicode MS", 12, false, false, false);
    ASSERT_TRUE(font.IsLoaded());
    ASSERT_TRUE(font.Platform()->HasFace()) << "DejaVu Sans is needed (fonts-dejavu-core)";
    EXPECT_EQ(font.faceName, "Arial Unicode MS");
    EXPECT_GT(font.Height(), 14);
    EXPECT_LT(font.Height(), 24);
    EXPECT_GT(font.Ascent(), font.Descent());
    EXPECT_EQ(font.Descent(), font.Height() - font.Ascent());
    EXPECT_EQ(font.LineAdvance(), font.Height());
    EXPECT_EQ(font.ExtraLineGap(), 0);
    EXPECT_FALSE(font.shadow || font.overstrike);

    SysFont device("Arial", 12, 0);
    EXPECT_EQ(device.Height(), font.Height());

    std::unique_ptr<Font> clone(font.Clone());
    EXPECT_EQ(clone->Height(), font.Height());
    EXPECT_EQ(clone->Ascent(), font.Ascent());
    EXPECT_TRUE(clone->IsLoaded());
    EXPECT_EQ(clone->WidthOfText(u"Hello", 1, 1, 0), font.WidthOfText(u"Hello", 1, 1, 0));

    SysFont bold("Arial", 12, true, false, false);
    EXPECT_GT(bold.WidthOfText(u"Hello world", 1, 1, 0), font.WidthOfText(u"Hello world", 1, 1, 0));
}

TEST(SysFont, LayoutAlignments)
{
    SysFont font("Tahoma", 12, false, false, false);
    const int w = font.WidthOfText(u"Hello world", 1, 1, 0);
    ASSERT_GT(w, 40);
    EXPECT_EQ(font.WidthOfText(u"Hello world", 2, 1, 7), 2 * w); // spacing ignored
    FRect r;
    font.LayoutText(r, u"Hello world", float(w) / 2, 100, 1, 1, 0, FONT_ALIGN_CENTER, FONT_VALIGN_BASELINE);
    EXPECT_FLOAT_EQ(r.x, 0);
    EXPECT_FLOAT_EQ(r.y, 100.0f - float(font.Ascent()));
    EXPECT_FLOAT_EQ(r.height, float(font.Height()));
    font.LayoutText(r, u"Hello world", 200, 100, 1, 2, 0, FONT_ALIGN_RIGHT, FONT_VALIGN_BOTTOM);
    EXPECT_FLOAT_EQ(r.x, 200.0f - float(w));
    EXPECT_FLOAT_EQ(r.y, 100.0f - 2.0f * float(font.Height()));
    font.LayoutText(r, u"one\ntwo", 0, 100, 1, 1, 0, 0, FONT_VALIGN_MIDDLE);
    EXPECT_FLOAT_EQ(r.height, 2.0f * float(font.Height()));
    EXPECT_FLOAT_EQ(r.y, 100.0f - float(font.Height()));

    // The narrow forms read Windows-1252.
    EXPECT_EQ(font.WidthOfText("caf\xe9 \x80", 1, 1, 0), font.WidthOfText(u"caf\u00e9 \u20ac", 1, 1, 0));
    EXPECT_EQ(font.WidthOfChar('\xe9'), font.WidthOfChar(u'\u00e9'));
    EXPECT_EQ(font.WidthOfCharAfter(u'W', u'A'), font.WidthOfChar(u'W'));
    FRect wide, narrow;
    font.LayoutText(wide, u"abc", 3, 4, 1, 1, 0, 6, 24);
    font.LayoutText(narrow, std::string_view("abc"), 3, 4, 1, 1, 0, 6, 24);
    EXPECT_EQ(wide, narrow);
}

// A cleared picture and a Graphics drawing into it with the font.
struct Canvas {
    MemoryImage image{nullptr};
    Graphics g;
    Canvas(Font& font, int width, int height) : g(Sized(image, width, height)) { g.font = &font; }
    static MemoryImage* Sized(MemoryImage& m, int width, int height)
    {
        m.Resize(width, height);
        return &m;
    }
};

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int64_t alphaSum = 0;
    int opaque = 0;
    bool offColour = false;
};

// Within 2 per channel: blending onto transparent pixels may lose a little.
bool NearColour(uint32_t p, uint32_t rgb, int tolerance = 2)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((p >> shift) & 255) - int((rgb >> shift) & 255)) > tolerance)
            return false;
    return true;
}

InkBox Ink(MemoryImage& image, uint32_t rgb)
{
    InkBox box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.GetPixel(x, y);
            if ((p >> 24) == 0)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            box.alphaSum += p >> 24;
            box.opaque += (p >> 24) == 255;
            box.offColour |= !NearColour(p, rgb);
        }
    return box;
}

TEST(SysFont, DrawsCoverageIntoAMemoryImage)
{
    SysFont font("Arial", 12, false, false, false);
    Canvas canvas(font, 200, 60);
    MemoryImage& image = canvas.image;
    Graphics& g = canvas.g;
    g.color = Color(255, 0, 0, 255);
    g.transX = 5;
    g.DrawText(u"Hello", 10, 40);
    const int w = font.WidthOfText(u"Hello", 1, 1, 0);
    InkBox box = Ink(image, 0xFF0000);
    ASSERT_GE(box.right, 0) << "nothing drawn";
    // Inside the text's cell: x from 15, top at the baseline minus the ascent.
    EXPECT_GE(box.left, 15);
    EXPECT_LE(box.left, 17);
    EXPECT_LE(box.right, 15 + w);
    EXPECT_GE(box.top, 40 - font.Ascent());
    EXPECT_LE(box.bottom, 40 - font.Ascent() + font.Height());
    EXPECT_LT(box.bottom, 40 + 1); // nothing below the baseline in "Hello"
    EXPECT_GT(box.opaque, 20);
    EXPECT_FALSE(box.offColour);
    // Ink roughly as dark as five letters of this size.
    EXPECT_GT(box.alphaSum, 255 * 40);
    EXPECT_LT(box.alphaSum, 255 * w * font.Height() / 2);
}

TEST(SysFont, ClipScaleColourisingAndEmptyDestinations)
{
    SysFont font("Arial", 12, false, false, false);
    Canvas canvas(font, 200, 60);
    MemoryImage& image = canvas.image;
    Graphics& g = canvas.g;
    g.color = Color(0, 0, 255, 128);
    g.clipRect = Rect(0, 0, 30, 60);
    g.DrawText(u"Hello world", 10, 30);
    InkBox clipped = Ink(image, 0x0000FF);
    ASSERT_GE(clipped.right, 0);
    EXPECT_LT(clipped.right, 30);
    // Without colourising the colour's alpha is not applied: full coverage is opaque.
    EXPECT_GT(clipped.opaque, 0);

    Canvas fadedCanvas(font, 200, 60);
    MemoryImage& faded = fadedCanvas.image;
    Graphics& f = fadedCanvas.g;
    f.color = Color(0, 0, 255, 128);
    f.colorizeImages = true;
    f.DrawText(u"Hello", 10, 30);
    InkBox half = Ink(faded, 0x0000FF);
    ASSERT_GE(half.right, 0);
    EXPECT_EQ(half.opaque, 0);

    // Scaled about the origin: twice as wide.
    Canvas bigCanvas(font, 300, 100);
    MemoryImage& big = bigCanvas.image;
    Graphics& s = bigCanvas.g;
    s.color = Color(0, 255, 0);
    s.scaleX = s.scaleY = 2;
    s.DrawText(u"Hi", 10, 30);
    InkBox scaled = Ink(big, 0x00FF00);
    ASSERT_GE(scaled.right, 0);
    EXPECT_GE(scaled.left, 20);
    EXPECT_GT(scaled.right - scaled.left, font.WidthOfText(u"Hi", 1, 1, 0));

    // Measuring Graphics: nothing drawn, widths still work.
    Graphics measuring(nullptr);
    measuring.font = &font;
    measuring.DrawText(u"Hello", 0, 0);
    EXPECT_EQ(measuring.TextWidth(u"Hello"), font.WidthOfText(u"Hello", 1, 1, 0));
    EXPECT_GT(measuring.MeasureWrappedText(40, u"Hello world again", -1, nullptr), font.Height());

    // Empty text draws nothing.
    Canvas emptyCanvas(font, 20, 20);
    MemoryImage& empty = emptyCanvas.image;
    Graphics& e = emptyCanvas.g;
    e.DrawText(u"", 5, 15);
    EXPECT_LT(Ink(empty, 0).right, 0);
}

TEST(SysFont, ShadowAndOverstrike)
{
    SysFont font("Arial", 12, false, false, false);
    font.shadow = true;
    font.overstrike = true;
    Canvas canvas(font, 100, 40);
    MemoryImage& image = canvas.image;
    Graphics& g = canvas.g;
    g.color = Color(255, 255, 255);
    g.DrawText(u"l", 10, 30);
    bool sawBlack = false, sawWhite = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t p = image.GetPixel(x, y);
            if ((p >> 24) >= 0xF0 && NearColour(p, 0))
                sawBlack = true;
            if ((p >> 24) >= 0xF0 && NearColour(p, 0xFFFFFF, 16))
                sawWhite = true;
        }
    EXPECT_TRUE(sawBlack);
    EXPECT_TRUE(sawWhite);
}

} // namespace
} // namespace Quib
