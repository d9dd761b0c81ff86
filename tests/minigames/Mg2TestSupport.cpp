#include "tests/minigames/Mg2TestSupport.h"

#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/minigames/PointerWarp.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutorDialog.h"

#include <algorithm>

namespace Quib::Mg2Test {

void WorkshopTest::SetUp()
{
    RegisterMinigameKinds();
    SetPointerWarpAllowed(true);
    app.appWidth = 1024;
    app.appHeight = 768;
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    app.inMainLoop = true;
    SetUserDataFolder(Utf8ToUtf16(env.temp / "user"));
    ClearDirectoryCache();
    LoadGameSettings();
    // The close-ups' frame and buttons, as the game loads them at start.
    LoadCommonLayouts();
    Profiles::Instance().AddProfile(u"maker");
    Profiles::Instance().SelectProfile(u"maker");
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.Start("workshop");
    scene = controller.GetActiveScene();
    ASSERT_NE(scene, nullptr);
    ASSERT_FALSE(scene->LoadFailed());
    scene->SetBounds(0, 0, 1024, 768);
    scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
    app.widgetManager->AttachChild(scene);
    app.widgetManager->appHasFocus = true;
    QstScene::LoadLayers(scene);
}

void WorkshopTest::TearDown()
{
    if (scene && scene->parent)
        app.widgetManager->DetachChild(scene);
    QstGameControllerScene::Instance().ClearLevels();
    // The layouts' images belong to this application's display.
    GameControllerCommon::Instance().FreeSharedPictures();
    SetUserDataFolder(u".");
    SetPointerWarpAllowed(true);
}

void WorkshopTest::Frame(float seconds)
{
    app.widgetManager->UpdateFrame();
    scene->UpdateScene(seconds);
    app.FlushDeferredDeletes();
}

void WorkshopTest::Frames(int count, float seconds)
{
    for (int i = 0; i < count; ++i)
        Frame(seconds);
}

void WorkshopTest::MoveTo(int px, int py) { app.widgetManager->HandleMouseMove(px, py); }

void WorkshopTest::Click(int px, int py, int button)
{
    const ClickCode code = button == 1 ? CLICK_RIGHT : CLICK_LEFT;
    app.widgetManager->HandleMouseMove(px, py);
    app.widgetManager->HandleMouseDown(px, py, code);
    app.widgetManager->HandleMouseUp(px, py, code);
}

void WorkshopTest::ClickField(QstField* field, float fx, float fy, int button)
{
    Click(field->x + int(fx), field->y + int(fy), button);
}

void WorkshopTest::Drag(int fromX, int fromY, int toX, int toY, int steps)
{
    WidgetManager& wm = *app.widgetManager;
    wm.HandleMouseMove(fromX, fromY);
    wm.HandleMouseDown(fromX, fromY, CLICK_LEFT);
    for (int i = 1; i <= steps; ++i)
        wm.HandleMouseMove(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    wm.HandleMouseUp(toX, toY, CLICK_LEFT);
}

QstFieldMinigame* WorkshopTest::OpenPuzzle(const std::string& objectName, const std::string& fieldName)
{
    int px = 0;
    int py = 0;
    ItemCentre(objectName, px, py);
    Click(px, py);
    Frames(3);
    auto* field = dynamic_cast<QstFieldMinigame*>(scene->GetField(fieldName));
    EXPECT_NE(field, nullptr) << fieldName;
    EXPECT_TRUE(IsOnScreen(fieldName)) << fieldName;
    DismissTutor();
    return field;
}

void WorkshopTest::DismissTutor()
{
    // The help's backdrop takes the first click once it has faded in.
    Frames(40);
    bool shown = false;
    for (Widget* child : scene->children)
        shown = shown || dynamic_cast<QstTutorDialog*>(child) != nullptr;
    if (!shown)
        return;
    Click(2, 2);
    Frames(40);
    for (Widget* child : scene->children)
        EXPECT_EQ(dynamic_cast<QstTutorDialog*>(child), nullptr) << "the help dialog is still shown";
}

bool WorkshopTest::IsOnScreen(const std::string& fieldName) const
{
    return std::any_of(scene->onScreenFields.begin(), scene->onScreenFields.end(),
                       [&](const QstField* f) { return f->name == fieldName; });
}

std::string WorkshopTest::StateOf(const std::string& item) const
{
    QstItem* found = scene->GetItem(item);
    return found && found->GetCurrentState() ? found->GetCurrentState()->name : std::string();
}

void WorkshopTest::ItemCentre(const std::string& item, int& px, int& py) const
{
    QstItem* found = scene->GetItem(item);
    ASSERT_NE(found, nullptr) << item;
    ASSERT_NE(found->GetCurrentState(), nullptr) << item;
    const FRect r = found->GetCurrentState()->GetBoundingRect();
    px = int(r.x + r.width / 2);
    py = int(r.y + r.height / 2);
}

std::string WorkshopTest::SavedScene() const
{
    std::string text;
    Profiles::Instance().Lookup("Scenes", "workshop", text);
    return text;
}

void WorkshopTest::ReloadScene()
{
    scene->SaveState();
    RestartScene();
}

void WorkshopTest::RestartScene(const std::string* savedText)
{
    app.widgetManager->DetachChild(scene);
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.ClearLevels();
    if (savedText)
        Profiles::Instance().SetString("Scenes", "workshop", *savedText);
    controller.Start("workshop");
    scene = controller.GetActiveScene();
    ASSERT_NE(scene, nullptr);
    scene->SetBounds(0, 0, 1024, 768);
    scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
    app.widgetManager->AttachChild(scene);
    // As the board does: the saved state, then the pictures.
    scene->LoadState();
    QstScene::LoadLayers(scene);
    Frames(3);
    DismissTutor();
}

void WorkshopTest::WaitAndSkip(QstFieldMinigame* field)
{
    QstFieldControl* skip = field->GetSkipControl();
    ASSERT_TRUE(skip->visible);
    ASSERT_NE(skip->chargePicture, nullptr);
    int guard = 0;
    while (skip->chargeRatio < 1.0f && guard++ < 100000)
        Frame(0.5f);
    ASSERT_EQ(skip->chargeRatio, 1.0f);
    Frames(5);
    ClickField(field, float(skip->x + skip->chargeOffsetX + skip->chargePicture->width / 2),
               float(skip->y + skip->chargeOffsetY + skip->chargePicture->height / 2));
}

void WorkshopTest::ExpectWonAndSaved(const std::string& fieldName, const std::string& object)
{
    auto* field = dynamic_cast<QstFieldMinigame*>(scene->GetField(fieldName));
    ASSERT_NE(field, nullptr);
    Frames(300);
    EXPECT_TRUE(field->IsFinishing());
    EXPECT_FALSE(field->IsOpened());
    EXPECT_EQ(StateOf(object), "open") << "the OnWin actions ran";
    EXPECT_FALSE(IsOnScreen(fieldName)) << "the OnWin actions closed the close-up";
    scene->SaveState();
    const std::string saved = SavedScene();
    EXPECT_NE(saved.find("name=\"" + object + "\""), std::string::npos) << saved;
    // A won puzzle writes no puzzle state.
    EXPECT_EQ(saved.find("skip_time"), std::string::npos) << saved;
}

} // namespace Quib::Mg2Test
