// Loads a 1024 x 768 RGBA PNG and a 1024 x 768 JPEG through LoadImageFile
// from a pak archive, and decodes the same files with plain libpng and
// libjpeg calls from memory.
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"
#include "framework/graphics/ImageLib.h"

#include "bench/PlainDecode.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

using namespace Quib;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Data {
    std::filesystem::path dir;
    std::string png;
    std::string jpeg;
};

// Smooth shapes with some grain, like a painted scene.
Data& TheData()
{
    static Data data = [] {
        Data d;
        d.dir = std::filesystem::temp_directory_path() / ("quib-bench-image-" + std::to_string(getpid()));
        std::filesystem::create_directories(d.dir);
        ImageLib::Image image;
        image.width = kWidth;
        image.height = kHeight;
        image.pixels = new uint32_t[size_t(kWidth) * kHeight];
        std::mt19937 rng(2);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                int r = int(128 + 100 * std::sin(x * 0.013) * std::cos(y * 0.021)) + int(rng() % 9);
                int g = int(128 + 90 * std::sin((x + y) * 0.008)) + int(rng() % 9);
                int b = (x ^ y) & 0xFF;
                int a = (x / 64 + y / 64) % 3 == 0 ? 255 : (x + y) % 256;
                image.pixels[size_t(y) * kWidth + x] = uint32_t(a) << 24 | uint32_t(r & 0xFF) << 16 |
                                                       uint32_t(g & 0xFF) << 8 | uint32_t(b);
            }
        ImageLib::WritePng((d.dir / "pic.png").string(), &image);
        ImageLib::WriteJpeg((d.dir / "pic.jpg").string(), &image);
        d.png = ReadWholeFile(d.dir / "pic.png");
        d.jpeg = ReadWholeFile(d.dir / "pic.jpg");
        std::string archive = (d.dir / "bench.pak").string();
        WritePakArchive(archive, {{"data\\pic.png", d.png, {}}, {"data\\pic.jpg", d.jpeg, {}}});
        if (!GetSharedPakInterface()->AddPakFile(archive))
            std::fprintf(stderr, "archive not loaded\n");
        return d;
    }();
    return data;
}

void BM_LoadPngFromPak(benchmark::State& state)
{
    TheData();
    for (auto _ : state) {
        auto image = ImageLib::LoadImageFile("data\\pic.png", false);
        benchmark::DoNotOptimize(image->pixels);
    }
}
BENCHMARK(BM_LoadPngFromPak)->Unit(benchmark::kMillisecond);

void BM_PlainPngFromMemory(benchmark::State& state)
{
    const std::string& bytes = TheData().png;
    for (auto _ : state) {
        if (!PlainDecodePng(bytes, false)) {
            state.SkipWithError("png");
            break;
        }
    }
}
BENCHMARK(BM_PlainPngFromMemory)->Unit(benchmark::kMillisecond);

void BM_LoadJpegFromPak(benchmark::State& state)
{
    TheData();
    for (auto _ : state) {
        auto image = ImageLib::LoadImageFile("data\\pic.jpg", false);
        benchmark::DoNotOptimize(image->pixels);
    }
}
BENCHMARK(BM_LoadJpegFromPak)->Unit(benchmark::kMillisecond);

void BM_PlainJpegFromMemory(benchmark::State& state)
{
    const std::string& bytes = TheData().jpeg;
    for (auto _ : state) {
        PlainDecodeJpeg(bytes);
    }
}
BENCHMARK(BM_PlainJpegFromMemory)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("image_load_png", "BM_LoadPngFromPak", "BM_PlainPngFromMemory");
    reporter.PrintRatio("image_load_jpeg", "BM_LoadJpegFromPak", "BM_PlainJpegFromMemory");
    std::error_code ec;
    std::filesystem::remove_all(TheData().dir, ec);
    return 0;
}
