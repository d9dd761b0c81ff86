// One second of 44.1 kHz stereo output mixed from 32 looping buffers (mono
// and stereo, 8- and 16-bit, at rates from 11025 to 48000 Hz, each with
// its own volume and pan) against SDL_MixAudioFormat adding 32 buffers of
// 16-bit stereo at the output rate, with a volume each and no resampling.
#include "platform/AudioDevice.h"

#include "bench/RecordingReporter.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

using namespace Quib;

namespace {

constexpr int kVoices = 32;
constexpr uint32_t kRate = 44100;

void BM_MixOurs(benchmark::State& state)
{
    AudioDevice device(kRate);
    std::mt19937 rng(7);
    const uint32_t rates[] = {11025, 22050, 32000, 44100, 48000, 22050, 44100, 16000};
    std::vector<std::shared_ptr<SoundBuffer>> buffers;
    for (int v = 0; v < kVoices; ++v) {
        const SoundFormat format{v % 3 == 0 ? 2 : 1, v % 4 == 1 ? 8 : 16, rates[v % 8]};
        const size_t bytes = size_t(format.sampleRate) * (3 + v % 5) / 4 * format.BlockAlign();
        auto buffer = device.CreateBuffer(format, bytes);
        size_t locked = 0;
        uint8_t* p = buffer->Lock(0, bytes, &locked);
        for (size_t i = 0; i < locked; ++i)
            p[i] = uint8_t(rng());
        buffer->Unlock();
        buffer->SetVolume(-int(rng() % 1500));
        buffer->SetPan(int(rng() % 8001) - 4000);
        buffer->Play(true);
        buffers.push_back(buffer);
    }
    std::vector<int16_t> out(2 * kRate);
    for (auto _ : state) {
        device.Mix(out.data(), kRate);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MixOurs)->Unit(benchmark::kMicrosecond);

void BM_MixSdl(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::vector<std::vector<int16_t>> sources(kVoices);
    std::vector<int> volumes(kVoices);
    for (int v = 0; v < kVoices; ++v) {
        sources[v].resize(2 * kRate);
        for (int16_t& s : sources[v])
            s = int16_t(rng());
        volumes[v] = 64 + int(rng() % 65);
    }
    std::vector<int16_t> out(2 * kRate);
    const Uint32 bytes = Uint32(out.size() * sizeof(int16_t));
    for (auto _ : state) {
        std::memset(out.data(), 0, bytes);
        for (int v = 0; v < kVoices; ++v)
            SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(sources[v].data()),
                AUDIO_S16SYS, bytes, volumes[v]);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MixSdl)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("audio_mix_32", "BM_MixOurs", "BM_MixSdl");
    return 0;
}
