#pragma once
// The workshop demo scene in a headless application: the generated data, a
// fresh profile, and the mouse driven through the widget manager.
#include "src/game/minigames/QstFieldMinigame.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
class QstScene;
class ImgPart;
}

namespace Quib::Mg2Test {

class WorkshopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Widgets, scene and the deferred deletions, as one application step.
    void Frame(float seconds = 0.02f);
    void Frames(int count, float seconds = 0.02f);
    // Mouse at a screen point; button 0 left, 1 right.
    void MoveTo(int px, int py);
    void Click(int px, int py, int button = 0);
    void ClickField(QstField* field, float fx, float fy, int button = 0);
    // A left press at one screen point, moves in steps, the release at the
    // other.
    void Drag(int fromX, int fromY, int toX, int toY, int steps = 6);
    // Opens the close-up by a click on its object in the main field and
    // closes the help dialog when one comes.
    QstFieldMinigame* OpenPuzzle(const std::string& objectName, const std::string& fieldName);
    void DismissTutor();
    bool IsOnScreen(const std::string& fieldName) const;
    std::string StateOf(const std::string& item) const;
    // The middle of an item's current picture, screen coordinates.
    void ItemCentre(const std::string& item, int& px, int& py) const;
    // Saves the scene into the profile, forgets it and loads it again.
    void ReloadScene();
    // Forgets the scene and loads it again from the profile as it is, or
    // with the given saved text put in its place first.
    void RestartScene(const std::string* savedText = nullptr);
    std::string SavedScene() const;
    // Waits on the skip control, then presses it with the mouse.
    void WaitAndSkip(QstFieldMinigame* field);
    // After a win: the win actions ran once, the close-up went and the
    // profile keeps the object open and no puzzle state.
    void ExpectWonAndSaved(const std::string& fieldName, const std::string& object);

    Testing::ScopedWorkingDirectory cwd{QUIB_GAME_DATA};
    Testing::HeadlessAppEnvironment env;
    Testing::TestApp app;
    QstScene* scene = nullptr;
};

} // namespace Quib::Mg2Test
