// Loads a 1024 x 768 RGBA PNG and a 1024 x 768 JPEG through LoadImageFile
// from a pak archive, and decodes the same files with plain libpng and
// libjpeg calls from memory.
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PakInterface.h"
#include "framework/graphics/ImageLib.h"

#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace Quib;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Data {
    std::filesystem::path dir;
    std::string png;
    std::string jpeg;
};

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

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
        d.png = ReadAll(d.dir / "pic.png");
        d.jpeg = ReadAll(d.dir / "pic.jpg");
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

void BM_PlainPngFromMemory(benchmark::State& state)
{
    const std::string& bytes = TheData().png;
    for (auto _ : state) {
        MemoryReader reader{&bytes, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            state.SkipWithError("png");
            break;
        }
        png_set_read_fn(png, &reader, ReadFromMemory);
        png_read_info(png, info);
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
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
        std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[stride * cinfo.output_height]);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
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
