#include "src/particles/BlockPool.h"

#include "src/particles/Particle.h"
#include "src/particles/ParticlePool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Quib {
namespace BlockPoolTest {

size_t Slot(const BlockPool& pool, void* first, void* p)
{
    (void)pool;
    return size_t(static_cast<char*>(p) - static_cast<char*>(first));
}

TEST(BlockPool, TakesUpwardFromTheUsedCountThenDownward)
{
    BlockPool pool(100, 5);
    std::vector<void*> r;
    for (int i = 0; i < 5; ++i)
        r.push_back(pool.Take());
    EXPECT_TRUE(pool.IsFull());
    EXPECT_EQ(pool.Take(), nullptr);
    const size_t stride = Slot(pool, r[0], r[1]);
    EXPECT_GE(stride, 100u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(r[0]) % alignof(std::max_align_t), 0u);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(Slot(pool, r[0], r[size_t(i)]), stride * size_t(i));

    // Free slots 1 and 3: used count 3, the search starts at slot 3.
    EXPECT_TRUE(pool.Release(r[1]));
    EXPECT_TRUE(pool.Release(r[3]));
    EXPECT_EQ(pool.Used(), 3u);
    EXPECT_EQ(pool.Take(), r[3]);
    // Used count 4: nothing free from slot 4 up; down from 3 finds 1.
    EXPECT_EQ(pool.Take(), r[1]);
    EXPECT_TRUE(pool.IsFull());
}

TEST(BlockPool, RefusesWhatItDoesNotHold)
{
    BlockPool pool(24, 3);
    void* a = pool.Take();
    int outside = 0;
    EXPECT_FALSE(pool.Release(&outside));
    EXPECT_TRUE(pool.Release(static_cast<char*>(a) + 5)); // inside slot 0
    EXPECT_FALSE(pool.Release(a));                        // already free
    EXPECT_TRUE(pool.IsEmpty());
}

TEST(BlockPool, ManyBlocksEachAThousandRecords)
{
    BlockPool pool(sizeof(Particle), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_NE(pool.Take(), nullptr);
    EXPECT_EQ(pool.Take(), nullptr);
}

// A new block only when every block is full; an emptied block goes unless
// it is the last.
TEST(ParticlePool, GrowsByBlocksAndShrinksBack)
{
    const size_t used = ParticlePool::UsedRecords();
    const size_t blocks = ParticlePool::BlockCount();
    std::vector<Particle*> taken;
    for (size_t i = 0; i < 2500; ++i)
        taken.push_back(ParticlePool::TakeParticle());
    EXPECT_EQ(ParticlePool::UsedRecords(), used + 2500);
    EXPECT_GE(ParticlePool::BlockCount(), 3u);
    for (Particle* p : taken)
        ParticlePool::ReleaseParticle(p);
    EXPECT_EQ(ParticlePool::UsedRecords(), used);
    EXPECT_LE(ParticlePool::BlockCount(), std::max<size_t>(blocks, 1));
    Particle stray{};
    ParticlePool::ReleaseParticle(&stray); // not the pool's: nothing happens
    ParticlePool::ReleaseParticle(nullptr);
    EXPECT_EQ(ParticlePool::UsedRecords(), used);
}

} // namespace BlockPoolTest
} // namespace Quib
