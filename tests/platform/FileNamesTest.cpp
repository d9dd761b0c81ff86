#include "platform/FileNames.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

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

// Folders whose times lie well in the past, as installed data is: their
// listings are kept.
void AgeFolder(const std::string& path, int secondsAgo = 3600)
{
    namespace fs = std::filesystem;
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

TEST(FileNames, KeptListingSeesChangesThroughTheLayer)
{
    TempDir dir;
    dir.WriteFile("Levels/Old.txt", "1");
    AgeFolder(dir / "Levels");
    AgeFolder(dir.Path());
    ScopedWorkingDirectory cwd(dir.Path());
    ClearDirectoryCache();
    EXPECT_EQ(ResolveExistingPath("LEVELS\\OLD.TXT"), dir / "Levels/Old.txt");
    EXPECT_GE(CachedFolderCount(), 2u);
    // After each change the folder's time is put back, as a clock too
    // coarse to move would leave it: only the layer's own notes show it.
    struct Step {
        const char* what;
        std::function<bool()> change;
        const char* present;
        const char* absent;
    };
    const Step steps[] = {
        {"create", [] { FILE* f = OpenFile("levels\\New.txt", "wb"); return f && std::fclose(f) == 0; },
         "LEVELS\\NEW.TXT", nullptr},
        {"rename", [] { return RenameFile("LEVELS\\NEW.TXT", "levels\\Moved.txt"); }, "levels\\moved.TXT",
         "levels\\new.txt"},
        {"remove", [] { return RemoveFile("Levels\\MOVED.txt"); }, "levels\\old.txt", "levels\\moved.txt"},
        {"folder", [] { return MakeDirectory("LEVELS\\Sub"); }, "levels\\SUB", nullptr},
        {"atomic", [] {
             AtomicFileWriter writer("levels\\Saved.ini");
             return writer.Write("x") && writer.Commit();
         }, "LEVELS\\SAVED.INI", nullptr},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(ResolveExistingPath("levels\\OLD.TXT"), dir / "Levels/Old.txt"); // kept again
        const auto before = std::filesystem::last_write_time(dir / "Levels");
        ASSERT_TRUE(step.change());
        std::filesystem::last_write_time(dir / "Levels", before);
        EXPECT_FALSE(ResolveExistingPath(step.present).empty());
        if (step.absent) {
            EXPECT_TRUE(ResolveExistingPath(step.absent).empty());
        }
    }
}

TEST(FileNames, KeptListingSeesChangesFromOutside)
{
    namespace fs = std::filesystem;
    TempDir dir;
    dir.WriteFile("Data/A.png", "a");
    dir.WriteFile("Data/B.png", "b");
    AgeFolder(dir / "Data", 7200);
    AgeFolder(dir.Path(), 7200);
    ScopedWorkingDirectory cwd(dir.Path());
    ClearDirectoryCache();
    ASSERT_EQ(ResolveExistingPath("DATA\\A.PNG"), dir / "Data/A.png");
    ASSERT_EQ(FindOnDisk("data\\*.PNG").size(), 2u);

    // Created, renamed and removed behind the layer's back; each change
    // moves the folder's time (here to another time in the past).
    dir.WriteFile("Data/C.png", "c");
    AgeFolder(dir / "Data", 7000);
    EXPECT_EQ(ResolveExistingPath("data\\c.PNG"), dir / "Data/C.png");
    EXPECT_EQ(FindOnDisk("DATA\\*.png").size(), 3u);
    fs::rename(dir / "Data/A.png", dir / "Data/Renamed.png");
    AgeFolder(dir / "Data", 6000);
    EXPECT_TRUE(ResolveExistingPath("data\\a.png").empty());
    EXPECT_EQ(ResolveExistingPath("DATA\\RENAMED.PNG"), dir / "Data/Renamed.png");
    fs::remove(dir / "Data/B.png");
    EXPECT_TRUE(ResolveExistingPath("data\\B.PNG").empty());

    // A fresh change in the same clock tick as the reading: a folder
    // changed lately is read again every time.
    dir.WriteFile("Fresh/One.txt", "1");
    EXPECT_FALSE(ResolveExistingPath("FRESH\\ONE.TXT").empty());
    const auto time = fs::last_write_time(dir / "Fresh");
    dir.WriteFile("Fresh/Two.txt", "2");
    fs::last_write_time(dir / "Fresh", time);
    EXPECT_EQ(ResolveExistingPath("fresh\\TWO.txt"), dir / "Fresh/Two.txt");

    // A kept folder replaced by another of the same name.
    fs::rename(dir / "Data", dir / "Gone");
    dir.WriteFile("Data/Other.png", "o");
    AgeFolder(dir / "Data", 6000);
    AgeFolder(dir.Path(), 7200);
    EXPECT_TRUE(ResolveExistingPath("data\\c.png").empty());
    EXPECT_EQ(ResolveExistingPath("DATA\\OTHER.PNG"), dir / "Data/Other.png");
}

TEST(FileNames, ListingCacheIsBoundedAndStillRight)
{
    TempDir dir;
    const int folders = 300;
    for (int i = 0; i < folders; ++i) {
        const std::string name = "F" + std::to_string(i);
        dir.WriteFile(name + "/File" + std::to_string(i) + ".Txt", "x");
        AgeFolder(dir / name);
    }
    AgeFolder(dir.Path());
    ScopedWorkingDirectory cwd(dir.Path());
    ClearDirectoryCache();
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < folders; ++i) {
            const std::string given = "f" + std::to_string(i) + "\\FILE" + std::to_string(i) + ".TXT";
            ASSERT_EQ(ResolveExistingPath(given), dir / ("F" + std::to_string(i) + "/File" + std::to_string(i) + ".Txt"))
                << given;
            ASSERT_LE(CachedFolderCount(), 128u);
        }
    EXPECT_GT(CachedFolderCount(), 0u);
    // The exact spelling wins over one that differs only in case.
    dir.WriteFile("Pair/name.ini", "lower");
    dir.WriteFile("Pair/NAME.ini", "upper");
    AgeFolder(dir / "Pair");
    EXPECT_EQ(ResolveExistingPath("pair\\NAME.ini"), dir / "Pair/NAME.ini");
    EXPECT_EQ(ResolveExistingPath("pair\\name.ini"), dir / "Pair/name.ini");
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

TEST(FileNames, FindNamesOnDiskAnswersSeveralPatternsAtOnce)
{
    TempDir dir;
    dir.WriteFile("gfx/Pic.PNG", "");
    dir.WriteFile("gfx/_pic.tga", "");
    dir.WriteFile("gfx/pic_.png", "");
    dir.WriteFile("gfx/pic2.png", "");
    dir.WriteFile("gfx/sub/pic.png", "");
    dir.WriteFile("top.png", "");
    ScopedWorkingDirectory cwd(dir.Path());
    ClearDirectoryCache();
    auto sorted = [](std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    struct Case {
        const char* folder;
        std::vector<std::string> patterns;
        std::vector<std::string> want;
    } cases[] = {
        {"GFX\\", {"pic.*", "_pic.*", "pic_.*"}, {"Pic.PNG", "_pic.tga", "pic_.png"}},
        {"gfx", {"pic*", "PIC.png"}, {"Pic.PNG", "pic2.png", "pic_.png"}}, // each name once
        {"gfx/", {"none.*"}, {}},
        {"", {"*.png"}, {"top.png"}},
        {"missing/", {"*"}, {}},
        {"gfx/", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sorted(FindNamesOnDisk(c.folder, c.patterns)), c.want) << c.folder;
    // A kept listing still sees a name added through the layer.
    FILE* added = OpenFile("gfx/PIC_.gif", "wb");
    ASSERT_TRUE(added);
    std::fclose(added);
    EXPECT_EQ(sorted(FindNamesOnDisk("gfx", {"pic_.*"})), (std::vector<std::string>{"PIC_.gif", "pic_.png"}));
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
