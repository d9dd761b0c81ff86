#pragma once
#include "framework/core/Point.h"

namespace Quib {

class cGlobalParticles;
class Graphics;
class ParticlesCommon;

// The holder's handle on an effect run by the global particles
// (cGlobalParticles::NewEffect). The holder owns the handle; the registry
// owns the effect. Once the effect has ended, or the registry is gone, the
// handle has no effect: it answers finished and its calls do nothing.
// Deleting the handle lets the effect run on without it.
class ParticlesRef {
public:
    ParticlesRef(const ParticlesRef&) = delete;
    ParticlesRef& operator=(const ParticlesRef&) = delete;
    ~ParticlesRef();

    // StartAt on the effect.
    void Emit(const TPoint<float>& position);
    void Stop();
    void SetLooping(bool looping);
    // Advance and draw the effect directly; a holder that does this itself
    // sets paused and hidden, so that the registry does not do it as well.
    void Update(float seconds);
    void Draw(Graphics* g);
    // True once the effect has ended (and for a handle without effect).
    bool IsFinished() const;

    ParticlesCommon* effect = nullptr; // null once the effect has ended
    // The holder lets the handle go at once; the effect runs on to its end
    // either way.
    bool deleteWithEffect = false;
    bool hidden = false; // the registry does not draw the effect
    bool paused = false; // the registry does not advance the effect

private:
    friend class cGlobalParticles;
    ParticlesRef(ParticlesCommon* e, bool deleteWith, cGlobalParticles* registry);

    cGlobalParticles* mRegistry;
};

} // namespace Quib
