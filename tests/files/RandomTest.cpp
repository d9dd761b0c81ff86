#include "framework/files/FloatRange.h"
#include "framework/files/Random.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace Quib {
namespace {

TEST(Random, RandFollowsTheRuntimeSequence)
{
    srand(1);
    EXPECT_EQ(rand(), 41);
    EXPECT_EQ(rand(), 18467);
    EXPECT_EQ(rand(), 6334);
    srand(1);
    EXPECT_EQ(rand(), 41);
}

TEST(Random, EachThreadStartsFromSeedOne)
{
    srand(99);
    rand();
    int first = -1;
    std::thread([&] { first = rand(); }).join();
    EXPECT_EQ(first, 41);
}

TEST(Random, MersenneMatchesMt19937)
{
    for (uint32_t seed : {5489u, 4357u, 123456789u}) {
        MersenneSeed(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(MersenneNext(), reference() & 0x7FFFFFFFu) << seed << " #" << i;
    }
}

TEST(Random, SeedZeroMeans4357)
{
    MersenneSeed(0);
    uint32_t a[5];
    for (uint32_t& v : a)
        v = MersenneNext();
    MersenneSeed(4357);
    for (uint32_t v : a)
        EXPECT_EQ(MersenneNext(), v);
}

TEST(Random, FloatHelpersStayInRange)
{
    srand(7);
    FloatRange range{2.0f, 3.0f};
    for (int i = 0; i < 2000; ++i) {
        float r = RandomFloat(-1.0f, 1.0f);
        EXPECT_GE(r, -1.0f);
        EXPECT_LE(r, 1.0f);
        float m = RandomFloatMT(5.0f);
        EXPECT_GE(m, 0.0f);
        EXPECT_LE(m, 5.0f);
        float f = range.Random();
        EXPECT_GE(f, 2.0f);
        EXPECT_LE(f, 3.0f);
    }
    srand(1); // 41
    EXPECT_FLOAT_EQ(RandomFloat(0.0f, 32767.0f), 41.0f);
    EXPECT_FLOAT_EQ(FloatRange({4.0f, 4.0f}).Random(), 4.0f);
}

} // namespace
} // namespace Quib
