#pragma once
#include <string>

namespace Quib {

class ISpy;
class PsdPicture;
class Widget;
struct SBackFromHOGData;

// What the hidden-object board needs of the quest scenes and of the
// screens around it. The plain host works with the quest engine: the
// scene's cluster is the music, the scene takes the result, the trash
// dialog shows the item, the scenario shows the scene again and the hint
// compass runs on the player's hint timer; it has no in-game menu. Tests
// install their own.
class ISpyHost {
public:
    // The item dialog and its backdrop: above the tutorial boxes.
    static constexpr int kItemDialogZOrder = 110;

    virtual ~ISpyHost() = default;

    // The music of the scene (its cluster name); false when the scene
    // cannot be had.
    virtual bool GetSceneMusicId(const std::string& sceneName, std::string& musicId);
    // The scene takes the level's result: its won actions run and the
    // found items go to its inventory.
    virtual void BackFromHOG(const SBackFromHOGData& data);
    // Switches to the scene's board.
    virtual void ReturnToScene(const std::string& sceneName);
    // The item dialog of a won level, attached to the board; it calls the
    // board's ISpy::OnDialogClosed when it has closed.
    virtual void ShowItemDialog(ISpy& board, const std::string& itemRef);
    // The in-game menu over a dark backdrop.
    virtual void OpenInGameMenu(ISpy& board);
    // The hint compass, attached to the board by the caller; null when none.
    virtual Widget* CreateHintWidget(ISpy& board, PsdPicture& interfaceLayout);
};

ISpyHost& GetISpyHost();
// Installs a host (null: the plain one again); returns the one before.
ISpyHost* SetISpyHost(ISpyHost* host);

} // namespace Quib
