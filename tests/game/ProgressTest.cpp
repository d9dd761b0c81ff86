#include "src/game/LevelInfo.h"
#include "src/game/PlayerInfo.h"
#include "src/game/Scenario.h"

#include "tests/game/ParticleTestSupport.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

// A profile file in a scratch folder behind the host; the scenario's
// records are forgotten around each test.
class ProgressTest : public ::testing::Test {
protected:
    ProgressTest()
    {
        host.profilePath = dir / "profile0.prf";
        Scenario::Instance().ClearLevels();
    }
    ~ProgressTest() override { Scenario::Instance().ClearLevels(); }

    TempDir dir;
    LogCapture log;
    FakeShellHost host;
};

TEST_F(ProgressTest, AFreshProfileReadsAsTheInitialValues)
{
    PlayerInfo player;
    player.showTutorial = false;
    player.progress = 0.5f;
    player.Load();
    PlayerInfo fresh;
    EXPECT_FALSE(player.showTutorial); // missing keys keep what was there
    fresh.Load();
    EXPECT_TRUE(fresh.showTutorial);
    EXPECT_EQ(fresh.timePlayed, 0.0f);
    EXPECT_EQ(fresh.progress, 0.0f);
    EXPECT_FALSE(fresh.gameComplete);
    EXPECT_EQ(fresh.currentTutorialStep, 0);
    EXPECT_FALSE(fresh.tutorialHogItems);
    EXPECT_FALSE(fresh.tutorialHogHint);
    EXPECT_TRUE(fresh.notebook.empty());
}

TEST_F(ProgressTest, PlayerValuesAndNotebookAreSavedToTheProfileAndReadBack)
{
    PlayerInfo player;
    player.timePlayed = 3723.5f;
    player.progress = 0.25f;
    player.gameComplete = true;
    player.showTutorial = false;
    player.currentTutorialStep = 7;
    player.tutorialHogItems = true;
    auto diary = std::make_unique<NotebookEntry>();
    diary->number = 3;
    diary->flag = true;
    diary->values = {{"a", 1}, {"b", 2}};
    player.notebook["diary"] = std::move(diary);
    player.notebook["map"] = std::make_unique<NotebookEntry>();
    player.Save();
    host.SaveCurrentProfile();

    EXPECT_EQ(host.Profile("Notebook", "diary"), "3,1,a,1,b,2");
    EXPECT_EQ(host.Profile("Notebook", "map"), "0,0");
    EXPECT_EQ(host.Profile("Main", "Notebook"), "diary,map");
    EXPECT_EQ(host.Profile("Main", "Progress"), "0.25");
    EXPECT_EQ(host.Profile("Main", "TimePlayed"), "3723.5");
    EXPECT_EQ(host.Profile("Main", "IsShowTutorial"), "0");
    EXPECT_EQ(host.Profile("Main", "CurTutor"), "7");

    host.DropProfile();
    PlayerInfo back;
    back.Load();
    EXPECT_EQ(back.timePlayed, 3723.5f);
    EXPECT_EQ(back.progress, 0.25f);
    EXPECT_TRUE(back.gameComplete);
    EXPECT_FALSE(back.showTutorial);
    EXPECT_EQ(back.currentTutorialStep, 7);
    EXPECT_TRUE(back.tutorialHogItems);
    EXPECT_FALSE(back.tutorialHogHint);
    ASSERT_EQ(back.notebook.size(), 2u);
    EXPECT_EQ(back.notebook["diary"]->number, 3);
    EXPECT_TRUE(back.notebook["diary"]->flag);
    EXPECT_EQ(back.notebook["diary"]->values, (std::map<std::string, int32_t>{{"a", 1}, {"b", 2}}));
}

TEST_F(ProgressTest, ProgressPartsAddUpAndABadCountIsGuarded)
{
    struct Case {
        const char* parts; // null: the key is missing
        int calls;
        float want;
        bool logged;
    };
    const Case cases[] = {
        {"4", 4, 1.0f, false},      {nullptr, 11, 0.5f, false}, // 22 by default
        {"0", 11, 0.5f, true},                                  // no division by zero: the default is used
        {"-3", 1, 1.0f / 22, true}, {"2", 5, 1.0f, false},      // never past 1
    };
    for (const Case& c : cases) {
        LogCapture caseLog;
        host.settings.clear();
        if (c.parts)
            host.settings["Game:ProgressParts"] = c.parts;
        PlayerInfo player;
        const int savesBefore = host.saves;
        for (int i = 0; i < c.calls; ++i)
            player.AddProgressPart();
        EXPECT_NEAR(player.progress, c.want, 1e-6) << (c.parts ? c.parts : "none");
        EXPECT_EQ(host.saves - savesBefore, c.calls);
        EXPECT_EQ(caseLog.Contains("ProgressParts"), c.logged) << (c.parts ? c.parts : "none");
    }
}

TEST_F(ProgressTest, LevelRecordsAreStoredAndReadBack)
{
    Scenario& scenario = Scenario::Instance();
    LevelInfo* hall = scenario.GetLevelInfo("Hall");
    EXPECT_FALSE(hall->passed);
    hall->value = 0.5f;
    scenario.SetLevelPassed("Hall");
    EXPECT_EQ(host.Profile("Levels", "Hall"), "1,0.500");
    EXPECT_EQ(scenario.GetLevelInfo("Hall"), hall);
    EXPECT_TRUE(hall->reloadOnStart);

    scenario.GetLevelInfo("Cellar")->value = 0.25f;
    StoreAllLevelInfos();
    host.SaveCurrentProfile();
    EXPECT_EQ(host.Profile("Levels", "Cellar"), "0,0.250");

    // LoadAll forgets the records; they are read again from the profile.
    host.DropProfile();
    scenario.LoadAll();
    EXPECT_EQ(host.restores, 1);
    EXPECT_TRUE(scenario.levels.empty());
    EXPECT_EQ(scenario.FindLevel("Hall"), nullptr);
    LevelInfo* again = scenario.GetLevelInfo("Hall");
    EXPECT_TRUE(again->passed);
    EXPECT_FALSE(again->reloadOnStart);
    EXPECT_EQ(again->value, 0.5f);
    EXPECT_EQ(scenario.FindLevel("Hall"), again);
}

TEST_F(ProgressTest, PassingALevelThatHasNoRecordMakesOne)
{
    Scenario::Instance().SetLevelPassed("Attic");
    ASSERT_NE(Scenario::Instance().FindLevel("Attic"), nullptr);
    EXPECT_TRUE(Scenario::Instance().FindLevel("Attic")->passed);
    EXPECT_EQ(host.Profile("Levels", "Attic"), "1,0.000");
}

TEST_F(ProgressTest, StartingAPassedActiveLevelRebuildsItOnce)
{
    Scenario& scenario = Scenario::Instance();
    scenario.SetLevelPassed("Hall");
    host.activeLevel = true;
    scenario.StartLevel("Hall");
    EXPECT_EQ(host.releases, 1);
    host.activeLevel = true; // the board made it active again
    scenario.Start("Hall");
    EXPECT_EQ(host.releases, 1);
    EXPECT_EQ(host.boards, (std::vector<std::string>{"Hall", "Hall"}));
}

TEST_F(ProgressTest, TheTimePlayedAndALevelNamedTimePlayedKeepApart)
{
    PlayerInfo player;
    player.timePlayed = 90.0f;
    player.Save();
    Scenario::Instance().GetLevelInfo("TimePlayed")->value = 0.75f;
    Scenario::Instance().SetLevelPassed("TimePlayed");
    player.Save();
    host.DropProfile();

    PlayerInfo back;
    back.Load();
    EXPECT_EQ(back.timePlayed, 90.0f);
    Scenario::Instance().ClearLevels();
    EXPECT_TRUE(Scenario::Instance().GetLevelInfo("TimePlayed")->passed);
    EXPECT_EQ(Scenario::Instance().GetLevelInfo("TimePlayed")->value, 0.75f);
}

TEST_F(ProgressTest, TheTimePlayedOfAnOlderProfileIsStillRead)
{
    struct Case {
        const char* file;
        float want;
    };
    const Case cases[] = {
        {"[Levels]\r\nTimePlayed=125.5\r\n", 125.5f},
        {"[Levels]\r\nTimePlayed=1,0.500\r\n", 0.0f}, // a level's record, not a time
        {"[Main]\r\nTimePlayed=7\r\n[Levels]\r\nTimePlayed=125.5\r\n", 7.0f},
    };
    for (const Case& c : cases) {
        dir.WriteFile("profile0.prf", c.file);
        host.DropProfile();
        PlayerInfo player;
        player.Load();
        EXPECT_EQ(player.timePlayed, c.want) << c.file;
    }
}

TEST(LevelInfoTest, ParseAndSerialize)
{
    struct Case {
        const char* text;
        bool passed;
        float value;
        const char* back;
    };
    const Case cases[] = {
        {"1,0.500", true, 0.5f, "1,0.500"}, {"0,2", false, 2.0f, "0,2.000"}, {"1", true, 0.0f, "1,0.000"},
        {"2,1", false, 1.0f, "0,1.000"},    {"x,y", false, 0.0f, "0,0.000"}, {"", false, 0.0f, "0,0.000"},
    };
    for (const Case& c : cases) {
        LevelInfo info("L");
        info.Parse(c.text);
        EXPECT_EQ(info.passed, c.passed) << c.text;
        EXPECT_EQ(info.value, c.value) << c.text;
        EXPECT_EQ(info.Serialize(), c.back) << c.text;
    }
}

} // namespace
} // namespace Quib::Testing
