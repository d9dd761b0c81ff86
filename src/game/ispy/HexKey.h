#pragma once
#include <string>
#include <string_view>

namespace Quib {

// Four lower-case hexadecimal digits per 16-bit character.
std::string EncodeHexKey(std::u16string_view text);
// One character per four digits; extra digits at the end are dropped.
std::u16string DecodeHexKey(std::string_view key);
// 0-9 for '0'-'9', 10-15 for 'a'-'f' and 'A'-'F', 0 for anything else.
int HexDigitValue(char c);

} // namespace Quib
