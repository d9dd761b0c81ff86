#pragma once
#include "framework/sound/FmodInstance.h"

namespace Quib {

// One loaded song of the FMOD player: a module played through FMUSIC, or a
// sample played on the FSOUND channel numbered after the song id.
struct FModMusicEntry {
    FmodSample* sample = nullptr;
    FmodSong* song = nullptr;
    double volume = 0.0;
    double fadeDelta = 0.0;
    double maxVolume = 1.0;
    bool stopWhenFaded = false;
    bool loop = false; // samples only
};

} // namespace Quib
