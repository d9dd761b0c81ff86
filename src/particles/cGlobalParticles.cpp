#include "src/particles/cGlobalParticles.h"

#include "src/particles/ParticlesCommon.h"
#include "src/particles/ParticlesRef.h"

namespace Quib {

cGlobalParticles* gGlobalParticles = cGlobalParticles::Instance();

cGlobalParticles* cGlobalParticles::Instance()
{
    static std::unique_ptr<cGlobalParticles> instance(new cGlobalParticles);
    return instance.get();
}

cGlobalParticles::cGlobalParticles()
{
    mouseVisible = false;
    zOrder = 1;
}

cGlobalParticles::~cGlobalParticles()
{
    // Handles outliving the registry keep nothing of it.
    for (Entry& entry : mEntries)
        if (entry.ref) {
            entry.ref->effect = nullptr;
            entry.ref->mRegistry = nullptr;
        }
    if (gGlobalParticles == this)
        gGlobalParticles = nullptr;
}

std::unique_ptr<ParticlesRef> cGlobalParticles::NewEffect(const std::string& name, bool deleteWithEffect)
{
    auto found = mTemplates.find(name);
    if (found == mTemplates.end())
        found = mTemplates.emplace(name, CreateParticlesByName(name)).first;
    if (!found->second)
        return nullptr;
    std::unique_ptr<ParticlesCommon> effect = CloneParticles(found->second.get());
    if (!effect)
        return nullptr;
    std::unique_ptr<ParticlesRef> ref(new ParticlesRef(effect.get(), deleteWithEffect, this));
    mEntries.push_back({ref.get(), std::move(effect)});
    return ref;
}

void cGlobalParticles::Release(Entry& entry)
{
    if (entry.ref) {
        entry.ref->effect = nullptr;
        entry.ref->mRegistry = nullptr;
        entry.ref = nullptr;
    }
    entry.effect.reset();
}

void cGlobalParticles::ForgetRef(ParticlesRef* ref)
{
    for (Entry& entry : mEntries)
        if (entry.ref == ref) {
            entry.ref = nullptr;
            return;
        }
}

void cGlobalParticles::Update()
{
    // Last to first, so that erasing does not skip an entry.
    for (size_t i = mEntries.size(); i-- > 0;) {
        Entry& entry = mEntries[i];
        if (!entry.effect)
            continue;
        if (!entry.ref || !entry.ref->paused)
            entry.effect->Update(0.01f);
        if (entry.effect->IsFinished()) {
            Release(entry);
            mEntries.erase(mEntries.begin() + ptrdiff_t(i));
        }
    }
    Invalidate();
}

void cGlobalParticles::Draw(Graphics& g)
{
    for (Entry& entry : mEntries)
        if (entry.effect && !entry.effect->IsFinished() && (!entry.ref || !entry.ref->hidden))
            entry.effect->Draw(&g);
}

void cGlobalParticles::ClearEffects()
{
    for (Entry& entry : mEntries)
        Release(entry);
    mEntries.clear();
}

void cGlobalParticles::ClearTemplates()
{
    mTemplates.clear();
}

} // namespace Quib
