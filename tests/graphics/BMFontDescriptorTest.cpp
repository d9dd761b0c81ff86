#include "framework/files/PakInterface.h"
#include "framework/graphics/BMFont.h"
#include "platform/FileNames.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

struct Parsed {
    bool result = false;
    BMFontData data;
    std::string shortfall;
};

Parsed Parse(const std::string& text)
{
    TempDir dir;
    ScopedPak pak;
    std::string path = dir.WriteFile("font.fnt", text);
    ClearDirectoryCache();
    Parsed parsed;
    PakFile* file = PakFOpen(path);
    EXPECT_TRUE(file);
    if (!file)
        return parsed;
    parsed.result = BMFont::ParseDescriptor(&parsed.data, file, &parsed.shortfall);
    PakFClose(file);
    return parsed;
}

const char* const kFont =
    "info face=\"Old Serif\" size=32 bold=1 italic=0 charset=\"\" unicode=1 stretchH=100 smooth=1 aa=2 "
    "padding=1,2,3,4 spacing=5,6\r\n"
    "common lineHeight=40 base=31 scaleW=256 scaleH=128 pages=2 packed=0\r\n"
    "page id=0 file=\"font_0.png\"\r\n"
    "page id=1 file=font_1.png\r\n"
    "chars count=2\r\n"
    "char id=65 x=1 y=2 width=3 height=4 xoffset=-1 yoffset=6 xadvance=7 page=1 chnl=15\r\n"
    "char id=86 x=10 y=20 width=30\r\n"
    "kernings count=3\r\n"
    "kerning first=65 second=86 amount=-2\r\n"
    "kerning first=65 second=86 amount=-9\r\n"
    "kerning first=86 second=65 amount=1\r\n";

TEST(BMFontDescriptor, ReadsEveryLineKind)
{
    Parsed p = Parse(kFont);
    EXPECT_TRUE(p.result);
    const BMFontData& d = p.data;
    EXPECT_EQ(d.face, "Old Serif");
    EXPECT_EQ(d.size, 32);
    EXPECT_TRUE(d.bold);
    EXPECT_FALSE(d.italic);
    EXPECT_EQ(d.charset, "");
    EXPECT_TRUE(d.unicode);
    EXPECT_EQ(d.stretchH, 100);
    EXPECT_TRUE(d.smooth);
    EXPECT_EQ(d.aa, 2);
    EXPECT_EQ(std::vector<int>(d.padding, d.padding + 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<int>(d.spacing, d.spacing + 2), (std::vector<int>{5, 6}));
    EXPECT_EQ(d.lineHeight, 40);
    EXPECT_EQ(d.base, 31);
    EXPECT_EQ(d.scaleW, 256);
    EXPECT_EQ(d.scaleH, 128);
    EXPECT_EQ(d.packed, 0);
    EXPECT_EQ(d.pages, (std::vector<std::string>{"font_0.png", "font_1.png"}));
    EXPECT_EQ(d.GetPageFile(1), "font_1.png");
    ASSERT_EQ(d.glyphs.size(), 2u);
    const BMFontGlyph& a = d.glyphs.at(65);
    EXPECT_EQ((std::vector<int>{a.x, a.y, a.width, a.height, a.xoffset, a.yoffset, a.xadvance, a.page, a.chnl}),
              (std::vector<int>{1, 2, 3, 4, -1, 6, 7, 1, 15}));
    const BMFontGlyph& v = d.glyphs.at(86);
    EXPECT_EQ((std::vector<int>{v.x, v.y, v.width, v.height, v.xoffset, v.yoffset, v.xadvance, v.page, v.chnl}),
              (std::vector<int>{10, 20, 30, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(v.kerning, (std::map<int32_t, int32_t>{{65, -2}})) << "the first amount of a pair stays";
    EXPECT_EQ(a.kerning, (std::map<int32_t, int32_t>{{86, 1}}));
}

TEST(BMFontDescriptor, LineFeedLinesReadLikeCrLf)
{
    std::string text = kFont;
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    Parsed lf = Parse(text);
    Parsed crlf = Parse(kFont);
    EXPECT_TRUE(lf.result);
    EXPECT_EQ(lf.data.pages, crlf.data.pages);
    EXPECT_EQ(lf.data.glyphs.size(), 2u);
    EXPECT_EQ(lf.data.glyphs.at(86).kerning, crlf.data.glyphs.at(86).kerning);
}

TEST(BMFontDescriptor, WhereTheParseEnds)
{
    struct Case {
        const char* label;
        std::string text;
        bool result;
        size_t glyphs;
    } cases[] = {
        {"empty file", "", true, 0},
        {"empty third line", "chars count=1\r\nchar id=1\r\n\r\nchar id=2\r\n", true, 1},
        {"unknown kind", "char id=1\r\nInfo face=x\r\nchar id=2\r\n", false, 1},
        {"line of blanks", "char id=1\r\n  \t \r\nchar id=2\r\n", false, 1},
        {"no line end at the end", "char id=1\r\nchar id=2", true, 2},
        {"line longer than 500", "char id=1 face=" + std::string(600, 'x') + "\r\nchar id=2\r\n", false, 1},
        {"page count beyond any font", "char id=1\r\ncommon pages=2000000000\r\nchar id=2\r\n", false, 1},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.text);
        EXPECT_EQ(p.result, c.result) << c.label;
        EXPECT_EQ(p.data.glyphs.size(), c.glyphs) << c.label;
    }
}

TEST(BMFontDescriptor, FewerLinesThanDeclaredAreTold)
{
    const std::string whole = kFont;
    struct Case {
        const char* label;
        std::string text;
        const char* shortfall;
    } cases[] = {
        {"whole", whole, ""},
        {"cut in the characters", whole.substr(0, whole.find("char id=86")), "2 characters declared, 1 read"},
        {"cut in the kernings", whole.substr(0, whole.rfind("kerning first")), "3 kerning pairs declared, 2 read"},
        {"cut after the kernings line", whole.substr(0, whole.find("kerning first")),
         "3 kerning pairs declared, 0 read"},
        {"cut before the counts", whole.substr(0, whole.find("chars")), ""},
        {"more than declared", "chars count=1\r\nchar id=1\r\nchar id=2\r\n", ""},
        {"both short", "chars count=3\r\nchar id=1\r\nkernings count=2\r\n",
         "3 characters declared, 1 read, 2 kerning pairs declared, 0 read"},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.text);
        EXPECT_TRUE(p.result) << c.label;
        EXPECT_EQ(p.shortfall, c.shortfall) << c.label;
    }
}

TEST(BMFontDescriptor, LinesWithoutAPlaceAreIgnored)
{
    Parsed p = Parse("page id=0 file=early.png\r\n"
                     "common pages=1\r\n"
                     "page id=1 file=beyond.png\r\n"
                     "page id=-1 file=negative.png\r\n"
                     "kerning first=1 second=99 amount=3\r\n"
                     "char id=5\r\n"
                     "common pages=-4\r\n");
    EXPECT_TRUE(p.result);
    EXPECT_TRUE(p.data.pages.empty()) << "a negative count gives no pages";
    EXPECT_EQ(p.data.glyphs.size(), 1u) << "kerning creates no glyph";
    EXPECT_EQ(p.data.GetPageFile(0), "");
    EXPECT_EQ(p.data.GetPageFile(-1), "");

    Parsed q = Parse("common pages=1\r\npage id=0 file=a.png\r\ncommon pages=2\r\n");
    EXPECT_EQ(q.data.pages, (std::vector<std::string>{"a.png", ""}));
}

TEST(BMFontDescriptor, SecondCharLineKeepsTheKerning)
{
    Parsed p = Parse("char id=7 x=1\r\nchar id=8\r\nkerning first=8 second=7 amount=4\r\nchar id=7 x=2\r\n");
    EXPECT_EQ(p.data.glyphs.at(7).x, 2);
    EXPECT_EQ(p.data.glyphs.at(7).kerning, (std::map<int32_t, int32_t>{{8, 4}}));
}

TEST(BMFontDescriptor, SplitKeyValues)
{
    using Map = std::map<std::string, std::string>;
    struct Case {
        const char* line;
        const char* kind;
        Map pairs;
    } cases[] = {
        {"info face=\"Two Words\" size=12", "info", {{"face", "Two Words"}, {"size", "12"}}},
        {"info face=ab\"c d\" x=1", "info", {{"face", "abc d"}, {"x", "1"}}},
        {"page id=0 file=a.png id=1", "page", {{"id", "0"}, {"file", "a.png"}}},
        {"char id =5 x=1", "char", {{"id ", "5"}, {"x", "1"}}},
        {"char id= 5", "char", {{"id", ""}}},
        {"char id= 5 x=1", "char", {{"id", ""}, {"5 x", "1"}}}, // a key runs up to its "="
        {"\t kind\ta=1\t", "kind", {{"a", "1"}}},
        {"kind =v", "kind", {{"", "v"}}},
        {"kind a=\"open", "kind", {}},
        {"kind a=1 lonely", "kind", {{"a", "1"}}},
        {"   ", "", {}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        Map pairs;
        EXPECT_EQ(BMFont::SplitKeyValues(c.line, pairs), c.kind) << c.line;
        EXPECT_EQ(pairs, c.pairs) << c.line;
    }
}

} // namespace
} // namespace Quib
