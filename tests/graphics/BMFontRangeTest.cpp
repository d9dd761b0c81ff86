// Bitmap fonts whose descriptor numbers reach the ends of the int range:
// advances, offsets and pen positions are summed without overflow.
#include "framework/graphics/BMFont.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SoftwareRender.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// 'A' sits and advances at INT_MAX with a kerning of 100 after itself, 'C'
// likewise at -INT_MAX; 'E' and 'F' are empty glyphs that only sit or only
// advance there. 'B' advances by almost INT_MAX, so the third 'B' starts
// past the range.
const char* const kFarDescriptor =
    "common lineHeight=20 base=16 scaleW=16 scaleH=16 pages=1 packed=0\r\n"
    "page id=0 file=\"none.png\"\r\n"
    "char id=65 x=0 y=0 width=8 height=8 xoffset=2147483647 yoffset=0 xadvance=2147483647 page=0 chnl=15\r\n"
    "char id=66 x=0 y=0 width=8 height=8 xoffset=0 yoffset=0 xadvance=2147483600 page=0 chnl=15\r\n"
    "char id=67 x=0 y=0 width=8 height=8 xoffset=-2147483647 yoffset=0 xadvance=-2147483647 page=0 chnl=15\r\n"
    "char id=69 x=0 y=0 width=0 height=0 xoffset=2147483647 yoffset=0 xadvance=0 page=0 chnl=15\r\n"
    "char id=70 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=2147483647 page=0 chnl=15\r\n"
    "kerning first=65 second=65 amount=100\r\n"
    "kerning first=69 second=69 amount=100\r\n"
    "kerning first=70 second=70 amount=100\r\n"
    "kerning first=67 second=67 amount=-100\r\n";

struct FarFont {
    TempDir dir;
    BMFont font{dir.WriteFile("far.fnt", kFarDescriptor)};
    MemoryImage page{nullptr};
    MemoryImage dest{nullptr};
    FarFont()
    {
        const std::vector<uint32_t> white(16 * 16, 0xFFFFFFFF);
        page.AssignPixels(white.data(), 16, 16, true);
        font.pages.assign(1, &page);
        dest.Resize(64, 16);
    }
    int DrawnPixels()
    {
        int n = 0;
        for (int y = 0; y < dest.height; ++y)
            for (int x = 0; x < dest.width; ++x)
                n += dest.GetPixel(x, y) != 0;
        return n;
    }
};

TEST(BMFontRange, AdvanceWithKerningIsClamped)
{
    FarFont f;
    ASSERT_TRUE(f.font.IsLoaded());
    EXPECT_EQ(f.font.GetCharAdvance('A', 0), INT_MAX);
    EXPECT_EQ(f.font.GetCharAdvance('A', 'A'), INT_MAX);
    EXPECT_EQ(f.font.GetCharAdvance('C', 'C'), INT_MIN);
    FRect r;
    f.font.LayoutText(r, u"AA", 0, 0, 1, 1, 0, FONT_ALIGN_LEFT, FONT_VALIGN_TOP);
    EXPECT_FLOAT_EQ(r.width, 2 * float(INT_MAX)) << "a line past the range is not a negative one";
}

TEST(BMFontRange, FarGlyphsAndPensDrawNothing)
{
    struct Case {
        const char* name;
        const char16_t* text;
        int hAlign;
        int drawn; // pixels
    };
    const Case cases[] = {
        {"offset plus kerning past INT_MAX", u"EE", FONT_ALIGN_LEFT, 0},
        {"advance plus kerning past INT_MAX", u"FFA", FONT_ALIGN_LEFT, 0},
        {"glyph placed at INT_MAX", u"AA", FONT_ALIGN_LEFT, 0},
        {"offset plus kerning below INT_MIN", u"CC", FONT_ALIGN_LEFT, 0},
        {"pen pushed past the range: only the first B shows", u"BBBB", FONT_ALIGN_LEFT, 64},
        {"line measured past the range, right aligned", u"BBBB", FONT_ALIGN_RIGHT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FarFont f;
        Graphics g(&f.dest);
        f.font.RenderText(g, 0, 0, c.text, Color(255, 255, 255), Rect(0, 0, 64, 16), 1, 1, 0, c.hAlign, 0);
        EXPECT_EQ(f.DrawnPixels(), c.drawn);
    }
}

TEST(BMFontRange, StretchClipTakesDestinationsAtTheRangeEnds)
{
    const Rect src(0, 0, 8, 8), clip(0, 0, 64, 16);
    Rect clipped;
    DoubleRect area;
    EXPECT_FALSE(ClipStretchRects(Rect(INT_MIN, INT_MIN, 8, 8), src, clip, clipped, area));
    EXPECT_FALSE(ClipStretchRects(Rect(INT_MAX - 4, 0, 8, 8), src, clip, clipped, area));
    // Half of a glyph twice its size from the left edge shows.
    ASSERT_TRUE(ClipStretchRects(Rect(-8, 0, 16, 16), src, clip, clipped, area));
    EXPECT_EQ(clipped, Rect(0, 0, 8, 16));
    EXPECT_DOUBLE_EQ(area.x, 4);
    EXPECT_DOUBLE_EQ(area.width, 4);
}

} // namespace
} // namespace Quib
