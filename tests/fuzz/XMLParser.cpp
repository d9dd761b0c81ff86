// Parses any bytes as an XML file from a pak archive until the end or the
// first error, once as the defaults have it and once with comments handed
// out and the encoding forced to UTF-8 (no byte-order-mark probe).
#include "FuzzSupport.h"
#include "framework/files/XMLParser.h"

namespace {

void ParseAll(size_t size, bool allowComments, bool forcedEncoding)
{
    Quib::XMLParser parser;
    parser.mAllowComments = allowComments;
    parser.mForcedEncoding = forcedEncoding;
    if (!parser.OpenFile("data\\fuzz.xml"))
        Quib::Fuzz::Fail("archive member not opened");
    Quib::XMLElement element;
    size_t count = 0;
    while (parser.NextElement(&element)) {
        // Every element takes at least one character of the input, the
        // end tags of self-closing tags aside.
        if (++count > 2 * size + 2)
            Quib::Fuzz::Fail("more elements than the input can hold");
        if (element.mType == Quib::XMLElement::TYPE_COMMENT && !allowComments)
            Quib::Fuzz::Fail("a comment was handed out");
    }
    if (parser.mHasFailed && parser.GetErrorText().empty())
        Quib::Fuzz::Fail("failed without an error text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib::Fuzz;
    FuzzPak pak({{"data\\fuzz.xml", std::string(Text(data, size)), {}}});
    ParseAll(size, false, false);
    ParseAll(size, true, true);
    return 0;
}
