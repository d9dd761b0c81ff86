#pragma once
#include <cstdint>

namespace Quib {

// The C runtime's generator, with its sequence: state = state * 214013 +
// 2531011, result (state >> 16) & 0x7FFF. Each thread has its own state,
// starting from seed 1.
int rand();
void srand(unsigned seed);

// MT19937. Seed 0 means 4357, the seed the generator starts with.
void MersenneSeed(uint32_t seed);
// The next output with its top bit cleared: 0 .. 2147483647.
uint32_t MersenneNext();
// x * MersenneNext() / 2147483647: 0 .. x inclusive.
float RandomFloatMT(float x);

// a + rand() / 32767 * (b - a): a .. b inclusive.
float RandomFloat(float a, float b);

} // namespace Quib
