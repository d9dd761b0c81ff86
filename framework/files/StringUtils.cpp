#include "framework/files/StringUtils.h"

#include "framework/files/StringTokenizer.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>

namespace Quib {

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

template <class Keep>
std::string TrimIf(std::string_view text, Keep isTrimmed)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

// Sign and decimal digits after leading white space, as strtol reads them.
// `magnitude` saturates at the maximum of uint64.
bool ReadDecimal(std::string_view text, size_t& pos, bool& negative, uint64_t& magnitude)
{
    while (pos < text.size() && IsCSpace(text[pos]))
        ++pos;
    negative = false;
    size_t start = pos;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    magnitude = 0;
    size_t digits = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        unsigned d = static_cast<unsigned>(text[pos] - '0');
        if (magnitude > (std::numeric_limits<uint64_t>::max() - d) / 10)
            magnitude = std::numeric_limits<uint64_t>::max();
        else
            magnitude = magnitude * 10 + d;
        ++pos;
    }
    if (pos == digits) {
        pos = start;
        return false;
    }
    return true;
}

// sscanf's "%d": 32-bit result, saturating like strtol.
bool ScanInt(std::string_view text, size_t& pos, int& out)
{
    bool negative;
    uint64_t magnitude;
    if (!ReadDecimal(text, pos, negative, magnitude))
        return false;
    if (negative)
        out = magnitude > 0x80000000ull ? std::numeric_limits<int>::min() : static_cast<int>(0 - magnitude);
    else
        out = magnitude > 0x7FFFFFFFull ? std::numeric_limits<int>::max() : static_cast<int>(magnitude);
    return true;
}

// Reads "%d" fields separated by single commas; returns how many were read.
int ScanIntList(std::string_view text, int* const* fields, int count)
{
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',')
                return i;
            ++pos;
        }
        if (!ScanInt(text, pos, *fields[i]))
            return i;
    }
    return count;
}

} // namespace

// --- Formatting ---

void DebugTraceWArgs(const char16_t* format, FormatArgs args)
{
    OutputDebugString(WStringToString(WStrFormatArgs(format, args)));
}

std::string IntToString(int value) { return StrFormat("%d", value); }

std::u16string CommaSeparate(int value)
{
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::u16string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            reversed += u',';
        reversed += static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (value < 0)
        reversed += u'-';
    return std::u16string(reversed.rbegin(), reversed.rend());
}

// --- Conversions ---

std::u16string StringToWString(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::string WStringToString(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF)
            return {};
        out += static_cast<char>(c);
    }
    return out;
}

std::u16string AnsiToWString(std::string_view text)
{
    return text.size() > 1023 ? std::u16string() : Windows1252ToUtf16(text);
}

std::u16string AnsiToWStringLarge(std::string_view text)
{
    return text.size() > 8191 ? std::u16string() : Windows1252ToUtf16(text);
}

bool Utf8ToAnsi(std::string_view utf8, std::string& out)
{
    std::string ansi = Utf16ToWindows1252(Utf8ToUtf16(utf8));
    if (ansi.size() > 259)
        return false;
    out = std::move(ansi);
    return true;
}

int StringToInt(std::string_view text)
{
    size_t pos = 0;
    bool negative;
    uint64_t magnitude;
    if (!ReadDecimal(text, pos, negative, magnitude))
        return 0;
    uint32_t value = magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(magnitude);
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

long long ParseLongC(std::string_view text, size_t* end)
{
    size_t pos = 0;
    bool negative;
    uint64_t magnitude;
    bool ok = ReadDecimal(text, pos, negative, magnitude);
    if (end)
        *end = ok ? pos : 0;
    if (!ok)
        return 0;
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<long long>::max());
    if (negative)
        return magnitude > kMax ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
    return magnitude > kMax ? std::numeric_limits<long long>::max() : static_cast<long long>(magnitude);
}

int StringToIntAtoi(std::string_view text)
{
    long long v = ParseLongC(text);
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

double ParseDoubleC(std::string_view text, size_t* end)
{
    // strtod in the "C" locale, on a terminated copy (the text may hold a
    // NUL or end without one).
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::string copy(text.substr(0, text.find('\0')));
    char* stop = nullptr;
    double value = cLocale ? strtod_l(copy.c_str(), &stop, cLocale) : std::strtod(copy.c_str(), &stop);
    if (end)
        *end = static_cast<size_t>(stop - copy.c_str());
    return value;
}

float StringToFloat(std::string_view text) { return static_cast<float>(ParseDoubleC(text)); }

bool StringToBool(std::string_view text) { return StringToIntAtoi(text) != 0; }

int ParseIntScanf(std::string_view text)
{
    int value = 0;
    size_t pos = 0;
    return ScanInt(text, pos, value) ? value : 0;
}

int ParseIntPair(std::string_view text, int& a, int& b)
{
    int* const fields[] = {&a, &b};
    return ScanIntList(text, fields, 2);
}

int ParseIntQuad(std::string_view text, int& a, int& b, int& c, int& d)
{
    int* const fields[] = {&a, &b, &c, &d};
    return ScanIntList(text, fields, 4);
}

// --- Case and comparison ---

std::string StringToLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string ToLowerCrt(std::string_view text) { return StringToLower(text); }

std::string ToLowerLocale(std::string_view text)
{
    std::string out(text);
    const auto& facet = std::use_facet<std::ctype<char>>(std::locale());
    facet.tolower(out.data(), out.data() + out.size());
    return out;
}

std::string StringToUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

int CompareNoCase(std::string_view text, const char* other)
{
    std::string_view b = other ? std::string_view(other) : std::string_view();
    size_t n = std::min(text.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(LowerAscii(text[i]));
        int cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return text.size() < b.size() ? -1 : text.size() > b.size() ? 1 : 0;
}

bool EqualsNoCase(std::string_view text, const char* other) { return CompareNoCase(text, other) == 0; }

bool LessNoCase::operator()(std::string_view a, std::string_view b) const
{
    // stricmp: the strings compare up to their terminators.
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(LowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

bool LessNoCase::operator()(const char* a, const char* b) const
{
    return (*this)(std::string_view(a ? a : ""), std::string_view(b ? b : ""));
}

int FindNoCase(std::string_view text, std::string_view part)
{
    if (text.empty())
        return -1;
    if (part.size() > text.size())
        return -1;
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < part.size() && LowerAscii(text[i + j]) == LowerAscii(part[j]))
            ++j;
        if (j == part.size())
            return static_cast<int>(i);
    }
    return -1;
}

// --- Trimming ---

std::string TrimSpaces(std::string_view text)
{
    return TrimIf(text, [](char c) { return c == ' '; });
}

std::string TrimWhitespace(std::string_view text) { return TrimIf(text, IsCSpace); }

std::string TrimBlanksAndTabs(std::string_view text)
{
    return TrimIf(text, [](char c) { return c == ' ' || c == '\t'; });
}

// --- Splitting ---

void StringToIntVector(std::string_view text, std::vector<int>& out)
{
    StringTokenizer tokens(text);
    tokens.skipEmpty = true;
    std::string token;
    while (tokens.Next(&token))
        out.push_back(StringToIntAtoi(token));
}

void SplitCommaTrimmed(std::string_view text, std::vector<std::string>& out)
{
    out.clear();
    size_t pos = 0;
    for (;;) {
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) {
            out.push_back(TrimSpaces(text.substr(pos)));
            return;
        }
        out.push_back(TrimSpaces(text.substr(pos, comma - pos)));
        pos = comma + 1;
    }
}

std::vector<FloatRange> ParseFloatRanges(std::string_view text)
{
    std::vector<FloatRange> ranges;
    if (text.empty())
        return ranges;
    size_t pos = 0;
    for (;;) {
        size_t comma = text.find(',', pos);
        std::string_view token = text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos);
        size_t slash = token.find('/');
        FloatRange range;
        if (slash == std::string_view::npos) {
            range.min = range.max = static_cast<float>(ParseDoubleC(token));
        } else {
            range.min = static_cast<float>(ParseDoubleC(token.substr(0, slash)));
            range.max = static_cast<float>(ParseDoubleC(token.substr(slash + 1)));
        }
        ranges.push_back(range);
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return ranges;
}

} // namespace Quib
