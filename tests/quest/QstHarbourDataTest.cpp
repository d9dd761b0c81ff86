// The generated demo scene "harbour" loads through the scene loader from the
// game's data tree, and its scripts change item states as the player would.
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"
#include "src/game/quest/actions/QstActionData.h"
#include "tests/support/GameProfileSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class QstHarbourDataTest : public GameProfileTest {
protected:
    QstHarbourDataTest() : GameProfileTest(u"sailor") {}
    std::string Boxes() const
    {
        std::string all;
        for (const auto& box : sink.boxes)
            all += box.text + "|";
        return all;
    }
    static std::string StateOf(QstScene* scene, const char* item)
    {
        QstItem* found = scene->GetItem(item);
        return found && found->GetCurrentState() ? found->GetCurrentState()->name : "<none>";
    }
};

TEST_F(QstHarbourDataTest, TheHarbourLoadsWithItsFieldsItemsAndScripts)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.Start("harbour");
    QstScene* harbour = controller.GetActiveScene();
    ASSERT_NE(harbour, nullptr) << Boxes();
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(harbour->GetClusterName(), "harbour");
    for (const char* field : {"main", "chest", "pool"})
        EXPECT_NE(harbour->GetField(field), nullptr) << field;
    ASSERT_EQ(harbour->onScreenFields.size(), 1u);
    EXPECT_EQ(harbour->onScreenFields[0]->name, "main");
    EXPECT_EQ(harbour->items.size(), 12u);
    // What a new game starting here runs: the intro movie.
    EXPECT_NE(harbour->FindActionData("StartAction"), nullptr);
    // Every layer kind: images, an animation and particles in the lit
    // lantern, the sea, a text, and the distortion over them.
    EXPECT_NE(harbour->distortion, nullptr);
    EXPECT_EQ(harbour->GetItem("lantern")->GetState("lit")->layers.size(), 3u);
    EXPECT_EQ(harbour->GetItem("sea")->GetCurrentState()->layers.size(), 1u);
    EXPECT_EQ(harbour->GetItem("sign")->GetCurrentState()->layers.size(), 2u); // the board and its text
    EXPECT_EQ(StateOf(harbour, "crate"), "closed");
    EXPECT_EQ(StateOf(harbour, "match"), "off");
    EXPECT_EQ(StateOf(harbour, "lantern"), "dark");
    EXPECT_EQ(StateOf(harbour, "key"), "off");
    // Every state image names a layer of the picture, and each is shown by a field.
    EXPECT_NE(harbour->FindPsdLayer("main/back"), nullptr);
    EXPECT_EQ(harbour->GetItem("crate")->GetState("closed")->layers.size(), 1u);
    EXPECT_NE(harbour->FindActionData("crate.closed_OnClick"), nullptr);
    EXPECT_NE(harbour->FindActionData("match.pool_OnUse00"), nullptr);
}

TEST_F(QstHarbourDataTest, ClicksAndUsesRunTheScripts)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstScene* harbour = controller.GetOrLoadScene("harbour");
    ASSERT_NE(harbour, nullptr);
    harbour->SetPool(controller.GetPoolData(harbour->GetClusterName()));

    harbour->GetItem("crate")->GetCurrentState()->OnClick();
    harbour->UpdateScene(0.01f);
    EXPECT_EQ(StateOf(harbour, "crate"), "open");
    EXPECT_EQ(StateOf(harbour, "match"), "normal");

    harbour->GetItem("chest")->GetCurrentState()->OnClick();
    ASSERT_EQ(harbour->onScreenFields.size(), 2u);
    EXPECT_EQ(harbour->GetTopField()->name, "chest");

    // The match in the inventory lights the lantern; the key is still hidden.
    harbour->GetItem("match")->SetState("pool", true);
    EXPECT_FALSE(harbour->GetItem("match")->GetCurrentState()->OnUse("harbour:lantern", "lit"));
    EXPECT_TRUE(harbour->GetItem("match")->GetCurrentState()->OnUse("harbour:lantern", "dark"));
    harbour->UpdateScene(0.01f);
    EXPECT_EQ(StateOf(harbour, "lantern"), "lit");

    // The state survives the profile.
    harbour->SaveState();
    QstScene again("harbour");
    again.LoadLevel();
    again.LoadState();
    EXPECT_EQ(StateOf(&again, "crate"), "open");
    EXPECT_EQ(StateOf(&again, "lantern"), "lit");
    EXPECT_EQ(again.onScreenFields.size(), 2u);
    EXPECT_EQ(Boxes(), "");
}

TEST_F(QstHarbourDataTest, HintsFindTheThingsToDo)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.PrepareHints();
    QstScene* harbour = controller.GetOrLoadScene("harbour");
    std::vector<QstClickTarget> clicks;
    std::vector<QstUseTarget> uses;
    harbour->CollectActionable(clicks, uses);
    std::vector<std::string> items;
    for (const QstClickTarget& click : clicks)
        items.push_back(click.item ? click.item->GetName() : "?");
    // The chest opens a close-up with something to do: offered first.
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front(), "chest");
    EXPECT_NE(std::find(items.begin(), items.end(), "crate"), items.end());
}

TEST_F(QstHarbourDataTest, AClickWithNothingToDoShowsTheHintAndTheHintButtonFindsWork)
{
    QstScene* harbour = QstGameControllerScene::Instance().GetOrLoadScene("harbour");
    std::vector<std::u16string> shown;
    harbour->messageDelegate = [&shown](const std::u16string& text, float) { shown.push_back(text); };

    QstItemState* dark = harbour->GetItem("lantern")->GetCurrentState();
    std::string popup;
    dark->OnClick(); // no click group: its hint text
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], u"The lantern is dark. Something could light it.");
    EXPECT_EQ(dark->hintId, "harbour.main/lantern_dark");
    EXPECT_EQ(dark->GetCursorType(popup, nullptr), QST_CURSOR_HINT);
    EXPECT_EQ(harbour->GetItem("crate")->GetCurrentState()->GetCursorType(popup, nullptr), QST_CURSOR_USE);
    EXPECT_EQ(harbour->GetItem("chest")->GetCurrentState()->GetCursorType(popup, nullptr), QST_CURSOR_CLOSEUP);
    EXPECT_EQ(popup, "chest");

    // The emptied chest has its own text.
    QstItemState* open = harbour->GetItem("lid")->GetState("open");
    open->OnClick();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], u"The chest is empty now.");
    EXPECT_EQ(open->hintId, "harbour.chest/lid_open");
    // A state whose hint text is missing shows its hint id, never "???".
    open->hintId = "harbour.chest/lid_gone";
    open->OnClick();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], u"harbour.chest/lid_gone");
    EXPECT_TRUE(harbour->ShowHint());
}

TEST_F(QstHarbourDataTest, TheIdleGlintWaitsForItsCountdown)
{
    QstScene* harbour = QstGameControllerScene::Instance().GetOrLoadScene("harbour");
    EXPECT_GE(harbour->hintGlintCountdown, 4.0f);
    EXPECT_LE(harbour->hintGlintCountdown, 8.0f);
    harbour->hintGlintCountdown = 1.0f;
    harbour->UpdateScene(0.5f);
    EXPECT_FLOAT_EQ(harbour->hintGlintCountdown, 0.5f);
    harbour->hintGlintCountdown = 0.3f;
    harbour->UpdateScene(0.5f); // passes zero: a glint and a new countdown
    EXPECT_GE(harbour->hintGlintCountdown, 4.0f);
    EXPECT_LE(harbour->hintGlintCountdown, 8.0f);
    harbour->distortion->time = 0.0f;
    harbour->UpdateScene(0.25f);
    EXPECT_FLOAT_EQ(harbour->distortion->time, 0.25f);
}

TEST_F(QstHarbourDataTest, WinningTheMarketReadsTheBoardAndPutsTheCoinIntoThePool)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstScene* harbour = controller.GetOrLoadScene("harbour");
    QstPoolData* pool = controller.GetPoolData(harbour->GetClusterName());
    harbour->SetPool(pool);
    std::string popup;
    EXPECT_EQ(harbour->GetItem("sign")->GetCurrentState()->GetCursorType(popup, nullptr), QST_CURSOR_HOG);

    std::string won;
    for (const auto& [name, data] : harbour->actionData)
        if (name.size() > 7 && name.compare(name.size() - 7, 7, "_WinHOG") == 0)
            won = name;
    ASSERT_FALSE(won.empty());
    SBackFromHOGData back;
    back.sceneName = "harbour";
    back.wonActions = won;
    back.SetItem(harbour->GetItem("sign"));
    back.foundItems = {"coin"};
    back.hogItem = "coin";
    // As the level hands it back after "continue": through its text form.
    SBackFromHOGData restored;
    ASSERT_TRUE(restored.Deserialize(back.Serialize()));
    harbour->BackFromHOG(restored, pool);
    harbour->UpdateScene(0.01f);
    EXPECT_EQ(StateOf(harbour, "sign"), "read");
    EXPECT_EQ(StateOf(harbour, "coin"), "pool");
    EXPECT_TRUE(pool->HasItem(harbour->GetItem("coin")));
}

TEST_F(QstHarbourDataTest, AStatePictureClonesTheLayersOfThatState)
{
    QstScene* harbour = QstGameControllerScene::Instance().GetOrLoadScene("harbour");
    ASSERT_NE(harbour, nullptr);
    QstItemStateDraw picture(harbour->GetItem("key"));
    picture.SetState("pool", true);
    ASSERT_NE(picture.state, nullptr);
    EXPECT_EQ(picture.state->name, "pool");
    ASSERT_EQ(picture.layers.size(), 1u);
    EXPECT_EQ(picture.layers[0]->x, 0.0f); // moved to the rectangle's corner
    EXPECT_EQ(picture.layers[0]->y, 0.0f);

    picture.SetState("lost", true);
    EXPECT_EQ(picture.state, nullptr);
    EXPECT_TRUE(picture.layers.empty());
    int logged = 0;
    for (const std::string& line : sink.debugLines)
        logged += line.find("Try to set state \"lost\" for QstItemStateDraw, that doesn't exists (item=\"key\")") !=
                  std::string::npos;
    EXPECT_EQ(logged, 1);
}

} // namespace
} // namespace Quib::Testing
