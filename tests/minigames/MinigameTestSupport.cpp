#include "tests/minigames/MinigameTestSupport.h"

#include "framework/graphics/Image.h"
#include "src/game/minigames/PointerWarp.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstTutorDialog.h"

namespace Quib::MgTest {

MinigameSceneTest::MinigameSceneTest(std::string sceneName, std::u16string profileName, bool dismissTutorOnRestart)
    : SceneAppTest(std::move(sceneName), std::move(profileName)), dismissTutorOnRestart(dismissTutorOnRestart)
{
}

void MinigameSceneTest::SetUp()
{
    RegisterMinigameKinds();
    SetPointerWarpAllowed(true);
    SceneAppTest::SetUp();
}

void MinigameSceneTest::TearDown()
{
    SceneAppTest::TearDown();
    SetPointerWarpAllowed(true);
}

void MinigameSceneTest::BeforeSceneStart()
{
    // The close-ups' frame and buttons, as the game loads them at start.
    LoadCommonLayouts();
}

void MinigameSceneTest::Drag(int fromX, int fromY, int toX, int toY, int steps)
{
    WidgetManager& wm = *app.widgetManager;
    wm.HandleMouseMove(fromX, fromY);
    wm.HandleMouseDown(fromX, fromY, CLICK_LEFT);
    for (int i = 1; i <= steps; ++i)
        wm.HandleMouseMove(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    wm.HandleMouseUp(toX, toY, CLICK_LEFT);
}

void MinigameSceneTest::CentreOf(const QstFieldMinigame* field, const MinigamePicture* picture, float& fx, float& fy)
{
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->image, nullptr) << picture->name;
    fx = picture->x - float(field->x) + float(picture->image->width) * 0.5f;
    fy = picture->y - float(field->y) + float(picture->image->height) * 0.5f;
}

QstFieldMinigame* MinigameSceneTest::OpenPuzzle(const std::string& objectName, const std::string& fieldName)
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

void MinigameSceneTest::DismissTutor()
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

void MinigameSceneTest::ReloadScene()
{
    scene->SaveState();
    RestartScene();
}

void MinigameSceneTest::RestartScene(const std::string* savedText)
{
    SceneAppTest::RestartScene(savedText);
    if (dismissTutorOnRestart)
        DismissTutor();
}

void MinigameSceneTest::WaitAndSkip(QstFieldMinigame* field)
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

void MinigameSceneTest::ExpectWonAndSaved(const std::string& fieldName, const std::string& object)
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
    EXPECT_NE(saved.find("open"), std::string::npos) << saved;
    // A won puzzle writes no puzzle state.
    EXPECT_EQ(saved.find("skip_time"), std::string::npos) << saved;
}

} // namespace Quib::MgTest
