// Loads any bytes through the pak layer as an 8-bit and as a 16-bit ini
// document, writes each back and reads that again: every key must keep its
// section, name and value (comments may settle differently in files with
// mixed line ends).
#include "FuzzSupport.h"
#include "framework/files/IniFile.h"
#include "tests/files/IniTestUtil.h"

#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

using namespace Quib;

using Testing::ParseInto;

template <class CharT> std::string Bytes(const std::basic_string<CharT>& text)
{
    if constexpr (sizeof(CharT) == 1)
        return text;
    else
        return "\xFF\xFE" + Testing::Utf16Bytes(text);
}

template <class CharT> auto Keys(BasicIniDocument<CharT>& doc)
{
    std::vector<std::tuple<std::basic_string<CharT>, std::basic_string<CharT>, std::basic_string<CharT>>> keys;
    for (auto it = BasicIniIterator<CharT>::BeginMasked(doc, INI_KEY); it != BasicIniDocument<CharT>::End();
         it.Advance())
        keys.emplace_back(doc.SectionAt(it.SectionIndex())->name, it.Name(), it.Value());
    return keys;
}

template <class CharT> void RoundTrip()
{
    std::conditional_t<sizeof(CharT) == 1, IniDocument, IniDocumentW> first;
    bool opened;
    if constexpr (sizeof(CharT) == 1)
        opened = LoadIniFile(first, "data\\fuzz.ini");
    else
        opened = LoadIniFileW(first, "data/FUZZ.ini");
    if (!opened)
        Fuzz::Fail("archive member not opened");
    const auto text = IniFormatDocument(first);
    BasicIniDocument<CharT> second;
    ParseInto(second, Bytes(text));
    if (Keys(second) != Keys(first))
        Fuzz::Fail("written document read back differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::FuzzPak pak({{"data\\fuzz.ini", std::string(Fuzz::Text(data, size)), {}}});
    RoundTrip<char>();
    RoundTrip<char16_t>();
    return 0;
}
