#pragma once
#include "framework/files/FloatRange.h"
#include "framework/files/PrintfFormat.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// Every helper returns a new value and keeps no state, so any thread may
// call them. Case rules are those of the "C" locale: only A-Z and a-z.

// --- Formatting (StrFormat and WStrFormat are in PrintfFormat.h) ---

// Formats, converts with WStringToString and sends it to the debugger output.
template <class... A>
void DebugTraceW(const char16_t* format, const A&... args);
void DebugTraceWArgs(const char16_t* format, FormatArgs args);

std::string IntToString(int value);
// Decimal with a ',' before every group of three digits: 1234567 -> 1,234,567.
std::u16string CommaSeparate(int value);

// --- Conversions ---

// Each byte becomes the 16-bit character of the same value.
std::u16string StringToWString(std::string_view text);
// Characters 0..255 become the byte of the same value; a text holding any
// other character converts to the empty string.
std::string WStringToString(std::u16string_view text);
// Windows-1252 to 16-bit; a text of more than 1023 bytes gives "".
std::u16string AnsiToWString(std::string_view text);
// Windows-1252 to 16-bit; a text of more than 8191 bytes gives "".
std::u16string AnsiToWStringLarge(std::string_view text);
// UTF-8 to Windows-1252 into `out`; false, `out` unchanged, when the result
// would be longer than 259 bytes.
bool Utf8ToAnsi(std::string_view utf8, std::string& out);

// Reads an unsigned 32-bit number after leading blanks ("-5" wraps); 0
// when the text does not begin with a number.
int StringToInt(std::string_view text);
int StringToIntAtoi(std::string_view text);
// 0 when the text does not begin with a number.
float StringToFloat(std::string_view text);
bool StringToBool(std::string_view text);
// "%d"; 0 when no number is read.
int ParseIntScanf(std::string_view text);
// "%d,%d" and "%d,%d,%d,%d": the number of fields read; the others keep
// their values.
int ParseIntPair(std::string_view text, int& a, int& b);
int ParseIntQuad(std::string_view text, int& a, int& b, int& c, int& d);

// The C runtime's number readers in the "C" locale (the reading ends at the
// first character that does not belong to the number; `end` receives how
// many characters were used, 0 when no number was read).
double ParseDoubleC(std::string_view text, size_t* end = nullptr);
long long ParseLongC(std::string_view text, size_t* end = nullptr);

// --- Hexadecimal digits ---

// "0"-"9", "a"-"f" and "A"-"F".
constexpr bool IsHexDigit(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}
// The digit's value; 0 for any other character.
constexpr unsigned HexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return unsigned(c - U'0');
    if (c >= U'a' && c <= U'f')
        return unsigned(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return unsigned(c - U'A' + 10);
    return 0;
}

// --- Case and comparison ---

std::string StringToLower(std::string_view text);
std::string ToLowerCrt(std::string_view text);
std::string ToLowerLocale(std::string_view text);
std::string StringToUpper(std::string_view text);
// Compares without regard to case; on a common prefix the shorter sorts first.
int CompareNoCase(std::string_view text, const char* other);
bool EqualsNoCase(std::string_view text, const char* other);
// Case-insensitive ordering for maps with case-insensitive keys.
struct LessNoCase {
    bool operator()(std::string_view a, std::string_view b) const;
    bool operator()(const char* a, const char* b) const;
};
// Index of the first place where `part` occurs without regard to case, or -1.
int FindNoCase(std::string_view text, std::string_view part);

// --- Trimming ---

// Removes spaces (32) at both ends; tabs stay.
std::string TrimSpaces(std::string_view text);
// Removes space, tab, line feed, vertical tab, form feed and carriage return.
std::string TrimWhitespace(std::string_view text);
// Removes blanks and tabs.
std::string TrimBlanksAndTabs(std::string_view text);

// --- Splitting (StringTokenizer is in its own header) ---

// Appends the number of every non-empty trimmed ','-separated token.
void StringToIntVector(std::string_view text, std::vector<int>& out);
// Every ','-separated token trimmed of spaces, empty ones included.
void SplitCommaTrimmed(std::string_view text, std::vector<std::string>& out);
// "x" gives {x, x}, "x/y" gives {x, y}; one range per ','-separated token.
std::vector<FloatRange> ParseFloatRanges(std::string_view text);

// --- Containers ---

// Grows the vector (with zeros) to hold `index`, then stores the value;
// a negative index does nothing.
template <class T>
void SetAtGrow(std::vector<T>& v, int index, T value)
{
    if (index < 0)
        return;
    if (v.size() <= static_cast<size_t>(index))
        v.resize(static_cast<size_t>(index) + 1, T{});
    v[static_cast<size_t>(index)] = value;
}

template <class... A>
void DebugTraceW(const char16_t* format, const A&... args)
{
    FormatArgList list(args...);
    DebugTraceWArgs(format, list.Args());
}

} // namespace Quib
