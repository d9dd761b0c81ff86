#include "framework/graphics/ImageLibInternal.h"
#include <cstring>

namespace Quib::ImageLib {

using namespace Detail;

// Only uncompressed 32-bit pictures with the first row at the top
// (descriptor 0x28) are read; the pixels follow the 18 header bytes.
std::unique_ptr<Image> ReadTga(const std::string& path)
{
    PakHandle file = OpenForReading(path);
    if (!file)
        return nullptr;
    uint8_t header[18];
    if (PakFRead(header, 1, sizeof header, file.get()) != sizeof header)
        return nullptr;
    int width = header[12] | header[13] << 8;
    int height = header[14] | header[15] << 8;
    int depth = header[16];
    int descriptor = header[17];
    if (depth != 32 || descriptor != 0x28)
        return nullptr;
    if (!IsSaneSize(width, height) || BytesLeft(file.get()) < int64_t(width) * height * 4)
        return nullptr;
    std::unique_ptr<Image> image = NewImage(width, height);
    if (!image)
        return nullptr;
    // Bytes B, G, R, A are the little-endian word 0xAARRGGBB.
    size_t count = size_t(width) * size_t(height);
    if (PakFRead(image->pixels, 4, count, file.get()) != count)
        return nullptr;
    return image;
}

} // namespace Quib::ImageLib
