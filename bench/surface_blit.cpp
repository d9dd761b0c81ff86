// Drawing into display surfaces against pixman doing the same work: a 512 x
// 512 picture with a transparent frame and a translucent band blended
// (DDImage::SurfacePutImage, run tables) against OVER, in the 32-bit and the
// 5-6-5 layout; an opaque picture copied between two surfaces (the surface
// blit) and from a display copy into a 5-6-5 surface against SRC; the
// additive copy against ADD; a translucent fill against OVER of a solid;
// the picture turned about its centre (bilinear) against pixman's bilinear
// OVER through the same turn.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"

#include "bench/PixmanSupport.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Quib;

namespace {

constexpr int kTexSize = 512;
constexpr int kDestW = 1024, kDestH = 768;

std::vector<uint32_t> Picture()
{
    std::vector<uint32_t> px(kTexSize * kTexSize);
    for (uint32_t y = 0; y < kTexSize; ++y)
        for (uint32_t x = 0; x < kTexSize; ++x) {
            uint32_t a = 255;
            if (x < 16 || y < 16 || x >= kTexSize - 16 || y >= kTexSize - 16)
                a = 0;
            else if (y >= 320 && y < 384)
                a = 96 + (x & 127);
            px[y * kTexSize + x] = (a << 24) | ((x / 2) << 16) | ((y / 2) << 8) | ((x ^ y) & 255);
        }
    return px;
}

void SurfaceBlend(benchmark::State& state, int bitCount, uint32_t r, uint32_t g, uint32_t b)
{
    QuibAppBase app;
    app.display = std::make_unique<DDInterface>(&app);
    app.display->SetPixelFormat(bitCount, r, g, b);
    DDImage dest(app.display.get());
    dest.Resize(kDestW, kDestH);
    dest.CreateSurface();
    dest.hasTrans = dest.hasAlpha = false;
    MemoryImage source(&app);
    const std::vector<uint32_t> px = Picture();
    source.AssignPixels(px.data(), kTexSize, kTexSize, true);
    for (auto _ : state) {
        dest.SurfacePutImage(&source, 256, 128, Rect(0, 0, kTexSize, kTexSize), Color::White);
        benchmark::ClobberMemory();
    }
}

// A display with the layout, a surface image of the destination size and
// the test picture.
struct Scene {
    QuibAppBase app;
    std::unique_ptr<DDImage> dest;
    Scene(int bitCount, uint32_t r, uint32_t g, uint32_t b)
    {
        app.display = std::make_unique<DDInterface>(&app);
        app.display->SetPixelFormat(bitCount, r, g, b);
        dest = std::make_unique<DDImage>(app.display.get());
        dest->Resize(kDestW, kDestH);
        dest->CreateSurface();
        dest->hasTrans = dest->hasAlpha = false;
    }
};

std::vector<uint32_t> OpaquePicture()
{
    std::vector<uint32_t> px = Picture();
    for (uint32_t& p : px)
        p |= 0xFF000000;
    return px;
}

void SurfaceCopy(benchmark::State& state, bool surfaceBlit)
{
    Scene scene(16, 0xF800, 0x07E0, 0x001F);
    DDImage source(scene.app.display.get());
    const std::vector<uint32_t> px = OpaquePicture();
    source.AssignPixels(px.data(), kTexSize, kTexSize, true);
    if (surfaceBlit)
        source.CreateSurface();
    for (auto _ : state) {
        scene.dest->SurfacePutImage(&source, 256, 128, Rect(0, 0, kTexSize, kTexSize), Color::White);
        benchmark::ClobberMemory();
    }
}

void BM_SurfaceBlt565(benchmark::State& state)
{
    SurfaceCopy(state, true);
}
BENCHMARK(BM_SurfaceBlt565)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SurfaceCopy565(benchmark::State& state)
{
    SurfaceCopy(state, false);
}
BENCHMARK(BM_SurfaceCopy565)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SurfaceAdditive32(benchmark::State& state)
{
    Scene scene(32, 0xFF0000, 0xFF00, 0xFF);
    MemoryImage source(&scene.app);
    const std::vector<uint32_t> px = OpaquePicture();
    source.AssignPixels(px.data(), kTexSize, kTexSize, true);
    for (auto _ : state) {
        scene.dest->SurfacePutImageAdditive(&source, 256, 128, Rect(0, 0, kTexSize, kTexSize), Color::White);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SurfaceAdditive32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SurfaceFill32(benchmark::State& state)
{
    Scene scene(32, 0xFF0000, 0xFF00, 0xFF);
    for (auto _ : state) {
        scene.dest->SurfaceFillRectangle(Rect(256, 128, kTexSize, kTexSize), Color(40, 80, 120, 128));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SurfaceFill32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SurfaceBlend32(benchmark::State& state)
{
    SurfaceBlend(state, 32, 0xFF0000, 0xFF00, 0xFF);
}
BENCHMARK(BM_SurfaceBlend32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_SurfaceBlend565(benchmark::State& state)
{
    SurfaceBlend(state, 16, 0xF800, 0x07E0, 0x001F);
}
BENCHMARK(BM_SurfaceBlend565)->Unit(benchmark::kMicrosecond)->Repetitions(5);

constexpr double kAngle = 0.5;

void BM_SurfaceRotate32(benchmark::State& state)
{
    Scene scene(32, 0xFF0000, 0xFF00, 0xFF);
    MemoryImage source(&scene.app);
    const std::vector<uint32_t> px = Picture();
    source.AssignPixels(px.data(), kTexSize, kTexSize, true);
    const float h = kTexSize / 2.0f;
    for (auto _ : state) {
        scene.dest->PutImageRotated(&source, kDestW / 2.0f - h, kDestH / 2.0f - h, Rect(0, 0, kTexSize, kTexSize),
                                    Rect(0, 0, kDestW, kDestH), Color::White, 0, kAngle, h, h);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SurfaceRotate32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PixmanRotate32(benchmark::State& state)
{
    std::vector<uint32_t> px = Picture();
    Premultiply(px);
    std::vector<uint32_t> dest(kDestW * kDestH);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kTexSize, kTexSize, px.data(), kTexSize * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kDestW, kDestH, dest.data(), kDestW * 4);
    const double c = std::cos(kAngle), s = std::sin(kAngle);
    const double cx = kDestW / 2.0, cy = kDestH / 2.0, h = kTexSize / 2.0;
    SetBilinearTurn(src, kAngle, h, cx, cy);
    // The turned picture's bounding box, as the surface draw walks it.
    const double half = h * (c + s);
    const int x0 = int(std::floor(cx - half)), y0 = std::max(0, int(std::floor(cy - half)));
    const int x1 = int(std::ceil(cx + half)), y1 = std::min(kDestH, int(std::ceil(cy + half)));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanRotate32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// pixman compositing a picture (premultiplied) or a translucent solid with
// op into a destination of the format.
enum class PeerSource { Picture, Opaque, Solid };

void PixmanComposite(benchmark::State& state, pixman_op_t op, pixman_format_code_t srcFormat,
                     pixman_format_code_t destFormat, PeerSource kind)
{
    std::vector<uint32_t> px = kind == PeerSource::Picture ? Picture() : OpaquePicture();
    Premultiply(px);
    std::vector<uint32_t> dest(kDestW * kDestH);
    pixman_image_t* src = nullptr;
    if (kind == PeerSource::Solid) {
        const pixman_color_t c{uint16_t(40 * 128 * 257 / 255), uint16_t(80 * 128 * 257 / 255),
                               uint16_t(120 * 128 * 257 / 255), 128 * 257};
        src = pixman_image_create_solid_fill(&c);
    } else {
        src = pixman_image_create_bits(srcFormat, kTexSize, kTexSize, px.data(),
                                       kTexSize * PIXMAN_FORMAT_BPP(srcFormat) / 8);
    }
    pixman_image_t* dst = pixman_image_create_bits(destFormat, kDestW, kDestH, dest.data(),
                                                   kDestW * PIXMAN_FORMAT_BPP(destFormat) / 8);
    for (auto _ : state) {
        pixman_image_composite32(op, src, nullptr, dst, 0, 0, 0, 0, 256, 128, kTexSize, kTexSize);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void BM_PixmanOver32(benchmark::State& state)
{
    PixmanComposite(state, PIXMAN_OP_OVER, PIXMAN_a8r8g8b8, PIXMAN_x8r8g8b8, PeerSource::Picture);
}
BENCHMARK(BM_PixmanOver32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PixmanOver565(benchmark::State& state)
{
    PixmanComposite(state, PIXMAN_OP_OVER, PIXMAN_a8r8g8b8, PIXMAN_r5g6b5, PeerSource::Picture);
}
BENCHMARK(BM_PixmanOver565)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PixmanSrc565(benchmark::State& state)
{
    PixmanComposite(state, PIXMAN_OP_SRC, PIXMAN_r5g6b5, PIXMAN_r5g6b5, PeerSource::Opaque);
}
BENCHMARK(BM_PixmanSrc565)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PixmanAdd32(benchmark::State& state)
{
    PixmanComposite(state, PIXMAN_OP_ADD, PIXMAN_x8r8g8b8, PIXMAN_x8r8g8b8, PeerSource::Opaque);
}
BENCHMARK(BM_PixmanAdd32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_PixmanFill32(benchmark::State& state)
{
    PixmanComposite(state, PIXMAN_OP_OVER, PIXMAN_a8r8g8b8, PIXMAN_x8r8g8b8, PeerSource::Solid);
}
BENCHMARK(BM_PixmanFill32)->Unit(benchmark::kMicrosecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (auto [ours, peer, label] : {std::tuple{"BM_SurfaceBlend32", "BM_PixmanOver32", "surface_blend_32"},
                                     std::tuple{"BM_SurfaceBlend565", "BM_PixmanOver565", "surface_blend_565"},
                                     std::tuple{"BM_SurfaceBlt565", "BM_PixmanSrc565", "surface_blt_565"},
                                     std::tuple{"BM_SurfaceCopy565", "BM_PixmanSrc565", "surface_copy_565"},
                                     std::tuple{"BM_SurfaceAdditive32", "BM_PixmanAdd32", "surface_additive_32"},
                                     std::tuple{"BM_SurfaceFill32", "BM_PixmanFill32", "surface_fill_32"},
                                     std::tuple{"BM_SurfaceRotate32", "BM_PixmanRotate32", "surface_rotate_32"}})
        reporter.PrintRatio(label, ours, peer);
    return 0;
}
