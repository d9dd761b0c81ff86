#include "framework/graphics/ImageLibInternal.h"
#include "platform/MessageSink.h"
#include <cstring>
#include <string>

namespace Quib::ImageLib {

using namespace Detail;

// Only uncompressed true-colour (type 2) 32-bit pictures with the first row
// at the top (descriptor 0x28), without an id field or a colour map, are
// read; the pixels follow the 18 header bytes.
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
    const int idLength = header[0], colourMapType = header[1], imageType = header[2];
    if (idLength != 0 || colourMapType != 0 || imageType != 2 || depth != 32 || descriptor != 0x28) {
        OutputDebugString("ReadTga: " + path + ": not an uncompressed 32-bit top-down picture without id field or "
                          "colour map (id length " + std::to_string(idLength) + ", colour map " +
                          std::to_string(colourMapType) + ", type " + std::to_string(imageType) + ", depth " +
                          std::to_string(depth) + ", descriptor " + std::to_string(descriptor) + ")\n");
        return nullptr;
    }
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
