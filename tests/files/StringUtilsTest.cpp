#include "framework/files/StringTokenizer.h"
#include "framework/files/StringUtils.h"
#include "platform/headless/CapturingSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace Quib {
namespace {

TEST(StringUtils, IntToStringAndCommaSeparate)
{
    EXPECT_EQ(IntToString(-2147483647 - 1), "-2147483648");
    struct {
        int value;
        const char16_t* want;
    } cases[] = {
        {0, u"0"}, {999, u"999"}, {1000, u"1,000"}, {123456, u"123,456"}, {1234567, u"1,234,567"},
        {2147483647, u"2,147,483,647"}, {-1000, u"-1,000"}, {-2147483647 - 1, u"-2,147,483,648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommaSeparate(c.value), c.want) << c.value;
}

TEST(StringUtils, DebugTraceWSendsTheNarrowedText)
{
    CapturingSink sink;
    DebugTraceW(u"%s=%d", u"x", 5);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_EQ(sink.debugLines[0], "x=5");
}

TEST(StringUtils, NarrowWideConversions)
{
    EXPECT_EQ(StringToWString("a\x80\xFF"), std::u16string(u"a\u0080\u00FF"));
    EXPECT_EQ(WStringToString(u"a\u00E9\u00FF"), "a\xE9\xFF");
    EXPECT_EQ(WStringToString(u"ok\u20AC"), "");
    // The ANSI code page is Windows-1252.
    EXPECT_EQ(AnsiToWString("\x80"), u"\u20AC");
    EXPECT_EQ(AnsiToWString("\x81\x9F\xE9"), u"\u0081\u0178\u00E9");
    EXPECT_EQ(AnsiToWString(std::string(1023, 'a')).size(), 1023u);
    EXPECT_EQ(AnsiToWString(std::string(1024, 'a')), u"");
    EXPECT_EQ(AnsiToWStringLarge(std::string(8191, 'a')).size(), 8191u);
    EXPECT_EQ(AnsiToWStringLarge(std::string(8192, 'a')), u"");
}

TEST(StringUtils, Utf8ToAnsi)
{
    std::string out = "old";
    EXPECT_TRUE(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC \xD0\x96", out));
    EXPECT_EQ(out, "caf\xE9 \x80 ?");
    EXPECT_TRUE(Utf8ToAnsi(std::string(259, 'a'), out));
    EXPECT_EQ(out.size(), 259u);
    out = "kept";
    EXPECT_FALSE(Utf8ToAnsi(std::string(260, 'a'), out));
    EXPECT_EQ(out, "kept");
}

TEST(StringUtils, NumberReaders)
{
    struct {
        const char* text;
        int toInt, atoi, scanf;
        float toFloat;
    } cases[] = {
        {"42", 42, 42, 42, 42.0f},
        {"  -7xyz", -7, -7, -7, -7.0f},
        {"+3", 3, 3, 3, 3.0f},
        {"1.75", 1, 1, 1, 1.75f},
        {"abc", 0, 0, 0, 0.0f},
        {"", 0, 0, 0, 0.0f},
        {"4294967295", -1, 2147483647, 2147483647, 4294967295.0f},
        {"-2147483649", 2147483647, -2147483647 - 1, -2147483647 - 1, -2147483649.0f},
        {"\t\n1e3", 1, 1, 1, 1000.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringToInt(c.text), c.toInt) << c.text;
        EXPECT_EQ(StringToIntAtoi(c.text), c.atoi) << c.text;
        EXPECT_EQ(ParseIntScanf(c.text), c.scanf) << c.text;
        EXPECT_FLOAT_EQ(StringToFloat(c.text), c.toFloat) << c.text;
    }
    EXPECT_TRUE(StringToBool("2"));
    EXPECT_FALSE(StringToBool("0"));
    EXPECT_FALSE(StringToBool("yes"));
    EXPECT_EQ(ParseDoubleC("1e999"), HUGE_VAL);
    EXPECT_EQ(ParseDoubleC("-1e999"), -HUGE_VAL);
    EXPECT_EQ(ParseDoubleC("1e-999"), 0.0);
    EXPECT_EQ(ParseDoubleC("0.0001e400"), HUGE_VAL); // large despite the leading zeros
    EXPECT_EQ(ParseDoubleC("1e-310"), 1e-310);
    size_t used = 99;
    EXPECT_EQ(ParseDoubleC(" -2.5e1x", &used), -25.0);
    EXPECT_EQ(used, 7u);
    EXPECT_EQ(ParseDoubleC("x1", &used), 0.0);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(ParseDoubleC(std::string_view("7\0" "8", 3)), 7.0); // a NUL ends the number
}

TEST(StringUtils, ParseIntPairAndQuadKeepUnreadFields)
{
    int a = -1, b = -1, c = -1, d = -1;
    EXPECT_EQ(ParseIntPair("3,4", a, b), 2);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 4);
    a = b = -1;
    EXPECT_EQ(ParseIntPair("5 ,6", a, b), 1);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, -1);
    EXPECT_EQ(ParseIntQuad("1, 2,3", a, b, c, d), 3);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(d, -1);
    EXPECT_EQ(ParseIntQuad("x", a, b, c, d), 0);
}

TEST(StringUtils, HexDigits)
{
    const std::pair<char32_t, int> cases[] = {
        {U'0', 0},  {U'9', 9},  {U'a', 10}, {U'f', 15}, {U'A', 10}, {U'F', 15},
        {U'/', -1}, {U':', -1}, {U'@', -1}, {U'G', -1}, {U'`', -1}, {U'g', -1},
        {U'x', -1}, {0xE9, -1}, {0xFF10, -1}, {0x10030, -1},
    };
    for (const auto& [c, value] : cases) {
        EXPECT_EQ(IsHexDigit(c), value >= 0) << unsigned(c);
        EXPECT_EQ(HexDigitValue(c), unsigned(value >= 0 ? value : 0)) << unsigned(c);
    }
}

TEST(StringUtils, CaseChangesOnlyTouchAsciiLetters)
{
    EXPECT_EQ(StringToLower("AbZ@[\xC0\xE9\x80"), "abz@[\xC0\xE9\x80");
    EXPECT_EQ(StringToUpper("abz`{\xE0\xFF"), "ABZ`{\xE0\xFF");
    EXPECT_EQ(ToLowerCrt("MiXeD\xC0"), "mixed\xC0");
    EXPECT_EQ(ToLowerLocale("MiXeD"), "mixed");
}

TEST(StringUtils, CompareAndFindWithoutCase)
{
    EXPECT_EQ(CompareNoCase("Hello", "hELLO"), 0);
    EXPECT_TRUE(EqualsNoCase("ABC", "abc"));
    EXPECT_FALSE(EqualsNoCase("ABC", "abcd"));
    EXPECT_LT(CompareNoCase("abc", "ABCD"), 0);
    EXPECT_GT(CompareNoCase("abcd", "ABC"), 0);
    EXPECT_LT(CompareNoCase("Apple", "banana"), 0);
    EXPECT_GT(CompareNoCase("x", ""), 0);

    std::map<std::string, int, LessNoCase> keys;
    keys["Music"] = 1;
    keys["MUSIC"] = 2;
    keys["sound"] = 3;
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys["music"], 2);
    EXPECT_TRUE(LessNoCase()("ab", "AC"));
    EXPECT_FALSE(LessNoCase()("AB", "ab"));

    struct {
        const char* text;
        const char* part;
        int want;
    } cases[] = {
        {"Hello", "LL", 2}, {"Hello", "", 0}, {"", "", -1}, {"", "a", -1},
        {"abc", "abcd", -1}, {"xxXYZ", "xyz", 2}, {"abc", "d", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNoCase(c.text, c.part), c.want) << c.text << " / " << c.part;
}

TEST(StringUtils, Trimming)
{
    struct {
        const char* text;
        const char* spaces;
        const char* white;
    } cases[] = {
        {"\t a \t", "\t a \t", "a"},
        {"  a b  ", "a b", "a b"},
        {" \r\n\v\f", "\r\n\v\f", ""},
        {"   ", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimSpaces(c.text), c.spaces);
        EXPECT_EQ(TrimWhitespace(c.text), c.white);
    }
}

std::vector<std::string> AllTokens(StringTokenizer tokens)
{
    std::vector<std::string> out;
    std::string token;
    while (tokens.Next(&token))
        out.push_back(token);
    return out;
}

TEST(StringTokenizer, TokensWithAndWithoutSkippingEmptyOnes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(AllTokens(StringTokenizer("a, ,b")), (V{"a", "", "b"}));
    StringTokenizer skipping("a, ,b");
    skipping.skipEmpty = true;
    EXPECT_EQ(AllTokens(skipping), (V{"a", "b"}));
    EXPECT_EQ(AllTokens(StringTokenizer("")), (V{""}));
    EXPECT_EQ(AllTokens(StringTokenizer(" \t ")), (V{""}));
    EXPECT_EQ(AllTokens(StringTokenizer("\t x \t, y ,")), (V{"x", "y", ""}));
    StringTokenizer trailing("x,,");
    trailing.skipEmpty = true;
    EXPECT_EQ(AllTokens(trailing), (V{"x"}));
    StringTokenizer empty("");
    empty.skipEmpty = true;
    EXPECT_EQ(AllTokens(empty), V{});
    StringTokenizer other("a;b,c");
    other.delimiter = ';';
    EXPECT_EQ(AllTokens(other), (V{"a", "b,c"}));
}

TEST(StringTokenizer, NextWithoutOutAndNumbers)
{
    StringTokenizer tokens(" , 1");
    tokens.skipEmpty = true;
    EXPECT_TRUE(tokens.Next());
    EXPECT_FALSE(tokens.Next());

    float a = -1, b = -1, c = -1, d = -1;
    StringTokenizer numbers("1.5, x, 2e1");
    numbers.NextNumber(a).NextNumber(b).NextNumber(c).NextNumber(d);
    EXPECT_FLOAT_EQ(a, 1.5f);
    EXPECT_FLOAT_EQ(b, -1.0f);
    EXPECT_FLOAT_EQ(c, 20.0f);
    EXPECT_FLOAT_EQ(d, -1.0f);
}

TEST(StringUtils, Splitting)
{
    using V = std::vector<std::string>;
    std::vector<std::string> out{"stale"};
    SplitCommaTrimmed(" a , b ,", out);
    EXPECT_EQ(out, (V{"a", "b", ""}));
    SplitCommaTrimmed("", out);
    EXPECT_EQ(out, (V{""}));
    SplitCommaTrimmed("\tx\t", out);
    EXPECT_EQ(out, (V{"\tx\t"}));

    std::vector<int> ints{9};
    StringToIntVector(" 1, ,-2,\t3 ,", ints);
    EXPECT_EQ(ints, (std::vector<int>{9, 1, -2, 3}));

    using R = std::vector<FloatRange>;
    EXPECT_EQ(ParseFloatRanges("1,2/3"), (R{{1, 1}, {2, 3}}));
    EXPECT_EQ(ParseFloatRanges(",5"), (R{{0, 0}, {5, 5}}));
    EXPECT_EQ(ParseFloatRanges(""), R{});
    EXPECT_EQ(ParseFloatRanges(" 0.5 / 1.5/9 ,bad"), (R{{0.5f, 1.5f}, {0, 0}}));
}

TEST(StringUtils, SetAtGrow)
{
    std::vector<uint32_t> v{7};
    SetAtGrow(v, 3, 5u);
    EXPECT_EQ(v, (std::vector<uint32_t>{7, 0, 0, 5}));
    SetAtGrow(v, 0, 1u);
    EXPECT_EQ(v, (std::vector<uint32_t>{1, 0, 0, 5}));
    SetAtGrow(v, -1, 9u);
    EXPECT_EQ(v.size(), 4u);
}

} // namespace
} // namespace Quib
