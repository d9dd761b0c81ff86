#pragma once
#include "src/game/quest/QstPooledController.h"
#include "src/game/editor/QstSceneEditor.h"

#include <map>
#include <string>

namespace Quib {

// Keeps one editor scene per scene name, apart from the game's own scenes
// and pools (GetPoolData gives the editors' own pool of a cluster, never
// the player's); its scenes never write the player's profile.
class QstGameControllerSceneEditor : public QstPooledController<QstGameControllerSceneEditor, QstSceneEditor> {
public:
    QstGameControllerSceneEditor();
    ~QstGameControllerSceneEditor() override;

    void ClearLevels() override;
    virtual void StoreAll();
    // The editor of the wanted name (SetLevelName), made active: loaded
    // with its "main" field shown on first use. Null when the name is empty.
    QstSceneEditor* GetCurrentEditor();

    const std::map<std::string, std::unique_ptr<QstSceneEditor>>& Editors() const { return levels; }

};

} // namespace Quib
