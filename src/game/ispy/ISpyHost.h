#pragma once
#include <functional>
#include <string>

namespace Quib {

class ISpy;
class PsdPicture;
class Widget;
struct HogReturnData;

// What the hidden-object board needs of the quest scenes and of the
// screens around it. The game installs its own (SetISpyHost); until then a
// plain host answers: no music id, no dialog (closed at once), no menu, no
// tutorial, no compass, and the return goes through the scenario.
class ISpyHost {
public:
    virtual ~ISpyHost() = default;

    // The music of the scene (its cluster name); false when the scene
    // cannot be had.
    virtual bool GetSceneMusicId(const std::string& sceneName, std::string& musicId);
    // The scene takes the level's result: its won actions run and the
    // found items go to its inventory.
    virtual void BackFromHOG(const HogReturnData& data);
    // Switches to the scene's board.
    virtual void ReturnToScene(const std::string& sceneName);
    // The item dialog of a won level over a dark backdrop, attached to the
    // board; `closed` runs when it has closed.
    virtual void ShowItemDialog(ISpy& board, const std::string& itemRef, std::function<void()> closed);
    // The in-game menu over a dark backdrop.
    virtual void OpenInGameMenu(ISpy& board);
    // The tutorial boxes of the level: 3 (what to find) and 6 (the hint).
    virtual void ShowHogHelp(ISpy& board, int which, PsdPicture& tutorialLayout);
    // The hint compass, attached to the board by the caller; null when none.
    virtual Widget* CreateHintWidget(ISpy& board, PsdPicture& interfaceLayout);
};

ISpyHost& GetISpyHost();
// Installs a host (null: the plain one again); returns the one before.
ISpyHost* SetISpyHost(ISpyHost* host);

} // namespace Quib
