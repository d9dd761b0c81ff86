#include "framework/files/IniFile.h"
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/ProfAnyVal.h"
#include "tests/files/IniTestUtil.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>

namespace Quib {
namespace {

using namespace Testing;

struct IniFileFixture : ::testing::Test {
    TempDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};

    std::string Saved(const IniDocument& doc)
    {
        EXPECT_TRUE(SaveIniFile("out.ini", doc));
        return TempDir::ReadFile(dir / "out.ini");
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The document of the writer's example: a comment in the unnamed section,
// Main with a and b, S with c.
template <class Doc> void BuildExample(Doc& doc, auto str)
{
    typename Doc::Entry comment;
    comment.kind = INI_COMMENT;
    comment.name = str("; made by hand");
    comment.flags = INI_COMMENT_LINE_START;
    doc.InsertEntry(comment, Doc::End());
    doc.GetOrAddKey(doc.AddSection(str("Main")), str("a")).SetValue(str("1"));
    doc.GetOrAddKey(doc.FindSection(str("Main")), str("b")).SetValue(str("two"));
    doc.GetOrAddKey(doc.AddSection(str("S")), str("c")).SetValue(str("3"));
}

const char kExample[] = "; made by hand\r\n\r\n[Main]\r\na=1\r\nb=two\r\n\r\n[S]\r\nc=3";

TEST_F(IniFileFixture, WriterOutputByteForByte)
{
    IniDocument doc;
    BuildExample(doc, [](const char* s) { return std::string(s); });
    EXPECT_EQ(Saved(doc), kExample);

    IniDocumentW wide;
    BuildExample(wide, [](const char* s) { return StringToWString(s); });
    ASSERT_TRUE(SaveIniFileW("wide.ini", wide));
    EXPECT_EQ(TempDir::ReadFile(dir / "wide.ini"), "\xFF\xFE" + Utf16Bytes(StringToWString(kExample)));

    IniDocument empty;
    EXPECT_EQ(Saved(empty), "");
    IniDocumentW emptyWide;
    ASSERT_TRUE(SaveIniFileW("wide.ini", emptyWide));
    EXPECT_EQ(TempDir::ReadFile(dir / "wide.ini"), "\xFF\xFE");
}

TEST_F(IniFileFixture, EscapesAreWrittenAndReadBack)
{
    IniDocument doc;
    const std::string value = "a\nb\rc#d;e\\f/g";
    doc.AddKey("k", value, IniDocument::End());
    EXPECT_EQ(Saved(doc), "k=a\\nb\\rc\\#d\\;e\\\\f\\/g");
    IniDocument back;
    ASSERT_TRUE(LoadIniFile(back, "out.ini"));
    EXPECT_EQ(back.FindKey("", "k").Value(), value);
}

TEST_F(IniFileFixture, TextFilesComeBackByteForByte)
{
    const std::string texts[] = {
        "[S]\nk=1# same line\nj=2\n\n[T]\nx=y",
        "# head\r\n\r\n[S]\r\nk=1\r\n/* block */j=2\r\n\r\n[T]; note\r\nx=\\/\\/y",
        "[S]\nk=1// trailing\n# own line\nj=2",
    };
    for (const std::string& text : texts) {
        TempDir::ReadFile(dir.WriteFile("in.ini", text));
        ClearDirectoryCache();
        IniDocument doc;
        ASSERT_TRUE(LoadIniFile(doc, "IN.INI"));
        EXPECT_EQ(Saved(doc), text);
    }
}

// Read, write, read: the entries keep their order and place, also where
// the first file was untidy (a comment cut off by the end of the file is
// closed, flags follow what the writer put on each line).
TEST_F(IniFileFixture, StructureSurvivesRewriting)
{
    const std::pair<const char*, const char*> cases[] = {
        // A comment after a trailing line comment goes onto a line of its own.
        {"[A]// c\n[B]\n[a]/* x */ k=1", "[A] #0{// c} #3{/* x */} k=1|[B]"},
        {"[A]\n[B]\n[a]\n/* never closed", "[A] #1{/* never closed*/}|[B]"},
        {"[A]\n[B]\n[a]\n# ends in a backslash\\", "[A] #1{# ends in a backslash\\ }|[B]"},
        {"[A]\nk=1 // c\n/* d */ x=5\n", "[A] k=1 #0{// c} #3{/* d */} x=5"},
        {"x=1\n[A]\n[]\ny=2\n", "[] x=1 y=2|[A]"},
    };
    for (const auto& [text, expected] : cases) {
        IniDocument doc;
        ParseInto(doc, text);
        ASSERT_TRUE(SaveIniFile("s.ini", doc));
        IniDocument back;
        ASSERT_TRUE(LoadIniFile(back, "s.ini"));
        EXPECT_EQ(Describe(back), expected) << text;
        ASSERT_TRUE(SaveIniFile("t.ini", back));
        EXPECT_EQ(TempDir::ReadFile(dir / "t.ini"), TempDir::ReadFile(dir / "s.ini")) << text;
    }
}

// Values that the plain format would lose: comment openers, blanks at the
// ends, escapes, line ends, bytes above 0x7F.
const std::string kHardValues[] = {
    "",
    "<scene a=\"1\"><!-- http://example.org/x --></scene>",
    "/* not a comment */",
    "a//b",
    "a/",
    "/",
    "ends with a backslash\\",
    "  two blanks around  ",
    "\ttab\t",
    " ",
    "line one\r\nline two\nline three\r",
    "# hash ; semicolon [brackets] = equals",
    "\xE9t\xE9 \x80\xFF",
    "\\n is not a line end",
};

TEST_F(IniFileFixture, HardValuesSurviveSaveAndLoad)
{
    IniDocument doc;
    for (size_t i = 0; i < std::size(kHardValues); ++i)
        doc.AddKey("k" + std::to_string(i), kHardValues[i], IniDocument::End());
    doc.GetOrAddKey(doc.AddSection("Names # with ; odd / chars"), " key with blanks\\ ").SetValue("v");
    ASSERT_TRUE(SaveIniFile("p.prf", doc));
    IniDocument back;
    ASSERT_TRUE(LoadIniFile(back, "p.prf"));
    EXPECT_EQ(Describe(back), Describe(doc));
    EXPECT_EQ(back.ComputeCrc("CRC"), doc.ComputeCrc("CRC"));
}

TEST_F(IniFileFixture, SixteenBitRoundTripWithSurrogatePair)
{
    IniDocumentW doc;
    const std::u16string value = u" \U0001F600 caf\u00e9 // \u4e2d ";
    doc.GetOrAddKey(doc.AddSection(u"Main"), u"Profile").SetValue(value);
    ASSERT_TRUE(SaveIniFileW("settings.ini", doc));
    IniDocumentW back;
    ASSERT_TRUE(LoadIniFileW(back, "settings.ini"));
    EXPECT_EQ(back.FindKey(u"main", u"profile").Value(), value);
    EXPECT_EQ(back.LineEnd(), u"\r\n");
}

// Random documents of awkward text never change through a save and a load.
TEST(IniWriter, RandomDocumentsRoundTrip)
{
    std::mt19937 rng(1234);
    const std::string alphabet = std::string("ab /\\#;=[]*\t\r\n\x80\xE9", 16) + std::string(1, '\0');
    auto text = [&](size_t maxLength) {
        std::string s;
        for (size_t n = rng() % (maxLength + 1); n > 0; --n)
            s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        IniDocument doc;
        for (int s = 0, sections = int(rng() % 4); s < sections; ++s) {
            IniIterator section = doc.AddSection("S" + std::to_string(s));
            for (int k = 0, keys = int(rng() % 5); k < keys; ++k)
                doc.GetOrAddKey(section, "k" + std::to_string(k)).SetValue(text(12));
        }
        IniDocument back;
        ParseInto(back, IniFormatDocument(doc));
        ASSERT_EQ(Describe(back), Describe(doc)) << "round " << round;
    }
}

TEST_F(IniFileFixture, FailedSaveKeepsTheOldFile)
{
    IniDocument doc;
    doc.AddKey("k", std::string(4096, 'x'), IniDocument::End());
    EXPECT_FALSE(SaveIniFile("no such folder/p.prf", doc));
    EXPECT_EQ(Describe(doc), "[] k=" + std::string(4096, 'x'));

    dir.WriteFile("p.prf", "k=old");
    ClearDirectoryCache();
    // A full disk: every write past 100 bytes fails.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = SaveIniFile("p.prf", doc);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(TempDir::ReadFile(dir / "p.prf"), "k=old");
    EXPECT_EQ(Names(), std::vector<std::string>{"p.prf"});
}

TEST_F(IniFileFixture, SaveRetriesUnderThePathAlias)
{
    ScopedPak pak;
    pak->mPathAliases["GONE\\P.PRF"] = "saves\\p.prf";
    std::filesystem::create_directory(dir / "saves");
    IniDocument doc;
    doc.AddKey("k", "v", IniDocument::End());
    EXPECT_TRUE(SaveIniFile("gone\\p.prf", doc));
    EXPECT_EQ(TempDir::ReadFile(dir / "saves/p.prf"), "k=v");
    // Without an alias a missing folder fails.
    EXPECT_FALSE(SaveIniFile("other\\p.prf", doc));
}

TEST_F(IniFileFixture, LoadThroughThePakLayer)
{
    ScopedPak pak;
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", {{"res\\sounds.ini", "[Click]\r\nfile=a.ogg", {}}}));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    IniDocument doc;
    ASSERT_TRUE(LoadIniFile(doc, "RES/Sounds.ini"));
    EXPECT_EQ(Describe(doc), "[Click] file=a.ogg");
    // A missing file leaves the document as it was.
    EXPECT_FALSE(LoadIniFile(doc, "res\\missing.ini"));
    EXPECT_EQ(Describe(doc), "[Click] file=a.ogg");
}

// Textbook reflected CRC-16 (0xA001, start 0xFFFF, no final XOR) over bytes.
uint16_t TextbookCrc(const std::string& bytes)
{
    uint16_t crc = 0xFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

TEST(IniCrc, ChecksumOfValues)
{
    struct Case {
        const char* text;
        uint16_t expected;
    };
    const Case cases[] = {
        {"[Main]\nv=123456789\nCRC=999", 0x4B37},
        {"[Main]\nCRC=123", 0xFFFF},
        {"", 0xFFFF},
        {"[A]\nx=1234\n[B]\n# 56789\ny=56789", 0x4B37},  // values in order, comments skipped
    };
    for (const Case& c : cases) {
        IniDocument doc;
        ParseInto(doc, c.text);
        EXPECT_EQ(doc.ComputeCrc("CRC"), c.expected) << c.text;
    }
    IniDocument lower;
    ParseInto(lower, "[Main]\ncrc=123");
    EXPECT_EQ(lower.ComputeCrc("CRC"), TextbookCrc("123"));
    // Asked to ignore case, every spelling of the name is skipped, in any section.
    ParseInto(lower, "[Main]\ncrc=123\nv=123456789\n[S]\nCrc=5\nCRC=6");
    EXPECT_EQ(lower.ComputeCrc("CRC", true), 0x4B37);

    IniDocument abc;
    ParseInto(abc, "k=abc");
    EXPECT_EQ(abc.ComputeCrc("CRC"), TextbookCrc("abc"));
    // Bytes above 0x7F are widened with their sign.
    IniDocument accented;
    ParseInto(accented, "k=caf\xE9");
    EXPECT_NE(accented.ComputeCrc("CRC"), TextbookCrc("caf\xE9"));
    uint16_t crc = TextbookCrc("caf");
    crc ^= 0xFFE9;
    for (int i = 0; i < 8; ++i)
        crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    EXPECT_EQ(accented.ComputeCrc("CRC"), crc);
}

TEST(ProfAnyVal, ReadsProfileThenSettings)
{
    IniDocument profile, settings;
    ParseInto(profile, "[Main]\nVolume=3\n");
    ParseInto(settings, "[Main]\nVolume=9\nWindowed=1\n");
    EXPECT_EQ(ProfAnyVal(&profile, &settings, "main", "volume").AnyValGet(), "3");
    EXPECT_EQ(ProfAnyVal(&profile, &settings, "Main", "Windowed").AnyValGet(), "1");
    EXPECT_EQ(ProfAnyVal(nullptr, &settings, "Main", "Volume").AnyValGet(), "9");
    EXPECT_EQ(ProfAnyVal(&profile, &settings, "Main", "Missing").AnyValGet(), "");
    EXPECT_EQ(ProfAnyVal(nullptr, nullptr, "Main", "Volume").AnyValGet(), "");
    std::string out = "x";
    ProfAnyVal(&profile, nullptr, "Main", "Volume").GetString(out);
    EXPECT_EQ(out, "3");
}

TEST(ProfAnyVal, MissingValueIsLogged)
{
    TempDir dir;
    ProcessLog* log = ProcessLog::GetInstance();
    if (!log->Open(dir / "log.html"))
        GTEST_SKIP() << "the process log is already open";
    IniDocument profile;
    ParseInto(profile, "[Main]\nVolume=3\n");
    EXPECT_EQ(ProfAnyVal(&profile, nullptr, "Main", "Missing").AnyValGet(), "");
    std::string html = TempDir::ReadFile(dir / "log.html");
    EXPECT_NE(html.find("src\\Profiles(20)"), std::string::npos) << html;
    EXPECT_NE(html.find("String not found in profile: section=\"Main\"; key=\"Missing\""), std::string::npos);
}

TEST(ProfAnyVal, SetsOnlyTheProfile)
{
    IniDocument profile, settings;
    ParseInto(profile, "[Main]\nVolume=3\n");
    ParseInto(settings, "[Main]\nWindowed=1\n");
    ProfAnyVal(&profile, &settings, "MAIN", "volume").AnyValSet("5");
    ProfAnyVal(&profile, &settings, "Level 2", "Scene").AnyValSet("<a/>");
    ProfAnyVal copy(&profile, &settings, "Main", "Windowed");
    ProfAnyVal second(copy);
    second.AnyValSet("0");
    EXPECT_EQ(Describe(profile), "[Main] Volume=5 Windowed=0|[Level 2] Scene=<a/>");
    EXPECT_EQ(Describe(settings), "[Main] Windowed=1");
    ProfAnyVal(nullptr, &settings, "Main", "Windowed").AnyValSet("7");
    EXPECT_EQ(Describe(settings), "[Main] Windowed=1");
    second.Destroy();
    second.AnyValSet("9");
    EXPECT_EQ(profile.FindKey("Main", "Windowed").Value(), "0");
}

TEST(HexNames, EncodeAndDecode)
{
    EXPECT_EQ(HexEncodeW(u""), "");
    EXPECT_EQ(HexEncodeW(u"A\u00c9\uFFFF"), "004100c9ffff");
    const std::pair<const char*, std::u16string> decoded[] = {
        {"0041abc", u"A"},
        {"00C9", u"\u00c9"},
        {"00c9", u"\u00c9"},
        {"00zz", std::u16string(1, u'\0')},
        {"", u""},
        {"004", u""},
    };
    for (const auto& [digits, text] : decoded)
        EXPECT_EQ(HexDecodeW(digits), std::u16string(text)) << digits;
    const std::u16string name = u"Ana \U0001F600 \u00e9";
    EXPECT_EQ(HexDecodeW(HexEncodeW(name)), name);
}

} // namespace
} // namespace Quib
