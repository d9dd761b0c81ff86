#include "framework/files/IniData.h"
#include "framework/files/PakArchiveWriter.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

using Strings = std::vector<std::string>;

// Every section as "[name]" followed by "key=v1|v2|..." entries.
Strings Dump(IniData& ini)
{
    Strings out;
    Strings sections;
    ini.GetSectionNames(sections);
    for (const std::string& name : sections) {
        out.push_back("[" + name + "]");
        IniDataSection* section = ini.SelectSection(name);
        for (const IniDataKey& key : section->mKeys) {
            std::string line = key.mName + "=";
            for (size_t i = 0; i < key.mValues.size(); ++i)
                line += (i ? "|" : "") + key.mValues[i];
            out.push_back(line);
        }
    }
    return out;
}

struct ParseCase {
    const char* name;
    const char* text;
    Strings dump;
};

TEST(IniData, ParsingTable)
{
    const ParseCase cases[] = {
        {"mixed case is lowered, blanks trimmed", "[Main]\r\nTitle = Hello World ,  Big Day \r\n",
         {"[main]", "title=hello world|big day"}},
        {"a section selected again keeps one copy", "[a]\nx=1\n[b]\n[a]\nx=2\n", {"[a]", "x=2", "[b]"}},
        {"brackets in a value make a section line", "[a]\nk = [inner] = 3\n", {"[a]", "[inner]"}},
        {"closing bracket before the opening one", "[a]\n]x[rest=1\n", {"[a]", "[rest=1]"}},
        {"section names are not trimmed", "[ s ]\n", {"[ s ]"}},
        {"nothing after the equals sign", "[a]\nk=\nc=,\n", {"[a]", "k=", "c=|"}},
        {"empty pieces kept", "[a]\nk = a, b,, c\n", {"[a]", "k=a|b||c"}},
        {"tabs are not trimmed", "[a]\n\tk\t = \tv\t\n", {"[a]", "\tk\t=\tv\t"}},
        {"no comment syntax", "[a]\n;k=1\n#n=2\n; plain\n", {"[a]", ";k=1", "#n=2"}},
        {"empty key name", "[a]\n=5\n", {"[a]", "=5"}},
        {"keys before any section are ignored", "k=1\n[a]\nj=2\n", {"[a]", "j=2"}},
        {"lone carriage returns cut lines too", "[a]\rx=1\r\r\ry=2", {"[a]", "x=1", "y=2"}},
        {"empty text", "", {}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        IniData ini;
        ini.LoadFile(dir.WriteFile("t.ini", c.text));
        EXPECT_EQ(Dump(ini), c.dump);
    }
}

TEST(IniData, NulByteEndsParsing)
{
    TempDir dir;
    IniData ini;
    ini.LoadFile(dir.WriteFile("t.ini", std::string("[a]\nx=1\0\n[b]\n", 13)));
    EXPECT_EQ(Dump(ini), (Strings{"[a]", "x=1"}));
}

TEST(IniData, LoadingMergesAndKeepsTheFileName)
{
    TempDir dir;
    IniData ini;
    ini.LoadFile(dir.WriteFile("one.ini", "[a]\nx=1\ny=2\n"));
    ini.LoadFile(dir.WriteFile("two.ini", "y=9\n[A]\nY=3\n[b]\nz=4\n"));
    // The key line at the top of the second file has no section of its own.
    EXPECT_EQ(Dump(ini), (Strings{"[a]", "x=1", "y=3", "[b]", "z=4"}));
    EXPECT_EQ(ini.mFileName, dir / "two.ini");
    ini.LoadFile(dir / "missing.ini");
    EXPECT_EQ(ini.mFileName, dir / "missing.ini");
    EXPECT_EQ(Dump(ini), (Strings{"[a]", "x=1", "y=3", "[b]", "z=4"}));
}

TEST(IniData, FileFoundWithoutRegardToCase)
{
    TempDir dir;
    dir.WriteFile("Res/Game.ini", "[g]\nk=v\n");
    ScopedWorkingDirectory cwd(dir.Path());
    IniData ini;
    ini.LoadFile("res\\game.INI");
    EXPECT_EQ(ini.GetString("g", "k"), "v");
}

TEST(IniData, ArchiveMemberComesBeforeTheDiskFile)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    ScopedPak pak;
    ASSERT_TRUE(WritePakArchive(dir / "game.dat", {{"res\\game.ini", "[Game]\r\nFrom = Archive\r\n", {}}}));
    ASSERT_TRUE(pak->AddPakFile("game.dat"));
    dir.WriteFile("res/game.ini", "[game]\nfrom = disk\n");
    IniData ini;
    ini.LoadFile("res/GAME.ini");
    EXPECT_EQ(ini.GetString("game", "from"), "archive");
}

TEST(IniData, StringReaders)
{
    IniData ini;
    ini.Parse("[main]\ntitle = hello world ,  big day \nempty=\n");
    EXPECT_EQ(ini.GetString("Main", "TITLE"), "hello world,big day");
    EXPECT_EQ(ini.GetStringDefault("MAIN", "Title", "none"), "hello world");
    EXPECT_EQ(ini.GetStringDefault("", "", "none"), "big day");
    EXPECT_EQ(ini.GetStringDefault("", "", "none"), "none");
    EXPECT_EQ(ini.GetStringDefault("", "", "none"), "none");
    // Selecting the key again starts over.
    EXPECT_EQ(ini.GetStringDefault("", "title", "none"), "hello world");
    EXPECT_EQ(ini.GetString("main", "missing"), "");
    EXPECT_EQ(ini.GetStringDefault("main", "missing", "d"), "d");
    EXPECT_EQ(ini.GetString("main", "empty"), "");
    EXPECT_EQ(ini.GetStringDefault("main", "empty", "d"), "");

    Strings values = {"old"};
    ini.GetValues(values, "title", "main");
    EXPECT_EQ(values, (Strings{"hello world", "big day"}));
    values = {"old"};
    ini.GetValues(values, "missing", "main");
    EXPECT_EQ(values, (Strings{"old"}));

    Strings keys;
    ini.GetKeyNames("MAIN", keys);
    EXPECT_EQ(keys, (Strings{"title", "empty"}));
}

TEST(IniData, ReadersWithoutSectionGiveDefaults)
{
    IniData ini;
    EXPECT_EQ(ini.GetString("", "k"), "");
    EXPECT_EQ(ini.GetStringDefault("", "k", "d"), "d");
    Strings values = {"x"};
    ini.GetValues(values, "k", "");
    EXPECT_EQ(values, (Strings{"x"}));
    Strings keys;
    ini.GetKeyNames("", keys);
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(IniData::NextInt(nullptr, "k", 7), 7);
    EXPECT_EQ(IniData::NextFloat(nullptr, "k", 1.5f), 1.5f);
    EXPECT_EQ(IniData::ReadHex(nullptr, "k", 3), 3);
    // Asking for a section that is not there adds an empty one.
    EXPECT_EQ(ini.GetString("new", "k"), "");
    Strings sections;
    ini.GetSectionNames(sections);
    EXPECT_EQ(sections, (Strings{"new"}));
}

TEST(IniData, NumberReaders)
{
    IniData ini;
    ini.Parse("[n]\nints = 1, -2, x, 3\nfloats = 1.5, abc\nhex = ff, 0x1f, 123456789, G1\n"
              "pos = 10, 20, 30\nrect = 1,2,3,4\n");
    IniDataSection* s = ini.SelectSection("n");

    EXPECT_EQ(IniData::NextInt(s, "ints", -1), 1);
    EXPECT_EQ(IniData::NextInt(s, "", -1), -2);
    EXPECT_EQ(IniData::NextInt(s, "", -1), 0); // not a number
    EXPECT_EQ(IniData::NextInt(s, "", -1), 3);
    EXPECT_EQ(IniData::NextInt(s, "", -1), -1);
    EXPECT_EQ(IniData::NextInt(s, "", -1, 1), -2);
    // An index past the values leaves the cursor there.
    EXPECT_EQ(IniData::NextInt(s, "", -9, 4), -9);
    EXPECT_EQ(s->mCurrentKey->mCursor, 4u);
    EXPECT_EQ(IniData::NextInt(s, "", -9), -9);
    EXPECT_EQ(IniData::NextInt(s, "missing", -5), -5);
    EXPECT_EQ(s->mCurrentKey, nullptr);
    EXPECT_EQ(IniData::NextInt(s, "", -6), -6);

    EXPECT_FLOAT_EQ(IniData::NextFloat(s, "floats", 9.f), 1.5f);
    EXPECT_FLOAT_EQ(IniData::NextFloat(s, "", 9.f), 0.f);
    EXPECT_FLOAT_EQ(IniData::NextFloat(s, "", 9.f), 9.f);

    EXPECT_EQ(IniData::ReadHex(s, "hex", -1), 0xFF);
    EXPECT_EQ(IniData::ReadHex(s, "", -1), 0x1F);
    EXPECT_EQ(IniData::ReadHex(s, "", -1), 0x23456789); // the ninth digit pushes the first out
    EXPECT_EQ(IniData::ReadHex(s, "", -1), 0x01);       // a non-digit adds 0 but shifts
    EXPECT_EQ(IniData::ReadHex(s, "", -1), -1);

    Point defPoint;
    defPoint.x = 7;
    defPoint.y = 8;
    Point p = IniData::ReadPoint(s, "pos", defPoint);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    p = IniData::ReadPoint(s, "", defPoint); // one value left
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(s->mCurrentKey->mCursor, 2u);

    Rect defRect;
    defRect.x = -1;
    Rect r = IniData::ReadRect(s, "rect", defRect);
    EXPECT_EQ(r.x, 1);
    EXPECT_EQ(r.y, 2);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 4);
    EXPECT_EQ(s->mCurrentKey->mCursor, 4u);
    IniData::NextInt(s, "rect", 0, 1); // three left
    r = IniData::ReadRect(s, "", defRect);
    EXPECT_EQ(r.x, -1);
    EXPECT_EQ(s->mCurrentKey->mCursor, 2u);
}

TEST(IniData, CurrentSectionSurvivesNewSections)
{
    IniData ini;
    IniDataSection* first = ini.SelectSection("first");
    ini.Parse("[first]\nk=1\n");
    for (int i = 0; i < 1000; ++i)
        ini.SelectSection("s" + std::to_string(i));
    EXPECT_EQ(first->mName, "first");
    EXPECT_EQ(IniData::NextInt(first, "k", 0), 1);
}

// Many sections and keys: a name read again still finds its first entry.
TEST(IniData, LongFileMergesRepeatedNames)
{
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    text += "[big]\n";
    for (int i = 0; i < 20000; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "[S7]\nk=again\nj=new\n[BIG]\nK19999=last\n";
    IniData ini;
    ini.Parse(text);

    Strings sections;
    ini.GetSectionNames(sections);
    ASSERT_EQ(sections.size(), 20001u);
    EXPECT_EQ(sections[7], "s7");
    EXPECT_EQ(ini.GetString("s7", "k"), "again");
    EXPECT_EQ(ini.GetString("s7", "j"), "new");
    EXPECT_EQ(ini.GetString("s19999", "k"), "19999");
    Strings keys;
    ini.GetKeyNames("big", keys);
    ASSERT_EQ(keys.size(), 20000u);
    EXPECT_EQ(keys.back(), "k19999");
    EXPECT_EQ(ini.GetString("big", "k19999"), "last");
    EXPECT_EQ(ini.GetString("big", "k0"), "0");
}

TEST(IniData, WriteFileUsesCrLf)
{
    TempDir dir;
    IniData ini;
    ini.Parse("[a]\nk = 1, 2\nEmpty=\n[b]\n");
    ini.SelectSection("fresh");
    ASSERT_TRUE(ini.WriteFile(dir / "out.ini"));
    EXPECT_EQ(TempDir::ReadFile(dir / "out.ini"),
              "[a]\r\nk = 1,2\r\nempty = \r\n\r\n[b]\r\n\r\n[fresh]\r\n\r\n");

    // Written data reads back the same.
    IniData again;
    again.LoadFile(dir / "out.ini");
    EXPECT_EQ(Dump(again), Dump(ini));
}

TEST(IniData, SectionNamesWithBracketsReadBackWhole)
{
    TempDir dir;
    IniData ini;
    ini.Parse("[a]\nk=1\n]x[b]c\nk=2\n[b]\nj=3\n[p[q]\nm=4\n]y[u]v[w]\nn=5\n");
    ASSERT_EQ(Dump(ini), (Strings{"[a]", "k=1", "[b]c]", "k=2", "[b]", "j=3", "[p[q]", "m=4", "[u]v[w]]", "n=5"}));
    ASSERT_TRUE(ini.WriteFile(dir / "out.ini"));
    EXPECT_EQ(TempDir::ReadFile(dir / "out.ini"),
              "[a]\r\nk = 1\r\n\r\n][b]c\r\nk = 2\r\n\r\n[b]\r\nj = 3\r\n\r\n[p[q]\r\nm = 4\r\n\r\n"
              "][u]v[w]\r\nn = 5\r\n\r\n");
    IniData again;
    again.LoadFile(dir / "out.ini");
    EXPECT_EQ(Dump(again), Dump(ini)) << "no section merged into another";
}

TEST(IniData, WriteFileWithoutNameUsesTheLoadedName)
{
    TempDir dir;
    std::string path = dir.WriteFile("Game.ini", "[a]\nx=1\n");
    {
        IniData ini;
        ini.LoadFile(path);
        ini.Parse("[A]\nY=Two\n"); // names are lowered, values only by LoadFile
        ini.mSaveOnDestroy = true;
    }
    EXPECT_EQ(TempDir::ReadFile(path), "[a]\r\nx = 1\r\ny = Two\r\n\r\n");
}

TEST(IniData, WriteIntoAMissingFolderFails)
{
    TempDir dir;
    IniData ini;
    ini.Parse("[a]\nx=1\n");
    EXPECT_FALSE(ini.WriteFile(dir / "no/such/folder/out.ini"));
}

} // namespace
} // namespace Quib
