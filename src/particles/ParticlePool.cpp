#include "src/particles/ParticlePool.h"

#include "src/particles/Particle.h"

#include <new>

namespace Quib {

namespace {
// Plain flags (no destructor), valid through the whole exit.
bool sCreated = false;
bool sDestroyed = false;
} // namespace

ParticlePool& ParticlePool::Instance()
{
    static ParticlePool pool;
    sCreated = true;
    return pool;
}

ParticlePool::~ParticlePool()
{
    sDestroyed = true;
}

bool ParticlePool::IsAlive()
{
    return !sDestroyed;
}

Particle* ParticlePool::TakeParticle()
{
    if (sDestroyed)
        return nullptr;
    auto& blocks = Instance().mBlocks;
    for (auto& block : blocks)
        if (!block->IsFull())
            return static_cast<Particle*>(block->Take());
    try {
        blocks.push_back(std::make_unique<BlockPool>(sizeof(Particle), kBlockRecords));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return static_cast<Particle*>(blocks.back()->Take());
}

void ParticlePool::ReleaseParticle(Particle* particle)
{
    if (sDestroyed || !sCreated || !particle)
        return;
    auto& blocks = Instance().mBlocks;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!blocks[i]->Holds(particle))
            continue;
        blocks[i]->Release(particle);
        if (blocks[i]->IsEmpty() && blocks.size() > 1)
            blocks.erase(blocks.begin() + ptrdiff_t(i));
        return;
    }
}

size_t ParticlePool::UsedRecords()
{
    if (sDestroyed)
        return 0;
    size_t n = 0;
    for (auto& block : Instance().mBlocks)
        n += block->Used();
    return n;
}

size_t ParticlePool::BlockCount()
{
    return sDestroyed ? 0 : Instance().mBlocks.size();
}

} // namespace Quib
