#pragma once
// A scene of the generated data in a headless application: a fresh profile,
// the scene started and attached, and the mouse driven through the widget
// manager. Header-only: it needs the game library, which only the game's
// test programs link.
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

#include <algorithm>
#include <string>
#include <utility>

namespace Quib::Testing {

class SceneAppTest : public ::testing::Test {
protected:
    SceneAppTest(std::string sceneName_, std::u16string profileName_)
        : sceneName(std::move(sceneName_)), profileName(std::move(profileName_))
    {
    }

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
        // A fresh profile: the registry may still hold an earlier test's.
        Profiles::Instance().Clear();
        Profiles::Instance().AddProfile(profileName);
        Profiles::Instance().SelectProfile(profileName);
        BeforeSceneStart();
        QstGameControllerScene& controller = QstGameControllerScene::Instance();
        controller.Start(sceneName);
        scene = controller.GetActiveScene();
        ASSERT_NE(scene, nullptr);
        ASSERT_FALSE(scene->LoadFailed());
        scene->SetBounds(0, 0, 1024, 768);
        scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
        app.widgetManager->AttachChild(scene);
        app.widgetManager->appHasFocus = true;
        QstScene::LoadLayers(scene);
    }

    void TearDown() override
    {
        if (scene && scene->parent)
            app.widgetManager->DetachChild(scene);
        QstGameControllerScene::Instance().ClearLevels();
        // The shared pictures are this application's images: they go first.
        GameControllerCommon::Instance().FreeSharedPictures();
        SetUserDataFolder(u".");
    }

    // Runs after the profile is chosen, before the scene starts.
    virtual void BeforeSceneStart() {}

    // Widgets, scene and the deferred deletions, as one application step.
    void Frame(float seconds = 0.02f)
    {
        app.widgetManager->UpdateFrame();
        scene->UpdateScene(seconds);
        app.FlushDeferredDeletes();
    }
    void Frames(int count, float seconds = 0.02f)
    {
        for (int i = 0; i < count; ++i)
            Frame(seconds);
    }

    // Mouse at a screen point; button 0 left, 1 right.
    void MoveTo(int px, int py) { app.widgetManager->HandleMouseMove(px, py); }
    void Click(int px, int py, int button = 0)
    {
        const ClickCode code = button == 1 ? CLICK_RIGHT : CLICK_LEFT;
        app.widgetManager->HandleMouseMove(px, py);
        app.widgetManager->HandleMouseDown(px, py, code);
        app.widgetManager->HandleMouseUp(px, py, code);
    }
    // The same at a point of a field (its own coordinates).
    void ClickField(QstField* field, float fx, float fy, int button = 0)
    {
        Click(field->x + int(fx), field->y + int(fy), button);
    }
    void MoveField(QstField* field, float fx, float fy) { MoveTo(field->x + int(fx), field->y + int(fy)); }

    bool IsOnScreen(const std::string& fieldName) const
    {
        return std::any_of(scene->onScreenFields.begin(), scene->onScreenFields.end(),
                           [&](const QstField* f) { return f->name == fieldName; });
    }
    std::string StateOf(const std::string& item) const
    {
        QstItem* found = scene->GetItem(item);
        return found && found->GetCurrentState() ? found->GetCurrentState()->name : std::string();
    }
    // The middle of an item's current picture, screen coordinates.
    void ItemCentre(const std::string& item, int& px, int& py) const
    {
        QstItem* found = scene->GetItem(item);
        ASSERT_NE(found, nullptr) << item;
        ASSERT_NE(found->GetCurrentState(), nullptr) << item;
        const FRect r = found->GetCurrentState()->GetBoundingRect();
        px = int(r.x + r.width / 2);
        py = int(r.y + r.height / 2);
    }
    // The scene's text in the profile.
    std::string SavedScene() const
    {
        std::string text;
        Profiles::Instance().Lookup("Scenes", sceneName, text);
        return text;
    }
    // Forgets the scene and loads it again from the profile as it is, or
    // with the given saved text put in its place first.
    void RestartScene(const std::string* savedText = nullptr)
    {
        app.widgetManager->DetachChild(scene);
        QstGameControllerScene& controller = QstGameControllerScene::Instance();
        controller.ClearLevels();
        if (savedText)
            Profiles::Instance().SetString("Scenes", sceneName, *savedText);
        controller.Start(sceneName);
        scene = controller.GetActiveScene();
        ASSERT_NE(scene, nullptr);
        scene->SetBounds(0, 0, 1024, 768);
        scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
        app.widgetManager->AttachChild(scene);
        // The registry has read the saved state as it loaded the scene.
        QstScene::LoadLayers(scene);
        Frames(3);
    }

    const std::string sceneName;
    const std::u16string profileName;
    ScopedWorkingDirectory cwd{QUIB_GAME_DATA};
    HeadlessAppEnvironment env;
    TestApp app;
    QstScene* scene = nullptr;
};

} // namespace Quib::Testing
