#include "platform/TextCodecs.h"

namespace Quib {

namespace {

// Bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xD800 + (cp >> 10));
        out += char16_t(0xDC00 + (cp & 0x3FF));
    }
}

} // namespace

char16_t Windows1252CharOf(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : char16_t(byte);
}

int Windows1252ByteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return 0x80 + i;
    return -1;
}

std::u16string Windows1252ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out += Windows1252CharOf(static_cast<unsigned char>(c));
    return out;
}

std::string Utf16ToWindows1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        // A surrogate pair is one character, so one '?'.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            ++i;
        int byte = Windows1252ByteOf(c);
        out += byte < 0 ? '?' : char(byte);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += char16_t(b);
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t minimum;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, cp = b & 0x1F, minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, cp = b & 0x0F, minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, cp = b & 0x07, minimum = 0x10000;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        size_t j = i + 1;
        int got = 0;
        while (got < extra && j < n && (static_cast<unsigned char>(text[j]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
            ++j;
            ++got;
        }
        if (got < extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            // One replacement for the lead byte and the continuation bytes
            // that followed it.
            out += kReplacement;
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        AppendCodePoint(out, cp);
        i = j;
    }
    return out;
}

char32_t NextCodePoint(std::u16string_view text, size_t& i)
{
    const char32_t cp = text[i++];
    if (cp >= 0xD800 && cp < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
        return 0x10000 + ((cp - 0xD800) << 10) + (text[i++] - 0xDC00);
    return cp >= 0xD800 && cp < 0xE000 ? kReplacement : cp;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

} // namespace Quib
