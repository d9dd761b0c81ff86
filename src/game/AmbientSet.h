#pragma once
#include "framework/files/FloatRange.h"

#include <string>
#include <utility>
#include <vector>

namespace Quib {

class SoundInstance;

// Ranges written as "min/max" or "x", comma-separated. A random value picks
// one range with rand, then min + (rand % 10000) / 10000 * (max - min);
// an empty list gives 0.
using AmbientRangeList = std::vector<FloatRange>;
float RandomAmbientValue(const AmbientRangeList& ranges);

// One sound of an ambient set: an endless loop, or one-shots at random
// times, with random volume and pan, faded in by Start and out by Stop.
class AmbientSound {
public:
    AmbientSound() = default;
    ~AmbientSound(); // stops and releases its instances
    AmbientSound(const AmbientSound&) = delete;
    AmbientSound& operator=(const AmbientSound&) = delete;
    AmbientSound(AmbientSound&& other) noexcept = default; // the moved-from sound keeps no instance
    AmbientSound& operator=(AmbientSound&&) = delete;

    void Start();
    void Stop();
    void Update(float dt);
    // Gives every kept instance its base volume times the effective volume.
    void ApplyVolume();
    // level x the ambient volume x [Game] AmbientMul.
    float EffectiveVolume() const;

    std::string soundName; // a name of the sound table
    AmbientRangeList volume, delay, pause, pan, fade;
    bool loop = false;

    float elapsed = 0.0f; // seconds since the last one-shot play
    float wait = 0.0f;    // seconds to the next one-shot play
    float level = 1.0f;   // fade level: 1 for one-shots at first, 0 for loops
    bool active = false;
    bool fading = false;
    float fadeStartLevel = 0.0f;
    float fadeEndLevel = 0.0f;
    float fadeProgress = 0.0f;
    float fadeSpeed = 0.0f; // 1 / seconds
    bool finished = false;
    // The sounds played, with the base volume each was started at.
    std::vector<std::pair<SoundInstance*, float>> instances;

private:
    void StartFade(float endLevel);
    void ReleaseInstances();
};

// The sounds of data/ambient/<name>.ini, one per section, in file order.
class AmbientSet {
public:
    void StartAll();
    void ResetAll(); // every sound fades out
    void PreloadAll();
    // Every sound is finished, or was never started.
    bool AllFinished() const;

    std::vector<AmbientSound> sounds;
};

// Reads "data/ambient/" + name + ".ini" into a new registered set (a
// missing file gives an empty set). Every call makes a new set.
AmbientSet* LoadAmbientSet(const std::string& name);
// The owner lets go of the set: its sounds still playing fade out, and
// UpdateAmbientSounds frees it once none is left playing.
void ReleaseAmbientSet(AmbientSet* set);
// Steps every registered set (a fixed 0.01 s per update frame) and frees
// the released ones that have finished.
void UpdateAmbientSounds(float elapsed);
// Re-applies the effective volume after the ambient volume changed.
void ApplyAmbientVolume();
// At exit: stops and frees every registered set, and forgets the cached
// [Game] AmbientMul.
void DestroyAmbientSetCache();
// How many sets are registered.
size_t AmbientSetCount();

} // namespace Quib
