#include "platform/TextCodecs.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

TEST(TextCodecs, Windows1252RoundTripsEveryByte)
{
    for (int b = 0; b < 256; ++b) {
        char16_t c = Windows1252CharOf(static_cast<unsigned char>(b));
        EXPECT_EQ(Windows1252ByteOf(c), b);
    }
    EXPECT_EQ(Windows1252ToUtf16("\x80\x8A\x99\xA0\xFF"), u"\u20AC\u0160\u2122\u00A0\u00FF");
    EXPECT_EQ(Utf16ToWindows1252(u"\u20AC\u0416\U0001F600x"), "\x80??x");
}

TEST(TextCodecs, Utf8BothWays)
{
    struct {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"abc", u"abc"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(TextCodecs, MalformedInputBecomesReplacementCharacters)
{
    struct {
        std::string utf8;
        std::u16string want;
    } cases[] = {
        {"a\xFF" "b", u"a\uFFFDb"},
        {"\xC3", u"\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong lead byte
        {"\xE0\x80\xAF", u"\uFFFD"},           // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD"},           // encoded surrogate
        {"\xE2\x82" "x", u"\uFFFDx"},          // cut sequence
        {"\x80\x80", u"\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD"},       // above U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.want);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

} // namespace
} // namespace Quib
