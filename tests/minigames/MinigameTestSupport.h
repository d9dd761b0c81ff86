#pragma once
// A demo scene with close-up puzzles in a headless application: the scene
// fixture plus the puzzles' frame, help dialog and skip control.
#include "src/game/minigames/QstFieldMinigame.h"
#include "tests/support/SceneAppTestSupport.h"

#include <string>

namespace Quib {
class ImgPart;
}

namespace Quib::MgTest {

class MinigameSceneTest : public Testing::SceneAppTest {
protected:
    // dismissTutorOnRestart: a restart also closes the help dialog.
    MinigameSceneTest(std::string sceneName, std::u16string profileName, bool dismissTutorOnRestart);

    void SetUp() override;
    void TearDown() override;
    void BeforeSceneStart() override;

    // A left press at one screen point, moves in steps, the release at the
    // other.
    void Drag(int fromX, int fromY, int toX, int toY, int steps = 6);
    // Opens the close-up by a click on its object in the main field and
    // closes the help dialog when one comes.
    QstFieldMinigame* OpenPuzzle(const std::string& objectName, const std::string& fieldName);
    void DismissTutor();
    // The centre of a picture in the field's coordinates.
    static void CentreOf(const QstFieldMinigame* field, const MinigamePicture* picture, float& fx, float& fy);
    // Saves the scene into the profile, forgets it and loads it again.
    void ReloadScene();
    void RestartScene(const std::string* savedText = nullptr);
    // Waits on the skip control, then presses it with the mouse.
    void WaitAndSkip(QstFieldMinigame* field);
    // After a win: the win actions ran once, the close-up went and the
    // profile keeps the object open and no puzzle state.
    void ExpectWonAndSaved(const std::string& fieldName, const std::string& object);

private:
    bool dismissTutorOnRestart;
};

} // namespace Quib::MgTest

namespace Quib::Mg1Test {
// The study demo scene.
class StudyTest : public MgTest::MinigameSceneTest {
protected:
    StudyTest() : MinigameSceneTest("study", u"solver", false) {}
};
} // namespace Quib::Mg1Test

namespace Quib::Mg2Test {
// The workshop demo scene.
class WorkshopTest : public MgTest::MinigameSceneTest {
protected:
    WorkshopTest() : MinigameSceneTest("workshop", u"maker", true) {}
};
} // namespace Quib::Mg2Test
