// The harbour in a headless application: its pictures loaded, the mouse
// pressed where the player would press it, and the scripts run.
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class QstHarbourClicks : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.appWidth = 1024;
        app.appHeight = 768;
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app.inMainLoop = true;
        SetUserDataFolder(Utf8ToUtf16(env.temp / "user"));
        ClearDirectoryCache();
        LoadGameSettings();
        Profiles::Instance().AddProfile(u"deckhand");
        Profiles::Instance().SelectProfile(u"deckhand");
        GameControllerCommon::Instance().Player().showTutorial = WithTutorial();
        QstGameControllerScene& controller = QstGameControllerScene::Instance();
        controller.Start("harbour");
        scene = controller.GetActiveScene();
        ASSERT_NE(scene, nullptr);
        scene->SetBounds(0, 0, 1024, 768);
        scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
        app.widgetManager->AttachChild(scene);
        QstScene::LoadLayers(scene);
    }
    void TearDown() override
    {
        if (scene)
            app.widgetManager->DetachChild(scene);
        QstGameControllerScene::Instance().ClearLevels();
        // The tutorial's frame pictures are the application's images: they go first.
        GameControllerCommon::Instance().FreeSharedPictures();
        SetUserDataFolder(u".");
    }
    void Click(int px, int py)
    {
        app.widgetManager->HandleMouseMove(px, py);
        app.widgetManager->HandleMouseDown(px, py, CLICK_LEFT);
        app.widgetManager->HandleMouseUp(px, py, CLICK_LEFT);
        // Long enough for fades to finish (fields fade by 0.03 an update).
        for (int i = 0; i < 50; ++i)
            scene->UpdateScene(0.02f);
    }
    virtual bool WithTutorial() const { return true; }
    std::string StateOf(const char* item) const { return scene->GetItem(item)->GetCurrentState()->name; }

    ScopedWorkingDirectory cwd{QUIB_GAME_DATA};
    HeadlessAppEnvironment env;
    TestApp app;
    QstScene* scene = nullptr;
};

TEST_F(QstHarbourClicks, TheTutorialLeadsTheFirstClicks)
{
    ASSERT_NE(scene->GetTutor(), nullptr);
    EXPECT_TRUE(scene->layersLoaded);
    Click(10, 300); // the sky: nothing happens
    EXPECT_EQ(StateOf("crate"), "closed");

    Click(480, 580); // the chest: not yet, the tutorial points at the crate
    EXPECT_EQ(scene->onScreenFields.size(), 1u);

    Click(290, 570);
    EXPECT_EQ(StateOf("crate"), "open");
    EXPECT_EQ(StateOf("match"), "normal");
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 1);

    Click(290, 537); // the match goes into the bag
    EXPECT_EQ(StateOf("match"), "pool");
    EXPECT_EQ(GameControllerCommon::Instance().Player().currentTutorialStep, 2);
}

class QstHarbourClicksWithoutTutorial : public QstHarbourClicks {
protected:
    bool WithTutorial() const override { return false; }
};

TEST_F(QstHarbourClicksWithoutTutorial, TheChestOpensItsCloseUp)
{
    EXPECT_EQ(scene->GetTutor(), nullptr);
    Click(480, 580);
    ASSERT_EQ(scene->onScreenFields.size(), 2u);
    EXPECT_EQ(scene->GetTopField()->name, "chest");
    EXPECT_TRUE(scene->GetField("main")->disabled);
    // The lid, then the key under it.
    Click(500, 340);
    EXPECT_EQ(StateOf("lid"), "open");
    EXPECT_EQ(StateOf("key"), "normal");
    Click(500, 384);
    EXPECT_EQ(StateOf("key"), "pool");
}

} // namespace
} // namespace Quib::Testing
