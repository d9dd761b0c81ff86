#pragma once
// Plain libpng and libjpeg decoding from memory, the baseline the picture
// loading benchmarks compare with.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace Quib {

inline std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void PlainDecodeJpeg(const std::string& bytes)
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

struct PlainPngReader {
    const std::string* bytes;
    size_t pos;

    static void Read(png_structp png, png_bytep out, size_t length)
    {
        auto* reader = static_cast<PlainPngReader*>(png_get_io_ptr(png));
        if (length > reader->bytes->size() - reader->pos)
            png_error(png, "short");
        std::memcpy(out, reader->bytes->data() + reader->pos, length);
        reader->pos += length;
    }
};

// Decodes a PNG into 32-bit pixels; expandToRgba turns palette, grey and
// 16-bit pictures into 8-bit RGBA first. False when the file is bad.
inline bool PlainDecodePng(const std::string& bytes, bool expandToRgba)
{
    PlainPngReader reader{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, PlainPngReader::Read);
    png_read_info(png, info);
    if (expandToRgba) {
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
    }
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
    return true;
}

} // namespace Quib
