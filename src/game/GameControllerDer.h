#pragma once
#include "src/game/GameControllerCommon.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace Quib {

// The controller of one level kind: a cache of levels by name, the name of
// the level to show next and the kind's own active level. Exactly one level
// is active across all kinds; the common controller releases it through the
// callback a controller leaves when it makes one active.
template <class Level>
class GameControllerDer {
public:
    GameControllerDer() { RegisterForClear(); }
    virtual ~GameControllerDer()
    {
        if (GameControllerCommon* common = GameControllerCommon::Existing())
            common->clearCallbacks.erase(this);
        DropLevels();
    }
    GameControllerDer(const GameControllerDer&) = delete;
    GameControllerDer& operator=(const GameControllerDer&) = delete;

    virtual void SetLevelName(const std::string& name) { levelName = name; }
    virtual void ForgetActiveLevel() { activeLevel = nullptr; }
    // Forgets every cached level.
    virtual void ClearLevels()
    {
        if (activeLevel)
            GameControllerCommon::Instance().ReleaseActiveLevel();
        levels.clear();
    }
    virtual void UnloadLevels() { ClearLevels(); }

    // The level of the stored name, made active: the one that is active
    // already, else from the cache, else built (null when it cannot be).
    Level* GetLevel(const std::function<std::unique_ptr<Level>(const std::string&)>& build)
    {
        GameControllerCommon& common = GameControllerCommon::Instance();
        if (activeLevel) {
            if (activeLevel->levelName == levelName)
                return activeLevel;
            common.ReleaseActiveLevel();
        }
        common.ReleaseActiveLevel();
        auto found = levels.find(levelName);
        if (found == levels.end()) {
            std::unique_ptr<Level> made = build ? build(levelName) : nullptr;
            if (!made)
                return nullptr;
            RegisterForClear();
            found = levels.emplace(levelName, std::move(made)).first;
        }
        activeLevel = found->second.get();
        common.SetActiveLevel(activeLevel, {&ForgetActiveLevelCallback, this});
        return activeLevel;
    }

    const std::string& LevelName() const { return levelName; }
    Level* ActiveLevel() const { return activeLevel; }
    size_t CachedLevelCount() const { return levels.size(); }

protected:
    // The common controller clears this cache with the others. A
    // controller that outlives a common controller registers again with the
    // next one as it caches a level there.
    void RegisterForClear() { GameControllerCommon::Instance().clearCallbacks[this] = {&ClearLevelsCallback, this}; }

    // Frees the cached levels without saving them, the active one first
    // released from the common controller (for destructors: a kind may have
    // to free its levels before what they point at).
    void DropLevels()
    {
        if (GameControllerCommon* common = GameControllerCommon::Existing()) {
            if (activeLevel && common->activeLevel == activeLevel)
                common->SetActiveLevel(nullptr, {});
        }
        activeLevel = nullptr;
        levels.clear();
    }

    std::map<std::string, std::unique_ptr<Level>> levels;
    std::string levelName;
    Level* activeLevel = nullptr;

private:
    static void ForgetActiveLevelCallback(void* self) { static_cast<GameControllerDer*>(self)->ForgetActiveLevel(); }
    static void ClearLevelsCallback(void* self) { static_cast<GameControllerDer*>(self)->ClearLevels(); }
};

} // namespace Quib
