#include "framework/app/QuibAppBase.h"

#include "framework/app/DDInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"

#include <algorithm>
#include <vector>

namespace Quib {

QuibAppBase* gQuibAppBase = nullptr;

QuibAppBase::QuibAppBase()
{
    for (int i = 0; i < 512; ++i)
        AddClampTable[i] = static_cast<uint8_t>(std::min(i, 255));
    ImageLib::LoadJ2kCodec();
    gQuibAppBase = this;
    SetDefaultImageRegistry(this);
}

QuibAppBase::~QuibAppBase()
{
    {
        // Images that outlive the application belong to none from now on.
        std::lock_guard lock(ImageSetLock());
        for (MemoryImage* image : imageSet)
            image->app = nullptr;
        imageSet.clear();
    }
    if (gQuibAppBase == this)
        gQuibAppBase = nullptr;
    if (DefaultImageRegistry() == this)
        SetDefaultImageRegistry(nullptr);
}

ImageDisplay* QuibAppBase::Display() const
{
    return display.get();
}

void QuibAppBase::RefreshCursor()
{
    // Without a display there is no cursor to show; the display's cursors
    // are shown here once it has them.
}

DDImage* QuibAppBase::CreateImage(const std::string& fileName, bool applyNow)
{
    if (fileName.empty())
        return nullptr;
    std::unique_ptr<ImageLib::Image> picture = ImageLib::LoadImageFile(fileName, true);
    if (!picture)
        return nullptr;
    auto* image = new DDImage(display.get());
    image->textureFlags |= 8; // an 8-8-8-8 texture
    image->name = fileName;
    image->AssignPixels(picture->pixels, picture->width, picture->height, applyNow);
    if (image->width != picture->width || image->height != picture->height) {
        delete image; // no room for the pixels
        return nullptr;
    }
    return image;
}

void QuibAppBase::FreeAllImageBitBuffers()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseDisplayCopy();
}

void QuibAppBase::ReleaseAllNativeImageData()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseCaches();
}

std::unique_ptr<MusicInterface> QuibAppBase::CreateMusicInterface(void* window)
{
    if (soundDisabled)
        return std::make_unique<MusicInterface>();
    if (useFmod)
        return std::make_unique<FModMusicInterface>();
    return std::make_unique<BassMusicInterface>(window);
}

void QuibAppBase::QueueDeferredDelete(Widget* widget)
{
    if (widget && std::find(deferredDeletes.begin(), deferredDeletes.end(), widget) == deferredDeletes.end())
        deferredDeletes.push_back(widget);
}

PerfScope::PerfScope(const char* sectionName) : name(sectionName), active(false) {}

PerfScope::~PerfScope()
{
    End();
}

void PerfScope::End()
{
    active = false;
}

} // namespace Quib
