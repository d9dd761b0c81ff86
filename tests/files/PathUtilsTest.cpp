#include "framework/files/PathUtils.h"
#include "platform/FileNames.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace Quib {
namespace {

using namespace Testing;

namespace fs = std::filesystem;

TEST(PathUtils, NameParts)
{
    struct {
        const char* path;
        const char* directory;
        const char* baseName;
    } cases[] = {
        {"a.b\\c", "a.b", "c"},
        {"dir/file.tar.gz", "dir", "file.tar"},
        {"name", "", "name"},
        {"a/b\\c", "a/b", "c"},
        {"file.txt", "", "file"},
        {"x\\", "x", ""},
        {".hidden", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDirectoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(GetFileBaseName(c.path), c.baseName) << c.path;
    }
    EXPECT_EQ(StringRFindChar("a.b.c", '.'), 3);
    EXPECT_EQ(StringRFindChar("abc", '.'), -1);
}

TEST(PathUtils, TrailingSlashes)
{
    EXPECT_EQ(StripTrailingSlash("a\\b\\"), "a\\b");
    EXPECT_EQ(StripTrailingSlash("a/b//"), "a/b/");
    EXPECT_EQ(StripTrailingSlash(""), "");
    EXPECT_EQ(StripTrailingSlashW(u"a/"), u"a");
    EXPECT_EQ(AddTrailingSlash(""), "");
    EXPECT_EQ(AddTrailingSlash("a"), "a\\");
    EXPECT_EQ(AddTrailingSlash("a/"), "a/");
    EXPECT_EQ(FindFirstSlashW(u"ab/c\\d", 0), 2);
    EXPECT_EQ(FindFirstSlashW(u"ab/c\\d", 3), 4);
    EXPECT_EQ(FindFirstSlashW(u"ab/c\\d", 5), -1);
    EXPECT_EQ(FindFirstSlashW(u"ab", 9), -1);
}

TEST(PathUtils, NormalizePath)
{
    struct {
        const char* relative;
        const char* base;
        const char* want;
    } cases[] = {
        {"..\\x\\y.png", "D:\\a\\b", "D:\\a\\x\\y.png"},
        {"..\\..\\x", "a\\b", "x"},
        {".\\x", "a", "a\\x"},
        {"C:\\abs\\x", "a\\b", "C:\\abs\\x"},
        {"x/y", "a/b/", "a/b/x/y"},
        {"../y", "a/b", "a/y"},
        {"..\\..\\y", "..\\b", "..\\..\\y"},
        {"x/y", "a\\b", "a\\b\\x\\y"},
        {"..\\x", "", "..\\x"},
        {"\\\\x", "a", "a\\\\\\x"}, // an empty component ends the walk
        {"../../x", "/a", "/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizePath(c.relative, c.base), c.want) << c.relative << " on " << c.base;
}

TEST(PathUtils, EnsureDirectoryExistsCreatesEveryMissingParent)
{
    for (const char* file : {"a\\b\\c\\file.png", "a/b\\c\\file.png"}) {
        TempDir dir;
        ScopedWorkingDirectory cwd(dir.Path());
        ASSERT_TRUE(MakeDirectory("a"));
        EnsureDirectoryExists(file);
        EXPECT_TRUE(fs::is_directory(dir / "a/b/c")) << file;
        EXPECT_FALSE(fs::exists(dir / "a/b/c/file.png"));
    }
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    EnsureDirectoryExists("plain.txt");
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(PathUtils, MkdirTreeAndCreateDirectoryTreeW)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    MkdirTree("x\\y/z");
    EXPECT_TRUE(fs::is_directory(dir / "x/y/z"));
    CreateDirectoryTreeW(u"w\\\u00E9t\u00E9\\v");
    EXPECT_TRUE(fs::is_directory(dir / "w/\xC3\xA9t\xC3\xA9/v"));
}

TEST(PathUtils, DeleteDirectoryTree)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    dir.WriteFile("tree/a.txt", "a");
    dir.WriteFile("tree/sub/b.txt", "b");
    fs::create_directories(dir / "tree/empty");
    dir.WriteFile("outside/keep.txt", "k");
    fs::create_directory_symlink(dir / "outside", dir / "tree/link");
    EXPECT_TRUE(DeleteDirectoryTree("tree"));
    EXPECT_FALSE(fs::exists(dir / "tree"));
    EXPECT_TRUE(fs::exists(dir / "outside/keep.txt"));
    EXPECT_FALSE(DeleteDirectoryTree("tree"));
    EXPECT_FALSE(DeleteDirectoryTree("t"));
}

TEST(PathUtils, DeleteDirectoryTreeReportsWhatCouldNotGo)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    dir.WriteFile("tree/locked/f.txt", "f");
    dir.WriteFile("tree/g.txt", "g");
    chmod((dir / "tree/locked").c_str(), 0555);
    EXPECT_FALSE(DeleteDirectoryTree("tree\\"));
    EXPECT_FALSE(fs::exists(dir / "tree/g.txt"));
    chmod((dir / "tree/locked").c_str(), 0755);
}

TEST(PathUtils, GetFileTimeUnix)
{
    TempDir dir;
    std::string file = dir.WriteFile("Stamp.txt", "x");
    utimbuf times{1000000000, 1234567890};
    ASSERT_EQ(utime(file.c_str(), &times), 0);
    ScopedWorkingDirectory cwd(dir.Path());
    EXPECT_EQ(GetFileTimeUnix("stamp.TXT"), 1234567890);
    EXPECT_EQ(GetFileTimeUnix("*.txt"), 1234567890);
    EXPECT_EQ(GetFileTimeUnix("missing.txt"), 0);
}

TEST(PathUtils, CurrentDirectoryAndFolderText)
{
    TempDir dir;
    fs::create_directories(dir / "sub");
    ScopedWorkingDirectory cwd(dir.Path());
    EXPECT_EQ(GetCurrentDir(), dir.Path());
    std::u16string saved;
    std::u16string& result = PushCurrentDirectoryW(saved, u"sub");
    EXPECT_EQ(&result, &saved);
    EXPECT_EQ(saved, std::u16string(dir.Path().begin(), dir.Path().end()));
    EXPECT_EQ(GetCurrentDir(), dir / "sub");

    SetFolderWithSlash(u"C:\\Users\\me");
    EXPECT_EQ(GetFolderWithSlash(), u"C:\\Users\\me\\");
    SetFolderWithSlash(u"x/");
    EXPECT_EQ(GetFolderWithSlash(), u"x/");
    SetFolderWithSlash(u"");
    EXPECT_EQ(GetFolderWithSlash(), u"");
}

} // namespace
} // namespace Quib
