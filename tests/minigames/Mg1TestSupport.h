#pragma once
// The study demo scene in a headless application: the generated data, a
// fresh profile, and the mouse driven through the widget manager.
#include "src/game/minigames/QstFieldMinigame.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
class QstScene;
}

namespace Quib::Mg1Test {

class StudyTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Widgets, scene and the deferred deletions, as one application step.
    void Frame(float seconds = 0.02f);
    void Frames(int count, float seconds = 0.02f);
    // Mouse at a screen point; button 0 left, 1 right.
    void MoveTo(int px, int py);
    void Click(int px, int py, int button = 0);
    // The same at a point of a field (its own coordinates).
    void ClickField(QstField* field, float fx, float fy, int button = 0);
    void MoveField(QstField* field, float fx, float fy);
    // Opens the close-up by a click on its object in the main field and
    // closes the help dialog that comes with it.
    QstFieldMinigame* OpenPuzzle(const std::string& objectName, const std::string& fieldName);
    void DismissTutor();
    bool IsOnScreen(const std::string& fieldName) const;
    std::string StateOf(const std::string& item) const;
    // The centre of a picture in the field's coordinates.
    static void CentreOf(const QstFieldMinigame* field, const MinigamePicture* picture, float& fx, float& fy);
    // Saves the scene into the profile, forgets it and loads it again.
    void ReloadScene();
    std::string SavedScene() const;
    // Waits on the skip control, then presses it with the mouse.
    void WaitAndSkip(QstFieldMinigame* field);

    Testing::ScopedWorkingDirectory cwd{QUIB_GAME_DATA};
    Testing::HeadlessAppEnvironment env;
    Testing::TestApp app;
    QstScene* scene = nullptr;
};

} // namespace Quib::Mg1Test
