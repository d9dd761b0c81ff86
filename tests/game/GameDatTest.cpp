#include "src/game/BuildGameDat.h"

#include "framework/files/PakInterface.h"
#include "platform/FileNames.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace Quib::Testing {
namespace {

namespace fs = std::filesystem;

std::string Le32(uint32_t v)
{
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string Unscrambled(std::string bytes)
{
    PakScramble(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

// Every file below `dir`, depth first, each folder's names in byte order,
// as "<prefix>\a\b".
void SortedWalk(const fs::path& dir, const std::string& prefix, std::vector<std::string>& out)
{
    std::vector<fs::directory_entry> entries{fs::directory_iterator(dir), fs::directory_iterator()};
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().string() < b.path().filename().string();
    });
    for (const fs::directory_entry& e : entries) {
        const std::string name = prefix + "\\" + e.path().filename().string();
        if (e.is_directory())
            SortedWalk(e.path(), name, out);
        else
            out.push_back(name);
    }
}

class GameDatTest : public ::testing::Test {
protected:
    GameDatTest() : cwd(dir.Path()) {}

    std::string Archive() const { return TempDir::ReadFile(dir / "game.dat"); }
    bool LeftoversBesideTheArchive() const
    {
        for (const fs::directory_entry& e : fs::directory_iterator(dir.Path()))
            if (e.path().filename().string().rfind("game.dat.", 0) == 0)
                return true;
        return false;
    }

    TempDir dir;
    ScopedWorkingDirectory cwd;
    LogCapture log;
};

TEST_F(GameDatTest, OneFileGivesTheArchiveByteForByte)
{
    dir.WriteFile("Data/x.txt", "abc");
    ASSERT_TRUE(BuildGameDat());
    const std::string want = Le32(0xBAC04AC0) + Le32(0) + std::string(1, '\0') + char(10) + "Data\\x.txt" +
                             Le32(3) + std::string(8, '\0') + char(0x80) + "abc";
    const std::string got = Archive();
    ASSERT_EQ(got.size(), 36u);
    EXPECT_EQ(Unscrambled(got), want);
    EXPECT_NE(got, want); // scrambled on disk
}

TEST_F(GameDatTest, TheWalkIsInNameOrderAndTheSameDataGivesTheSameBytes)
{
    for (const char* name : {"data/b/z.txt", "data/B.txt", "data/a.txt", "data/b/a/deep.bin", "data/_x.txt"})
        dir.WriteFile(name, name);
    std::vector<DataFileRecord> files;
    ListFilesRecursive(files, "Data");
    std::vector<std::string> paths;
    for (const DataFileRecord& f : files)
        paths.push_back(f.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"Data\\B.txt", "Data\\_x.txt", "Data\\a.txt", "Data\\b\\a\\deep.bin",
                                               "Data\\b\\z.txt"}));
    EXPECT_EQ(files[0].size, 10u);
    ASSERT_TRUE(BuildGameDat());
    const std::string first = Archive();
    ASSERT_TRUE(BuildGameDat());
    EXPECT_EQ(Archive(), first);
}

TEST_F(GameDatTest, BadNamesAreRefusedAndTheOldArchiveStays)
{
    // Stored as "Data\" + the name: 256 bytes.
    const std::string longName = "data/" + std::string(123, 'd') + "/" + std::string(123, 'f') + ".txt";
    const struct {
        std::string file;
        std::string logged;
    } cases[] = {
        {longName, "is longer than 255 bytes"},
        {"data/a[1].png", "holds one of [ ] , ="},
        {"data/sub,dir/x.png", "holds one of [ ] , ="},
        {"data/k=v.txt", "holds one of [ ] , ="},
    };
    dir.WriteFile("game.dat", "old archive");
    for (const auto& c : cases) {
        dir.WriteFile("data/fine.txt", "fine");
        const std::string path = dir.WriteFile(c.file, "x");
        ClearDirectoryCache();
        LogCapture caseLog;
        EXPECT_FALSE(BuildGameDat()) << c.file;
        EXPECT_TRUE(caseLog.Contains(c.logged)) << caseLog.All();
        EXPECT_EQ(Archive(), "old archive");
        EXPECT_FALSE(LeftoversBesideTheArchive());
        fs::remove(path);
    }
    // 255 bytes exactly are fine.
    const std::string longest = "data/" + std::string(123, 'd') + "/" + std::string(122, 'f') + ".txt";
    dir.WriteFile(longest, "x");
    ClearDirectoryCache();
    EXPECT_TRUE(BuildGameDat());
}

TEST_F(GameDatTest, AFileThatCannotBeReadWholeStopsTheBuild)
{
    dir.WriteFile("game.dat", "old archive");
    dir.WriteFile("data/a.txt", "a");
    // A file whose size says more than it gives, or one that cannot be opened.
    const char* shortFile = "/sys/devices/system/cpu/online";
    struct stat st;
    if (::stat(shortFile, &st) == 0 && st.st_size > 64) {
        fs::create_symlink(shortFile, dir / "data/online");
    } else if (geteuid() != 0) {
        dir.WriteFile("data/secret.txt", "secret");
        fs::permissions(dir / "data/secret.txt", fs::perms::none);
    } else {
        GTEST_SKIP() << "no file here that root cannot read whole";
    }
    EXPECT_FALSE(BuildGameDat());
    EXPECT_TRUE(log.Contains("cannot be read whole"));
    EXPECT_EQ(Archive(), "old archive");
    EXPECT_FALSE(LeftoversBesideTheArchive());
}

TEST_F(GameDatTest, APipeOrALinkToNothingStopsTheBuildBeforeAnyRead)
{
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "link to nothing");
        fs::remove_all(dir / "data");
        dir.WriteFile("game.dat", "old archive");
        dir.WriteFile("data/a.txt", "a");
        if (pipe)
            ASSERT_EQ(mkfifo((dir / "data/b.pipe").c_str(), 0600), 0);
        else
            fs::create_symlink(dir / "data/gone.txt", dir / "data/b.txt");
        ClearDirectoryCache();
        EXPECT_FALSE(BuildGameDat()); // returns: nothing waits on the pipe
        EXPECT_TRUE(log.Contains("is not a file"));
        EXPECT_EQ(Archive(), "old archive");
        EXPECT_FALSE(LeftoversBesideTheArchive());
    }
}

TEST_F(GameDatTest, ALinkToAFolderIsNotFollowed)
{
    dir.WriteFile("data/a.txt", "a");
    fs::create_directory_symlink(dir / "data", dir / "data/again"); // a loop
    ASSERT_TRUE(BuildGameDat());
    ScopedPak pak;
    ASSERT_TRUE(pak->AddPakFile("game.dat"));
    EXPECT_EQ(pak->mEntries.size(), 2u); // data\a.txt and the archive itself
    EXPECT_TRUE(log.Contains("Folder link not followed: \"Data\\again\""));
}

TEST_F(GameDatTest, NoDataFolderBuildsNothing)
{
    EXPECT_FALSE(BuildGameDat());
    EXPECT_FALSE(FileExists("game.dat"));
    EXPECT_TRUE(log.Contains("no folder \"Data\""));
}

// The generated data packed, opened through the pak layer with the loose
// folder gone, and every file read back.
TEST_F(GameDatTest, TheGeneratedDataReadsBackByteExactFromTheArchive)
{
    const fs::path source = fs::path(QUIB_GAME_DATA) / "data";
    fs::copy(source, dir / "data", fs::copy_options::recursive);
    ASSERT_TRUE(BuildGameDat());
    fs::remove_all(dir / "data");
    ClearDirectoryCache();

    std::vector<std::string> files;
    SortedWalk(source, "Data", files);
    ASSERT_GT(files.size(), 40u);
    ScopedPak pak;
    ASSERT_TRUE(pak->AddPakFile("game.dat"));
    // The members, with the archive's own entry (the whole file) left out.
    std::vector<const PakEntry*> byPosition;
    for (const auto& [key, entry] : pak->mEntries)
        if (key != "GAME.DAT")
            byPosition.push_back(&entry);
    ASSERT_EQ(byPosition.size(), files.size());
    std::sort(byPosition.begin(), byPosition.end(),
              [](const PakEntry* a, const PakEntry* b) { return a->mStartPos < b->mStartPos; });
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(byPosition[i]->mName, files[i]);
        std::string relative = files[i].substr(5);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const std::string want = TempDir::ReadFile((source / relative).string());
        EXPECT_EQ(PakReadWholeFile(files[i]), want) << files[i];
        EXPECT_EQ(byPosition[i]->mSize, int32_t(want.size())) << files[i];
    }
}

} // namespace
} // namespace Quib::Testing
