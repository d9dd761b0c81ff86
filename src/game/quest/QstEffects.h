#pragma once
#include "framework/core/Point.h"

#include <string>

namespace Quib {

// Starts a particle effect of the global registry that goes away when it
// ends; at pos, or at the last mouse position when pos is null. An unknown
// name starts nothing. False when nothing was started.
bool StartQuestParticles(const std::string& name, const Point* pos);

// One more part of the current player's progress, saved at once.
void AddGameProgress();

} // namespace Quib
