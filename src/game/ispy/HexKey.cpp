#include "src/game/ispy/HexKey.h"

namespace Quib {

std::string EncodeHexKey(std::u16string_view text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 4);
    for (char16_t c : text)
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(digits[(c >> shift) & 0xF]);
    return out;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

std::u16string DecodeHexKey(std::string_view key)
{
    std::u16string out;
    out.reserve(key.size() / 4);
    for (size_t i = 0; i + 4 <= key.size(); i += 4) {
        int value = 0;
        for (size_t k = 0; k < 4; ++k)
            value = (value << 4) | HexDigitValue(key[i + k]);
        out.push_back(char16_t(value));
    }
    return out;
}

} // namespace Quib
