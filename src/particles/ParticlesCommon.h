#pragma once
#include "framework/core/Point.h"

#include <memory>
#include <string>

namespace Quib {

class Graphics;

// A particle effect, whatever makes it. Positions are pixels, times seconds.
// Callers advance effects by a fixed 0.01 s per update frame.
class ParticlesCommon {
public:
    ParticlesCommon() = default;
    ParticlesCommon(const ParticlesCommon&) = delete;
    ParticlesCommon& operator=(const ParticlesCommon&) = delete;

    // MoveTo (position, false), then Start.
    virtual void StartAt(const TPoint<float>& position) = 0;
    virtual void Start() = 0;
    // Ends emission; the particles in the air run out.
    virtual void Stop() = 0;
    // follow true: the particles in the air move with the emitter; false:
    // they keep their place on screen.
    virtual void MoveTo(const TPoint<float>& position, bool follow) = 0;
    // Back to the start, then advanced by the given time.
    virtual void Rewind(float seconds) = 0;
    virtual void SetLooping(bool looping) = 0;
    virtual void Draw(Graphics* g) = 0;
    virtual void Update(float seconds) = 0;
    virtual bool IsFinished() = 0;
    // True for the program's own kind (Particles), false for the emitter
    // library's kind (Particles2).
    virtual bool IsOwnFormat() = 0;

    // Holders delete effects through this interface.
    virtual ~ParticlesCommon() = default;
};

// A new idle effect of that name: the own kind when data\particles\<name>
// exists, else the library emitter of that name. Never null: a name no file
// knows gives an effect that is finished at once.
std::unique_ptr<ParticlesCommon> CreateParticlesByName(const std::string& name);

// An idle copy of the effect, of the same kind, with no particles; null for
// null.
std::unique_ptr<ParticlesCommon> CloneParticles(ParticlesCommon* effect);

} // namespace Quib
