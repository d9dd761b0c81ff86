// The storage builders of a 1024 x 768 picture with transparent, translucent
// and opaque areas: the display copy in a 32-bit and a 16-bit layout, the
// bits rebuilt from a display copy, the two run tables, and palettising a
// picture of 200 colours. The peer is memcpy of the same picture, the least
// any pass over its pixels can cost.

#include "bench/RecordingReporter.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace Quib;

namespace {

constexpr int kW = 1024, kH = 768;

// Round sprites on a transparent ground: runs of every alpha class.
std::vector<uint32_t> Picture()
{
    std::vector<uint32_t> words(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double d = std::hypot((x % 128) - 63.5, (y % 128) - 63.5);
            const double cover = std::clamp((56.0 - d) / 4.0, 0.0, 1.0);
            const uint32_t a = uint32_t(cover * 255 + 0.5);
            words[size_t(y) * kW + x] = (a << 24) | (uint32_t(x & 255) << 16) | (uint32_t(y & 255) << 8) |
                                        uint32_t((x + y) & 255);
        }
    return words;
}

struct Fixture {
    explicit Fixture(bool sixteen)
    {
        app.display = std::make_unique<DDInterface>(&app);
        if (sixteen)
            app.display->SetPixelFormat(16, 0xF800, 0x07E0, 0x001F);
        else
            app.display->SetPixelFormat(32, 0xFF0000, 0xFF00, 0xFF);
        pixels = Picture();
        image = std::make_unique<MemoryImage>(&app);
        image->AssignPixels(pixels.data(), kW, kH, true);
    }
    QuibAppBase app;
    std::vector<uint32_t> pixels;
    std::unique_ptr<MemoryImage> image;
};

void DisplayCopy(benchmark::State& state, bool sixteen)
{
    Fixture f(sixteen);
    for (auto _ : state) {
        f.image->nativeAlpha.reset();
        benchmark::DoNotOptimize(f.image->GetDisplayFormatPixels(f.app.display.get()));
    }
}
void BM_DisplayCopy32(benchmark::State& state) { DisplayCopy(state, false); }
void BM_DisplayCopy16(benchmark::State& state) { DisplayCopy(state, true); }

void BM_BitsFromDisplayCopy(benchmark::State& state)
{
    Fixture f(false);
    f.image->GetDisplayFormatPixels(f.app.display.get());
    for (auto _ : state) {
        f.image->bits.reset();
        benchmark::DoNotOptimize(f.image->Pixels());
    }
}

void BM_AlphaRunTable(benchmark::State& state)
{
    Fixture f(false);
    for (auto _ : state) {
        f.image->rlAlpha.reset();
        benchmark::DoNotOptimize(f.image->GetAlphaRunTable());
    }
}

void BM_AdditiveRunTable(benchmark::State& state)
{
    Fixture f(false);
    f.image->GetDisplayFormatPixels(f.app.display.get());
    for (auto _ : state) {
        f.image->rlAdditive.reset();
        benchmark::DoNotOptimize(f.image->GetAdditiveRunTable(f.app.display.get()));
    }
}

void BM_Palettize(benchmark::State& state)
{
    Fixture f(false);
    std::vector<uint32_t> few(f.pixels.size());
    for (size_t i = 0; i < few.size(); ++i)
        few[i] = 0xFF000000u | uint32_t((i * 2654435761u) % 200) * 0x010101u;
    for (auto _ : state) {
        f.image->AssignPixels(few.data(), kW, kH, false);
        benchmark::DoNotOptimize(f.image->TryPalettize());
    }
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> from = Picture(), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_DisplayCopy32)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_DisplayCopy16)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_BitsFromDisplayCopy)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_AlphaRunTable)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_AdditiveRunTable)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_Palettize)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (auto [name, ours] : {std::pair{"image_display_copy_32", "BM_DisplayCopy32"},
                              std::pair{"image_display_copy_16", "BM_DisplayCopy16"},
                              std::pair{"image_bits_from_display_copy", "BM_BitsFromDisplayCopy"},
                              std::pair{"image_alpha_run_table", "BM_AlphaRunTable"},
                              std::pair{"image_additive_run_table", "BM_AdditiveRunTable"},
                              std::pair{"image_palettize", "BM_Palettize"}})
        reporter.PrintRatio(name, ours, "BM_Memcpy");
    return 0;
}
