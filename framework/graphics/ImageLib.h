#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Quib::ImageLib {

// A decoded picture: 0xAARRGGBB words, rows top to bottom, no gaps.
class Image {
public:
    Image() = default;
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr; // owned, width * height words
    // The block holds one word more than the pixels (the readers make it
    // so), which lets an image with a guard word take it over uncopied.
    bool spareWord = false;
};

// Colour given to a picture found only as an alpha picture. Each thread
// has its own (0xFFFFFF at start), so a loader setting it around one load
// never changes another thread's load.
extern thread_local uint32_t AlphaOnlyColor;

// Largest picture any reader accepts (pixels per side and in all).
constexpr int32_t kMaxDecodedSide = 16384;
constexpr int64_t kMaxDecodedPixels = int64_t(1) << 24;

// Reads a picture by its extension (every known kind when the path has
// none); with alpha lookup, a picture "_name" beside it (or "name_")
// supplies the alpha channel from its blue channel. Null when none found.
std::unique_ptr<Image> LoadImageFile(const std::string& path, bool lookForAlpha);

// Each reader opens the path through the pak layer; null when the file is
// missing, not of its kind, damaged or too large.
std::unique_ptr<Image> ReadTga(const std::string& path);
std::unique_ptr<Image> ReadJpeg(const std::string& path);
std::unique_ptr<Image> ReadPng(const std::string& path);
std::unique_ptr<Image> ReadGif(const std::string& path);
std::unique_ptr<Image> ReadJ2k(const std::string& path);

// Records that the JPEG 2000 codec may be used.
void LoadJ2kCodec();

// Disk writers (not through archives); false when the file cannot be
// created or fully written.
bool WritePng(const std::string& path, const Image* image);
bool WriteJpeg(const std::string& path, const Image* image);

} // namespace Quib::ImageLib

namespace Quib {
// Makes the JPEG 2000 codec unavailable; non-zero when it was available.
int UnloadJ2KCodec();
} // namespace Quib
