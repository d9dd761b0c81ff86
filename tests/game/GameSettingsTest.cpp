// The game settings accessors over res\game.ini, and the path aliases of
// data/common.ini.
#include "framework/files/IniData.h"
#include "framework/files/PakInterface.h"
#include "platform/FileNames.h"
#include "src/GameSettings.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
namespace {

using namespace Testing;

class GameSettingsTest : public ::testing::Test {
protected:
    GameSettingsTest() : cwd(dir.Path())
    {
        dir.WriteFile("res/game.ini", "[Game]\r\n"
                                      "AUTOCREATEPAK=1\r\n"
                                      "NotepadLines=12,26\r\n"
                                      "HintNotepad=3,4,ff00ff,1.5,2.5,3.5\r\n"
                                      "Notepad=ff2b0e00,7,8\r\n"
                                      "MovieTextRect=1,2,3,4\r\n"
                                      "Short=1,2,3\r\n"
                                      "Bad=abc\r\n"
                                      "Neg= -7\r\n"
                                      "HintTime=60.5\r\n"
                                      "ProfileDir=Saves,Two\r\n"
                                      "[Options]\r\n"
                                      "FullScreen=0\r\n"
                                      "[Clusters]\r\n"
                                      "Town=hold,street\r\n");
        ClearDirectoryCache();
        LoadGameSettings();
    }
    ~GameSettingsTest() override { LoadGameSettings("res\\none.ini"); }

    TempDir dir;
    ScopedWorkingDirectory cwd;
};

TEST_F(GameSettingsTest, KeysMatchInAnyCase)
{
    EXPECT_EQ(GetGameIniInt("AutoCreatePak", "Game"), 1);
    EXPECT_EQ(GetGameIniInt("autocreatepak", "GAME"), 1);
    EXPECT_EQ(GetGameIniString("FullScreen", "Options"), "0");
    EXPECT_FLOAT_EQ(GetGameIniFloat("HintTime", "Game", 120.0f), 60.5f);
}

TEST_F(GameSettingsTest, MissingSectionsKeysAndValuesGiveTheDefault)
{
    EXPECT_EQ(GetGameIniInt("ItemsInHog", "Game", -1, 15), 15);
    EXPECT_EQ(GetGameIniInt("AutoCreatePak", "Nowhere", -1, 42), 42);
    EXPECT_FLOAT_EQ(GetGameIniFloat("Missing", "Game", 0.1f), 0.1f);
    EXPECT_EQ(GetGameIniValue("Missing", "Game", 0x1234), 0x1234);
    EXPECT_EQ(GetGameIniString("Missing", "Game", "x"), "x");
    EXPECT_EQ(GetGameIniPoint("Missing", "Game", Point(5, 6)), Point(5, 6));
    // Position 2 of a key with two values.
    EXPECT_EQ(GetGameIniInt("NotepadLines", "Game", 2, -1), -1);
    EXPECT_EQ(GetGameIniInt("NotepadLines", "Game", 1, -1), 26);
    EXPECT_EQ(GetGameIniInt("NotepadLines", "Game", 0, -1), 12);
    // Text that is not a number reads as 0; blanks before a sign are skipped.
    EXPECT_EQ(GetGameIniInt("Bad", "Game", -1, 9), 0);
    EXPECT_EQ(GetGameIniInt("Neg", "Game", -1, 9), -7);
}

TEST_F(GameSettingsTest, EmptyNamesReadOnAlongTheSameLine)
{
    EXPECT_EQ(GetGameIniPoint("HintNotepad", "Game", Point(0, 0)), Point(3, 4));
    EXPECT_EQ(GetGameIniValue("", "", 0), 0xff00ff);
    EXPECT_FLOAT_EQ(GetGameIniFloat("", "", 0.0f), 1.5f);
    EXPECT_FLOAT_EQ(GetGameIniFloat("", "", 0.0f), 2.5f);
    EXPECT_FLOAT_EQ(GetGameIniFloat("", "", 0.0f), 3.5f);
    EXPECT_FLOAT_EQ(GetGameIniFloat("", "", -1.0f), -1.0f);

    // A colour in hexadecimal, then two decimal values.
    EXPECT_EQ(uint32_t(GetGameIniValue("Notepad", "Game", 0)), 0xff2b0e00u);
    EXPECT_EQ(GetGameIniInt("", "", -1, 0), 7);
    EXPECT_EQ(GetGameIniInt("", "", -1, 0), 8);
    // Naming the key again starts at its first value.
    EXPECT_EQ(uint32_t(GetGameIniValue("Notepad", "", 0)), 0xff2b0e00u);
}

TEST_F(GameSettingsTest, RectanglesAndPointsNeedAllTheirValues)
{
    EXPECT_EQ(GetGameIniRect("MovieTextRect", "Game", Rect(0, 0, 0, 0)), Rect(1, 2, 3, 4));
    // Too few values: the whole default, and the read position stays.
    EXPECT_EQ(GetGameIniRect("Short", "Game", Rect(9, 9, 9, 9)), Rect(9, 9, 9, 9));
    EXPECT_EQ(GetGameIniInt("", "", -1, 0), 1);
    EXPECT_EQ(GetGameIniPoint("", "", Point(8, 8)), Point(2, 3));
    EXPECT_EQ(GetGameIniPoint("", "", Point(8, 8)), Point(8, 8));
}

TEST_F(GameSettingsTest, StringsAndKeyLists)
{
    // The whole value, lower-cased as the file is read.
    EXPECT_EQ(GetGameIniString("ProfileDir", "Game"), "saves,two");
    EXPECT_EQ(GetGameIniString("Town", "Clusters"), "hold,street");
    std::vector<std::string> clusters;
    GetGameSettings().GetKeyNames("clusters", clusters);
    EXPECT_EQ(clusters, std::vector<std::string>{"town"});
}

TEST_F(GameSettingsTest, ReloadingReadsTheEditedFile)
{
    dir.WriteFile("res/game.ini", "[Game]\r\nHintTime=10\r\n");
    ClearDirectoryCache();
    LoadGameSettings();
    EXPECT_FLOAT_EQ(GetGameIniFloat("HintTime", "Game", 0.0f), 10.0f);
    EXPECT_EQ(GetGameIniInt("AutoCreatePak", "Game", -1, 5), 5);

    LoadGameSettings("res\\missing.ini");
    EXPECT_EQ(GetGameIniInt("HintTime", "Game", -1, 5), 5);
    EXPECT_EQ(GetGameIniInt("", "", -1, 6), 6);
}

std::string ReadMember(const std::string& name)
{
    PakFile* file = PakFOpen(name);
    if (!file)
        return "(none)";
    char buffer[64] = {};
    size_t n = PakFRead(buffer, 1, sizeof buffer, file);
    PakFClose(file);
    return std::string(buffer, n);
}

TEST(CommonIni, AliasesOpenTheirTargets)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    ScopedPak pak;
    dir.WriteFile("data/b.png", "B");
    dir.WriteFile(
        "data/common.ini",
        "[common]\r\ndata\\a.png=data\\b.png\r\ndata/c.png = data/B.png\r\n[other]\r\ndata\\d.png=data\\b.png\r\n");
    ClearDirectoryCache();
    pak->mPathAliases["DATA\\A.PNG"] = "DATA\\OLD.PNG";
    LoadCommonIni();
    EXPECT_EQ(ReadMember("data/a.png"), "B");
    // A name written with slashes is stored as look-ups find it.
    EXPECT_EQ(ReadMember("DATA\\C.PNG"), "B");
    EXPECT_EQ(ReadMember("data\\d.png"), "(none)");
    EXPECT_EQ(pak->mPathAliases.size(), 2u);
    EXPECT_EQ(pak->mPathAliases["DATA\\A.PNG"], "DATA\\B.PNG");
    EXPECT_EQ(pak->mPathAliases["DATA\\C.PNG"], "DATA/B.PNG");
}

TEST(CommonIni, WrittenAliasesReadBackTheSame)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    {
        ScopedPak pak;
        pak->mPathAliases["DATA\\X.PNG"] = "DATA\\Y.PNG";
        pak->mPathAliases["DATA\\A.JPG"] = "DATA\\B.JPG";
        MakeDirectory("data");
        ASSERT_TRUE(WriteCommonIni());
        EXPECT_EQ(TempDir::ReadFile(dir / "data/common.ini"),
                  "[common]\r\nDATA\\A.JPG=DATA\\B.JPG\r\nDATA\\X.PNG=DATA\\Y.PNG\r\n");
        // A folder that is not there: nothing is written, and it says so.
        EXPECT_FALSE(WriteCommonIni("nowhere/common.ini"));
    }
    ScopedPak fresh;
    LoadCommonIni();
    EXPECT_EQ(fresh->mPathAliases,
              (std::map<std::string, std::string>{{"DATA\\A.JPG", "DATA\\B.JPG"}, {"DATA\\X.PNG", "DATA\\Y.PNG"}}));
    // No file: no alias, no complaint.
    ScopedPak empty;
    LoadCommonIni("data/none.ini");
    EXPECT_TRUE(empty->mPathAliases.empty());
}

} // namespace
} // namespace Quib
