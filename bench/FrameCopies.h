#pragma once
// The yardstick of the frame benchmarks: five full-frame copies of a
// width x height back buffer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace Quib {

inline void RunFiveFrameCopies(benchmark::State& state, int width, int height)
{
    std::vector<uint32_t> a(size_t(width) * height, 0x12345678u), b(size_t(width) * height);
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            std::memcpy(i % 2 ? a.data() : b.data(), i % 2 ? b.data() : a.data(), a.size() * 4);
            benchmark::ClobberMemory();
        }
    }
}

} // namespace Quib
