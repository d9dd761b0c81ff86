// Text helpers fed with arbitrary bytes: the codecs, the hexadecimal
// profile-value codec, the number and list readers, the tokenizer, path joining and the printf engine with an
// arbitrary format.
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProfAnyVal.h"
#include "framework/files/StringTokenizer.h"
#include "framework/files/StringUtils.h"
#include "platform/TextCodecs.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace Quib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    std::u16string wide = Utf8ToUtf16(text);
    if (Utf8ToUtf16(Utf16ToUtf8(wide)) != wide)
        std::abort();
    if (Windows1252ToUtf16(Utf16ToWindows1252(Windows1252ToUtf16(text))) != Windows1252ToUtf16(text))
        std::abort();

    const std::u16string decoded = HexDecodeW(text);
    if (decoded.size() != size / 4 || HexDecodeW(HexEncodeW(decoded)) != decoded)
        std::abort();
    if (HexDecodeW(HexEncodeW(wide)) != wide)
        std::abort();

    ParseFloatRanges(text);
    std::vector<int> ints;
    StringToIntVector(text, ints);
    StringToInt(text);
    StringToFloat(text);
    int a = 0, b = 0, c = 0, d = 0;
    ParseIntQuad(text, a, b, c, d);
    StringTokenizer tokens(text);
    tokens.skipEmpty = (size & 1) != 0;
    std::string token;
    for (int i = 0; tokens.Next(&token); ++i)
        if (i > static_cast<int>(size) + 1)
            std::abort(); // the walk must end

    size_t half = size / 2;
    NormalizePath(text.substr(0, half), text.substr(half));

    // The format is the input itself; the arguments are of every kind.
    std::string format = text.substr(0, text.find('\0'));
    std::string out = StrFormat(format.c_str(), 42, -7LL, 3.25, "str", u"wide", 'c', nullptr, 1e300, 0u);
    if (out.size() > kStrFormatLimit)
        std::abort();
    std::u16string wformat = Windows1252ToUtf16(format);
    WStrFormat(wformat.c_str(), u"w", "n", 1.5, 99, static_cast<void*>(nullptr));
    return 0;
}
