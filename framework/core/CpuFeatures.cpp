#include "framework/core/CpuFeatures.h"

#include <cstdlib>
#include <cstring>

namespace Quib {

namespace {

PixelLoops ProcessorLoops()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return PixelLoops::Avx2;
    if (__builtin_cpu_supports("sse2"))
        return PixelLoops::Sse2;
#endif
    return PixelLoops::Portable;
}

// The cap the environment sets; no variable or an unknown value caps nothing.
PixelLoops EnvironmentCap()
{
    const char* value = std::getenv("QUIB_PIXEL_LOOPS");
    if (value && std::strcmp(value, "portable") == 0)
        return PixelLoops::Portable;
    if (value && std::strcmp(value, "sse2") == 0)
        return PixelLoops::Sse2;
    return PixelLoops::Avx2;
}

} // namespace

PixelLoops ActivePixelLoops()
{
    static const PixelLoops active = [] {
        const PixelLoops best = ProcessorLoops(), cap = EnvironmentCap();
        return int(best) < int(cap) ? best : cap;
    }();
    return active;
}

const char* PixelLoopsName(PixelLoops loops)
{
    switch (loops) {
    case PixelLoops::Portable: return "portable";
    case PixelLoops::Sse2: return "sse2";
    case PixelLoops::Avx2: return "avx2";
    }
    return "portable";
}

} // namespace Quib
