#pragma once
#include "src/game/LevelInfoBase.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib {

// The level records of the player's progress, in creation order.
class ScenarioBase {
public:
    // A new record for the level; the derived scenario keeps its own index.
    virtual LevelInfoBase* CreateLevelInfo(const std::string& name) = 0;
    // Deletes every record.
    virtual void ClearLevels();
    // Forgets every record.
    virtual void LoadAll();
    virtual ~ScenarioBase() = default;
    // Starts the level.
    virtual void Start(const std::string& name);
    virtual void SetLevelPassed(const std::string& name) = 0;
    virtual void StartLevel(const std::string& name) = 0;

    // The record of that name, or null.
    LevelInfoBase* FindLevel(const std::string& name) const;

    std::vector<std::unique_ptr<LevelInfoBase>> levels;
};

} // namespace Quib
