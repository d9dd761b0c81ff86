#pragma once
#include "framework/sound/BassInstance.h"

namespace Quib {

// One loaded song of the BASS player. Its channel is the music handle when
// there is one, else the stream handle.
struct MusicEntry {
    BassHandle music = 0;
    BassHandle stream = 0;
    double volume = 0.0;
    double fadeDelta = 0.0;   // added on each Update; 0 = no fade
    double maxVolume = 1.0;
    double fadeTarget = -1.0; // -1 = none
    bool stopWhenFaded = false;

    BassHandle Channel() const { return music ? music : stream; }
};

} // namespace Quib
