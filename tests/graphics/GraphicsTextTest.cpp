// Graphics text: colour codes, justification and word wrap, with a font of
// fixed advances that records what it is asked to draw.
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

struct DrawnText {
    std::u16string text;
    int x, y;
    Color color;
    int vAlign;
    const Image* dest;
};

// Every character is `advance` wide unless listed in `widths`.
class FakeFont : public Font {
public:
    using Font::LayoutText;
    using Font::RenderText;

    FakeFont(int advanceWidth = 10)
        : advance(advanceWidth)
    {
        ascent = 8;
        height = 12;
        extraLineGap = 2;
        loaded = true;
    }

    Font* Clone() const override { return new FakeFont(*this); }
    int CharWidth(char16_t c) const
    {
        auto it = widths.find(c);
        return it == widths.end() ? advance : it->second;
    }
    void LayoutText(FRect& r, std::u16string_view text, float x, float y, float sx, float sy, float, int,
                    int) const override
    {
        int w = 0;
        for (char16_t c : text)
            w += CharWidth(c);
        r = FRect(x, y, float(w) * sx, float(height) * sy);
    }
    void RenderText(Graphics& g, int x, int y, std::u16string_view text, const Color& color, const Rect&, float,
                    float, float, int, int vAlign) const override
    {
        drawn->push_back({std::u16string(text), x, y, color, vAlign, g.destImage});
    }

    int advance;
    std::map<char16_t, int> widths;
    std::shared_ptr<std::vector<DrawnText>> drawn = std::make_shared<std::vector<DrawnText>>();
};

struct TextFixture {
    RecordingImage dest{640, 480};
    Graphics g{&dest};
    FakeFont font;
    TextFixture() { g.font = &font; }
    std::vector<DrawnText>& drawn() { return *font.drawn; }
};

TEST(GraphicsText, DrawTextIsAtTheBaselineAndNeedsAFont)
{
    TextFixture f;
    f.g.color = Color(1, 2, 3, 4);
    f.g.DrawText(u"hello", 5, 7);
    ASSERT_EQ(f.drawn().size(), 1u);
    EXPECT_EQ(f.drawn()[0].text, u"hello");
    EXPECT_EQ(f.drawn()[0].vAlign, FONT_VALIGN_BASELINE);
    EXPECT_EQ(f.drawn()[0].color, Color(1, 2, 3, 4));
    EXPECT_EQ(f.g.TextWidth(u"hello"), 50);

    f.g.font = nullptr;
    f.g.DrawText(u"x", 0, 0);
    EXPECT_EQ(f.g.TextWidth(u"x"), 0);
    EXPECT_EQ(f.g.DrawTextInWidth(u"abc", 0, 0, 100, 0, true, 0, -1, -1), 0);
    int widest = 7;
    EXPECT_EQ(f.g.DrawWrappedText(u"abc def", Rect(0, 0, 100, 0), -1, 0, &widest), 0);
    EXPECT_EQ(widest, 0);
    EXPECT_EQ(f.g.MeasureWrappedText(100, u"abc", -1, nullptr), 0);
    EXPECT_EQ(f.drawn().size(), 1u);
}

struct CodeCase {
    const char* name;
    std::u16string text;
    bool codes;
    std::vector<std::u16string> segments;
    int width;
};

TEST(GraphicsText, ColourCodesTable)
{
    const CodeCase cases[] = {
        {"code between letters", u"A^FF0000^B", true, {u"A", u"B"}, 20},
        {"two carets are one", u"A^^B", true, {u"A^B"}, 30},
        {"flag off keeps carets", u"A^^B", false, {u"A^^B"}, 40},
        {"flag off keeps codes", u"A^FF0000^B", false, {u"A^FF0000^B"}, 100},
        {"short code ends the text", u"AB^12", true, {u"AB"}, 20},
        {"code at the end", u"AB^00ff00^", true, {u"AB"}, 20},
        {"code first", u"^00ff00^AB", true, {u"AB"}, 20},
        {"carets joined across a segment", u"x^^y^^z^FF0000^w", true, {u"x^y^z", u"w"}, 60},
        {"caret pair before a code", u"A^^^FF0000^B", true, {u"A^", u"B"}, 30},
    };
    for (const CodeCase& c : cases) {
        TextFixture f;
        f.g.colorCodes = c.codes;
        EXPECT_EQ(f.g.DrawTextInWidth(c.text, 0, 0, 500, -1, true, 0, -1, -1), c.width) << c.name;
        std::vector<std::u16string> got;
        for (const auto& d : f.drawn())
            got.push_back(d.text);
        EXPECT_EQ(got, c.segments) << c.name;
        // Measuring gives the same width and draws nothing.
        f.drawn().clear();
        EXPECT_EQ(f.g.DrawTextInWidth(c.text, 0, 0, 500, 0, false, 0, -1, -1), c.width) << c.name;
        EXPECT_TRUE(f.drawn().empty()) << c.name;
    }
}

TEST(GraphicsText, ColourCodesChangeRgbAndKeepAlpha)
{
    TextFixture f;
    f.g.color = Color(10, 20, 30, 128);
    EXPECT_EQ(f.g.DrawTextInWidth(u"A^FF0000^B", 5, 9, 500, -1, true, 0, -1, -1), 20);
    ASSERT_EQ(f.drawn().size(), 2u);
    EXPECT_EQ(f.drawn()[0].color, Color(10, 20, 30, 128));
    EXPECT_EQ(f.drawn()[1].color, Color(255, 0, 0, 128));
    EXPECT_EQ(f.drawn()[1].x, 15);
    EXPECT_EQ(f.drawn()[1].y, 9);
    EXPECT_EQ(f.g.color, Color(255, 0, 0, 128)); // not restored

    // Lower-case digits and junk digits (read as 0).
    f.g.DrawTextInWidth(u"^a0zZ1f^x", 0, 0, 500, -1, true, 0, -1, -1);
    EXPECT_EQ(f.g.color, Color(160, 0, 31, 128));

    // oldclr returns to the old colour; another o-word gives black.
    f.g.color = Color(1, 2, 3);
    f.drawn().clear();
    f.g.DrawTextInWidth(u"a^00FF00^b^oldclr^c^olive!^d", 0, 0, 500, -1, true, 0, -1, 0x80102030);
    ASSERT_EQ(f.drawn().size(), 4u);
    EXPECT_EQ(f.drawn()[1].color, Color(0, 255, 0));
    EXPECT_EQ(f.drawn()[2].color, Color(0x10, 0x20, 0x30, 0x80));
    EXPECT_EQ(f.drawn()[3].color, Color(0, 0, 0, 255));
    // -1 stands for the colour at the call.
    f.g.color = Color(7, 8, 9, 200);
    f.drawn().clear();
    f.g.DrawTextInWidth(u"^FF0000^a^oldclr^b", 0, 0, 500, -1, true, 0, -1, -1);
    EXPECT_EQ(f.drawn()[1].color, Color(7, 8, 9, 200));
}

TEST(GraphicsText, JustificationAndRanges)
{
    TextFixture f;
    f.font.widths[u'w'] = 51;
    f.g.DrawTextInWidth(u"w", 0, 0, 100, 0, true, 0, -1, -1);
    f.g.DrawTextInWidth(u"w", 0, 0, 100, 1, true, 0, -1, -1);
    f.g.DrawTextInWidth(u"w", 3, 0, 100, 7, true, 0, -1, -1);
    f.g.DrawTextInWidth(u"ww", 0, 0, 100, 0, true, 0, -1, -1); // wider: moves left
    ASSERT_EQ(f.drawn().size(), 4u);
    EXPECT_EQ(f.drawn()[0].x, 24);
    EXPECT_EQ(f.drawn()[1].x, 49);
    EXPECT_EQ(f.drawn()[2].x, 3);
    EXPECT_EQ(f.drawn()[3].x, -1);

    f.drawn().clear();
    EXPECT_EQ(f.g.DrawTextInWidth(u"abcdef", 0, 0, 0, -1, true, 2, 3, -1), 30);
    EXPECT_EQ(f.g.DrawTextInWidth(u"abcdef", 0, 0, 0, -1, true, 4, 99, -1), 20);
    EXPECT_EQ(f.g.DrawTextInWidth(u"abcdef", 0, 0, 0, -1, true, 9, 2, -1), 0);
    ASSERT_EQ(f.drawn().size(), 2u);
    EXPECT_EQ(f.drawn()[0].text, u"cde");
    EXPECT_EQ(f.drawn()[1].text, u"ef");
}

struct WrapCase {
    const char* name;
    std::u16string text;
    int width;
    std::vector<std::u16string> lines;
    int widest;
    int height; // with line spacing 14 (the font's advance)
};

TEST(GraphicsText, WrapTable)
{
    // Height = ascent 8 + descent 4 - gap 2 + (lines - 1) * 14.
    const WrapCase cases[] = {
        {"two words", u"aaa bbb", 50, {u"aaa", u"bbb"}, 30, 10 + 14},
        {"fits on one line", u"aaa bbb", 70, {u"aaa bbb"}, 70, 10},
        {"no space breaks anywhere", u"abcdefg", 30, {u"abc", u"def", u"g"}, 30, 10 + 28},
        {"one wide character per line", u"ab", 5, {u"a", u"b"}, 10, 10 + 14},
        {"newline ends a line and keeps spaces", u"ab\n  cd", 100, {u"ab", u"  cd"}, 40, 10 + 14},
        {"trailing newline adds a line", u"ab\n", 100, {u"ab"}, 20, 10 + 14},
        {"empty", u"", 100, {}, 0, 10 - 14},
        {"spaces after the break are dropped", u"aaa    bbb", 50, {u"aaa  ", u"bbb"}, 50, 10 + 14},
        {"colour codes take no width", u"aa^FF0000^a bbb", 30, {u"aa", u"a", u"bbb"}, 30, 10 + 14},
        {"newline in the widest box", u"ab\ncd", INT32_MAX, {u"ab", u"cd"}, 20, 10 + 14},
    };
    for (const WrapCase& c : cases) {
        TextFixture f;
        int widest = -1;
        const int h = f.g.DrawWrappedText(c.text, Rect(3, 4, c.width, 0), -1, -1, &widest);
        std::vector<std::u16string> got;
        for (const auto& d : f.drawn())
            got.push_back(d.text);
        EXPECT_EQ(got, c.lines) << c.name;
        EXPECT_EQ(widest, c.widest) << c.name;
        EXPECT_EQ(h, c.height) << c.name;
        // Measuring gives the same height and widest line, drawing nothing.
        f.drawn().clear();
        int measured = -1;
        EXPECT_EQ(f.g.MeasureWrappedText(c.width, c.text, -1, &measured), c.height) << c.name;
        EXPECT_EQ(measured, c.widest) << c.name;
        for (const auto& d : f.drawn())
            EXPECT_EQ(d.dest->width, 0) << c.name;
    }
}

TEST(GraphicsText, WrapPlacesLinesAndRestoresColour)
{
    TextFixture f;
    f.g.transY = 100;
    f.g.color = Color(255, 255, 255, 255);
    const int h = f.g.DrawWrappedText(u"aaa ^00FF00^bbb ccc", Rect(3, 4, 50, 0), 20, 0, nullptr);
    ASSERT_EQ(f.drawn().size(), 3u);
    // Baselines: r.y + ascent - gap, then +20 per line; centred in 50.
    EXPECT_EQ(f.drawn()[0].y, 4 + 6);
    EXPECT_EQ(f.drawn()[1].y, 4 + 26);
    EXPECT_EQ(f.drawn()[2].y, 4 + 46);
    EXPECT_EQ(f.drawn()[0].x, 3 + 10);
    EXPECT_EQ(f.drawn()[1].color, Color(0, 255, 0));
    EXPECT_EQ(f.drawn()[2].color, Color(0, 255, 0)); // codes carry to later lines
    EXPECT_EQ(f.g.color, Color(255, 255, 255, 255));
    EXPECT_EQ(h, 10 + 40);
}

TEST(GraphicsText, WrapCullsLinesOutsideTheClipButMeasuresThem)
{
    TextFixture f;
    f.g.clipRect = Rect(0, 20, 640, 10);
    int widest = 0;
    // Lines at baselines 6, 20, 34 (spacing 14); visible: 20 <= b < 44. The
    // first line, ended at a space, is culled but still counts as widest.
    f.g.DrawWrappedText(u"aaaa b c d", Rect(0, 0, 40, 0), -1, -1, &widest);
    std::vector<std::u16string> got;
    for (const auto& d : f.drawn())
        got.push_back(d.text);
    EXPECT_EQ(got, (std::vector<std::u16string>{u"b c", u"d"}));
    EXPECT_EQ(widest, 40);
    // Many lines: the widest is in the middle.
    int measured = 0;
    f.g.MeasureWrappedText(40, u"a b cccc d e", -1, &measured);
    EXPECT_EQ(measured, 40);
}

} // namespace
} // namespace Quib
