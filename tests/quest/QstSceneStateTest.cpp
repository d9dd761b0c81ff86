// Scene state in the player's profile, the scene registry and its recent
// scenes, the pools' records, and the return from hidden-object levels.
#include "src/Profiles.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "tests/quest/QstCoreTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

const char* const kHallXml = R"(<Scene ambient_sounds="x">)"
                             R"(<Item name="box" start_state="closed"><State name="closed"/><State name="open"/></Item>)"
                             R"(<Item name="lamp"><State name="normal"/><State name="lit"/><State name="pool"/></Item>)"
                             R"(<Field name="main" mask="main/"/><Field name="cupboard" mask="cupboard/"/>)"
                             R"(<Field name="drawer" mask="drawer/"/></Scene>)";

class QstSceneStateTest : public QstCoreSceneTest {
protected:
    std::string Stored(const std::string& scene)
    {
        std::string value = "<none>";
        Profiles::Instance().Lookup("Scenes", scene, value);
        return value;
    }
};

TEST_F(QstSceneStateTest, OnlyChangedItemsAreStoredAndAChangeBackClearsTheValue)
{
    WriteScene("Hall", kHallXml);
    QstScene* hall = LoadOwn("Hall");
    hall->SaveState();
    EXPECT_EQ(Stored("Hall"), "<none>"); // nothing to store, no key made

    ASSERT_TRUE(hall->GetItem("box")->SetState("open", true));
    hall->SaveState();
    EXPECT_EQ(Stored("Hall"), "<Scene>\n    <Item state=\"open\" name=\"box\" />\n</Scene>\n");

    hall->GetItem("box")->SetState("closed", true);
    hall->SaveState();
    EXPECT_EQ(Stored("Hall"), ""); // the key stays, empty
}

TEST_F(QstSceneStateTest, ItemsAndPopupsComeBackInOrder)
{
    WriteScene("Hall", kHallXml);
    QstScene* first = LoadOwn("Hall");
    first->GetItem("lamp")->SetState("lit", true);
    first->AddPopupField("drawer", true);
    first->AddPopupField("cupboard", true);
    first->SaveState();
    EXPECT_NE(Stored("Hall").find("draw_fields=\"drawer,cupboard\""), std::string::npos) << Stored("Hall");

    QstScene* second = LoadOwn("Hall");
    second->LoadState();
    EXPECT_EQ(second->GetItem("lamp")->GetCurrentState()->name, "lit");
    EXPECT_EQ(second->GetItem("box")->GetCurrentState()->name, "closed");
    ASSERT_EQ(second->onScreenFields.size(), 3u);
    EXPECT_EQ(second->onScreenFields[1]->name, "drawer");
    EXPECT_EQ(second->onScreenFields[2]->name, "cupboard");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(QstSceneStateTest, AStaleProfileStopsAtTheFirstUnknownItemAndSkipsUnknownPopups)
{
    WriteScene("Hall", kHallXml);
    QstScene* hall = LoadOwn("Hall");
    Profiles::Instance().SetString("Scenes", "Hall",
                                   "<Scene draw_fields=\"gone,drawer\">\n    <Item state=\"open\" name=\"box\" />\n"
                                   "    <Item state=\"x\" name=\"vase\" />\n    <Item state=\"lit\" name=\"lamp\" />\n"
                                   "</Scene>\n");
    hall->LoadState();
    EXPECT_EQ(hall->GetItem("box")->GetCurrentState()->name, "open");
    EXPECT_EQ(hall->GetItem("lamp")->GetCurrentState()->name, "normal"); // after the unknown one
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text.rfind("Try to load from profile item that does not exists: \"vase\"", 0), 0u);
    EXPECT_EQ(hall->onScreenFields.size(), 1u); // the restoring ended before the popups

    // Only the popup list is stale: the unknown name is logged and skipped.
    ClearCaught();
    Profiles::Instance().SetString("Scenes", "Hall", "<Scene draw_fields=\"gone,drawer\" />\n");
    hall->LoadState();
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_EQ(LogCount("the profile names a field that does not exist: \"gone\""), 1);
    ASSERT_EQ(hall->onScreenFields.size(), 2u);
    EXPECT_EQ(hall->onScreenFields[1]->name, "drawer");
}

TEST_F(QstSceneStateTest, AMalformedValueRestoresNothingAndShowsNothing)
{
    WriteScene("Hall", kHallXml);
    QstScene* hall = LoadOwn("Hall");
    for (const char* value : {"<Scene><Item", "<Other/>", "not xml at all", "<Scene><Item state=\"open\"/></Scene>"}) {
        Profiles::Instance().SetString("Scenes", "Hall", value);
        hall->LoadState();
        EXPECT_EQ(hall->GetItem("box")->GetCurrentState()->name, "closed") << value;
    }
    EXPECT_EQ(sink.boxes.size(), 1u); // the item without a name
}

TEST_F(QstSceneStateTest, RecentScenesReleaseTheImagesOfTheSceneLeftBehind)
{
    for (const char* name : {"hall", "cellar", "garden"})
        WriteScene(name, R"(<Scene ambient_sounds="x"><Field name="main" mask="main/"/></Scene>)");
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstScene* hall = Registry("hall");
    QstScene::LoadLayers(hall);
    ASSERT_TRUE(hall->layersLoaded);

    controller.Start("hall");
    controller.Start("cellar");
    controller.Start("hall");
    EXPECT_EQ(controller.RecentScenes(), (std::list<std::string>{"cellar", "hall"}));
    EXPECT_TRUE(hall->layersLoaded);
    std::string last;
    Profiles::Instance().Lookup("Main", "LastScene", last);
    EXPECT_EQ(last, "scene:hall");

    controller.Start("hall"); // already last: only LastScene is written
    EXPECT_EQ(controller.RecentScenes(), (std::list<std::string>{"cellar", "hall"}));

    controller.Start("garden");
    EXPECT_EQ(controller.RecentScenes(), (std::list<std::string>{"hall", "garden"}));
    EXPECT_TRUE(hall->layersLoaded);
    controller.Start("cellar");
    EXPECT_EQ(controller.RecentScenes(), (std::list<std::string>{"garden", "cellar"}));
    EXPECT_FALSE(hall->layersLoaded);
    EXPECT_EQ(controller.FindLoadedScene("hall"), hall); // kept, with its items
}

TEST_F(QstSceneStateTest, TheActiveSceneIsTheLevelNamedAndFailedScenesAreNeverActive)
{
    WriteScene("Hall", kHallXml);
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.Start("Hall");
    QstScene* hall = controller.GetActiveScene();
    ASSERT_NE(hall, nullptr);
    EXPECT_EQ(controller.GetActiveScene(), hall);
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, hall);
    // Names from the settings come lower-cased: the same scene object.
    EXPECT_EQ(controller.GetOrLoadScene("hall"), hall);

    controller.Start("Broken");
    EXPECT_EQ(controller.GetActiveScene(), nullptr);
    EXPECT_EQ(GameControllerCommon::Instance().activeLevel, nullptr);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Can't load file"});
}

TEST_F(QstSceneStateTest, AFirstLoadedSceneComesBackWithTheProgressTheProfileKeeps)
{
    // The game starts again: the profile holds the scene's state, the
    // registry has not loaded the scene yet.
    WriteScene("Hall", kHallXml);
    Profiles::Instance().SetString("Scenes", "hall",
                                   "<Scene>\n    <Item state=\"open\" name=\"box\" />\n    "
                                   "<Item state=\"lit\" name=\"lamp\" />\n</Scene>\n");
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstScene* hall = controller.GetOrLoadScene("hall");
    ASSERT_NE(hall, nullptr);
    EXPECT_EQ(hall->GetItem("box")->GetCurrentState()->name, "open");
    EXPECT_EQ(hall->GetItem("lamp")->GetCurrentState()->name, "lit");
    // Loaded once: a later look-up keeps what changed since.
    hall->GetItem("box")->SetState("closed", true);
    EXPECT_EQ(controller.GetOrLoadScene("hall"), hall);
    EXPECT_EQ(hall->GetItem("box")->GetCurrentState()->name, "closed");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(QstSceneStateTest, PoolsAreStoredPerClusterWithTheirList)
{
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.GetPoolData("harbour");
    controller.GetPoolData("town");
    controller.SavePools();
    Profiles& profiles = Profiles::Instance();
    EXPECT_EQ(profiles.GetString("Main", "Pools"), "harbour,town");
    std::string value;
    EXPECT_FALSE(profiles.Lookup("Pools", "harbour", value)); // empty and never stored: no key
    profiles.SetString("Pools", "town", "old");
    controller.SavePools();
    EXPECT_TRUE(profiles.Lookup("Pools", "town", value));
    EXPECT_EQ(value, ""); // an old value is cleared
}

TEST_F(QstSceneStateTest, TheReturnRecordHoldsItsItemByNameAndReadsBackExactly)
{
    SBackFromHOGData data;
    data.sceneName = "Hall";
    data.wonActions = "box.closed_Won";
    data.itemRef = "Hall:box";
    data.foundItems = {"lamp", "coin"};
    data.noToPool = true;
    data.hogItem = "chest";
    const std::string text = data.Serialize();
    EXPECT_EQ(text, "Hall,box.closed_Won,Hall:box,1,chest,2,lamp,coin");
    SBackFromHOGData back;
    ASSERT_TRUE(back.Deserialize(text));
    EXPECT_EQ(back.Serialize(), text);

    for (const char* bad : {"", "a,b,c", "Hall,w,,0,h,3,a,b", "Hall,w,,0,h,-1", "Hall,w,,0,h,x", "Hall,w,,0,h,1"}) {
        SBackFromHOGData untouched = back;
        EXPECT_FALSE(untouched.Deserialize(bad)) << bad;
        EXPECT_EQ(untouched.Serialize(), text);
    }
    SBackFromHOGData none;
    EXPECT_TRUE(none.Deserialize("Hall,,,0,,0"));
    EXPECT_TRUE(none.foundItems.empty());
    EXPECT_EQ(none.GetItem(), nullptr);
}

TEST_F(QstSceneStateTest, WinningALevelPutsTheFoundItemsIntoThePoolInTheirPoolState)
{
    WriteScene("Hall", kHallXml);
    QstScene* hall = Registry("Hall");
    SBackFromHOGData data;
    data.sceneName = "Hall";
    data.SetItem(hall->GetItem("box"));
    EXPECT_EQ(data.itemRef, "Hall:box");
    data.foundItems = {"lamp", "ghost"};
    QstPoolData pool;
    hall->BackFromHOG(data, &pool);
    EXPECT_EQ(hall->GetItem("lamp")->GetCurrentState()->name, "pool");
    EXPECT_TRUE(pool.HasItem(hall->GetItem("lamp")));
    EXPECT_EQ(LogCount("Failed to get item \"ghost\" ()"), 1);

    // The item is found again after the registry was emptied and the scene loaded anew.
    QstGameControllerScene::Instance().ClearLevels();
    QstItem* again = data.GetItem();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->GetListener(), nullptr);
    EXPECT_EQ(again->GetFullName(), "Hall:box");

    // No to pool: the items stay where they are.
    data.noToPool = true;
    QstScene* fresh = Registry("Hall");
    // The reloaded scene has its state back from the profile.
    EXPECT_EQ(fresh->GetItem("lamp")->GetCurrentState()->name, "pool");
    fresh->GetItem("lamp")->SetState("normal", true);
    QstPoolData other;
    fresh->BackFromHOG(data, &other);
    EXPECT_EQ(fresh->GetItem("lamp")->GetCurrentState()->name, "normal");
    EXPECT_FALSE(other.HasItem(fresh->GetItem("lamp")));
}

} // namespace
} // namespace Quib::Testing
