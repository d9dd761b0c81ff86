#include "src/game/quest/Layer/QstLayerImages.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"

#include <cstring>
#include <memory>

namespace Quib {

Image* LoadQstLayerImage(const std::string& path)
{
    ImageRegistry* registry = DefaultImageRegistry();
    Image* image = registry ? registry->CreateImage(path, true) : nullptr;
    if (!image)
        QUIB_LOG_ERROR("Image not found: \"%s\"", path.c_str());
    return image;
}

std::string ExportQstPoolImage(Image* image, const std::string& sourcePath)
{
    auto* pixels = dynamic_cast<MemoryImage*>(image);
    if (!pixels || pixels->width <= 0 || pixels->height <= 0)
        return std::string();
    const uint32_t* bits = pixels->Pixels();
    if (!bits)
        return std::string();
    // A copy of the pixels in memory.
    ImageLib::Image copy;
    const size_t count = size_t(pixels->width) * size_t(pixels->height);
    copy.width = pixels->width;
    copy.height = pixels->height;
    copy.pixels = new uint32_t[count];
    std::memcpy(copy.pixels, bits, count * sizeof(uint32_t));
    const std::string path = "data\\PoolItems\\" + sourcePath + ".png";
    const std::string slashed = ToSlashes(path);
    const size_t slash = slashed.rfind('/');
    if (slash != std::string::npos)
        MakeDirectories(slashed.substr(0, slash));
    if (!ImageLib::WritePng(ResolvePathForWrite(slashed), &copy)) {
        QUIB_LOG_ERROR("Can't write pool image \"%s\"", path.c_str());
        return std::string();
    }
    return path;
}

} // namespace Quib
