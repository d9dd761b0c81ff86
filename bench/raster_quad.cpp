// A 512 x 512 picture drawn as a rotated (30 degrees), smooth, blended quad
// onto a 1024 x 768 destination through RasterizeImageQuad, and the same
// affine picture composited by pixman with a bilinear filter and OVER.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TriangleRasterizer.h"

#include "bench/PixmanSupport.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using namespace Quib;

namespace {

constexpr int kTexSize = 512;
constexpr int kDestW = 1024, kDestH = 768;
constexpr float kAngle = std::numbers::pi_v<float> / 6;

// Mostly opaque colour gradients, a translucent band and a transparent frame.
std::vector<uint32_t> Picture()
{
    std::vector<uint32_t> px(kTexSize * kTexSize);
    for (uint32_t y = 0; y < kTexSize; ++y)
        for (uint32_t x = 0; x < kTexSize; ++x) {
            uint32_t a = 255;
            if (x < 4 || y < 4 || x >= kTexSize - 4 || y >= kTexSize - 4)
                a = 0;
            else if (y >= 320 && y < 384)
                a = 96 + (x & 127);
            px[y * kTexSize + x] = (a << 24) | ((x / 2) << 16) | ((y / 2) << 8) | ((x ^ y) & 255);
        }
    return px;
}

void BM_RasterizeImageQuad(benchmark::State& state)
{
    const std::vector<uint32_t> px = Picture();
    MemoryImage texture(nullptr);
    texture.AssignPixels(px.data(), kTexSize, kTexSize, true);
    std::vector<uint32_t> dest(kDestW * kDestH, 0xFF336699);
    Matrix3x3 m;
    m.PreRotate(kAngle);
    const PixelBuffer target{reinterpret_cast<uint8_t*>(dest.data()), kDestW * 4, kDestW, kDestH,
                             PixelFormat::Argb32(true)};
    for (auto _ : state) {
        RasterizeImageQuad(&texture, kDestW / 2.0f, kDestH / 2.0f, m, Rect(0, 0, kDestW, kDestH), Color::White,
                           Rect(0, 0, kTexSize, kTexSize), target, true);
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RasterizeImageQuad)->Unit(benchmark::kMillisecond);

void BM_PixmanBilinearOver(benchmark::State& state)
{
    std::vector<uint32_t> px = Picture();
    Premultiply(px);
    std::vector<uint32_t> dest(kDestW * kDestH, 0xFF336699);
    pixman_image_t* src =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kTexSize, kTexSize, px.data(), kTexSize * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kDestW, kDestH, dest.data(), kDestW * 4);

    // The quad maps source (sx, sy) to (c (sx-h) + s (sy-h) + cx, -s (sx-h) + c (sy-h) + cy).
    const double c = std::cos(kAngle), s = std::sin(kAngle);
    const double cx = kDestW / 2.0, cy = kDestH / 2.0, h = kTexSize / 2.0;
    SetBilinearTurn(src, kAngle, h, cx, cy);

    // Only the quad's bounding box, the area the rasterizer walks.
    const double half = h * (c + s);
    const int x0 = static_cast<int>(std::floor(cx - half)), y0 = std::max(0, static_cast<int>(std::floor(cy - half)));
    const int x1 = static_cast<int>(std::ceil(cx + half)), y1 = std::min(kDestH, static_cast<int>(std::ceil(cy + half)));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanBilinearOver)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("raster_rotated_quad", "BM_RasterizeImageQuad", "BM_PixmanBilinearOver");
    return 0;
}
