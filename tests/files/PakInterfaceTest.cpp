#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>

namespace Quib {
namespace {

using namespace Testing;

std::string ReadAll(PakFile* file)
{
    std::string out;
    char buffer[7]; // odd size: reads cross chunk ends
    size_t n;
    while ((n = PakFRead(buffer, 1, sizeof(buffer), file)) > 0)
        out.append(buffer, n);
    return out;
}

std::string ReadMember(std::string_view name)
{
    PakFile* file = PakFOpen(name);
    if (!file)
        return "<none>";
    std::string bytes = ReadAll(file);
    PakFClose(file);
    return bytes;
}

std::string Unscrambled(std::string bytes)
{
    PakScramble(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

// An archive in a temporary working directory, published for the helpers.
struct PakFixture : ::testing::Test {
    TempDir dir;
    ScopedWorkingDirectory cwd{dir.Path()};
    ScopedPak pak;

    bool Add(const std::string& name, const std::vector<PakMember>& members)
    {
        EXPECT_TRUE(WritePakArchive(dir / name, members));
        return pak->AddPakFile(name);
    }
    // Writes a file behind the file layer's back.
    void Write(std::string_view name, std::string_view bytes)
    {
        dir.WriteFile(name, bytes);
        ClearDirectoryCache();
    }
};

TEST(PakArchiveFormat, WriterProducesTheDocumentedLayout)
{
    std::string archive = Unscrambled(BuildPakArchive({{"a\\b", "xyz", FileTime{0x11223344, 0x55667788}}}));
    const unsigned char expected[] = {
        0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0,           // magic, version
        0, 3, 'a', '\\', 'b', 3, 0, 0, 0,             // flags, name, size
        0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55, // time, low word first
        0x80, 'x', 'y', 'z'};
    EXPECT_EQ(archive, std::string(reinterpret_cast<const char*>(expected), sizeof(expected)));
    // The stored bytes are scrambled with the key.
    EXPECT_EQ(uint8_t(BuildPakArchive({})[0]), 0xC0 ^ PAK_KEY);
    EXPECT_EQ(BuildPakArchive({{std::string(256, 'n'), "", {}}}), "");
}

TEST(PakPath, Normalize)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    const std::string wd = GetWorkingDirectory();
    const struct {
        std::string name;
        std::string expected;
    } cases[] = {
        {"data/gui//x.png", "DATA\\GUI\\X.PNG"},
        {"data\\scenes\\..\\gui\\x.png", "DATA\\GUI\\X.PNG"},
        {"ab\\..\\c", "C"},
        {"a\\.\\b", "A\\B"},
        {"a\\b\\..", "A\\"},
        {"a..b\\c.d", "A..B\\C.D"},
        {wd + "\\data/Gui/X.PNG", "DATA\\GUI\\X.PNG"},
        {wd + "/data\\x", "DATA\\X"},
        {"/elsewhere/data/x", "\\ELSEWHERE\\DATA\\X"},
        {std::string("a\0b", 3), "A"},
        {std::string(259, 'x'), std::string(259, 'X')},
        {std::string(260, 'x'), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizePakPath(c.name), c.expected) << c.name;
}

TEST_F(PakFixture, EveryFormOfTheNameOpensTheSameMember)
{
    ASSERT_TRUE(Add("main.pak", {{"data\\Gui\\X.PNG", "member", {}}}));
    const std::string wd = GetWorkingDirectory();
    for (const std::string& name : std::vector<std::string>{"data/Gui/X.PNG", "DATA\\GUI\\x.png",
                                                            wd + "\\data/Gui/X.PNG", "data\\scenes\\..\\gui\\x.png"})
        EXPECT_EQ(ReadMember(name), "member") << name;

    // Outside the working directory the name is not a member: it opens from disk.
    TempDir other;
    other.WriteFile("data/Gui/X.PNG", "disk");
    EXPECT_EQ(ReadMember(other / "data/Gui/X.PNG"), "disk");
}

TEST_F(PakFixture, ReadModesFindMembersAndWriteModesGoToDisk)
{
    ASSERT_TRUE(Add("main.pak", {{"data\\x.txt", "member", {}}}));
    Write("data/other.txt", "");
    for (const char* mode : {"r", "rb", "rt", "RB", "Rt"}) {
        PakFile* file = pak->FOpen("DATA\\X.TXT", mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_NE(file->mEntry, nullptr) << mode;
        EXPECT_EQ(file->mEntry->mSize, 6);
        pak->FClose(file);
    }
    for (const char* mode : {"w", "wb"}) {
        PakFile* file = pak->FOpen("data\\x.txt", mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_EQ(file->mEntry, nullptr);
        EXPECT_EQ(PakFWrite("disk", 4, file), 4u);
        PakFClose(file);
        EXPECT_EQ(TempDir::ReadFile(dir / "data/x.txt"), "disk");
    }
    PakFile* member = PakFOpen("data\\x.txt");
    EXPECT_EQ(PakFWrite("no", 2, member), 0u); // members are never written
    PakFClose(member);
    EXPECT_EQ(ReadMember("data\\x.txt"), "member");
}

TEST_F(PakFixture, SeekClampsIntoTheMember)
{
    ASSERT_TRUE(Add("main.pak", {{"m", "0123456789", {}}}));
    PakFile* file = PakFOpen("m");
    ASSERT_NE(file, nullptr);
    const struct {
        int32_t offset;
        int origin;
        int32_t expected;
    } cases[] = {
        {-5, SEEK_SET, 0}, {20, SEEK_SET, 10}, {0, SEEK_END, 10}, {-3, SEEK_END, 7},
        {1, SEEK_CUR, 8},  {-100, SEEK_CUR, 0}, {4, SEEK_SET, 4}, {7, 99, 4},
        {INT32_MAX, SEEK_END, 10}, {INT32_MIN, SEEK_END, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PakFSeek(file, c.offset, c.origin), 0);
        EXPECT_EQ(PakFTell(file), c.expected) << c.offset << " " << c.origin;
    }
    PakFSeek(file, 7, SEEK_SET);
    char buffer[16];
    EXPECT_EQ(PakFRead(buffer, 1, 16, file), 3u);
    EXPECT_TRUE(PakFEof(file));
    EXPECT_EQ(PakFRead(buffer, 1, 16, file), 0u);
    PakFClose(file);
}

TEST_F(PakFixture, ReadCountsWholeElementsOnly)
{
    ASSERT_TRUE(Add("main.pak", {{"m", "0123456789ab", {}}}));
    PakFile* file = PakFOpen("m");
    PakFSeek(file, 2, SEEK_SET);
    char buffer[12] = {};
    EXPECT_EQ(PakFRead(buffer, 4, 3, file), 2u); // 10 bytes copied
    EXPECT_EQ(std::string(buffer, 10), "23456789ab");
    EXPECT_EQ(PakFTell(file), 12);
    PakFSeek(file, 0, SEEK_SET);
    EXPECT_EQ(PakFRead(buffer, 0, 5, file), 0u);
    EXPECT_EQ(PakFTell(file), 0);
    EXPECT_EQ(PakFRead(buffer, SIZE_MAX, 2, file), 0u); // element larger than the member
    PakFClose(file);
}

TEST_F(PakFixture, CharacterReadsSkipCarriageReturns)
{
    ASSERT_TRUE(Add("main.pak", {{"t", "A\r\nB", {}}}));
    PakFile* file = PakFOpen("t");
    EXPECT_EQ(PakFGetC(file), 65);
    EXPECT_EQ(PakFGetC(file), 10);
    EXPECT_EQ(PakFGetC(file), 66);
    EXPECT_EQ(PakFGetC(file), -1);
    EXPECT_EQ(PakUnGetC('x', file), 'x');
    EXPECT_EQ(PakFGetC(file), 66); // the byte at the position is read again

    PakFSeek(file, 0, SEEK_SET);
    char line[10];
    ASSERT_EQ(pak->FGetS(line, 10, file), line);
    EXPECT_STREQ(line, "A\n");
    ASSERT_EQ(pak->FGetS(line, 10, file), line);
    EXPECT_STREQ(line, "B");
    EXPECT_EQ(pak->FGetS(line, 10, file), nullptr);

    PakFSeek(file, 0, SEEK_SET);
    ASSERT_EQ(pak->FGetS(line, 2, file), line);
    EXPECT_STREQ(line, "A");
    EXPECT_EQ(pak->FGetS(line, 0, file), nullptr);

    PakFSeek(file, 0, SEEK_SET);
    EXPECT_EQ(PakUnGetC('x', file), 'x');
    EXPECT_EQ(PakFTell(file), 0);
    PakFClose(file);
}

TEST_F(PakFixture, RefusedArchivesRegisterNoMember)
{
    std::string good = BuildPakArchive({{"m", "data", {}}});
    std::string badMagic = Unscrambled(good);
    badMagic[0] ^= 1;
    std::string badVersion = Unscrambled(good);
    badVersion[4] = 1;
    std::string pastEnd = Unscrambled(good);
    pastEnd[11] = 5; // size 5, but only 4 bytes follow
    std::string hugeSize = Unscrambled(good);
    hugeSize[14] = char(0xFF);
    const struct {
        const char* label;
        std::string plain;
    } cases[] = {
        {"magic", badMagic},
        {"version", badVersion},
        {"member past the end", pastEnd},
        {"member of 4 GB", hugeSize},
        {"cut in the header", Unscrambled(good).substr(0, 6)},
        {"cut inside a record", Unscrambled(good).substr(0, 12)},
    };
    CapturingSink sink;
    for (const auto& c : cases) {
        Write("bad.pak", Unscrambled(c.plain));
        sink.debugLines.clear();
        EXPECT_FALSE(pak->AddPakFile("bad.pak")) << c.label;
        // The refusal is told, naming the file.
        EXPECT_FALSE(pak->refusedReason.empty()) << c.label;
        ASSERT_EQ(sink.debugLines.size(), 1u) << c.label;
        EXPECT_NE(sink.debugLines[0].find("bad.pak refused: " + pak->refusedReason), std::string::npos)
            << sink.debugLines[0];
        EXPECT_EQ(pak->mEntries.count("M"), 0u) << c.label;
        // Its own name still reads the whole file, unscrambled.
        EXPECT_EQ(ReadMember("BAD.PAK"), c.plain) << c.label;
    }
    sink.debugLines.clear();
    EXPECT_FALSE(pak->AddPakFile("missing.pak"));
    EXPECT_TRUE(pak->refusedReason.empty()); // no archive is no damage
    EXPECT_TRUE(sink.debugLines.empty());
    Write("empty.pak", "");
    EXPECT_FALSE(pak->AddPakFile("empty.pak"));
    EXPECT_FALSE(pak->AddPakFile(std::string(260, 'p')));
}

TEST_F(PakFixture, ArchiveWithoutMembersLoads)
{
    ASSERT_TRUE(Add("none.pak", {}));
    EXPECT_EQ(ReadMember("none.pak").size(), 9u); // D = 9
    EXPECT_EQ(pak->mEntries.size(), 1u);          // only its own name
}

TEST_F(PakFixture, DirectoryWithoutEndFlagEndsWithTheFile)
{
    std::string plain = Unscrambled(BuildPakArchive({{"empty", "", {}}}));
    plain.pop_back(); // drop the end flag
    Write("open.pak", Unscrambled(plain));
    EXPECT_TRUE(pak->AddPakFile("open.pak"));
    PakFile* file = PakFOpen("EMPTY");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(PakFEof(file));
    PakFClose(file);
}

TEST_F(PakFixture, LaterArchiveHidesAnEarlierOne)
{
    ASSERT_TRUE(Add("one.pak", {{"data\\a.txt", "first", {}}, {"data\\only1.txt", "1", {}}}));
    ASSERT_TRUE(Add("two.pak", {{"DATA\\A.TXT", "second", {}}, {"data\\only2.txt", "2", {}}}));
    EXPECT_EQ(ReadMember("data/a.txt"), "second");
    EXPECT_EQ(ReadMember("data/only1.txt"), "1");
    EXPECT_EQ(ReadMember("data/only2.txt"), "2");
}

TEST_F(PakFixture, ArchiveNamedWithSlashesOrDotDotLoads)
{
    dir.WriteFile("Sub/keep", "");
    dir.WriteFile("other/keep", "");
    ASSERT_TRUE(WritePakArchive(dir / "Sub/game.dat", {{"m", "x", {}}}));
    EXPECT_TRUE(pak->AddPakFile("other/../Sub/GAME.DAT"));
    EXPECT_EQ(ReadMember("m"), "x");
    EXPECT_EQ(ReadMember("sub\\game.dat"), Unscrambled(TempDir::ReadFile(dir / "Sub/game.dat")));
}

TEST_F(PakFixture, DiskFilesAreFoundWithoutRegardToCase)
{
    Write("data/Gui/x.png", "on disk");
    EXPECT_EQ(ReadMember("DATA\\GUI\\X.PNG"), "on disk");
    EXPECT_EQ(PakFOpen("DATA\\GUI\\NONE.PNG"), nullptr);
    ScopedNoPak none;
    EXPECT_EQ(ReadMember("DATA\\GUI\\X.PNG"), "on disk");
}

TEST_F(PakFixture, AliasOpensTheReplacementWhenNothingElseIs)
{
    ASSERT_TRUE(Add("main.pak", {{"DATA\\B.PNG", "b", {}}}));
    pak->mPathAliases["DATA\\A.PNG"] = "DATA\\B.PNG";
    pak->mPathAliases["DATA/S.PNG"] = "DATA\\B.PNG"; // never found: look-ups are normalised
    pak->mPathAliases["DATA\\GONE.PNG"] = "DATA\\NOWHERE.PNG";
    pak->mPathAliases["DATA\\EMPTY.PNG"] = "";
    EXPECT_EQ(ReadMember("Data/A.png"), "b");
    EXPECT_EQ(ReadMember("data/s.png"), "<none>");
    EXPECT_EQ(ReadMember("data/gone.png"), "<none>");
    EXPECT_EQ(ReadMember("data/empty.png"), "<none>");
    EXPECT_EQ(LookupPakPathAlias("data//a.png"), "DATA\\B.PNG");

    // A file of the name itself wins over the alias.
    Write("data/a.png", "own");
    EXPECT_EQ(ReadMember("Data/A.png"), "own");

    PakFile* text = PakFOpenText("data\\a.png");
    ASSERT_NE(text, nullptr);
    PakFClose(text);
}

TEST_F(PakFixture, ReadLineAcceptsEveryLineEnd)
{
    const std::string full(PAK_MAX_LINE, 'f');
    const struct {
        const char* label;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"CR", "one\rtwo\r", {"one", "two"}},
        {"mixed, empty lines", "a\n\r\nb\r\rc", {"a", "", "b", "", "c"}},
        {"last line without end", "one\r\nlast", {"one", "last"}},
        {"empty file", "", {}},
        {"full line with its end", full + "\r\nnext", {full, "next"}},
        {"longer line is cut", full + "xy\n", {full, "xy"}},
    };
    for (bool inPak : {true, false}) {
        for (const auto& c : cases) {
            std::string name = std::string("text") + (inPak ? ".pak" : ".txt");
            if (inPak)
                ASSERT_TRUE(Add(name, {{"t.txt", c.text, {}}}));
            else
                Write("t.txt", c.text);
            PakFile* file = inPak ? PakFOpen("t.txt") : [&] { ScopedNoPak none; return PakFOpen("T.TXT"); }();
            ASSERT_NE(file, nullptr);
            std::vector<std::string> lines;
            std::string line;
            while (PakReadLine(file, line))
                lines.push_back(line);
            EXPECT_EQ(lines, c.lines) << c.label << (inPak ? " (member)" : " (disk)");
            PakFClose(file);
            pak->mEntries.clear();
        }
    }
}

TEST_F(PakFixture, ReadWholeFile)
{
    const std::string bytes("whole\0member", 12);
    ASSERT_TRUE(Add("main.pak", {{"m", bytes, {}}, {"empty", "", {}}}));
    EXPECT_EQ(PakReadWholeFile("M"), bytes);
    EXPECT_EQ(PakReadWholeFile("EMPTY"), "");
    EXPECT_EQ(PakReadWholeFile("missing"), "");
    Write("disk.txt", std::string("a\0b", 3));
    EXPECT_EQ(PakReadWholeFile("DISK.TXT"), std::string("a\0b", 3));
    Write("empty.txt", "");
    EXPECT_EQ(PakReadWholeFile("empty.txt"), "");
}

TEST_F(PakFixture, HelpersWithoutAnInterfaceUseTheDisk)
{
    ASSERT_TRUE(Add("main.pak", {{"data\\m.txt", "member", {}}}));
    Write("Data/Disk.txt", "AB");
    ScopedNoPak none;
    EXPECT_EQ(PakFOpen("data\\m.txt"), nullptr);
    PakFile* file = PakFOpen("DATA\\DISK.TXT");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->mEntry, nullptr);
    EXPECT_EQ(PakFGetC(file), 'A');
    EXPECT_EQ(PakUnGetC('A', file), 'A');
    EXPECT_EQ(PakFTell(file), 0);
    EXPECT_EQ(ReadAll(file), "AB");
    EXPECT_TRUE(PakFEof(file));
    EXPECT_EQ(PakFSeek(file, 1, SEEK_SET), 0);
    EXPECT_EQ(PakFTell(file), 1);
    EXPECT_EQ(PakFClose(file), 0);
    EXPECT_EQ(LookupPakPathAlias("anything"), "");
}

struct Found {
    std::string name;
    uint32_t attributes;
    uint32_t size;
    bool operator==(const Found&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Found& f)
{
    return out << f.name << "/" << f.attributes << "/" << f.size;
}

std::vector<Found> Search(std::string_view pattern)
{
    std::vector<Found> found;
    PakFindData data;
    PakFindHandle handle = PakFindFirstFile(pattern, &data);
    if (!handle)
        return found;
    do
        found.push_back({data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
    while (PakFindNextFile(handle, &data) && found.size() < 100);
    EXPECT_FALSE(PakFindNextFile(handle, &data)); // stays at the end
    PakFindClose(handle);
    return found;
}

TEST_F(PakFixture, SearchListsMembersThenDiskFiles)
{
    const FileTime time{123, 456};
    ASSERT_TRUE(Add("main.pak", {{"data\\hog\\L1\\pic.ini", "12", time},
                                 {"data\\hog\\L1\\Layers.ini", "123", time},
                                 {"data\\other.ini", "", time}}));
    Write("Data/Hog/disk.ini", "1234");
    Write("Data/Hog/L1/pic.ini", "12345");

    const uint32_t dir = FILE_ATTRIBUTE_DIRECTORY;
    const std::vector<Found> all = {{"Layers.ini", 0, 3}, {"pic.ini", 0, 2}, {".", dir, 0}, {"..", dir, 0},
                                    {"L1", dir, 0}, {"disk.ini", FILE_ATTRIBUTE_NORMAL, 4}};
    std::vector<Found> found = Search("data/HOG/*");
    std::sort(found.begin() + 2, found.end(), [](auto& a, auto& b) { return a.name < b.name; }); // disk order varies
    EXPECT_EQ(found, all);
    EXPECT_EQ(Search("DATA\\HOG\\*.*").size(), 6u);
    // The tail after the star compares with the end of the member key.
    EXPECT_EQ(Search("data\\hog\\*PIC.INI"), (std::vector<Found>{{"pic.ini", 0, 2}}));
    // Without a star only the disk is searched.
    EXPECT_EQ(Search("DATA\\HOG\\L1\\PIC.INI"), (std::vector<Found>{{"pic.ini", FILE_ATTRIBUTE_NORMAL, 5}}));
    EXPECT_TRUE(Search("data\\none\\*").empty());

    PakFindData data;
    PakFindHandle handle = PakFindFirstFile("data\\*.ini", &data);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, 123u);
    EXPECT_EQ(data.ftCreationTime.dwHighDateTime, 456u);
    EXPECT_TRUE(PakFindClose(handle));

    ScopedNoPak none;
    found = Search("data/HOG/*");
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.name < b.name; });
    EXPECT_EQ(found, std::vector<Found>(all.begin() + 2, all.end()));
}

TEST(PakHandles, NullHandlesAreHarmless)
{
    PakInterface pak;
    char buffer[4];
    EXPECT_EQ(PakFRead(buffer, 1, 4, nullptr), 0u);
    EXPECT_EQ(PakFGetC(nullptr), -1);
    EXPECT_EQ(PakFTell(nullptr), -1);
    EXPECT_NE(PakFEof(nullptr), 0);
    EXPECT_EQ(PakFClose(nullptr), -1);
    EXPECT_EQ(PakFWrite("x", 1, nullptr), 0u);
    std::string line;
    EXPECT_FALSE(PakReadLine(nullptr, line));
    EXPECT_EQ(pak.FOpen(u"x", u"rb"), nullptr);
}

TEST(PakPublishing, FirstPublisherWins)
{
    PakInterface* published = GetSharedPakInterface();
    EXPECT_EQ(published, &GlobalPakInterface());
    {
        PakInterface later;
        EXPECT_EQ(GetSharedPakInterface(), published);
    }
    EXPECT_EQ(GetSharedPakInterface(), published);
    {
        ScopedNoPak none;
        {
            PakInterface first;
            EXPECT_EQ(GetSharedPakInterface(), &first);
        }
        // An interface that goes away no longer answers.
        EXPECT_EQ(GetSharedPakInterface(), nullptr);
    }
    EXPECT_EQ(GetSharedPakInterface(), published);
}

} // namespace
} // namespace Quib
