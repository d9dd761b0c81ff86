#include "framework/files/PakArchiveWriter.h"
#include "framework/files/XMLParser.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Readable form of a 16-bit text: ASCII as is, the rest as \uXXXX.
std::string Show(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c >= 32 && c < 127) {
            out.push_back(char(c));
        } else {
            char buffer[8];
            snprintf(buffer, sizeof buffer, "\\u%04X", unsigned(c));
            out += buffer;
        }
    }
    return out;
}

// One line per element: type, value, attributes in written order and,
// for instructions and comments, the instruction text after a '|'.
std::string Describe(const XMLElement& e)
{
    std::string out = std::to_string(e.mType) + " " + Show(e.mValue);
    for (const std::u16string& name : e.mAttributeOrder)
        out += " " + Show(name) + "=" + Show(e.mAttributes.at(name));
    if (e.mType == XMLElement::TYPE_INSTRUCTION || e.mType == XMLElement::TYPE_COMMENT)
        out += "|" + Show(e.mInstruction);
    return out;
}

struct ParseResult {
    std::vector<std::string> elements;
    std::vector<std::string> sectionsAfter; // parser section path after each element
    bool failed = false;
    std::string error;
    int line = 0;
};

ParseResult ParseFile(const std::string& path, bool allowComments = false)
{
    ParseResult result;
    XMLParser parser;
    parser.mAllowComments = allowComments;
    if (!parser.OpenFile(path)) {
        result.failed = true;
        result.error = Show(parser.GetErrorText());
        return result;
    }
    XMLElement e;
    int guard = 0;
    while (parser.NextElement(&e) && ++guard < 1000) {
        result.elements.push_back(Describe(e));
        result.sectionsAfter.push_back(Show(e.mSection));
    }
    result.failed = parser.mHasFailed;
    result.error = Show(parser.GetErrorText());
    result.line = parser.mLineNum;
    return result;
}

ParseResult ParseText(const std::string& bytes, bool allowComments = false)
{
    TempDir dir;
    return ParseFile(dir.WriteFile("doc.xml", bytes), allowComments);
}

struct SnippetCase {
    const char* name;
    const char* text;
    std::vector<std::string> elements;
    const char* error; // empty: the document ends cleanly
    int errorLine = 0;
};

TEST(XMLParser, SnippetsGiveTheirElementSequence)
{
    const SnippetCase cases[] = {
        {"attributes and collapsed text", "<a b=\"c\" d=e>x  y</a>", {"1 a b=c d=e", "3 x y", "2 a"}, ""},
        {"self-closing", "<a/>", {"1 a", "2 a"}, ""},
        {"self-closing after a blank", "<a />", {"1 a", "2 a"}, ""},
        {"self-closing after a quoted value", "<a b=\"c\"/>", {"1 a b=c", "2 a"}, ""},
        {"self-closing after a blank and an attribute", "<a b=\"c\" />", {"1 a b=c", "2 a"}, ""},
        {"quoted value ending in a slash closes the tag", "<a b=\"data/\">", {"1 a b=data", "2 a"}, ""},
        {"blanks around the equals sign", "<a b = \"c d\" e=\"x=y\">", {"1 a b=c d e=x=y"}, ""},
        {"unquoted value after a blank", "<a b= c>", {"1 a b=c"}, ""},
        {"empty quoted value", "<a b=\"\" c=\"1\">", {"1 a b= c=1"}, ""},
        {"repeated attribute", "<a b=\"1\" b=\"2\">", {"1 a b=2 b=2"}, ""},
        {"quotes in text keep their brackets", "<t>say \"<b> & >\" now</t>", {"1 t", "3 say \"<b> & >\" now", "2 t"}, ""},
        {"text is trimmed", "<t>\n   one \t two  \n</t>", {"1 t", "3 one two", "2 t"}, ""},
        {"entities", "<t>&lt;&foo;&amp</t>", {"1 t", "3 <&foo;&amp", "2 t"}, ""},
        {"all named entities", "<t>&lt;&gt;&amp;&quot;&apos;&nbsp;&cr;</t>", {"1 t", "3 <>&\"' \\u000A", "2 t"}, ""},
        {"an ampersand and a later semicolon", "<t>a & b; c</t>", {"1 t", "3 a & b; c", "2 t"}, ""},
        {"entities in attributes", "<a n&amp;m=\"&lt;x&gt;\">", {"1 a n&m=<x>"}, ""},
        {"comment skipped", "<!-- note <x> -->\n<a/>", {"1 a", "2 a"}, ""},
        {"comment without blank is a tag", "<!--c-->", {"1 !--c--"}, ""},
        {"instruction", "<?xml version=\"1.0\"?><r/>", {"4 xml| version=\"1.0\"", "1 r", "2 r"}, ""},
        {"instruction without text", "<?go?>", {"4 go|"}, ""},
        {"nested", "<a><b/><c x=\"1\">t</c></a>", {"1 a", "1 b", "2 b", "1 c x=1", "3 t", "2 c", "2 a"}, ""},
        {"empty document", "", {}, ""},
        {"only blanks", " \r\n\t ", {}, ""},
        {"end tag that does not match", "<a>\n\n</b>", {"1 a"}, "End 'b' Doesn't Match Start 'a'", 3},
        {"end tag with nothing open", "\n</a>", {}, "Unexpected End", 2},
        {"end of file inside a tag", "<a b=\"c\"", {}, "Unexpected End of File", 1},
        {"end of file inside text", "<a>text", {"1 a"}, "Unexpected End of File", 1},
        {"end of file inside a comment", "<!-- open", {}, "Unexpected End of File", 1},
        {"stray greater-than", "<a>\nx > y</a>", {"1 a"}, "Unexpected '>'", 2},
        {"less-than inside a tag", "<a<", {}, "Unexpected '<'", 1},
        {"control character", "<a>\x01</a>", {"1 a"}, "Illegal Character", 1},
        {"open quote runs to the end", "<a>5\" long</a>", {"1 a"}, "Unexpected End of File", 1},
    };
    for (const SnippetCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParseResult r = ParseText(c.text);
        EXPECT_EQ(r.elements, c.elements);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.failed, std::string(c.error) != "");
        if (c.errorLine) {
            EXPECT_EQ(r.line, c.errorLine);
        }
    }
}

TEST(XMLParser, SectionPathFollowsTheOpenTags)
{
    TempDir dir;
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.WriteFile("doc.xml", "<a><b>x</b></a>")));
    XMLElement e;
    std::vector<std::string> sections;
    while (parser.NextElement(&e))
        sections.push_back(Show(e.mSection));
    // The section of an element is the path when it began.
    EXPECT_EQ(sections, (std::vector<std::string>{"", "a", "a/b", "a/b", "a"}));
    EXPECT_FALSE(parser.mHasFailed);
}

TEST(XMLParser, KeptCommentsAreReturned)
{
    ParseResult r = ParseText("<!-- a -- b -->", true);
    EXPECT_EQ(r.elements, (std::vector<std::string>{"5 !--|a -- b "}));
}

TEST(XMLParser, ErrorStopsTheParser)
{
    TempDir dir;
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.WriteFile("doc.xml", "</a><b/>")));
    XMLElement e;
    EXPECT_FALSE(parser.NextElement(&e));
    EXPECT_TRUE(parser.mHasFailed);
    EXPECT_FALSE(parser.NextElement(&e));
    EXPECT_EQ(Show(parser.GetErrorText()), "Unexpected End");
}

TEST(XMLParser, MissingFile)
{
    XMLParser parser;
    EXPECT_FALSE(parser.OpenFile("no\\such\\file.xml"));
    EXPECT_EQ(Show(parser.GetErrorText()), "Unable to open file no\\such\\file.xml");
    EXPECT_EQ(parser.mLineNum, 0);
    EXPECT_TRUE(parser.mHasFailed);
    XMLElement e;
    EXPECT_FALSE(parser.NextElement(&e));
}

TEST(XMLParser, OpenResetsTheState)
{
    TempDir dir;
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.WriteFile("bad.xml", "<a>\n</b>")));
    XMLElement e;
    while (parser.NextElement(&e)) {
    }
    ASSERT_TRUE(parser.mHasFailed);
    ASSERT_TRUE(parser.OpenFile(dir.WriteFile("good.xml", "<c/>")));
    EXPECT_FALSE(parser.mHasFailed);
    EXPECT_EQ(parser.mLineNum, 1);
    EXPECT_EQ(parser.GetFileName(), dir / "good.xml");
    ASSERT_TRUE(parser.NextElement(&e));
    EXPECT_EQ(Describe(e), "1 c");
    EXPECT_EQ(Show(e.mSection), "");
}

std::string Utf16(const std::u16string& text, bool bigEndian, bool bom = true)
{
    std::string out;
    auto put = [&](char16_t c) {
        if (bigEndian) {
            out.push_back(char(c >> 8));
            out.push_back(char(c & 0xFF));
        } else {
            out.push_back(char(c & 0xFF));
            out.push_back(char(c >> 8));
        }
    };
    if (bom)
        put(0xFEFF);
    for (char16_t c : text)
        put(c);
    return out;
}

const char kAsciiDoc[] = "<?xml version=\"1.0\"?>\n<res id=\"x&amp;y\">\n  <img path=\"a\\b.png\"/>\n  some text\n</res>\n";
const char16_t kAsciiDoc16[] = u"<?xml version=\"1.0\"?>\n<res id=\"x&amp;y\">\n  <img path=\"a\\b.png\"/>\n  some text\n</res>\n";

TEST(XMLParser, EveryEncodingReadsTheSameElements)
{
    ParseResult plain = ParseText(kAsciiDoc);
    ASSERT_FALSE(plain.failed) << plain.error;
    EXPECT_EQ(plain.elements, (std::vector<std::string>{"4 xml| version=\"1.0\"", "1 res id=x&y", "1 img path=a\\b.png",
                                                        "2 img", "3 some text", "2 res"}));
    const std::pair<const char*, std::string> variants[] = {
        {"utf-8 with bom", "\xEF\xBB\xBF" + std::string(kAsciiDoc)},
        {"utf-16 little-endian", Utf16(kAsciiDoc16, false)},
        {"utf-16 big-endian", Utf16(kAsciiDoc16, true)},
        {"crlf", [] {
             std::string s;
             for (char c : std::string(kAsciiDoc)) {
                 if (c == '\n')
                     s += '\r';
                 s += c;
             }
             return s;
         }()},
    };
    for (const auto& [name, bytes] : variants) {
        SCOPED_TRACE(name);
        ParseResult r = ParseText(bytes);
        EXPECT_FALSE(r.failed) << r.error;
        EXPECT_EQ(r.elements, plain.elements);
        EXPECT_EQ(r.line, plain.line);
    }
}

TEST(XMLParser, NonAsciiTextInEachEncoding)
{
    // e acute, euro sign and a character beyond 16 bits (kept as a pair).
    const std::u16string text = u"<t v=\"\u00E9\">\u20AC \U0001F600</t>";
    const std::vector<std::string> expected = {"1 t v=\\u00E9", "3 \\u20AC \\uD83D\\uDE00", "2 t"};
    std::string utf8 = "\xEF\xBB\xBF<t v=\"\xC3\xA9\">\xE2\x82\xAC \xF0\x9F\x98\x80</t>";
    EXPECT_EQ(ParseText(utf8).elements, expected);
    EXPECT_EQ(ParseText(Utf16(text, false)).elements, expected);
    EXPECT_EQ(ParseText(Utf16(text, true)).elements, expected);
    // Without a mark every byte is one character.
    EXPECT_EQ(ParseText("<t>\xE9</t>").elements, (std::vector<std::string>{"1 t", "3 \\u00E9", "2 t"}));
}

TEST(XMLParser, MalformedInputIsAnError)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"utf-8 lone continuation byte", "\xEF\xBB\xBF\x80", "Illegal Character"},
        {"utf-8 overlong two-byte form", "\xEF\xBB\xBF\xC0\x80", "Illegal Character"},
        {"utf-8 overlong three-byte form", "\xEF\xBB\xBF\xE0\x80\x80", "Illegal Character"},
        {"utf-8 encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", "Illegal Character"},
        {"utf-8 U+FFFE", "\xEF\xBB\xBF\xEF\xBF\xBE", "Illegal Character"},
        {"utf-8 cut inside a sequence", "\xEF\xBB\xBF<a>x\xE2\x82", "Unexpected End of File"},
        {"utf-8 bad byte inside a tag", "\xEF\xBB\xBF<a\xFF>", "Unexpected End of File"},
        {"utf-16 unpaired high surrogate at the end", Utf16(u"<a/>", false) + "\x3D\xD8", "Illegal Character"},
        {"utf-16 high surrogate then a plain unit", Utf16(u"<a>x", false) + std::string("\x3D\xD8x\0", 4),
         "Unexpected End of File"},
        {"utf-16 lone low surrogate", Utf16(u"<a/>", true) + "\xDC\x00", "Illegal Character"},
        {"utf-16 cut inside a tag", Utf16(u"<a b=\"c", false), "Unexpected End of File"},
        {"utf-16 odd last byte", Utf16(u"<a/>", false) + "x", "Illegal Character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParseResult r = ParseText(c.bytes);
        EXPECT_TRUE(r.failed);
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(XMLParser, LeadingCarriageReturnsAreKept)
{
    ParseResult r = ParseText("\r\n\r\n<a>\r\n</a>");
    EXPECT_FALSE(r.failed) << r.error;
    EXPECT_EQ(r.elements, (std::vector<std::string>{"1 a", "2 a"}));
    EXPECT_EQ(r.line, 4);
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

TEST(XMLParser, PakMemberAndDiskFileReadTheSame)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    ScopedPak pak;
    const std::string doc = WithCrLf(kAsciiDoc);
    const std::string leadingBreaks = "\r\n\r\n" + doc;
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", {{"data\\properties\\resources.xml", doc, {}},
                                                   {"data\\lead.xml", leadingBreaks, {}}}));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    dir.WriteFile("disk/resources.xml", doc);
    dir.WriteFile("disk/lead.xml", leadingBreaks);

    ParseResult member = ParseFile("Data/Properties/RESOURCES.xml");
    ParseResult disk = ParseFile("disk\\resources.xml");
    ParseResult plain = ParseText(kAsciiDoc);
    EXPECT_FALSE(member.failed) << member.error;
    EXPECT_EQ(member.elements, plain.elements);
    EXPECT_EQ(disk.elements, plain.elements);
    EXPECT_EQ(member.line, plain.line);
    EXPECT_EQ(disk.line, plain.line);

    // Carriage returns at the very start are not lost to the byte-order probe.
    ParseResult memberLead = ParseFile("data\\lead.xml");
    ParseResult diskLead = ParseFile("disk/lead.xml");
    EXPECT_FALSE(memberLead.failed) << memberLead.error;
    EXPECT_EQ(memberLead.elements, plain.elements);
    EXPECT_EQ(diskLead.elements, plain.elements);
    EXPECT_EQ(memberLead.line, plain.line + 2);
    EXPECT_EQ(diskLead.line, plain.line + 2);
}

TEST(XMLParser, Utf16PakMember)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    ScopedPak pak;
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", {{"doc.xml", Utf16(u"\r\n<t>\u20AC</t>", true), {}}}));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    ParseResult r = ParseFile("DOC.XML");
    EXPECT_FALSE(r.failed) << r.error;
    EXPECT_EQ(r.elements, (std::vector<std::string>{"1 t", "3 \\u20AC", "2 t"}));
}

TEST(XMLParser, LineFeedInsideQuotesIsStoredAsOne)
{
    ParseResult r = ParseText("<a b=\"1\r\n2\"/>");
    EXPECT_EQ(r.elements, (std::vector<std::string>{"1 a b=1\\u000A2", "2 a"}));
}

TEST(XMLParser, DecodeEntities)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},
        {u"&", u"&"},
        {u"&lt", u"&lt"},
        {u"&lt;", u"<"},
        {u"&&lt;", u"&<"},
        {u"&LT;", u"&LT;"},
        {u"&;", u"&;"},
        {u"x &nbsp;y&cr;", u"x  y\n"},
        {u"&amp;lt;", u"&lt;"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(XMLDecodeEntities(in), out) << Show(in);
}

} // namespace
} // namespace Quib
