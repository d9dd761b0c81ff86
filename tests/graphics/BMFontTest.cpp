// BMFont over a descriptor and page pictures written by the test.
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

// Page 0 is a 32 x 16 picture: opaque white where x < 16, transparent
// elsewhere. Page 1 names a file that does not exist.
const char* const kDescriptor =
    "info face=\"Test\" size=24 bold=0 italic=0 charset=\"\" unicode=1 stretchH=100 smooth=1 aa=1 "
    "padding=0,0,0,0 spacing=1,1\r\n"
    "common lineHeight=26 base=20 scaleW=32 scaleH=16 pages=2 packed=0\r\n"
    "page id=0 file=\"test_0.png\"\r\n"
    "page id=1 file=\"missing_1.png\"\r\n"
    "chars count=4\r\n"
    "char id=65 x=0 y=0 width=8 height=10 xoffset=1 yoffset=2 xadvance=9 page=0 chnl=15\r\n"
    "char id=86 x=8 y=0 width=8 height=10 xoffset=0 yoffset=2 xadvance=8 page=0 chnl=15\r\n"
    "char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=5 page=0 chnl=15\r\n"
    "char id=101 x=0 y=0 width=6 height=6 xoffset=0 yoffset=6 xadvance=7 page=1 chnl=15\r\n"
    "kernings count=1\r\n"
    "kerning first=65 second=86 amount=-2\r\n";

std::string PagePng()
{
    PngSpec spec;
    spec.width = 32;
    spec.height = 16;
    spec.colorType = 6; // RGBA
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            for (int k = 0; k < 4; ++k)
                spec.rows.push_back(x < 16 ? 255 : 0);
    return EncodePng(spec);
}

struct FontFiles {
    QuibAppBase app; // pages are display images of the application
    TempDir dir;
    ScopedPak pak;
    std::string path;
    FontFiles()
    {
        dir.WriteFile("fonts/test_0.png", PagePng());
        dir.WriteFile("fonts/test.fnt", kDescriptor);
        // Both separators in one path.
        path = dir.Path() + "\\FONTS/test.fnt";
        ClearDirectoryCache();
    }
};

TEST(BMFont, DescriptorCutShortIsToldAndWhatWasReadIsKept)
{
    FontFiles files;
    const std::string whole = kDescriptor;
    files.dir.WriteFile("fonts/test.fnt", whole.substr(0, whole.find("char id=32")));
    ClearDirectoryCache();
    CapturingSink sink;
    BMFont font(files.path);
    EXPECT_TRUE(font.IsLoaded());
    std::string told;
    for (const std::string& line : sink.debugLines)
        told += line;
    EXPECT_NE(told.find("test.fnt: the descriptor is cut short (4 characters declared, 2 read)"), std::string::npos)
        << told;
    EXPECT_EQ(font.GetCharAdvance('A', 0), 9);
    EXPECT_EQ(font.GetCharAdvance('V', 'A'), 8); // the kerning line was cut off
}

struct Drawn {
    RecordingImage dest{640, 480};
    Graphics g{&dest};
};

TEST(BMFont, LoadsDescriptorAndPages)
{
    FontFiles files;
    CapturingSink sink;
    BMFont font(files.path);
    ASSERT_TRUE(font.IsLoaded());
    // The missing page is told, by its file.
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_NE(sink.debugLines[0].find("missing_1.png cannot be loaded"), std::string::npos) << sink.debugLines[0];
    EXPECT_EQ(font.Ascent(), 20);
    EXPECT_EQ(font.Height(), 24);
    EXPECT_EQ(font.Descent(), 4);
    EXPECT_EQ(font.ExtraLineGap(), 0);
    ASSERT_EQ(font.pages.size(), 2u);
    ASSERT_NE(font.Page(0), nullptr);
    EXPECT_EQ(font.Page(0)->width, 32);
    EXPECT_EQ(font.Page(0)->name, files.dir.Path() + "\\FONTS/test_0.png");
    EXPECT_EQ(font.Page(1), nullptr);

    BMFont missing(files.dir.Path() + "/nothing.fnt");
    EXPECT_FALSE(missing.IsLoaded());
    ASSERT_EQ(sink.debugLines.size(), 2u);
    EXPECT_NE(sink.debugLines[1].find("nothing.fnt: the descriptor cannot be opened"), std::string::npos);
    EXPECT_TRUE(missing.pages.empty());
    EXPECT_EQ(missing.WidthOfText(u"AV", 1, 1, 0), 0);
    Drawn d;
    missing.RenderText(d.g, 0, 0, u"AV", Color::White, d.g.clipRect, 1, 1, 0, 0, 0);
    EXPECT_TRUE(d.dest.calls.empty());
}

TEST(BMFont, AdvancesKerningAndLayout)
{
    FontFiles files;
    BMFont font(files.path);
    EXPECT_EQ(font.GetCharAdvance('V', 0), 8);
    EXPECT_EQ(font.GetCharAdvance('V', 'A'), 6);
    EXPECT_EQ(font.GetCharAdvance('A', 'V'), 9);
    EXPECT_EQ(font.GetCharAdvance('?', 0), -1);
    EXPECT_EQ(font.WidthOfText(u"AV", 1, 1, 0), 15);
    EXPECT_EQ(font.WidthOfText(u"VA", 1, 1, 0), 17);
    EXPECT_EQ(font.WidthOfText(u"AV", 2, 1, 1), 34);
    EXPECT_EQ(font.WidthOfText(u"?", 2, 1, 3), 4); // sx * (s - 1)
    EXPECT_EQ(font.WidthOfText("AV", 1, 1, 0), 15);

    FRect r;
    font.LayoutText(r, u"A\nAVA", 100, 50, 1, 1, 0, FONT_ALIGN_CENTER, FONT_VALIGN_TOP);
    EXPECT_FLOAT_EQ(r.width, 24); // 9 + 6 + 9
    EXPECT_FLOAT_EQ(r.height, 52);
    EXPECT_FLOAT_EQ(r.x, 88);
    font.LayoutText(r, u"A\nA", 100, 50, 1, 2, 0, FONT_ALIGN_RIGHT, FONT_VALIGN_MIDDLE);
    EXPECT_FLOAT_EQ(r.x, 91);
    EXPECT_FLOAT_EQ(r.y, 50 - 52);
    font.LayoutText(r, u"A", 100, 50, 1, 1, 0, 0, FONT_VALIGN_BASELINE);
    EXPECT_FLOAT_EQ(r.y, 50); // the baseline code moves nothing here
    font.LayoutText(r, u"A", 100, 50, 1, 1, 0, 0, FONT_VALIGN_BOTTOM);
    EXPECT_FLOAT_EQ(r.y, 24);
}

TEST(BMFont, RendersGlyphsAsStretchedBlits)
{
    FontFiles files;
    BMFont font(files.path);
    Drawn d;
    d.g.transX = 3;
    d.g.transY = 4;
    d.g.drawMode = DRAWMODE_ADDITIVE;
    const Rect clip(10, 10, 300, 300);
    font.RenderText(d.g, 50, 60, u"AV", Color(255, 0, 0, 128), clip, 1, 1, 0, 0, FONT_VALIGN_BASELINE);
    ASSERT_EQ(d.dest.calls.size(), 2u);
    const auto& a = d.dest.calls[0];
    EXPECT_EQ(a.slot, "PutImageStretched");
    EXPECT_EQ(a.source, font.Page(0));
    // Baseline 60, base 20: top 40; A's offset (1, 2); translation (3, 4).
    EXPECT_EQ(a.rect, Rect(54, 46, 8, 10));
    EXPECT_EQ(a.sourceRect, Rect(0, 0, 8, 10));
    EXPECT_EQ(a.clip, clip);
    EXPECT_EQ(a.color, Color(255, 0, 0, 128));
    EXPECT_EQ(a.mode, DRAWMODE_ADDITIVE);
    // V is pulled 2 pixels left by the kerning: pen 50 + 9, minus 2.
    EXPECT_EQ(d.dest.calls[1].rect, Rect(60, 46, 8, 10));
    EXPECT_EQ(d.g.color, Color(255, 0, 0, 128));
    EXPECT_EQ(d.g.clipRect, Rect(0, 0, 640, 480));

    // Lines 26 apart; each line centred by its own width.
    d.dest.calls.clear();
    d.g.transX = d.g.transY = 0;
    font.RenderText(d.g, 100, 0, u"A\nAVA", Color::White, clip, 1, 1, 0, FONT_ALIGN_CENTER, 0);
    ASSERT_EQ(d.dest.calls.size(), 4u);
    EXPECT_EQ(d.dest.calls[0].rect, Rect(96, 2, 8, 10)); // 100 - 4.5 + 1, truncated
    EXPECT_EQ(d.dest.calls[1].rect, Rect(100 - 12 + 1, 28, 8, 10));
    // Right edge and bottom: two lines end 52 above y, each at x by its width.
    d.dest.calls.clear();
    font.RenderText(d.g, 100, 100, u"A\nAVA", Color::White, clip, 1, 1, 0, FONT_ALIGN_RIGHT, FONT_VALIGN_BOTTOM);
    ASSERT_EQ(d.dest.calls.size(), 4u);
    EXPECT_EQ(d.dest.calls[0].rect, Rect(100 - 9 + 1, 100 - 52 + 2, 8, 10));
    EXPECT_EQ(d.dest.calls[1].rect, Rect(100 - 24 + 1, 100 - 26 + 2, 8, 10));

    // Unknown characters draw nothing and step back one pixel; the space draws nothing.
    d.dest.calls.clear();
    font.RenderText(d.g, 100, 0, u"?A A", Color::White, clip, 1, 1, 0, 0, 0);
    ASSERT_EQ(d.dest.calls.size(), 2u);
    EXPECT_EQ(d.dest.calls[0].rect.x, 100 - 1 + 1);
    EXPECT_EQ(d.dest.calls[1].rect.x, 100 - 1 + 9 + 5 + 1);

    // Glyphs of a page that did not load draw nothing.
    d.dest.calls.clear();
    font.RenderText(d.g, 0, 0, u"e", Color::White, clip, 1, 1, 0, 0, 0);
    EXPECT_TRUE(d.dest.calls.empty());
}

TEST(BMFont, ScaledGraphicsScalesAboutItsOrigin)
{
    FontFiles files;
    BMFont font(files.path);
    Drawn d;
    d.g.scaleX = d.g.scaleY = 2;
    d.g.scaleOrigX = d.g.scaleOrigY = 100;
    // A's unscaled quad at (110, 100).
    font.RenderText(d.g, 109, 98, u"A", Color::White, d.g.clipRect, 1, 1, 0, 0, 0);
    ASSERT_EQ(d.dest.calls.size(), 1u);
    EXPECT_EQ(d.dest.calls[0].rect, Rect(120, 100, 16, 20));
    // The same with a translation: the scale origin is in destination pixels.
    d.dest.calls.clear();
    d.g.transX = 10;
    font.RenderText(d.g, 99, 98, u"A", Color::White, d.g.clipRect, 1, 1, 0, 0, 0);
    ASSERT_EQ(d.dest.calls.size(), 1u);
    EXPECT_EQ(d.dest.calls[0].rect, Rect(120, 100, 16, 20));
    // Scaled text through the font's own scale.
    d.dest.calls.clear();
    d.g.transX = 0;
    d.g.scaleX = d.g.scaleY = 1;
    font.RenderText(d.g, 0, 0, u"AV", Color::White, d.g.clipRect, 2, 3, 1, 0, 0);
    ASSERT_EQ(d.dest.calls.size(), 2u);
    EXPECT_EQ(d.dest.calls[0].rect, Rect(2, 6, 16, 30));
    EXPECT_EQ(d.dest.calls[1].rect, Rect(2 * (1 + 9) - 4, 6, 16, 30));
}

TEST(BMFont, RenderTextLeavesColourisingOffAndTheColourSet)
{
    FontFiles files;
    BMFont font(files.path);
    for (bool before : {false, true}) {
        Drawn d;
        d.g.font = &font;
        d.g.colorizeImages = before;
        d.g.color = Color(1, 2, 3);
        const Rect clip(1, 2, 30, 40);
        d.g.clipRect = clip;
        d.g.font->RenderText(d.g, 0, 30, u"A", Color(4, 5, 6), Rect(0, 0, 50, 50), 1, 1, 0, 0, 24);
        ASSERT_EQ(d.dest.calls.size(), 1u);
        EXPECT_EQ(d.dest.calls[0].color, Color(4, 5, 6)); // glyphs take the text colour
        EXPECT_FALSE(d.g.colorizeImages);
        EXPECT_EQ(d.g.color, Color(4, 5, 6));
        EXPECT_EQ(d.g.clipRect, clip);
    }
}

TEST(BMFont, CopiesShareThePages)
{
    FontFiles files;
    QuibAppBase& app = files.app;
    const size_t before = app.imageSet.size();
    auto* font = new BMFont(files.path);
    ASSERT_TRUE(font->IsLoaded());
    EXPECT_EQ(app.imageSet.size(), before + 1);
    std::unique_ptr<Font> copy(font->Clone());
    auto* bm = static_cast<BMFont*>(copy.get());
    EXPECT_EQ(bm->Page(0), font->Page(0));
    EXPECT_EQ(copy->Ascent(), 20);
    EXPECT_EQ(copy->Height(), 24);
    EXPECT_TRUE(copy->IsLoaded());
    delete font;
    EXPECT_EQ(app.imageSet.size(), before + 1);
    EXPECT_EQ(bm->Page(0)->width, 32);
    copy.reset();
    EXPECT_EQ(app.imageSet.size(), before);
}

TEST(BMFont, DrawsColouredPixels)
{
    FontFiles files;
    BMFont font(files.path);
    MemoryImage image(nullptr);
    image.Resize(40, 40);
    Graphics g(&image);
    g.font = &font;
    // The stretch slot of a MemoryImage does not modulate: the page's white shows.
    g.color = Color(255, 255, 255);
    g.DrawText(u"A", 5, 25);
    // A covers (6, 7) .. (13, 16).
    EXPECT_GT(image.GetPixel(6, 7) >> 24, 250u);
    EXPECT_GT(image.GetPixel(13, 16) >> 24, 250u);
    EXPECT_EQ(image.GetPixel(5, 7), 0u);
    EXPECT_EQ(image.GetPixel(14, 16), 0u);
    EXPECT_EQ(image.GetPixel(6, 17), 0u);
}

} // namespace
} // namespace Quib
