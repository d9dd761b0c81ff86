// Reads every member of a 50 MB archive through PakFRead, and the same bytes
// from plain disk files with fread.
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"

#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

using namespace Quib;

namespace {

constexpr size_t kTotalBytes = 50u << 20;
constexpr size_t kChunk = 64u << 10;

struct Data {
    std::filesystem::path dir;
    std::vector<std::string> names;   // member names
    std::vector<std::string> paths;   // plain files with the same bytes
    PakInterface* pak = nullptr;
};

Data& TheData()
{
    static Data data = [] {
        Data d;
        d.dir = std::filesystem::temp_directory_path() / ("quib-bench-pak-" + std::to_string(getpid()));
        std::filesystem::create_directories(d.dir / "plain");
        std::mt19937 rng(1);
        std::vector<PakMember> members;
        size_t total = 0;
        for (int i = 0; total < kTotalBytes; ++i) {
            size_t size = std::min<size_t>(1000 + rng() % (512u << 10), kTotalBytes - total);
            std::string bytes(size, '\0');
            for (char& c : bytes)
                c = char(rng());
            std::string file = "f";
            file += std::to_string(i);
            file += ".bin";
            std::string name = "data\\" + file;
            std::string path = (d.dir / "plain" / file).string();
            FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
            d.names.push_back(name);
            d.paths.push_back(path);
            members.push_back({name, std::move(bytes), {}});
            total += size;
        }
        std::string archive = (d.dir / "bench.pak").string();
        WritePakArchive(archive, members);
        d.pak = GetSharedPakInterface();
        if (!d.pak->AddPakFile(archive))
            std::fprintf(stderr, "archive not loaded\n");
        return d;
    }();
    return data;
}

void BM_PakFRead(benchmark::State& state)
{
    Data& d = TheData();
    std::vector<char> buffer(kChunk);
    for (auto _ : state) {
        for (const std::string& name : d.names) {
            PakFile* file = PakFOpen(name);
            while (PakFRead(buffer.data(), 1, kChunk, file) > 0)
                benchmark::DoNotOptimize(buffer.data());
            PakFClose(file);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kTotalBytes));
}
BENCHMARK(BM_PakFRead)->Unit(benchmark::kMillisecond);

void BM_PlainFread(benchmark::State& state)
{
    Data& d = TheData();
    std::vector<char> buffer(kChunk);
    for (auto _ : state) {
        for (const std::string& path : d.paths) {
            FILE* file = std::fopen(path.c_str(), "rb");
            while (std::fread(buffer.data(), 1, kChunk, file) > 0)
                benchmark::DoNotOptimize(buffer.data());
            std::fclose(file);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kTotalBytes));
}
BENCHMARK(BM_PlainFread)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("pak_read", "BM_PakFRead", "BM_PlainFread");
    std::error_code ec;
    std::filesystem::remove_all(TheData().dir, ec);
    return 0;
}
