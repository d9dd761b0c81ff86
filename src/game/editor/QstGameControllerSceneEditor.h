#pragma once
#include "src/game/GameControllerDer.h"
#include "src/game/editor/QstSceneEditor.h"

#include <map>
#include <string>

namespace Quib {

class QstPoolData;

// Keeps one editor scene per scene name, apart from the game's own scenes
// and pools; its scenes never write the player's profile.
class QstGameControllerSceneEditor : public GameControllerDer<QstSceneEditor> {
public:
    static QstGameControllerSceneEditor& Instance();
    static QstGameControllerSceneEditor* Existing();

    QstGameControllerSceneEditor();
    ~QstGameControllerSceneEditor() override;

    void ClearLevels() override;
    virtual void StoreAll();
    // The editor of the wanted name (SetLevelName), made active: loaded
    // with its "main" field shown on first use. Null when the name is empty.
    QstSceneEditor* GetCurrentEditor();
    // The editors' own pool of a cluster (never the player's).
    QstPoolData* GetPoolData(const std::string& clusterName);

    const std::map<std::string, std::unique_ptr<QstSceneEditor>>& Editors() const { return levels; }

    std::map<std::string, QstPoolData*> pools; // owned
};

} // namespace Quib
