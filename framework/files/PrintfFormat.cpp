#include "framework/files/PrintfFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace Quib {

int64_t FormatArg::AsSigned() const
{
    switch (mKind) {
    case Kind::Signed: return mSigned;
    case Kind::Unsigned: return static_cast<int64_t>(mUnsigned);
    case Kind::Double:
        if (!(std::fabs(mDouble) < 9.2e18))
            return 0;
        return static_cast<int64_t>(mDouble);
    case Kind::Pointer: return static_cast<int64_t>(reinterpret_cast<uintptr_t>(mPointer));
    default: return 0;
    }
}

uint64_t FormatArg::AsUnsigned() const { return static_cast<uint64_t>(AsSigned()); }

double FormatArg::AsDouble() const
{
    switch (mKind) {
    case Kind::Signed: return static_cast<double>(mSigned);
    case Kind::Unsigned: return static_cast<double>(mUnsigned);
    case Kind::Double: return mDouble;
    default: return 0.0;
    }
}

namespace {

// Digits after the point that can be other than zero: the exact value of a
// double has at most 1074 of them in fixed notation and at most 767
// significant digits in scientific notation. Digits asked for past these
// are zeros and are written without being built.
constexpr int kExactFixedDigits = 1074;
constexpr int kExactScientificDigits = 767;
// Hexadecimal digits of a double's fraction.
constexpr int kExactHexDigits = 13;
// Widths beyond this are cut; the output is limited anyway.
constexpr int64_t kMaxWidth = 0x7FFFFFFF;

// Appends to a string up to a limit, remembering whether anything was lost.
template <class Char>
class Sink {
public:
    Sink(std::basic_string<Char>& out, size_t limit) : mOut(out), mLimit(limit) {}

    void Put(Char c)
    {
        if (mOut.size() < mLimit)
            mOut += c;
        else
            mOverflow = true;
    }
    void Repeat(Char c, int64_t count)
    {
        if (count <= 0)
            return;
        size_t room = mLimit - mOut.size();
        if (static_cast<uint64_t>(count) > room) {
            mOverflow = true;
            count = static_cast<int64_t>(room);
        }
        mOut.append(static_cast<size_t>(count), c);
    }
    template <class From>
    void Append(const From* text, size_t length)
    {
        size_t room = mLimit - mOut.size();
        if (length > room) {
            mOverflow = true;
            length = room;
        }
        if constexpr (std::is_same_v<From, Char>) {
            mOut.append(text, length);
        } else {
            for (size_t i = 0; i < length; ++i)
                mOut += static_cast<Char>(static_cast<std::make_unsigned_t<From>>(text[i]));
        }
    }
    bool Overflow() const { return mOverflow; }

private:
    std::basic_string<Char>& mOut;
    size_t mLimit;
    bool mOverflow = false;
};

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int64_t width = 0;
    int precision = -1;
    enum class Size { Default, Char, Short, Long32, Long64, Pointer } size = Size::Default;
    enum class Text { Default, Narrow, Wide } text = Text::Default;
};

class ArgReader {
public:
    explicit ArgReader(FormatArgs args) : mArgs(args) {}
    const FormatArg& Next()
    {
        static const FormatArg none{};
        return mNext < mArgs.size() ? mArgs[mNext++] : none;
    }

private:
    FormatArgs mArgs;
    size_t mNext = 0;
};

// Writes a converted body (sign/prefix + digits) with width and padding;
// `zeros` more '0's go into the body at `zerosAt`.
template <class Char>
void PutPadded(Sink<Char>& sink, const Spec& spec, std::string_view prefix, std::string_view body, bool zeroPad,
               int64_t zeros = 0, size_t zerosAt = 0)
{
    int64_t pad = spec.width - static_cast<int64_t>(prefix.size() + body.size()) - zeros;
    if (!spec.left && !zeroPad)
        sink.Repeat(Char(' '), pad);
    sink.Append(prefix.data(), prefix.size());
    if (!spec.left && zeroPad)
        sink.Repeat(Char('0'), pad);
    zerosAt = std::min(zerosAt, body.size());
    sink.Append(body.data(), zerosAt);
    sink.Repeat(Char('0'), zeros);
    sink.Append(body.data() + zerosAt, body.size() - zerosAt);
    if (spec.left)
        sink.Repeat(Char(' '), pad);
}

template <class Char>
void PutInteger(Sink<Char>& sink, const Spec& spec, char conv, const FormatArg& arg)
{
    bool isSigned = conv == 'd' || conv == 'i';
    uint64_t magnitude;
    bool negative = false;
    if (isSigned) {
        int64_t v = arg.AsSigned();
        switch (spec.size) {
        case Spec::Size::Char: v = static_cast<int8_t>(v); break;
        case Spec::Size::Short: v = static_cast<int16_t>(v); break;
        case Spec::Size::Long64:
        case Spec::Size::Pointer: break;
        default: v = static_cast<int32_t>(v); break;
        }
        negative = v < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    } else {
        uint64_t v = arg.AsUnsigned();
        switch (spec.size) {
        case Spec::Size::Char: v = static_cast<uint8_t>(v); break;
        case Spec::Size::Short: v = static_cast<uint16_t>(v); break;
        case Spec::Size::Long64:
        case Spec::Size::Pointer: break;
        default: v = static_cast<uint32_t>(v); break;
        }
        magnitude = v;
    }
    int base = (conv == 'o') ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
    const char* digits = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[32];
    int n = 0;
    for (uint64_t m = magnitude; m != 0; m /= base)
        buffer[n++] = digits[m % base];
    std::string body;
    // Digits past the longest result would be cut anyway; don't build them.
    int64_t minDigits = spec.precision < 0 ? 1 : std::min<int64_t>(spec.precision, kStrFormatLimit + 1);
    if (n < minDigits)
        body.append(static_cast<size_t>(minDigits - n), '0');
    for (int i = n - 1; i >= 0; --i)
        body += buffer[i];
    std::string prefix;
    if (negative)
        prefix = "-";
    else if (isSigned && spec.plus)
        prefix = "+";
    else if (isSigned && spec.space)
        prefix = " ";
    // '#' makes an octal number start with 0 (a zero with no digits too);
    // the hexadecimal prefix is for numbers other than zero.
    if (spec.alt && base == 8 && (body.empty() || body[0] != '0'))
        body.insert(body.begin(), '0');
    else if (spec.alt && base == 16 && magnitude != 0)
        prefix += conv == 'X' ? "0X" : "0x";
    PutPadded(sink, spec, prefix, body, spec.zero && !spec.left && spec.precision < 0);
}

// A converted number without sign: text, and the count of zeros that
// belong in it at zerosAt (the digits asked for past the exact ones).
struct FloatBody {
    std::string text;
    int64_t zeros = 0;
    size_t zerosAt = 0;
};

// Body of %e / %f with the given precision. The widest text built is a fixed
// 1e308: 309 digits, the point and the exact digits.
FloatBody FixedOrScientific(double v, bool scientific, int64_t precision)
{
    const int exact = scientific ? kExactScientificDigits : kExactFixedDigits;
    const int built = static_cast<int>(std::min<int64_t>(precision, exact));
    char text[kExactFixedDigits + 340];
    auto r = std::to_chars(text, text + sizeof text, v,
                           scientific ? std::chars_format::scientific : std::chars_format::fixed, built);
    FloatBody body;
    if (r.ec != std::errc())
        return body;
    body.text.assign(text, r.ptr);
    body.zeros = precision - built;
    body.zerosAt = scientific ? body.text.find('e') : body.text.size();
    return body;
}

template <class Char>
void PutFloat(Sink<Char>& sink, const Spec& spec, char conv, double v)
{
    bool upper = conv == 'E' || conv == 'F' || conv == 'G' || conv == 'A';
    char lower = static_cast<char>(conv | 0x20);
    bool negative = std::signbit(v);
    double a = std::fabs(v);
    std::string prefix = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    if (!std::isfinite(a)) {
        std::string body = std::isnan(a) ? "nan" : "inf";
        if (upper)
            for (char& c : body)
                c = static_cast<char>(c & ~0x20);
        PutPadded(sink, spec, prefix, body, false);
        return;
    }
    const int64_t precision = spec.precision < 0 ? 6 : spec.precision;
    FloatBody b;
    std::string& body = b.text;
    if (lower == 'f') {
        b = FixedOrScientific(a, false, precision);
        if (spec.alt && precision == 0)
            body += '.';
    } else if (lower == 'e') {
        b = FixedOrScientific(a, true, precision);
        if (spec.alt && precision == 0) {
            body.insert(1, ".");
            ++b.zerosAt;
        }
    } else if (lower == 'g') {
        const int64_t p = precision == 0 ? 1 : precision;
        FloatBody sci = FixedOrScientific(a, true, p - 1);
        const int64_t exponent = std::atoi(sci.text.c_str() + sci.text.find('e') + 1);
        if (exponent < p && exponent >= -4)
            b = FixedOrScientific(a, false, p - 1 - exponent);
        else
            b = std::move(sci);
        if (!spec.alt) {
            b.zeros = 0;
            size_t e = body.find('e');
            std::string mantissa = body.substr(0, e);
            std::string tail = e == std::string::npos ? "" : body.substr(e);
            if (mantissa.find('.') != std::string::npos) {
                while (mantissa.back() == '0')
                    mantissa.pop_back();
                if (mantissa.back() == '.')
                    mantissa.pop_back();
            }
            body = mantissa + tail;
        } else if (body.find('.') == std::string::npos) {
            size_t e = body.find('e');
            body.insert(e == std::string::npos ? body.size() : e, ".");
            if (b.zerosAt >= e)
                ++b.zerosAt;
        }
    } else { // 'a'
        char buffer[64];
        auto r = spec.precision < 0
                     ? std::to_chars(buffer, buffer + sizeof buffer, a, std::chars_format::hex)
                     : std::to_chars(buffer, buffer + sizeof buffer, a, std::chars_format::hex,
                                     std::min(spec.precision, kExactHexDigits));
        body.assign(buffer, r.ptr);
        b.zeros = std::max(spec.precision - kExactHexDigits, 0);
        b.zerosAt = body.find('p');
        prefix += "0x";
    }
    if (upper)
        for (char& c : body)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
    if (lower == 'a' && upper)
        prefix.back() = 'X';
    PutPadded(sink, spec, prefix, body, spec.zero && !spec.left, b.zeros, b.zerosAt);
}

template <class Char>
void PutText(Sink<Char>& sink, const Spec& spec, const FormatArg& arg, bool wantWide)
{
    static const char kNullNarrow[] = "(null)";
    static const char16_t kNullWide[] = u"(null)";
    // A string of the other width is converted (the argument's actual width
    // wins over the conversion letter, which only says what was expected).
    bool wide = arg.GetKind() == FormatArg::Kind::Wide;
    bool isText = wide || arg.GetKind() == FormatArg::Kind::Narrow;
    const void* data = isText ? arg.StringData() : nullptr;
    size_t length = isText ? arg.StringLength() : 0;
    if (isText && data == nullptr) {
        data = wantWide ? static_cast<const void*>(kNullWide) : kNullNarrow;
        wide = wantWide;
        length = 6;
    }
    if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < length)
        length = static_cast<size_t>(spec.precision);
    int64_t pad = spec.width - static_cast<int64_t>(length);
    if (!spec.left)
        sink.Repeat(Char(spec.zero ? '0' : ' '), pad);
    if (wide) {
        const char16_t* w = static_cast<const char16_t*>(data);
        if constexpr (sizeof(Char) == 1) {
            // The "C" locale keeps characters 0..255 only; a text holding
            // any other converts to nothing.
            bool ok = true;
            for (size_t i = 0; i < length && ok; ++i)
                ok = w[i] <= 0xFF;
            if (ok)
                sink.Append(w, length);
        } else {
            sink.Append(w, length);
        }
    } else if (data) {
        sink.Append(static_cast<const char*>(data), length);
    }
    if (spec.left)
        sink.Repeat(Char(' '), pad);
}

template <class Char>
void PutChar(Sink<Char>& sink, const Spec& spec, const FormatArg& arg, bool wantWide)
{
    uint64_t code = arg.AsUnsigned();
    Char c;
    bool drop = false;
    if (wantWide) {
        code &= 0xFFFF;
        if constexpr (sizeof(Char) == 1)
            drop = code > 0xFF;
        c = static_cast<Char>(code);
    } else {
        c = static_cast<Char>(static_cast<unsigned char>(code));
    }
    int64_t pad = spec.width - (drop ? 0 : 1);
    if (!spec.left)
        sink.Repeat(Char(spec.zero ? '0' : ' '), pad);
    if (!drop)
        sink.Put(c);
    if (spec.left)
        sink.Repeat(Char(' '), pad);
}

template <class Char>
bool Format(std::basic_string<Char>& out, size_t limit, const Char* format, FormatArgs args)
{
    constexpr bool kWideFormat = sizeof(Char) == 2;
    out.clear();
    Sink<Char> sink(out, limit);
    if (!format)
        return true;
    ArgReader reader(args);
    const Char* p = format;
    while (*p) {
        if (*p != Char('%')) {
            const Char* run = p;
            while (*p && *p != Char('%'))
                ++p;
            sink.Append(run, static_cast<size_t>(p - run));
            continue;
        }
        ++p;
        Spec spec;
        for (;; ++p) {
            if (*p == Char('-')) spec.left = true;
            else if (*p == Char('+')) spec.plus = true;
            else if (*p == Char(' ')) spec.space = true;
            else if (*p == Char('#')) spec.alt = true;
            else if (*p == Char('0')) spec.zero = true;
            else break;
        }
        if (*p == Char('*')) {
            int64_t w = reader.Next().AsSigned();
            if (w < 0) {
                spec.left = true;
                w = w == std::numeric_limits<int64_t>::min() ? kMaxWidth : -w;
            }
            spec.width = std::min<int64_t>(w, kMaxWidth);
            ++p;
        } else {
            while (*p >= Char('0') && *p <= Char('9')) {
                spec.width = std::min<int64_t>(spec.width * 10 + (*p - Char('0')), kMaxWidth);
                ++p;
            }
        }
        if (*p == Char('.')) {
            ++p;
            int64_t precision = 0;
            if (*p == Char('*')) {
                precision = reader.Next().AsSigned();
                ++p;
            } else {
                while (*p >= Char('0') && *p <= Char('9')) {
                    precision = std::min<int64_t>(precision * 10 + (*p - Char('0')), kMaxWidth);
                    ++p;
                }
            }
            spec.precision = precision < 0 ? -1 : static_cast<int>(std::min<int64_t>(precision, kMaxWidth));
        }
        for (bool more = true; more;) {
            switch (*p) {
            case Char('h'):
                if (p[1] == Char('h')) {
                    spec.size = Spec::Size::Char;
                    ++p;
                } else {
                    spec.size = Spec::Size::Short;
                }
                spec.text = Spec::Text::Narrow;
                ++p;
                break;
            case Char('l'):
                if (p[1] == Char('l')) {
                    spec.size = Spec::Size::Long64;
                    ++p;
                } else {
                    spec.size = Spec::Size::Long32;
                }
                spec.text = Spec::Text::Wide;
                ++p;
                break;
            case Char('w'):
                spec.text = Spec::Text::Wide;
                ++p;
                break;
            case Char('L'):
            case Char('j'):
            case Char('q'):
                spec.size = Spec::Size::Long64;
                ++p;
                break;
            case Char('z'):
            case Char('t'):
                spec.size = Spec::Size::Pointer;
                ++p;
                break;
            case Char('I'):
                if (p[1] == Char('6') && p[2] == Char('4')) {
                    spec.size = Spec::Size::Long64;
                    p += 3;
                } else if (p[1] == Char('3') && p[2] == Char('2')) {
                    spec.size = Spec::Size::Long32;
                    p += 3;
                } else {
                    spec.size = Spec::Size::Pointer;
                    ++p;
                }
                break;
            default: more = false; break;
            }
        }
        Char conv = *p;
        if (conv == Char(0))
            break;
        ++p;
        switch (conv) {
        case Char('d'):
        case Char('i'):
        case Char('u'):
        case Char('o'):
        case Char('x'):
        case Char('X'): PutInteger(sink, spec, static_cast<char>(conv), reader.Next()); break;
        case Char('e'):
        case Char('E'):
        case Char('f'):
        case Char('F'):
        case Char('g'):
        case Char('G'):
        case Char('a'):
        case Char('A'): PutFloat(sink, spec, static_cast<char>(conv), reader.Next().AsDouble()); break;
        case Char('s'):
        case Char('S'): {
            bool wide = spec.text == Spec::Text::Wide ||
                        (spec.text == Spec::Text::Default && ((conv == Char('s')) == kWideFormat));
            PutText(sink, spec, reader.Next(), wide);
            break;
        }
        case Char('c'):
        case Char('C'): {
            bool wide = spec.text == Spec::Text::Wide ||
                        (spec.text == Spec::Text::Default && ((conv == Char('c')) == kWideFormat));
            PutChar(sink, spec, reader.Next(), wide);
            break;
        }
        case Char('p'): {
            Spec pointer = spec;
            pointer.precision = static_cast<int>(2 * sizeof(void*));
            pointer.size = Spec::Size::Long64;
            pointer.alt = false;
            PutInteger(sink, pointer, 'X', reader.Next());
            break;
        }
        case Char('n'): reader.Next(); break; // counts are never stored
        default: sink.Put(conv); break;       // "%%" and unknown letters
        }
    }
    return !sink.Overflow();
}

template <class Char>
int Bounded(Char* buffer, size_t count, const Char* format, FormatArgs args)
{
    std::basic_string<Char> text;
    bool fits = Format(text, count, format, args);
    std::char_traits<Char>::copy(buffer, text.data(), text.size());
    if (text.size() < count)
        buffer[text.size()] = Char(0);
    if (!fits || text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return -1;
    return static_cast<int>(text.size());
}

} // namespace

bool FormatInto(std::string& out, size_t limit, const char* format, FormatArgs args)
{
    return Format(out, limit, format, args);
}

bool FormatInto(std::u16string& out, size_t limit, const char16_t* format, FormatArgs args)
{
    return Format(out, limit, format, args);
}

int FormatBounded(char* buffer, size_t count, const char* format, FormatArgs args)
{
    return Bounded(buffer, count, format, args);
}

int FormatBounded(char16_t* buffer, size_t count, const char16_t* format, FormatArgs args)
{
    return Bounded(buffer, count, format, args);
}

std::string StrFormatArgs(const char* format, FormatArgs args)
{
    std::string out;
    Format(out, kStrFormatLimit, format, args);
    return out;
}

std::u16string WStrFormatArgs(const char16_t* format, FormatArgs args)
{
    std::u16string out;
    Format(out, kWStrFormatLimit, format, args);
    return out;
}

} // namespace Quib
