#include "framework/graphics/ImageDisplay.h"

#include <atomic>

namespace Quib {

namespace {

std::atomic<ImageRegistry*> gDefaultRegistry{nullptr};

} // namespace

void ImageDisplay::RemoveImage(DDImage* image)
{
    std::lock_guard lock(critSect);
    images.erase(image);
}

std::recursive_mutex& ImageRegistry::ImageSetLock()
{
    ImageDisplay* display = Display();
    return display ? display->critSect : critSect;
}

ImageRegistry* DefaultImageRegistry()
{
    return gDefaultRegistry.load();
}

void SetDefaultImageRegistry(ImageRegistry* registry)
{
    gDefaultRegistry = registry;
}

} // namespace Quib
