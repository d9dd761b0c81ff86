// The software renderer against pixman doing the same work on the same
// pictures: an alpha blit and an additive blit of a 256 x 256 sprite with
// transparent and anti-aliased edges onto 1024 x 768, a filtered stretch of
// 512 x 512 to 1024 x 768, and a 30-degree rotated bilinear draw of 512 x 512.

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/MemoryImage.h"
#include "bench/PixmanSupport.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace Quib;

namespace {

constexpr int kDestW = 1024, kDestH = 768;

// A round sprite: opaque inside, a two-pixel anti-aliased rim, transparent
// outside; colours vary smoothly.
std::vector<uint32_t> Sprite(int size)
{
    std::vector<uint32_t> words(size_t(size) * size);
    const double c = (size - 1) / 2.0, r = size * 0.45;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c);
            const double cover = std::clamp((r - d) / 2.0, 0.0, 1.0);
            const uint32_t a = uint32_t(cover * 255 + 0.5);
            words[size_t(y) * size + x] = (a << 24) | (uint32_t(x * 255 / size) << 16) |
                                          (uint32_t(y * 255 / size) << 8) | uint32_t((x + y) * 127 / size);
        }
    return words;
}

// An opaque picture with some detail.
std::vector<uint32_t> Photo(int w, int h, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint32_t> words(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            words[size_t(y) * w + x] = 0xFF000000 | (uint32_t((x * 7 + y) & 255) << 16) |
                                       (uint32_t((y * 3) & 255) << 8) | (rng() & 63);
    return words;
}

std::vector<uint32_t> Premultiplied(std::vector<uint32_t> words)
{
    Premultiply(words);
    return words;
}

struct Fixture {
    QuibAppBase app;
    std::vector<uint32_t> sprite = Sprite(256);
    std::vector<uint32_t> photo = Photo(512, 512, 7);
    std::vector<uint32_t> back = Photo(kDestW, kDestH, 9);
    std::vector<uint32_t> spritePre = Premultiplied(sprite);
    std::vector<uint32_t> photoPre = Premultiplied(photo);

    std::unique_ptr<MemoryImage> Image(const std::vector<uint32_t>& words, int w, int h)
    {
        auto image = std::make_unique<MemoryImage>(&app);
        image->AssignPixels(words.data(), w, h, true);
        return image;
    }
};

Fixture& TheFixture()
{
    static Fixture f;
    return f;
}

struct PixmanImage {
    std::vector<uint32_t> words;
    pixman_image_t* image = nullptr;
    PixmanImage(const std::vector<uint32_t>& w, int width, int height) : words(w)
    {
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, words.data(), width * 4);
    }
    ~PixmanImage() { pixman_image_unref(image); }
};

// ---- Alpha blit.

void BM_OursAlphaBlit(benchmark::State& state)
{
    Fixture& f = TheFixture();
    auto dst = f.Image(f.back, kDestW, kDestH);
    auto src = f.Image(f.sprite, 256, 256);
    for (auto _ : state)
        dst->PutImage(src.get(), 384, 256, Rect(0, 0, 256, 256), Color::White, DRAWMODE_NORMAL);
    benchmark::DoNotOptimize(dst->bits[0]);
}
BENCHMARK(BM_OursAlphaBlit)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

void BM_PixmanAlphaBlit(benchmark::State& state)
{
    Fixture& f = TheFixture();
    PixmanImage dst(f.back, kDestW, kDestH), src(f.spritePre, 256, 256);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 384, 256, 256, 256);
    benchmark::DoNotOptimize(dst.words[0]);
}
BENCHMARK(BM_PixmanAlphaBlit)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

// The same blit onto a picture with translucent pixels (the composite path).
void BM_OursAlphaBlitTranslucentDest(benchmark::State& state)
{
    Fixture& f = TheFixture();
    std::vector<uint32_t> back = f.back;
    for (uint32_t& p : back)
        p = (p & 0x00FFFFFF) | 0xC0000000;
    auto dst = f.Image(back, kDestW, kDestH);
    auto src = f.Image(f.sprite, 256, 256);
    for (auto _ : state)
        dst->PutImage(src.get(), 384, 256, Rect(0, 0, 256, 256), Color::White, DRAWMODE_NORMAL);
    benchmark::DoNotOptimize(dst->bits[0]);
}
BENCHMARK(BM_OursAlphaBlitTranslucentDest)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

// ---- Additive blit.

void BM_OursAdditiveBlit(benchmark::State& state)
{
    Fixture& f = TheFixture();
    auto dst = f.Image(f.back, kDestW, kDestH);
    auto src = f.Image(f.sprite, 256, 256);
    for (auto _ : state)
        dst->PutImage(src.get(), 384, 256, Rect(0, 0, 256, 256), Color::White, DRAWMODE_ADDITIVE);
    benchmark::DoNotOptimize(dst->bits[0]);
}
BENCHMARK(BM_OursAdditiveBlit)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

void BM_PixmanAdditiveBlit(benchmark::State& state)
{
    Fixture& f = TheFixture();
    PixmanImage dst(f.back, kDestW, kDestH), src(f.spritePre, 256, 256);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_ADD, src.image, nullptr, dst.image, 0, 0, 0, 0, 384, 256, 256, 256);
    benchmark::DoNotOptimize(dst.words[0]);
}
BENCHMARK(BM_PixmanAdditiveBlit)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

// ---- Filtered stretch.

void BM_OursFilteredStretch(benchmark::State& state)
{
    Fixture& f = TheFixture();
    auto dst = f.Image(f.back, kDestW, kDestH);
    auto src = f.Image(f.photo, 512, 512);
    for (auto _ : state)
        dst->PutImageStretched(src.get(), Rect(0, 0, kDestW, kDestH), Rect(0, 0, 512, 512),
                               Rect(0, 0, kDestW, kDestH), Color::White, DRAWMODE_NORMAL, false);
    benchmark::DoNotOptimize(dst->bits[0]);
}
BENCHMARK(BM_OursFilteredStretch)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

void BM_PixmanFilteredStretch(benchmark::State& state)
{
    Fixture& f = TheFixture();
    PixmanImage dst(f.back, kDestW, kDestH), src(f.photoPre, 512, 512);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(512.0 / kDestW), pixman_double_to_fixed(512.0 / kDestH));
    pixman_image_set_transform(src.image, &t);
    pixman_image_set_filter(src.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(src.image, PIXMAN_REPEAT_PAD);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kDestW, kDestH);
    benchmark::DoNotOptimize(dst.words[0]);
}
BENCHMARK(BM_PixmanFilteredStretch)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

// ---- Rotated bilinear draw, 30 degrees about the picture's centre, centred
// on the destination.

constexpr double kAngle = 30.0 * 3.14159265358979323846 / 180.0;
constexpr float kRotX = 256, kRotY = 128, kCentre = 256;

void BM_OursRotated(benchmark::State& state)
{
    Fixture& f = TheFixture();
    auto dst = f.Image(f.back, kDestW, kDestH);
    auto src = f.Image(f.photo, 512, 512);
    for (auto _ : state)
        dst->PutImageRotated(src.get(), kRotX, kRotY, Rect(0, 0, 512, 512), Rect(0, 0, kDestW, kDestH),
                             Color::White, DRAWMODE_NORMAL, kAngle, kCentre, kCentre);
    benchmark::DoNotOptimize(dst->bits[0]);
}
BENCHMARK(BM_OursRotated)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

void BM_PixmanRotated(benchmark::State& state)
{
    Fixture& f = TheFixture();
    PixmanImage dst(f.back, kDestW, kDestH), src(f.photoPre, 512, 512);
    const double c = std::cos(kAngle), s = std::sin(kAngle);
    const double ox = kRotX + kCentre, oy = kRotY + kCentre;
    SetBilinearTurn(src.image, kAngle, kCentre, ox, oy);
    // The turned picture's bounding box, as ours draws it.
    const double half = 256 * (c + s);
    const int x0 = int(ox - half), y0 = int(oy - half), size = int(2 * half) + 1;
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, x0, y0, 0, 0, x0, y0, size, size);
    benchmark::DoNotOptimize(dst.words[0]);
}
BENCHMARK(BM_PixmanRotated)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.3)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("software_alpha_blit", "BM_OursAlphaBlit", "BM_PixmanAlphaBlit");
    reporter.PrintRatio("software_alpha_blit_translucent_dest", "BM_OursAlphaBlitTranslucentDest", "BM_PixmanAlphaBlit");
    reporter.PrintRatio("software_additive_blit", "BM_OursAdditiveBlit", "BM_PixmanAdditiveBlit");
    reporter.PrintRatio("software_filtered_stretch", "BM_OursFilteredStretch", "BM_PixmanFilteredStretch");
    reporter.PrintRatio("software_rotated_bilinear", "BM_OursRotated", "BM_PixmanRotated");
    return 0;
}
