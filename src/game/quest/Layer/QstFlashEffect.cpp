#include "src/game/quest/Layer/QstFlashEffect.h"

#include "src/particles/ParticlesCommon.h"

namespace Quib {

std::unique_ptr<ParticlesCommon> CreateQstFlashEffect(const std::string& clusterName, bool hint,
                                                      const TPoint<float>& position)
{
    std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName(hint ? "Hint" : "flash_" + clusterName);
    if (effect) {
        effect->StartAt(position);
        effect->SetLooping(false);
    }
    return effect;
}

} // namespace Quib
