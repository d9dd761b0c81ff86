#pragma once
#include "src/game/GameControllerDer.h"
#include "src/game/quest/QstScene.h"

#include <list>
#include <map>
#include <string>
#include <vector>

namespace Quib {

class QstPoolData;

// The game-wide owner of every loaded scene and of the inventory pools.
// Scenes are cached by name once loaded and kept until ClearLevels.
class QstGameControllerScene : public GameControllerDer<QstScene> {
public:
    static QstGameControllerScene& Instance();
    // The instance when one exists.
    static QstGameControllerScene* Existing();

    QstGameControllerScene();
    ~QstGameControllerScene() override;

    // The level name becomes name; "LastScene"; the two recent scenes.
    virtual void Start(const std::string& name);
    void ForgetActiveLevel() override;
    void ClearLevels() override;
    virtual void SaveLevels();

    // The cached scene, else created, registered and loaded.
    QstScene* GetOrLoadScene(const std::string& name);
    QstScene* FindScene(const std::string& name) { return GetOrLoadScene(name); }
    // The cached scene or null; loads nothing.
    QstScene* FindLoadedScene(const std::string& name) const;
    QstScene* GetActiveScene();
    QstPoolData* GetPoolData(const std::string& clusterName);
    void SavePools();
    void LoadPools();
    void CollectAllScenes(std::vector<QstScene*>& out);
    void CollectAllSceneNames(std::vector<std::string>& out) const;
    void PrepareHints();

    // Every cached scene, by name.
    const std::map<std::string, std::unique_ptr<QstScene>>& Scenes() const { return levels; }
    const std::list<std::string>& RecentScenes() const { return recentScenes; }

    std::map<std::string, QstPoolData*> pools; // owned
    std::list<std::string> recentScenes;
};

} // namespace Quib
