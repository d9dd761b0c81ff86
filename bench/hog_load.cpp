// Loads a demo hidden-object level as the board does (both files read, the
// elements built, every frame picture decoded into a display image, a
// search chosen), and decodes the same picture files (PNG, and the JPEG
// background) with plain libpng and libjpeg calls from memory.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "src/GameSettings.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPicture.h"

#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
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
            if (entry.path().extension() == extension) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream bytes;
                bytes << in.rdbuf();
                out.push_back(bytes.str());
            }
    }
    return it->second;
}

void DecodeJpeg(const std::string& bytes)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[stride * cinfo.output_height]);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.get());
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

struct MemoryReader {
    const std::string* bytes;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->bytes->size() - reader->pos)
        png_error(png, "short");
    std::memcpy(out, reader->bytes->data() + reader->pos, length);
    reader->pos += length;
}

void BM_PlainDecodeFromMemory(benchmark::State& state)
{
    const std::vector<std::string>& files = Files(".png");
    const std::vector<std::string>& jpegs = Files(".jpg");
    for (auto _ : state) {
        for (const std::string& bytes : jpegs)
            DecodeJpeg(bytes);
        for (const std::string& bytes : files) {
            MemoryReader reader{&bytes, 0};
            png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
            png_infop info = png_create_info_struct(png);
            if (setjmp(png_jmpbuf(png))) {
                state.SkipWithError("png");
                return;
            }
            png_set_read_fn(png, &reader, ReadFromMemory);
            png_read_info(png, info);
            png_set_expand(png);
            png_set_strip_16(png);
            png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
            png_read_update_info(png, info);
            png_uint_32 width = png_get_image_width(png, info);
            png_uint_32 height = png_get_image_height(png, info);
            std::unique_ptr<uint32_t[]> pixels(new uint32_t[size_t(width) * height]);
            std::unique_ptr<png_bytep[]> rows(new png_bytep[height]);
            for (png_uint_32 y = 0; y < height; ++y)
                rows[y] = reinterpret_cast<png_bytep>(pixels.get() + size_t(y) * width);
            png_read_image(png, rows.get());
            png_read_end(png, nullptr);
            png_destroy_read_struct(&png, &info, nullptr);
            benchmark::DoNotOptimize(pixels.get());
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
    LoadGameSettings();
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("hog_load", "BM_LoadHogLevel", "BM_PlainDecodeFromMemory");
    // How much of it the application's picture loading takes on its own.
    reporter.PrintRatio("hog_load_pictures_only", "BM_CreateImagesOnly", "BM_PlainDecodeFromMemory");
    return 0;
}
