#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace Quib {

// One argument of a printf-style call, captured with its type so that a
// mismatch between format and argument gives a harmless result rather than
// undefined behaviour: numbers convert to the conversion asked for, a string
// asked for by a number reads as 0, a number asked for by a string reads as
// an empty text.
class FormatArg {
public:
    enum class Kind : uint8_t { None, Signed, Unsigned, Double, Narrow, Wide, Pointer };

    FormatArg() = default;
    FormatArg(bool v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(char v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(signed char v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(unsigned char v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(char16_t v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(short v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(unsigned short v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(int v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(unsigned v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(long v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(unsigned long v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(long long v) : mKind(Kind::Signed), mSigned(v) {}
    FormatArg(unsigned long long v) : mKind(Kind::Unsigned), mUnsigned(v) {}
    FormatArg(float v) : mKind(Kind::Double), mDouble(v) {}
    FormatArg(double v) : mKind(Kind::Double), mDouble(v) {}
    FormatArg(long double v) : mKind(Kind::Double), mDouble(static_cast<double>(v)) {}
    FormatArg(const char* s) : mKind(Kind::Narrow), mPointer(s), mLength(s ? std::char_traits<char>::length(s) : 0) {}
    FormatArg(char* s) : FormatArg(static_cast<const char*>(s)) {}
    FormatArg(const std::string& s) : mKind(Kind::Narrow), mPointer(s.data()), mLength(s.size()) {}
    FormatArg(std::string_view s) : mKind(Kind::Narrow), mPointer(s.data() ? s.data() : ""), mLength(s.size()) {}
    FormatArg(const char16_t* s)
        : mKind(Kind::Wide), mPointer(s), mLength(s ? std::char_traits<char16_t>::length(s) : 0) {}
    FormatArg(char16_t* s) : FormatArg(static_cast<const char16_t*>(s)) {}
    FormatArg(const std::u16string& s) : mKind(Kind::Wide), mPointer(s.data()), mLength(s.size()) {}
    FormatArg(std::u16string_view s) : mKind(Kind::Wide), mPointer(s.data() ? s.data() : u""), mLength(s.size()) {}
    FormatArg(std::nullptr_t) : mKind(Kind::Pointer), mPointer(nullptr) {}
    template <class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, char16_t>)
    FormatArg(T* p) : mKind(Kind::Pointer), mPointer(p) {}
    template <class E>
        requires std::is_enum_v<E>
    FormatArg(E e) : FormatArg(static_cast<std::underlying_type_t<E>>(e)) {}

    Kind GetKind() const { return mKind; }
    int64_t AsSigned() const;
    uint64_t AsUnsigned() const;
    double AsDouble() const;
    // Text of a string argument; a null C string gives null.
    const void* StringData() const { return mPointer; }
    size_t StringLength() const { return mLength; }
    const void* PointerValue() const { return mKind == Kind::Pointer ? mPointer : nullptr; }

private:
    Kind mKind = Kind::None;
    union {
        int64_t mSigned;
        uint64_t mUnsigned;
        double mDouble;
        const void* mPointer = nullptr;
    };
    size_t mLength = 0;
};

using FormatArgs = std::span<const FormatArg>;

// The longest texts StrFormat and WStrFormat produce; longer results are
// cut there.
constexpr size_t kStrFormatLimit = 1310720;
constexpr size_t kWStrFormatLimit = kStrFormatLimit / 2;

// The printf engine, as C's printf in the "C" locale whatever the user's
// locale. Conversions: d i u o x X c C s S p e E f F g G a A n %, flags
// "-+ #0", width and precision as numbers or '*', sizes hh h l ll L j z t
// I I32 I64 (a plain or 'l' integer is 32 bits). In a narrow format %s
// takes a narrow and %S a wide text; in a wide format %s takes a wide and %S
// a narrow one (%hs and %ls/%ws are always narrow and wide). Wide text in a
// narrow result is converted as WStringToString does, narrow text in a wide
// result as StringToWString does.
//
// Formats at most `limit` characters into `out`, replacing what it held;
// returns false when the whole text did not fit (`out` then holds the first
// `limit` characters).
bool FormatInto(std::string& out, size_t limit, const char* format, FormatArgs args);
bool FormatInto(std::u16string& out, size_t limit, const char16_t* format, FormatArgs args);

// The bounded form: writes at most `count` characters into `buffer` and
// returns the length written, or -1 when the text does not fit. The text is
// terminated when there is room after it.
int FormatBounded(char* buffer, size_t count, const char* format, FormatArgs args);
int FormatBounded(char16_t* buffer, size_t count, const char16_t* format, FormatArgs args);

std::string StrFormatArgs(const char* format, FormatArgs args);
std::u16string WStrFormatArgs(const char16_t* format, FormatArgs args);

// Captures a call's arguments for the engine:
//   FormatArgList list(args...); Use(list.Args());
template <size_t N>
class FormatArgList {
public:
    template <class... A>
    explicit FormatArgList(const A&... a) : mArgs{FormatArg(a)...} {}
    FormatArgs Args() const { return FormatArgs(mArgs, N); }

private:
    FormatArg mArgs[N == 0 ? 1 : N];
};
template <class... A>
FormatArgList(const A&...) -> FormatArgList<sizeof...(A)>;

template <class... A>
std::string StrFormat(const char* format, const A&... args)
{
    FormatArgList list(args...);
    return StrFormatArgs(format, list.Args());
}

template <class... A>
std::u16string WStrFormat(const char16_t* format, const A&... args)
{
    FormatArgList list(args...);
    return WStrFormatArgs(format, list.Args());
}

} // namespace Quib
