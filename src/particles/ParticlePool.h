#pragma once
#include "src/particles/BlockPool.h"

#include <memory>
#include <vector>

namespace Quib {

struct Particle;

// The process-wide store of own-kind particle records: blocks of 1000
// records, a new block only when all are full, an emptied block freed
// unless it is the only one. Created on first use, destroyed at exit.
class ParticlePool {
public:
    static constexpr size_t kBlockRecords = 1000;

    // A record (its fields undefined), or null when memory is exhausted or
    // the pool is already gone at exit.
    static Particle* TakeParticle();
    // Gives a record back; nothing for a record the pool does not hold.
    static void ReleaseParticle(Particle* particle);
    // False once the pool has been destroyed at exit: records are then no
    // longer valid and must not be touched.
    static bool IsAlive();

    // Records in use and blocks held (for tests).
    static size_t UsedRecords();
    static size_t BlockCount();

    ParticlePool() = default;
    ~ParticlePool();

private:
    static ParticlePool& Instance();

    std::vector<std::unique_ptr<BlockPool>> mBlocks;
};

} // namespace Quib
