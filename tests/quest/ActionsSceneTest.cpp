// Action scripts run on small scenes: clicks, frames, other scenes, the
// inventory, fields, bubbles and the return from hidden-object levels.
#include "platform/FileNames.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/game/quest/QstBoardHooks.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/quest/actions/QstActionData.h"
#include "tests/quest/QstCoreTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

const char* const kQaActionLayers = "main/back = 0 0 0 0 0 0 0\r\nlocker/back = 300 100 0 0 0 0 9\r\n";

// Dock and Pier form the cluster Harbour.
class ActionsSceneTest : public QstCoreSceneTest {
protected:
    void WriteDock(const std::string& items, const std::string& fields = "")
    {
        WriteScene("Dock",
                   R"(<Scene ambient_sounds="harbour">)" + items +
                       R"(<Field name="main" mask="main/"/><Field name="locker" mask="locker/"/>)" + fields +
                       "</Scene>",
                   kQaActionLayers);
    }

    QstScene* Dock() { return Registry("Dock"); }

    std::string StateOf(QstScene* scene, const std::string& item)
    {
        QstItem* found = scene->GetItem(item);
        return found && found->GetCurrentState() ? found->GetCurrentState()->name : "<none>";
    }

    // What a click on the item's current state runs.
    void Click(const std::string& item)
    {
        QstItem* found = Dock()->GetItem(item);
        ASSERT_NE(found, nullptr) << item;
        Dock()->DoCreateAction(found, item + "." + found->GetCurrentState()->name + "_OnClick", true, true);
    }

    void Frames(int count, float seconds)
    {
        for (int i = 0; i < count; ++i)
            Dock()->UpdateScene(seconds);
    }

    // The pool of the cluster (the settings give it as "harbour").
    QstPoolData* Harbour() { return QstGameControllerScene::Instance().GetPoolData(Dock()->GetClusterName()); }
};

TEST_F(ActionsSceneTest, SetStateSwitchesTheClickedItemOrANamedOneInAnotherScene)
{
    WriteScene("Pier", R"(<Scene ambient_sounds="harbour"><Item name="rope" start_state="tied"><State name="tied"/>)"
                       R"(<State name="loose"/></Item><Field name="main" mask="main/"/></Scene>)",
               "main/back = 0 0 0 0 0 0 0\r\n");
    WriteDock(R"(<Item name="box" start_state="closed"><State name="closed"><OnClick>)"
              R"(<SetState new_state="open" is_immediately="1"/><SetState item="Pier:rope" new_state="loose"/>)"
              R"(<SetState item="ghost" new_state="x"/></OnClick></State><State name="open"/></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("box");
    EXPECT_EQ(StateOf(Dock(), "box"), "open");
    EXPECT_EQ(StateOf(Registry("Pier"), "rope"), "loose");
    // Done at once, gone after the next frame.
    EXPECT_EQ(Dock()->runningActions.Size(), 1u);
    Frames(1, 0.02f);
    EXPECT_TRUE(Dock()->runningActions.Empty());
}

TEST_F(ActionsSceneTest, WaitsAndChecksRunOverFrames)
{
    WriteDock(R"(<Item name="door" start_state="closed"><State name="closed"/><State name="open"/></Item>)"
              R"(<Item name="lamp" start_state="off"><State name="off"><OnClick>)"
              R"(<CheckState item1="door" state1="open"><SetState new_state="on"/></CheckState>)"
              R"(<Wait time="1.5"><SetState item="door" new_state="open"/></Wait>)"
              R"(</OnClick></State><State name="on"/></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("lamp");
    EXPECT_EQ(StateOf(Dock(), "lamp"), "off"); // the door was closed
    Frames(7, 0.2f);
    EXPECT_EQ(StateOf(Dock(), "door"), "closed");
    Frames(1, 0.2f); // 1.6 s
    EXPECT_EQ(StateOf(Dock(), "door"), "open");
    Frames(2, 0.2f);
    EXPECT_TRUE(Dock()->runningActions.Empty());
    Click("lamp");
    EXPECT_EQ(StateOf(Dock(), "lamp"), "on");
}

TEST_F(ActionsSceneTest, AMissingCheckedItemFailsTheCheck)
{
    WriteDock(R"(<Item name="lamp" start_state="off"><State name="off"><OnClick>)"
              R"(<CheckState item1="ghost" state1="here"><SetState new_state="on"/></CheckState>)"
              R"(</OnClick></State><State name="on"/></Item>)");
    Click("lamp");
    EXPECT_EQ(StateOf(Dock(), "lamp"), "off");
    EXPECT_EQ(LogCount("can't get state for item \"ghost\""), 1);
    std::string popup;
    EXPECT_EQ(Dock()->DoItemActionHitTest(Dock()->GetItem("lamp"), "lamp.off_OnClick", popup, nullptr),
              QST_CURSOR_NONE);
}

TEST_F(ActionsSceneTest, ToPoolAndRemoveFromPoolWorkOnTheClusterPool)
{
    WriteDock(R"(<Item name="key" start_state="hook"><State name="hook"><OnClick><ToPool new_state="pool" no_fly="1"/>)"
              R"(</OnClick></State><State name="pool"/></Item>)"
              R"(<Item name="chest" start_state="shut"><State name="shut"><OnClick><RemoveFromPool item="key"/>)"
              R"(<ToPool item="ghost" new_state="pool"/><RemoveFromPool item="nobody"/>)"
              R"(</OnClick></State></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("key");
    QstItem* key = Dock()->GetItem("key");
    EXPECT_EQ(StateOf(Dock(), "key"), "pool");
    EXPECT_TRUE(Harbour()->HasItem(key));
    Click("chest");
    EXPECT_FALSE(Harbour()->HasItem(key));
    EXPECT_EQ(LogCount("QstActor::ToPool: Item \"ghost\" not found"), 1);
    EXPECT_EQ(LogCount("QstActor::RemoveFromPool: Item \"nobody\" not found"), 1);
}

TEST_F(ActionsSceneTest, AnItemPutIntoADestinationMakesNoEntryOfItsOwn)
{
    WriteDock(R"(<Item name="flask" start_state="s"><State name="s"><OnClick><ToPool new_state="pool" no_fly="1"/>)"
              R"(</OnClick></State><State name="pool"/><State name="full"/></Item>)"
              R"(<Item name="water" start_state="s"><State name="s"><OnClick>)"
              R"(<ToPool new_state="gone" dst_item="flask" no_fly="1"/><SetState item="flask" new_state="full")"
              R"( is_update_pool="1"/></OnClick></State><State name="gone"/></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("flask");
    Click("water");
    EXPECT_TRUE(Harbour()->HasItem(Dock()->GetItem("flask")));
    EXPECT_FALSE(Harbour()->HasItem(Dock()->GetItem("water")));
    EXPECT_EQ(StateOf(Dock(), "water"), "gone");
    EXPECT_EQ(StateOf(Dock(), "flask"), "full");
    // is_update_pool: the flask's entry shows its new state.
    ASSERT_NE(Harbour()->FindEntry(Dock()->GetItem("flask")), nullptr);
    EXPECT_EQ(Harbour()->FindEntry(Dock()->GetItem("flask"))->StateName(), "full");
}

TEST_F(ActionsSceneTest, FieldsOpenCloseAndLoseTheirCloseControl)
{
    WriteDock(R"(<Item name="cupboard" start_state="s"><State name="s"><OnClick><AddPopupField field_name="locker"/>)"
              R"(<DisablePopupClose field_name="locker"/><AddPopupField field_name="nowhere"/></OnClick></State></Item>)"
              R"(<Item name="shelf" start_state="s"><State name="s"><OnClick><RemovePopupField/></OnClick></State></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("cupboard");
    ASSERT_EQ(Dock()->onScreenFields.size(), 2u);
    EXPECT_EQ(Dock()->onScreenFields.back(), Dock()->GetField("locker"));
    EXPECT_FALSE(Dock()->GetField("locker")->closable);
    EXPECT_TRUE(Dock()->GetField("locker")->closeHidden);
    std::string popup;
    EXPECT_EQ(Dock()->DoItemActionHitTest(Dock()->GetItem("cupboard"), "cupboard.s_OnClick", popup, nullptr),
              QST_CURSOR_CLOSEUP);
    EXPECT_EQ(popup, "nowhere");
}

TEST_F(ActionsSceneTest, AFieldReferenceWithASceneAlwaysGoesThroughTheRegistry)
{
    WriteDock(R"(<Item name="cupboard" start_state="s"><State name="s"><OnClick><AddPopupField field_name="Dock:locker"/>)"
              R"(<SetState item="Dock:cupboard" new_state="t"/></OnClick></State><State name="t"/></Item>)");
    // A scene of its own, outside the registry, named like the registry's.
    QstScene* own = LoadOwn("Dock");
    own->DoCreateAction(own->GetItem("cupboard"), "cupboard.s_OnClick", true, true);
    EXPECT_EQ(own->onScreenFields.size(), 1u);
    EXPECT_EQ(Dock()->onScreenFields.size(), 2u);
    EXPECT_NE(Dock(), own);
    // An item reference naming the actor's own scene stays in it.
    EXPECT_EQ(StateOf(own, "cupboard"), "t");
    EXPECT_EQ(StateOf(Dock(), "cupboard"), "s");
}

TEST_F(ActionsSceneTest, BubblesSpeakThroughTheScene)
{
    // A 16-bit text file, as the game's.
    std::string wide = "\xff\xfe";
    for (char c : std::string("[MsgBubble]\r\nhello=Hello there\r\n")) {
        wide += c;
        wide += '\0';
    }
    dir.WriteFile("res/lang.ini", wide);
    ClearDirectoryCache();
    Lang::Instance().Reload();
    WriteDock(R"(<Item name="sailor" start_state="s"><State name="s"><OnClick><MsgBubble text="hello"/>)"
              R"(<MsgBubble text=""/></OnClick></State></Item>)");
    std::vector<std::u16string> said;
    Dock()->messageDelegate = [&](const std::u16string& text, float) { said.push_back(text); };
    Click("sailor");
    EXPECT_EQ(said, std::vector<std::u16string>{u"Hello there"});
}

class QaRecordingBoards : public QstBoardHooks {
public:
    QaRecordingBoards() { QstBoardHooks::Set(this); }
    ~QaRecordingBoards() override { QstBoardHooks::Set(nullptr); }
    void StartHOG(const std::string& level, const SBackFromHOGData& data) override
    {
        levels.push_back(level);
        records.push_back(data);
    }
    void StartMovie(const std::string& movie, const SMovieReturnData& data) override
    {
        movies.push_back(movie + ">" + data.nextScene + ">" + data.onDoneGroup + ">" + data.itemRef);
    }
    void GoToScene(const std::string& scene) override { scenes.push_back(scene); }
    std::vector<std::string> levels;
    std::vector<SBackFromHOGData> records;
    std::vector<std::string> movies;
    std::vector<std::string> scenes;
};

TEST_F(ActionsSceneTest, BoardsAreStartedThroughTheHooksAndTheWonGroupRunsOnce)
{
    QaRecordingBoards boards;
    WriteDock(R"(<Item name="wreck" start_state="s"><State name="s"><OnClick>)"
              R"(<ToHOG name="H" item1="anchor" scene_name="hog_wreck" hog_item="anchor"><SetState new_state="done"/>)"
              R"(</ToHOG></OnClick></State><State name="done"/></Item>)"
              R"(<Item name="anchor" start_state="s"><State name="s"/><State name="pool"/></Item>)"
              R"(<Item name="gate" start_state="s"><State name="s"><OnClick><ToScene scene_name="Pier"/>)"
              R"(<ToMovie movie_name="storm" next_scene="Pier"><OnDone><Sound sound_name="x"/></OnDone></ToMovie>)"
              R"(</OnClick></State></Item>)");
    ASSERT_FALSE(Dock()->LoadFailed()) << ::testing::PrintToString(BoxTexts());
    Click("wreck");
    ASSERT_EQ(boards.levels, std::vector<std::string>{"hog_wreck"});
    const SBackFromHOGData& back = boards.records[0];
    EXPECT_EQ(back.sceneName, "Dock");
    EXPECT_EQ(back.wonActions, "H_WinHOG");
    EXPECT_EQ(back.itemRef, "Dock:wreck");
    EXPECT_EQ(back.foundItems, std::vector<std::string>{"anchor"});

    // The level is won: the won actions run, never the level again.
    Dock()->BackFromHOG(back, Harbour());
    EXPECT_EQ(StateOf(Dock(), "wreck"), "done");
    EXPECT_TRUE(Harbour()->HasItem(Dock()->GetItem("anchor")));
    Frames(3, 0.1f);
    EXPECT_EQ(boards.levels.size(), 1u);

    Click("gate");
    EXPECT_EQ(boards.scenes, std::vector<std::string>{"Pier"});
    ASSERT_EQ(boards.movies.size(), 1u);
    EXPECT_EQ(boards.movies[0], "storm>Pier>gate.s_OnClick_01_OnDone>Dock:gate");
}

TEST_F(ActionsSceneTest, SkipHOGTakesTheLevelAsWonAtOnce)
{
    dir.WriteFile("res/game.ini", "[Game]\r\nGenerateHintIds=0\r\nSkipHOG=1\r\n[Clusters]\r\nHarbour=Dock, Pier\r\n");
    LoadGameSettings();
    QaRecordingBoards boards;
    WriteDock(R"(<Item name="wreck" start_state="s"><State name="s"><OnClick>)"
              R"(<ToHOG item1="anchor" scene_name="hog_wreck" hog_item="anchor"><SetState new_state="done"/>)"
              R"(</ToHOG></OnClick></State><State name="done"/></Item>)"
              R"(<Item name="anchor" start_state="s"><State name="s"/><State name="pool"/></Item>)");
    Click("wreck");
    EXPECT_TRUE(boards.levels.empty());
    EXPECT_EQ(StateOf(Dock(), "wreck"), "done");
    EXPECT_TRUE(Harbour()->HasItem(Dock()->GetItem("anchor")));
}

TEST_F(ActionsSceneTest, ANamedWaitInAScriptRunsOnceAndCyclesAreRefused)
{
    WriteDock(R"(<Item name="bell" start_state="a"><State name="a"><OnClick>)"
              R"(<Wait name="W" time="0.1"><SetState new_state="b"/></Wait>)"
              R"(<Action name="loop"><UseAction name="loop"/></Action></OnClick></State>)"
              R"(<State name="b"><OnClick><SetState new_state="a"/></OnClick></State></Item>)");
    Click("bell");
    Frames(20, 0.1f);
    EXPECT_EQ(StateOf(Dock(), "bell"), "b");
    EXPECT_TRUE(Dock()->runningActions.Empty());
    EXPECT_EQ(Dock()->FindActionData("loop"), nullptr);
    EXPECT_NE(Dock()->FindActionData("W"), nullptr);
    EXPECT_NE(Dock()->FindActionData("W_WaitEnd"), nullptr);
}

} // namespace
} // namespace Quib::Testing
