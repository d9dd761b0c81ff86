#pragma once
#include <string>
#include <string_view>

namespace Quib {

// Text codecs standing in for MultiByteToWideChar / WideCharToMultiByte.
// Narrow "ANSI" text is Windows-1252; 16-bit text is UTF-16.

// Every byte maps to one UTF-16 unit; the five bytes 1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control of the same value.
std::u16string Windows1252ToUtf16(std::string_view text);

// Characters without a Windows-1252 byte become '?'.
std::string Utf16ToWindows1252(std::u16string_view text);

// Malformed sequences become U+FFFD; characters above U+FFFF become
// surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The character at text[i] (a surrogate pair read as one; an unpaired half
// is U+FFFD); i moves past it.
char32_t NextCodePoint(std::u16string_view text, size_t& i);

// The Windows-1252 byte of one character, or -1 when it has none.
int Windows1252ByteOf(char16_t c);
// The character of one Windows-1252 byte.
char16_t Windows1252CharOf(unsigned char byte);

// ASCII letters fold to lower case; every other byte stays as it is.
constexpr char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
// ASCII letters rise to upper case; every other byte stays as it is.
constexpr char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
// Equal but for the case of ASCII letters.
bool EqualNoCaseAscii(std::string_view a, std::string_view b);

} // namespace Quib
