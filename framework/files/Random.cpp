#include "framework/files/Random.h"

#include "framework/files/FloatRange.h"

#include <mutex>

namespace Quib {

namespace {

thread_local uint32_t tRandState = 1;

class Mersenne {
public:
    Mersenne() { Seed(4357); }

    void Seed(uint32_t seed)
    {
        if (seed == 0)
            seed = 4357;
        mState[0] = seed;
        for (int i = 1; i < kN; ++i)
            mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + static_cast<uint32_t>(i);
        mIndex = kN;
    }

    uint32_t Next()
    {
        if (mIndex >= kN)
            Generate();
        uint32_t y = mState[mIndex++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        return y;
    }

private:
    static constexpr int kN = 624;
    static constexpr int kM = 397;

    void Generate()
    {
        constexpr uint32_t kMatrix = 0x9908B0DFu;
        for (int i = 0; i < kN; ++i) {
            uint32_t y = (mState[i] & 0x80000000u) | (mState[(i + 1) % kN] & 0x7FFFFFFFu);
            mState[i] = mState[(i + kM) % kN] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
        }
        mIndex = 0;
    }

    uint32_t mState[kN];
    int mIndex = kN;
};

std::mutex gMersenneMutex;
Mersenne gMersenne;

} // namespace

int rand()
{
    tRandState = tRandState * 214013u + 2531011u;
    return static_cast<int>((tRandState >> 16) & 0x7FFF);
}

void srand(unsigned seed) { tRandState = seed; }

void MersenneSeed(uint32_t seed)
{
    std::lock_guard lock(gMersenneMutex);
    gMersenne.Seed(seed);
}

uint32_t MersenneNext()
{
    std::lock_guard lock(gMersenneMutex);
    return gMersenne.Next() & 0x7FFFFFFFu;
}

float RandomFloatMT(float x)
{
    return static_cast<float>(static_cast<double>(x) * MersenneNext() / 2147483647.0);
}

float RandomFloat(float a, float b)
{
    return a + static_cast<float>(rand()) / 32767.0f * (b - a);
}

float FloatRange::Random() const { return RandomFloat(min, max); }

} // namespace Quib
