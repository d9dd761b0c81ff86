#pragma once
#include "src/game/LevelInfo.h"
#include "src/game/ScenarioBase.h"

#include <map>
#include <string>

namespace Quib {

// The game's level records, read from the current profile on first use and
// written back into it; levels are started on a game board.
class Scenario : public ScenarioBase {
public:
    static Scenario& Instance();

    Scenario() = default;
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    LevelInfoBase* CreateLevelInfo(const std::string& name) override;
    void ClearLevels() override;
    // Forgets every record, then the scenes restore their saved state.
    void LoadAll() override;
    // Marks the level passed, stores it and saves the profile; the next
    // start of the level rebuilds it. A level without a record gets one.
    void SetLevelPassed(const std::string& name) override;
    // A passed level that is active is released first when its record asks
    // for it, so that it is built anew; then the game board shows it.
    void StartLevel(const std::string& name) override;

    // The level's record, made and read from the profile on first use.
    LevelInfo* GetLevelInfo(const std::string& name);

private:
    std::map<std::string, LevelInfo*> mIndex;
};

// Writes every level record into the current profile's [Levels] section.
void StoreAllLevelInfos();

} // namespace Quib
