// 5,000 live particles of the emitter library (half alpha-blended, half
// additive; textured, turned, 12 to 28 pixels) updated and drawn into a
// 1024 x 768 memory image each frame, against the same quads composited
// by pixman, each through its own affine transform with a bilinear filter
// and OVER under a solid mask of the particle's alpha.
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/Particles2.h"

#include "bench/PixmanSupport.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

using namespace Quib;

namespace {

constexpr int kDestW = 1024, kDestH = 768;

const char* kEffect = R"(ptc 1
texture glow
    shape = glow
    size = 32
end
texture star
    shape = star
    size = 32
    frames = 4
end
emitter Field
    loop = on
    particles soft
        texture = glow
        rate = 5000
        max = 2500
        area = box 1000 740
        life = 2 3
        speed = 5 20
        spread = 360
        size = 12 28
        angle = 0 360
        spin = -90 90
        colour = 0 #40FFFFFF 0.5 #E0FFE0C0 1 #40FFC080
    end
    particles bright
        texture = star
        additive = on
        rate = 5000
        max = 2500
        area = box 1000 740
        life = 2 3
        speed = 5 20
        spread = 360
        size = 28 12
        angle = 0 360
        spin = -90 90
        frame = random
        colour = 0 #40FFFFFF 0.5 #E0FFFFFF 1 #40C0E0FF
    end
end
)";

// The effect, running with its 5,000 particles, made once.
Particles2& Effect()
{
    static Particles2* effect = [] {
        namespace fs = std::filesystem;
        const fs::path dir = fs::temp_directory_path() / "quib-bench-particles";
        fs::create_directories(dir / "res");
        std::ofstream(dir / "res" / "bench.ptc") << kEffect;
        SetWorkingDirectory(dir.string());
        LoadParticleFiles();
        Quib::srand(1);
        auto* e = new Particles2("Field");
        e->StartAt({kDestW / 2.0f, kDestH / 2.0f});
        for (int i = 0; i < 100; ++i)
            e->Update(0.01f);
        return e;
    }();
    return *effect;
}

std::vector<uint32_t> Background()
{
    return std::vector<uint32_t>(size_t(kDestW) * kDestH, 0xFF203040);
}

void BM_ParticlesUpdateDraw(benchmark::State& state)
{
    Particles2& effect = Effect();
    const std::vector<uint32_t> px = Background();
    MemoryImage dest(nullptr);
    dest.AssignPixels(px.data(), kDestW, kDestH, true);
    Graphics g(&dest);
    for (auto _ : state) {
        effect.Update(0.01f);
        effect.Draw(&g);
        benchmark::DoNotOptimize(dest.bits.get());
        benchmark::ClobberMemory();
    }
    state.counters["particles"] = PtcGetParticleCount(effect.Handle());
}
BENCHMARK(BM_ParticlesUpdateDraw)->Unit(benchmark::kMillisecond)->Repetitions(5);

struct Quad {
    float x, y, scale, angle;
    uint8_t alpha;
    pixman_image_t* source;
};

void BM_PixmanParticleQuads(benchmark::State& state)
{
    Particles2& effect = Effect();
    // The frames of each type as premultiplied pixman pictures, and the
    // particles as they stand.
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<pixman_image_t*> sources;
    std::vector<Quad> quads;
    float ex = 0, ey = 0;
    PtcGetEmitterPosition(effect.Handle(), &ex, &ey);
    for (int t = PtcGetParticlesTypeCount(effect.Handle()) - 1; t >= 0; --t) {
        PtcLockParticlesType(effect.Handle(), t);
        const size_t first = sources.size();
        const int frames = PtcGetTextureCount();
        for (int i = 0; i < frames; ++i) {
            PtcTexture f;
            PtcGetTexture(i, &f);
            std::vector<uint32_t>& words = pixels.emplace_back(size_t(f.frameWidth) * f.frameHeight);
            std::memcpy(words.data(), f.data + PtcTexture::kHeaderSize, words.size() * 4);
            Premultiply(words);
            sources.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, f.frameWidth, f.frameHeight, words.data(),
                                                       f.frameWidth * 4));
            pixman_image_set_filter(sources.back(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
        }
        while (const PtcParticle* p = PtcGetNextParticle())
            quads.push_back({p->x + ex + kDestW / 2.0f, p->y + ey + kDestH / 2.0f, p->size / 32.0f,
                             p->angle * 3.1415927f / 180.0f, uint8_t(p->color >> 24),
                             sources[first + size_t(p->frame)]});
        PtcUnlockParticlesType();
    }
    std::vector<pixman_image_t*> masks(256);
    for (int a = 0; a < 256; ++a) {
        const pixman_color_t c{0, 0, 0, uint16_t(a * 257)};
        masks[size_t(a)] = pixman_image_create_solid_fill(&c);
    }
    std::vector<uint32_t> dest = Background();
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kDestW, kDestH, dest.data(), kDestW * 4);
    for (auto _ : state) {
        for (const Quad& q : quads) {
            // Destination d samples centre + R(d - position) / scale.
            const double c = std::cos(q.angle) / q.scale, s = std::sin(q.angle) / q.scale;
            pixman_transform_t t;
            pixman_transform_init_identity(&t);
            t.matrix[0][0] = pixman_double_to_fixed(c);
            t.matrix[0][1] = pixman_double_to_fixed(-s);
            t.matrix[0][2] = pixman_double_to_fixed(16.0 - c * q.x + s * q.y);
            t.matrix[1][0] = pixman_double_to_fixed(s);
            t.matrix[1][1] = pixman_double_to_fixed(c);
            t.matrix[1][2] = pixman_double_to_fixed(16.0 - s * q.x - c * q.y);
            pixman_image_set_transform(q.source, &t);
            const double half = 16.0 * q.scale * 1.4142136;
            const int x0 = int(std::floor(q.x - half)), y0 = int(std::floor(q.y - half));
            const int size = int(std::ceil(2 * half)) + 1;
            pixman_image_composite32(PIXMAN_OP_OVER, q.source, masks[q.alpha], dst, x0, y0, 0, 0, x0, y0, size,
                                     size);
        }
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    state.counters["particles"] = double(quads.size());
    pixman_image_unref(dst);
    for (pixman_image_t* m : masks)
        pixman_image_unref(m);
    for (pixman_image_t* s : sources)
        pixman_image_unref(s);
}
BENCHMARK(BM_PixmanParticleQuads)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("particles_draw", "BM_ParticlesUpdateDraw", "BM_PixmanParticleQuads");
    UnloadParticleFiles();
    return 0;
}
