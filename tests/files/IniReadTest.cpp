#include "framework/files/IniReadIterator.h"
#include "tests/files/IniTestUtil.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

struct ReadCase {
    const char* label;
    std::string text;
    std::string expected;
};

TEST(IniRead, EntriesSectionsAndFlags)
{
    const ReadCase cases[] = {
        {"section names without regard to case", "[A]\r\nx=1\r\n[a]\r\ny=2\r\n", "[A] x=1 y=2"},
        {"first key of a name wins", "[S]\nX=1\nx=2\n", "[S] X=1"},
        {"escaped hash", "[S]\nk = a \\# b\n", "[S] k=a # b"},
        {"hash comment after a value", "[S]\nk = a # b\n", "[S] k=a #0{# b}"},
        {"continuation LF", "[S]\nk=a\\\nw\n", "[S] k=aw"},
        {"continuation CR LF", "[S]\r\nk=a\\\r\nw\r\n", "[S] k=aw"},
        {"continuation swallows one line end only", "[S]\nk=a\\\n\nw\n", "[S] k=a w="},
        {"double slash starts a comment", "[S]\nurl = http://x.y/z\n", "[S] url=http: #0{//x.y/z}"},
        {"block comment then a key", "/* c */k=1\n", "[] #3{/* c */} k=1"},
        {"block comment closed at once", "/*/k=1", "[] #3{/*/} k=1"},
        {"block comment over lines", "/* a\nb */\nk=1", "[] #1{/* a\nb */} k=1"},
        {"text after the bracket, no bracket", "[S] junk\n[ T2 \nk=1", "[S]|[T2] k=1"},
        {"leading comments go to the unnamed section", "# one\n; two\n[S]\nk=1\n",
         "[] #1{# one} #1{; two}|[S] k=1"},
        {"comment on the section line", "[S] ; c\nk=1", "[S] #0{; c} k=1"},
        {"line comment keeps slashes and backslashes", "# a/b\\c //d\n", "[] #1{# a/b\\c //d}"},
        {"line comment continued", "# a\\\nb\nk=1", "[] #1{# ab} k=1"},
        {"key before any section", "k=1\n[S]\nj=2", "[] k=1|[S] j=2"},
        {"empty section name goes first", "[A]\nx=1\n[]\nk=2", "[] k=2|[A] x=1"},
        {"value keeps = and brackets", "k=[a]=b", "[] k=[a]=b"},
        {"key with an empty name", "=v", "[] =v"},
        {"section line holding =", "[a=b]\n", "[a=b]"},
        {"blank lines only", "\n\n  \t\n", ""},
        {"lone slashes in a value", "k=a/b/\n", "[] k=a/b/"},
        {"slash at the end of the file", "k=a/", "[] k=a/"},
        {"name trimmed at the end, value at both", "  k \t=  v w \t\n", "[] k=v w"},
        {"escaped blanks are kept", "k= \\ a\\  \n", "[] k= a "},
        {"escapes", "k=\\n\\r\\#\\;\\\\\\/x\n", "[] k=\n\r#;\\/x"},
        {"mid-file comment after an entry", "k=1;c\nj=2", "[] k=1 #0{;c} j=2"},
        // A repeated section line sends what follows into that section.
        {"repeated section", "[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n", "[A] x=1 z=3|[B] y=2"},
        // A comment on its own line after a trailing "//" comment begins its line.
        {"comment after a trailing double slash comment", "[S]\nk=1 // c\n/* d */ x=5\n",
         "[S] k=1 #0{// c} #3{/* d */} x=5"},
        {"hash after a trailing double slash comment", "k=1 // c\n# d\n", "[] k=1 #0{// c} #1{# d}"},
    };
    for (const ReadCase& c : cases) {
        IniDocument doc;
        ParseInto(doc, c.text);
        EXPECT_EQ(Describe(doc), c.expected) << c.label;
    }
}

TEST(IniRead, LineEndStyleIsDetected)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a=1\nb=2\n", "\n"},
        {"a=1\r\nb=2\r\n", "\r\n"},
        {"a=1\n\rb=2", "\n\r"},
        {"a=1\n\nb=2", "\n"},
        {"a=1", "\r\n"},
    };
    for (const auto& [text, lineEnd] : cases) {
        IniDocument doc;
        ParseInto(doc, text);
        EXPECT_EQ(doc.LineEnd(), lineEnd) << text;
    }
    // A file without line ends keeps the line end of the one before.
    IniDocument doc;
    ParseInto(doc, "a=1\nb=2\n");
    ParseInto(doc, "c=3");
    EXPECT_EQ(doc.LineEnd(), "\n");
    EXPECT_EQ(Describe(doc), "[] c=3");
}

TEST(IniRead, SixteenBitTextDropsOnlyARealByteOrderMark)
{
    const std::u16string text = u"[S]\r\nname=\u00e9\U0001F600x\r\n";
    const std::u16string value = u"\u00e9\U0001F600x";
    for (bool bom : {true, false}) {
        std::string bytes = (bom ? std::string("\xFF\xFE") : std::string()) + Utf16Bytes(text);
        IniDocumentW doc;
        ParseInto(doc, bytes);
        IniIteratorW it = doc.FindKey(u"s", u"NAME");
        ASSERT_NE(it, IniDocumentW::End()) << bom;
        EXPECT_EQ(it.Value(), value);
        EXPECT_EQ(doc.SectionAt(0)->name, u"S") << bom;
    }
    // An odd size ends at the last whole character.
    IniDocumentW doc;
    ParseInto(doc, "\xFF\xFE" + Utf16Bytes(u"k=ab") + "c");
    EXPECT_EQ(doc.FindKey(u"", u"k").Value(), u"ab");
    EXPECT_TRUE(doc.Contains("", "K"));
    EXPECT_FALSE(doc.Contains("", "j"));
}

TEST(IniRead, ScanningWithoutInsertingVisitsEveryEntry)
{
    IniDocument doc;
    ParseInto(doc, "[Keep]\nz=9");
    std::istringstream in("# c\n[Main]\nName=0041\nCRC=12\n");
    IniStdIStream source(in);
    std::string seen;
    for (auto it = IniReadIterator::Start(doc, source); it != IniDocument::End(); it.Advance())
        seen += std::to_string(it.State()) + ":" + it.Name() + "=" + it.Value() + ";";
    EXPECT_EQ(seen, "4:# c=;1:Main=;2:Name=0041;2:CRC=12;");
    EXPECT_EQ(Describe(doc), "[Keep] z=9");

    // Staying within a section: the next section line ends the scan.
    std::istringstream in2("[Main]\nName=0041\n# c\nCRC=12\n[Other]\nx=1\n");
    IniStdIStream source2(in2);
    auto it = IniReadIterator::Start(doc, source2);
    EXPECT_EQ(it.Name(), "Main");
    it.SetMask(INI_KEY | INI_IN_SECTION);
    seen.clear();
    for (it.Advance(); it != IniDocument::End(); it.Advance())
        seen += it.Name() + ";";
    EXPECT_EQ(seen, "Name;CRC;");
}

TEST(IniRead, ValuesAsNumbers)
{
    IniDocument doc;
    ParseInto(doc, "[S]\na= -12x\nb=x1\nc=\n");
    EXPECT_EQ(IniEntry::GetValueInt(doc.FindKey("S", "a")), -12);
    EXPECT_EQ(IniEntry::GetValueInt(doc.FindKey("S", "b")), 0);
    EXPECT_EQ(IniEntry::GetValueInt(doc.FindKey("S", "c")), 0);
    EXPECT_EQ(IniEntry::GetValue(doc.FindKey("S", "a")), "-12x");
    EXPECT_EQ(IniEntry::GetValueInt(doc.FindKey("S", "missing")), 0);
    IniDocumentW wide;
    ParseInto(wide, Utf16Bytes(u"\uFEFFk=42\u00e9"));
    EXPECT_EQ(IniEntryW::GetValueInt(wide.FindKey(u"", u"k")), 42);
}

} // namespace
} // namespace Quib
