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
        SetUserDataFolder(u".");
    }
    void Click(int px, int py)
    {
        app.widgetManager->HandleMouseMove(px, py);
        app.widgetManager->HandleMouseDown(px, py, CLICK_LEFT);
        app.widgetManager->HandleMouseUp(px, py, CLICK_LEFT);
        for (int i = 0; i < 5; ++i)
            scene->UpdateScene(0.01f);
    }
    std::string StateOf(const char* item) const { return scene->GetItem(item)->GetCurrentState()->name; }

    ScopedWorkingDirectory cwd{QUIB_GAME_DATA};
    HeadlessAppEnvironment env;
    TestApp app;
    QstScene* scene = nullptr;
};

TEST_F(QstHarbourClicks, PressingTheCrateOpensItAndTheChestOpensItsCloseUp)
{
    EXPECT_TRUE(scene->layersLoaded);
    Click(10, 300); // the sky: nothing happens
    EXPECT_EQ(StateOf("crate"), "closed");

    Click(290, 570);
    EXPECT_EQ(StateOf("crate"), "open");
    EXPECT_EQ(StateOf("match"), "normal");

    Click(480, 580);
    ASSERT_EQ(scene->onScreenFields.size(), 2u);
    EXPECT_EQ(scene->GetTopField()->name, "chest");
    // Input goes to the close-up only: the crate's match under it stays.
    Click(285, 536);
    EXPECT_EQ(StateOf("match"), "normal");
}

} // namespace
} // namespace Quib::Testing
