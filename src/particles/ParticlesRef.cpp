#include "src/particles/ParticlesRef.h"

#include "src/particles/ParticlesCommon.h"
#include "src/particles/cGlobalParticles.h"

namespace Quib {

ParticlesRef::ParticlesRef(ParticlesCommon* e, bool deleteWith, cGlobalParticles* registry)
    : effect(e), deleteWithEffect(deleteWith), mRegistry(registry)
{
}

ParticlesRef::~ParticlesRef()
{
    if (mRegistry)
        mRegistry->ForgetRef(this);
}

void ParticlesRef::Emit(const TPoint<float>& position)
{
    if (effect)
        effect->StartAt(position);
}

void ParticlesRef::Stop()
{
    if (effect)
        effect->Stop();
}

void ParticlesRef::SetLooping(bool looping)
{
    if (effect)
        effect->SetLooping(looping);
}

void ParticlesRef::Update(float seconds)
{
    if (effect)
        effect->Update(seconds);
}

void ParticlesRef::Draw(Graphics* g)
{
    if (effect)
        effect->Draw(g);
}

bool ParticlesRef::IsFinished() const
{
    return !effect || effect->IsFinished();
}

} // namespace Quib
