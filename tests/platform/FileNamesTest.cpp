#include "platform/FileNames.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

TEST(FileNames, BackslashNameInAnyCaseFindsTheFileOnDisk)
{
    TempDir dir;
    std::string real = dir.WriteFile("data/Gui/x.png", "png");
    ScopedWorkingDirectory cwd(dir.Path());
    EXPECT_EQ(ResolveExistingPath("DATA\\GUI\\X.PNG"), real);
    EXPECT_EQ(ResolveExistingPath("data/gui/../Gui/X.png"), real);
    EXPECT_EQ(ResolveExistingPath(dir.Path() + "\\DATA\\gui\\x.PNG"), real);
    EXPECT_EQ(ResolveExistingPath("DATA\\GUI\\Y.PNG"), "");
    FILE* f = OpenFile("Data\\GUI\\X.PNG", "rb");
    ASSERT_NE(f, nullptr);
    char buffer[4] = {};
    EXPECT_EQ(fread(buffer, 1, 3, f), 3u);
    fclose(f);
    EXPECT_STREQ(buffer, "png");
}

TEST(FileNames, WriteReusesANameThatDiffersOnlyInCase)
{
    TempDir dir;
    dir.WriteFile("Saves/Player.ini", "old");
    ScopedWorkingDirectory cwd(dir.Path());
    EXPECT_EQ(ResolvePathForWrite("SAVES\\PLAYER.INI"), dir / "Saves/Player.ini");
    // A file that does not exist yet keeps the spelling given, below the
    // folder that does exist.
    EXPECT_EQ(ResolvePathForWrite("saves\\New.ini"), dir / "Saves/New.ini");
    FILE* f = OpenFile("saves\\player.INI", "wb");
    ASSERT_NE(f, nullptr);
    fputs("new", f);
    fclose(f);
    EXPECT_EQ(TempDir::ReadFile(dir / "Saves/Player.ini"), "new");
}

TEST(FileNames, ListingCacheNoticesNewFiles)
{
    TempDir dir;
    dir.WriteFile("a/One.txt", "1");
    ScopedWorkingDirectory cwd(dir.Path());
    EXPECT_FALSE(ResolveExistingPath("A\\ONE.TXT").empty());
    EXPECT_TRUE(ResolveExistingPath("A\\TWO.TXT").empty());
    dir.WriteFile("a/Two.txt", "2");
    ClearDirectoryCache(); // folder times may share one tick with the first listing
    EXPECT_EQ(ResolveExistingPath("A\\TWO.TXT"), dir / "a/Two.txt");
}

TEST(FileNames, WorkingDirectoryMustExist)
{
    std::string before = GetWorkingDirectory();
    EXPECT_FALSE(SetWorkingDirectory("/no/such/folder/anywhere"));
    EXPECT_EQ(GetWorkingDirectory(), before);
}

TEST(FileNames, WildcardsFollowWindowsRules)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.*", "readme", true},    {"*.*", "a.b.c", true},     {"*.png", "X.PNG", true},
        {"*.png", "x.png.bak", false}, {"l?.ini", "L1.INI", true}, {"l?.ini", "l12.ini", false},
        {"name.*", "name", true},   {"*", "", true},            {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

TEST(FileNames, FindOnDiskListsMatchingNames)
{
    TempDir dir;
    dir.WriteFile("hog/L1/pic.ini", "12345");
    dir.WriteFile("hog/L1/layers.ini", "");
    dir.WriteFile("hog/L1/notes.txt", "");
    ScopedWorkingDirectory cwd(dir.Path());
    auto found = FindOnDisk("HOG\\L1\\*.INI");
    ASSERT_EQ(found.size(), 2u);
    for (const auto& entry : found) {
        EXPECT_FALSE(entry.isDirectory);
        if (entry.name == "pic.ini")
            EXPECT_EQ(entry.size, 5u);
        else
            EXPECT_EQ(entry.name, "layers.ini");
    }
    EXPECT_TRUE(FindOnDisk("HOG\\NONE\\*.*").empty());
}

TEST(AtomicFileWriter, ReplacesWholeOrLeavesTheOldFile)
{
    TempDir dir;
    std::string path = dir.WriteFile("profile.prf", "old contents");
    {
        AtomicFileWriter writer(path);
        ASSERT_TRUE(writer.IsOpen());
        EXPECT_TRUE(writer.Write("half"));
        // dropped without Commit
    }
    EXPECT_EQ(TempDir::ReadFile(path), "old contents");
    {
        AtomicFileWriter writer(path);
        EXPECT_TRUE(writer.Write("new contents"));
        EXPECT_TRUE(writer.Commit());
    }
    EXPECT_EQ(TempDir::ReadFile(path), "new contents");
    // No temporary file is left behind either way.
    EXPECT_EQ(FindOnDisk(dir.Path() + "/*.tmp-*").size(), 0u);
}

TEST(AtomicFileWriter, UnwritableFolderIsReported)
{
    AtomicFileWriter writer("/proc/quib-cannot-write-here");
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
}

} // namespace
} // namespace Quib
