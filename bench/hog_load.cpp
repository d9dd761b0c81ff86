// Loads a demo hidden-object level as the board does (both files read, the
// elements built, every frame picture decoded into a display image, a
// search chosen), and decodes the same picture files (PNG, and the JPEG
// background) with plain libpng and libjpeg calls from memory.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/UserFolders.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPicture.h"

#include "bench/PlainDecode.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace Quib;

namespace {

const char* const kLevel = "market";

std::vector<std::string>& Files(const std::string& extension)
{
    static std::map<std::string, std::vector<std::string>> byExtension;
    auto [it, made] = byExtension.try_emplace(extension);
    if (made) {
        std::vector<std::string>& out = it->second;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::filesystem::path("data/hog") / kLevel))
            if (entry.path().extension() == extension)
                out.push_back(ReadWholeFile(entry.path()));
    }
    return it->second;
}

QuibAppBase& App()
{
    static QuibAppBase app;
    static bool made = [] {
        app.display = std::make_unique<DDInterface>(&app);
        app.display->SetPixelFormat(32, 0xFF0000, 0xFF00, 0xFF);
        return true;
    }();
    (void)made;
    return app;
}

void BM_LoadHogLevel(benchmark::State& state)
{
    App();
    for (auto _ : state) {
        TLevel level(kLevel);
        level.Load();
        while (ElementImageQueue::Count() != 0)
            ElementImageQueue::LoadFirst();
        level.pictures[0]->Reset();
        benchmark::DoNotOptimize(level.pictures[0]->drawList.data());
    }
}
BENCHMARK(BM_LoadHogLevel)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The level without its pictures: files, elements and a search.
void BM_LevelWithoutImages(benchmark::State& state)
{
    App();
    for (auto _ : state) {
        TLevel level(kLevel);
        level.Load();
        ElementImageQueue::Clear();
        level.pictures[0]->Reset();
    }
}
BENCHMARK(BM_LevelWithoutImages)->Unit(benchmark::kMillisecond);

// The level's pictures alone, made as the elements make them (the name
// without its extension, as the layer keys give it).
void BM_CreateImagesOnly(benchmark::State& state)
{
    App();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::path("data/hog") / kLevel))
        if (entry.path().extension() == ".png" || entry.path().extension() == ".jpg") {
            const std::string name = entry.path().string();
            names.push_back(name.substr(0, name.size() - 4));
        }
    for (auto _ : state)
        for (const std::string& name : names)
            delete App().CreateImage(name, true);
}
BENCHMARK(BM_CreateImagesOnly)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_PlainDecodeFromMemory(benchmark::State& state)
{
    const std::vector<std::string>& files = Files(".png");
    const std::vector<std::string>& jpegs = Files(".jpg");
    for (auto _ : state) {
        for (const std::string& bytes : jpegs)
            PlainDecodeJpeg(bytes);
        for (const std::string& bytes : files)
            if (!PlainDecodePng(bytes, true)) {
                state.SkipWithError("png");
                return;
            }
    }
}
BENCHMARK(BM_PlainDecodeFromMemory)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    // The level is read from the generated data, as the game reads it.
    const char* data = std::getenv("QUIB_GAME_DATA");
    if (!data)
        data = QUIB_GAME_DATA;
    if (chdir(data) != 0) {
        std::fprintf(stderr, "no game data at %s\n", data);
        return 1;
    }
    // Profiles the level touches go to a folder of their own, never into the data.
    char user[] = "/tmp/hog_load.XXXXXX";
    if (!mkdtemp(user)) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    SetUserDataFolder(Utf8ToUtf16(user));
    LoadGameSettings();
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("hog_load", "BM_LoadHogLevel", "BM_PlainDecodeFromMemory");
    // How much of it the application's picture loading takes on its own.
    reporter.PrintRatio("hog_load_pictures_only", "BM_CreateImagesOnly", "BM_PlainDecodeFromMemory");
    return 0;
}
