// Loads a small Ogg Vorbis sound from a pak archive into a sound buffer
// (Tremor reading through the pak layer) against plain Tremor decoding the
// same file from disk with ov_fopen and ov_read into memory.
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFileReaders.h"
#include "platform/AudioDevice.h"

#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <tremor/ivorbisfile.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

using namespace Quib;

namespace {

const std::string kSource = QUIB_TEST_DATA "/sound/tone-stereo.ogg";

struct Data {
    std::string archive;
    Data()
    {
        archive = (std::filesystem::temp_directory_path() / ("quib-bench-ogg-" + std::to_string(getpid()) + ".pak"))
                      .string();
        std::ifstream in(kSource, std::ios::binary);
        std::string bytes(std::istreambuf_iterator<char>(in), {});
        if (bytes.empty() || !WritePakArchive(archive, {{"sfx\\tone.ogg", bytes, {}}}) ||
            !GetSharedPakInterface()->AddPakFile(archive))
            std::fprintf(stderr, "no archive of %s\n", kSource.c_str());
    }
    ~Data() { std::filesystem::remove(archive); }
};

Data& TheData()
{
    static Data data;
    return data;
}

void BM_OggThroughPak(benchmark::State& state)
{
    TheData();
    AudioDevice device;
    DSoundManager manager(&device, &device, false);
    for (auto _ : state) {
        if (!LoadOggSound("sfx\\tone.ogg", manager, 0))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(manager.Buffer(0).get());
    }
}
BENCHMARK(BM_OggThroughPak)->Unit(benchmark::kMicrosecond);

void BM_OggPlainTremor(benchmark::State& state)
{
    for (auto _ : state) {
        OggVorbis_File vf;
        FILE* f = std::fopen(kSource.c_str(), "rb");
        if (!f || ov_open(f, &vf, nullptr, 0) < 0) {
            state.SkipWithError(("cannot decode " + kSource).c_str());
            break;
        }
        std::vector<char> pcm(size_t(ov_pcm_total(&vf, -1)) * ov_info(&vf, -1)->channels * 2);
        size_t at = 0;
        int section = 0;
        for (long n; at < pcm.size() && (n = ov_read(&vf, pcm.data() + at, int(pcm.size() - at), &section)) > 0;)
            at += size_t(n);
        ov_clear(&vf);
        benchmark::DoNotOptimize(pcm.data());
    }
}
BENCHMARK(BM_OggPlainTremor)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("sound_ogg_load", "BM_OggThroughPak", "BM_OggPlainTremor");
    return 0;
}
