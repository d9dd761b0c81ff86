// Reads any bytes as an 8-bit and as a 16-bit ini document, writes each
// back and reads that again: every key must keep its section, name and
// value (comments may settle differently in files with mixed line ends).
#include "framework/files/IniDocument.h"
#include "framework/files/IniFile.h"
#include "framework/files/IniStdIFile.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace Quib;

template <class CharT> std::string Bytes(const std::basic_string<CharT>& text)
{
    if constexpr (sizeof(CharT) == 1) {
        return text;
    } else {
        std::string bytes = "\xFF\xFE";
        for (char16_t c : text) {
            bytes += char(c & 0xFF);
            bytes += char(c >> 8);
        }
        return bytes;
    }
}

template <class CharT> void Read(BasicIniDocument<CharT>& doc, const std::string& bytes)
{
    std::istringstream in(bytes);
    IniStdIStream source(in);
    doc.Load(&source);
}

template <class CharT> auto Keys(BasicIniDocument<CharT>& doc)
{
    std::vector<std::tuple<std::basic_string<CharT>, std::basic_string<CharT>, std::basic_string<CharT>>> keys;
    for (auto it = BasicIniIterator<CharT>::BeginMasked(doc, INI_KEY); it != BasicIniDocument<CharT>::End();
         it.Advance())
        keys.emplace_back(doc.SectionAt(it.SectionIndex())->name, it.Name(), it.Value());
    return keys;
}

template <class CharT> void RoundTrip(const std::string& input)
{
    BasicIniDocument<CharT> first;
    Read(first, input);
    const auto text = IniFormatDocument(first);
    BasicIniDocument<CharT> second;
    Read(second, Bytes(text));
    if (Keys(second) != Keys(first))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    RoundTrip<char>(input);
    RoundTrip<char16_t>(input);
    return 0;
}
