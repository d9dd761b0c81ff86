#include "tests/minigames/Mg1TestSupport.h"

#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutorDialog.h"
#include "framework/graphics/Image.h"

#include <algorithm>

namespace Quib::Mg1Test {

void StudyTest::SetUp()
{
    RegisterMinigames1Kinds();
    app.appWidth = 1024;
    app.appHeight = 768;
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    app.inMainLoop = true;
    SetUserDataFolder(Utf8ToUtf16(env.temp / "user"));
    ClearDirectoryCache();
    LoadGameSettings();
    Profiles::Instance().AddProfile(u"solver");
    Profiles::Instance().SelectProfile(u"solver");
    // The close-up frame with its close and skip controls.
    LoadCommonLayouts();
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.Start("study");
    scene = controller.GetActiveScene();
    ASSERT_NE(scene, nullptr);
    ASSERT_FALSE(scene->LoadFailed());
    scene->SetBounds(0, 0, 1024, 768);
    scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
    app.widgetManager->AttachChild(scene);
    app.widgetManager->appHasFocus = true;
    QstScene::LoadLayers(scene);
}

void StudyTest::TearDown()
{
    if (scene && scene->parent)
        app.widgetManager->DetachChild(scene);
    QstGameControllerScene::Instance().ClearLevels();
    // The layouts' pictures belong to this test's application.
    GameControllerCommon& common = GameControllerCommon::Instance();
    for (auto which : {GameControllerCommon::PICTURE_RAMKA, GameControllerCommon::PICTURE_NOTEBOOK,
                       GameControllerCommon::PICTURE_INGAMEMENU, GameControllerCommon::PICTURE_OPTIONS})
        common.SetSharedPicture(which, nullptr);
    SetUserDataFolder(u".");
}

void StudyTest::Frame(float seconds)
{
    app.widgetManager->UpdateFrame();
    scene->UpdateScene(seconds);
    app.FlushDeferredDeletes();
}

void StudyTest::Frames(int count, float seconds)
{
    for (int i = 0; i < count; ++i)
        Frame(seconds);
}

void StudyTest::MoveTo(int px, int py) { app.widgetManager->HandleMouseMove(px, py); }

void StudyTest::Click(int px, int py, int button)
{
    const ClickCode code = button == 1 ? CLICK_RIGHT : CLICK_LEFT;
    app.widgetManager->HandleMouseMove(px, py);
    app.widgetManager->HandleMouseDown(px, py, code);
    app.widgetManager->HandleMouseUp(px, py, code);
}

void StudyTest::ClickField(QstField* field, float fx, float fy, int button)
{
    Click(field->x + int(fx), field->y + int(fy), button);
}

void StudyTest::MoveField(QstField* field, float fx, float fy) { MoveTo(field->x + int(fx), field->y + int(fy)); }

void StudyTest::CentreOf(const QstFieldMinigame* field, const MinigamePicture* picture, float& fx, float& fy)
{
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->image, nullptr) << picture->name;
    fx = picture->x - float(field->x) + float(picture->image->width) * 0.5f;
    fy = picture->y - float(field->y) + float(picture->image->height) * 0.5f;
}

QstFieldMinigame* StudyTest::OpenPuzzle(const std::string& objectName, const std::string& fieldName)
{
    QstItem* object = scene->GetItem(objectName);
    EXPECT_NE(object, nullptr) << objectName;
    if (!object)
        return nullptr;
    // The object's picture: click its middle.
    const FRect r = object->GetCurrentState()->GetBoundingRect();
    Click(int(r.x + r.width / 2), int(r.y + r.height / 2)); // scene coordinates
    Frames(3);
    auto* field = dynamic_cast<QstFieldMinigame*>(scene->GetField(fieldName));
    EXPECT_NE(field, nullptr) << fieldName;
    EXPECT_TRUE(IsOnScreen(fieldName)) << fieldName;
    DismissTutor();
    return field;
}

void StudyTest::DismissTutor()
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

bool StudyTest::IsOnScreen(const std::string& fieldName) const
{
    return std::any_of(scene->onScreenFields.begin(), scene->onScreenFields.end(),
                       [&](const QstField* f) { return f->name == fieldName; });
}

std::string StudyTest::StateOf(const std::string& item) const
{
    QstItem* found = scene->GetItem(item);
    return found && found->GetCurrentState() ? found->GetCurrentState()->name : std::string();
}

std::string StudyTest::SavedScene() const
{
    std::string text;
    Profiles::Instance().Lookup("Scenes", "study", text);
    return text;
}

void StudyTest::ReloadScene()
{
    scene->SaveState();
    app.widgetManager->DetachChild(scene);
    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    controller.ClearLevels();
    controller.Start("study");
    scene = controller.GetActiveScene();
    ASSERT_NE(scene, nullptr);
    scene->SetBounds(0, 0, 1024, 768);
    scene->SetPool(controller.GetPoolData(scene->GetClusterName()));
    app.widgetManager->AttachChild(scene);
    // As the board does: the saved state, then the pictures.
    scene->LoadState();
    QstScene::LoadLayers(scene);
    Frames(3);
}

void StudyTest::WaitAndSkip(QstFieldMinigame* field)
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

} // namespace Quib::Mg1Test
