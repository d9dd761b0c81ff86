#pragma once

namespace Quib {

// Puts the makers of the ten mini-game kinds into the scene loader's
// factory table; called once at start-up, before the first scene loads.
void RegisterMinigameKinds();

} // namespace Quib
