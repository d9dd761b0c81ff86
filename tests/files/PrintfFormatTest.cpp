#include "framework/files/PrintfFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>

namespace Quib {
namespace {

TEST(PrintfFormat, MatchesTheCRuntimeForCommonConversions)
{
    struct Case {
        std::string got;
        const char* want;
    } cases[] = {
        {StrFormat("%d", 42), "42"},
        {StrFormat("%5d|%-5d|%05d", 42, 42, -42), "   42|42   |-0042"},
        {StrFormat("%+d % d %+d", 5, 5, -5), "+5  5 -5"},
        {StrFormat("%.3d %.0d|", 7, 0), "007 |"},
        {StrFormat("%u", -1), "4294967295"},
        {StrFormat("%x %X %#x %#o %o", 255, 255, 255, 8, 0), "ff FF 0xff 010 0"},
        {StrFormat("%ld", 0x100000001LL), "1"},
        {StrFormat("%lld %I64d %I64u", -5000000000LL, 5000000000LL, 18446744073709551615ULL),
         "-5000000000 5000000000 18446744073709551615"},
        {StrFormat("%hd %hhu", 65537, 257), "1 1"},
        {StrFormat("%zu", size_t(123456789012)), "123456789012"},
        {StrFormat("%*d|%-*d|%.*f", 4, 1, 3, 2, 2, 3.14159), "   1|2  |3.14"},
        {StrFormat("%*d", -4, 1), "1   "},
        {StrFormat("%f %.2f %.0f %#.0f", 1.5, 2.345, 2.5, 3.0), "1.500000 2.35 2 3."},
        {StrFormat("%e %E", 12345.678, 0.000123), "1.234568e+04 1.230000E-04"},
        {StrFormat("%g %g %g %g %g", 100000.0, 1000000.0, 0.0001, 0.00001, 1.5), "100000 1e+06 0.0001 1e-05 1.5"},
        {StrFormat("%#g %G", 1.0, 1e-10), "1.00000 1E-10"},
        {StrFormat("%08.3f|%-8.2f|%+.1f", -3.14159, 2.5, 2.0), "-003.142|2.50    |+2.0"},
        {StrFormat("%s|%10s|%-4s|%.2s", "abc", "right", "ab", "xyz"), "abc|     right|ab  |xy"},
        {StrFormat("%s", static_cast<const char*>(nullptr)), "(null)"},
        {StrFormat("%c%c%c", 'a', 66, 'c'), "aBc"},
        {StrFormat("100%% done"), "100% done"},
        {StrFormat("%s and %s", std::string("str"), std::string_view("view")), "str and view"},
        {StrFormat("%S", u"wide"), "wide"},
        {StrFormat("%ls|%hs", u"w", "n"), "w|n"},
        {StrFormat("%f", 1e300 * 1e300), "inf"},
        {StrFormat("%5.1F", -1e300 * 1e300), " -INF"},
        {StrFormat("%a", 1.0), "0x1p+0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want);
}

// The C library's text for one argument.
template <class T>
std::string CFormat(const char* format, T value)
{
    const int n = std::snprintf(nullptr, 0, format, value);
    std::string text(size_t(std::max(n, 0)) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(size_t(std::max(n, 0)));
    return text;
}

TEST(PrintfFormat, AlternateOctalZeroAndLongPrecisionsMatchTheCLibrary)
{
    const struct {
        const char* format;
        unsigned value;
    } integers[] = {
        {"%#.0o", 0u}, {"%#o", 0u},    {"%.0o", 0u},   {"%#.0x", 0u}, {"%#x", 0u},
        {"%#5.0o", 0u}, {"%#-4.0o|", 0u}, {"%#.3o", 8u}, {"%#.1o", 8u}, {"%#o", 0777u},
    };
    for (const auto& c : integers)
        EXPECT_EQ(StrFormat(c.format, c.value), CFormat(c.format, c.value)) << c.format;

    const struct {
        const char* format;
        double value;
    } doubles[] = {
        {"%.513f", 1.0 / 3},        {"%.600f", 0.1},        {"%.1074f", 4.9406564584124654e-324},
        {"%.1100f", 4.9406564584124654e-324}, {"%.2000f", -2.5}, {"%.767e", 4.9406564584124654e-324},
        {"%.900e", 0.1},            {"%.1200E", 1e300},     {"%#.0e", 5.0},
        {"%#.900g", 0.1},           {"%.900g", 0.1},        {"%#.1000G", 1e-300},
        {"%#.700g", 1e22},          {"%1500.1000f|", 0.5},  {"%-1500.1000f|", 0.5},
        {"%01500.1000e", -0.5},     {"%.20a", 1.0},         {"%#.30A", -0.1},
        {"%025.20a", 3.0},
    };
    for (const auto& c : doubles)
        EXPECT_EQ(StrFormat(c.format, c.value), CFormat(c.format, c.value)) << c.format;
}

TEST(PrintfFormat, MismatchedOrMissingArgumentsAreHarmless)
{
    EXPECT_EQ(StrFormat("%d %s", "text", 5), "0 ");
    EXPECT_EQ(StrFormat("%d|%s|%f"), "0||0.000000");
    EXPECT_EQ(StrFormat("%d", 2.9), "2");
    EXPECT_EQ(StrFormat("%.1f", 3), "3.0");
    EXPECT_EQ(StrFormat("%n%d", 7), "0");
    EXPECT_EQ(StrFormat("abc%"), "abc");
    EXPECT_EQ(StrFormat(nullptr), "");
}

TEST(PrintfFormat, WideFormatTakesWideForLowerSAndNarrowForUpperS)
{
    EXPECT_EQ(WStrFormat(u"%s-%S", u"wide", "narrow"), u"wide-narrow");
    EXPECT_EQ(WStrFormat(u"%s", std::u16string(u"\u20AC\u00E9")), u"\u20AC\u00E9");
    // A narrow byte above 127 keeps its value.
    EXPECT_EQ(WStrFormat(u"%S", "\xE9"), u"\u00E9");
    EXPECT_EQ(WStrFormat(u"%c%C", char16_t(0x0416), 'x'), u"\u0416x");
    EXPECT_EQ(WStrFormat(u"%5.2f|%d|%ls|%hs", 1.005, -3, u"l", "h"), u" 1.00|-3|l|h");
    // Wide text outside 0..255 converts to nothing in a narrow result.
    EXPECT_EQ(StrFormat("[%S]", u"\u0416"), "[]");
    EXPECT_EQ(StrFormat("[%S]", u"\u00E9"), "[\xE9]");
}

TEST(PrintfFormat, NumbersIgnoreTheUserLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(StrFormat("%.2f %g", 1.25, 0.5), "1.25 0.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(PrintfFormat, BoundedFormReportsOverflow)
{
    char buffer[8];
    EXPECT_EQ(FormatBounded(buffer, sizeof buffer, "%s", FormatArgList("1234567").Args()), 7);
    EXPECT_STREQ(buffer, "1234567");
    // Exactly the count: written whole, without a terminator.
    EXPECT_EQ(FormatBounded(buffer, 8, "%s", FormatArgList("12345678").Args()), 8);
    EXPECT_EQ(std::string(buffer, 8), "12345678");
    EXPECT_EQ(FormatBounded(buffer, 8, "%s", FormatArgList("123456789").Args()), -1);
    EXPECT_EQ(std::string(buffer, 8), "12345678");
    // A string that held text before is replaced, and the limit still holds.
    std::string into(20, 'z');
    EXPECT_FALSE(FormatInto(into, 4, "%10d", FormatArgList(1).Args()));
    EXPECT_EQ(into, "    ");
    EXPECT_TRUE(FormatInto(into, 4, "%d", FormatArgList(12).Args()));
    EXPECT_EQ(into, "12");
    char16_t wide[4];
    EXPECT_EQ(FormatBounded(wide, 4, u"%d", FormatArgList(12345).Args()), -1);
    EXPECT_EQ(FormatBounded(wide, 4, u"%d", FormatArgList(123).Args()), 3);
    EXPECT_EQ(std::u16string(wide), u"123");
}

TEST(PrintfFormat, ResultsAroundTheStackBufferSizeAreWhole)
{
    for (size_t n : {159u, 160u, 161u, 320u, 321u}) {
        std::string text(n, 'x');
        text[n - 1] = 'y';
        EXPECT_EQ(StrFormat("%s", text), text) << n;
        EXPECT_EQ(StrFormat("%*s", int(n), "y"), std::string(n - 1, ' ') + "y") << n;
        std::u16string wide(n, u'x');
        EXPECT_EQ(WStrFormat(u"%s", wide), wide) << n;
    }
}

TEST(PrintfFormat, VeryLongResultsAreCutAtTheLimit)
{
    std::string big(kStrFormatLimit + 10, 'a');
    std::string got = StrFormat("%s!", big);
    EXPECT_EQ(got.size(), kStrFormatLimit);
    EXPECT_EQ(got, big.substr(0, kStrFormatLimit));
    std::string fits(kStrFormatLimit - 1, 'b');
    EXPECT_EQ(StrFormat("%s!", fits), fits + "!");
    EXPECT_EQ(WStrFormat(u"%s", std::u16string(kWStrFormatLimit + 1, u'w')).size(), kWStrFormatLimit);
    // A huge width or precision does not allocate beyond the limit.
    EXPECT_EQ(StrFormat("%2000000000d", 1).size(), kStrFormatLimit);
    EXPECT_EQ(StrFormat("%.2000000000f", 1.0).size(), kStrFormatLimit);
    EXPECT_EQ(StrFormat("%.2000000000e", 1.0).substr(0, 4), "1.00");
    EXPECT_EQ(StrFormat("%.6666666666666i", 7).size(), kStrFormatLimit);
    EXPECT_EQ(WStrFormat(u"%.2000000000x", 7).size(), kWStrFormatLimit);
    char small[4];
    EXPECT_EQ(FormatBounded(small, sizeof small, "%.2000000000d", FormatArgList(7).Args()), -1);
}

} // namespace
} // namespace Quib
