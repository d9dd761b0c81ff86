#include "src/particles/ParticlesCommon.h"

#include "src/particles/Particles.h"
#include "src/particles/Particles2.h"

namespace Quib {

std::unique_ptr<ParticlesCommon> CreateParticlesByName(const std::string& name)
{
    auto own = std::make_unique<Particles>(name);
    if (own->IsLoaded())
        return own;
    own.reset();
    return std::make_unique<Particles2>(name);
}

std::unique_ptr<ParticlesCommon> CloneParticles(ParticlesCommon* effect)
{
    if (!effect)
        return nullptr;
    if (effect->IsOwnFormat()) {
        if (auto* own = dynamic_cast<Particles*>(effect))
            return std::make_unique<Particles>(*own);
    } else if (auto* library = dynamic_cast<Particles2*>(effect)) {
        return std::make_unique<Particles2>(*library);
    }
    return nullptr;
}

} // namespace Quib
