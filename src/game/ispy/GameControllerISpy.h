#pragma once
#include "src/game/GameControllerDer.h"
#include "src/game/ispy/TLevel.h"

namespace Quib {

// The controller of the hidden-object levels: every level made in this run
// (or since the profile changed), by name, and the active one.
class GameControllerISpy : public GameControllerDer<TLevel> {
public:
    static GameControllerISpy& Instance();

    // The level of the stored name, made the game's active level.
    TLevel* GetCurrentLevel();
    // Saves every level, then forgets them all.
    void ClearLevels() override;
    // Saves the state of every level that has changed.
    void UnloadLevels() override;
    TLevel* FindLevel(const std::string& name) const;
};

} // namespace Quib
