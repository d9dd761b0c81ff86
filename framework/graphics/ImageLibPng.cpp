#include "framework/graphics/ImageLibInternal.h"
#include <png.h>

namespace Quib::ImageLib {

using namespace Detail;

namespace {

// Errors jump back into the reader or writer; warnings are dropped.
[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void PngWarning(png_structp, png_const_charp) {}

void ReadFromPak(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<PakFile*>(png_get_io_ptr(png));
    if (PakFRead(data, 1, length, file) != length)
        png_error(png, "Read Error");
}

// Holds what must survive a jump out of the library.
struct PngRead {
    PakFile* file;
    std::unique_ptr<Image> image;
    std::unique_ptr<png_bytep[]> rows;
};

bool Decode(PngRead& read)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        read.image.reset();
        return false;
    }
    png_set_read_fn(png, read.file, ReadFromPak);
    png_set_user_limits(png, kMaxDecodedSide, kMaxDecodedSide);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);

    // Every kind becomes 8-bit B, G, R, A: the words themselves.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    read.image = NewImage(width, height);
    read.rows.reset(new (std::nothrow) png_bytep[height]);
    if (!read.image || !read.rows) {
        png_destroy_read_struct(&png, &info, nullptr);
        read.image.reset();
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y)
        read.rows[y] = reinterpret_cast<png_bytep>(read.image->pixels + size_t(y) * width);
    png_read_image(png, read.rows.get());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct PngWrite {
    FILE* file;
    const Image* image;
};

bool Encode(PngWrite& write)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const Image& image = *write.image;
    png_init_io(png, write.file);
    png_color_8 significant{8, 8, 8, 8, 8};
    png_set_sBIT(png, info, &significant);
    png_set_bgr(png);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image.pixels + size_t(y) * size_t(image.width)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::unique_ptr<Image> ReadPng(const std::string& path)
{
    PakHandle file = OpenForReading(path);
    if (!file)
        return nullptr;
    PngRead read{file.get(), nullptr, nullptr};
    if (!Decode(read))
        return nullptr;
    return std::move(read.image);
}

bool WritePng(const std::string& path, const Image* image)
{
    if (!image || !image->pixels || !IsSaneSize(image->width, image->height))
        return false;
    PngWrite write{OpenFile(path, "wb"), image};
    if (!write.file)
        return false;
    bool ok = Encode(write);
    return CloseWrittenFile(write.file) && ok;
}

} // namespace Quib::ImageLib
