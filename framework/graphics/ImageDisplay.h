#pragma once
// What images and fonts need from the application and its display. Graphics
// owns these two interfaces; the application and its display implement them
// and the application registers itself as the default image registry.

#include "framework/graphics/DisplayCopyPixels.h"
#include "platform/DisplaySurface.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Quib {

class D3DInterface;
class DDImage;
class ImageRegistry;
class MemoryImage;

// The display as images see it: the pixel layout and clamp tables of its
// surfaces, surface creation, the 3-D device, and its set of display images.
class ImageDisplay {
public:
    ImageDisplay() = default;
    ImageDisplay(const ImageDisplay&) = delete;
    ImageDisplay& operator=(const ImageDisplay&) = delete;
    virtual ~ImageDisplay() = default;

    // The registry the display's images belong to.
    virtual ImageRegistry* Registry() const = 0;
    // Creates a surface from the description in the display's pixel format,
    // under the critical section; on failure *out is null.
    virtual HRESULT CreateSurface(const SurfaceDesc& desc, DisplaySurface** out) = 0;

    // Erases the image from the display's set under the critical section.
    void RemoveImage(DDImage* image);

    PixelFormat layout;
    // Per channel 2 * 2^bits - 1 entries, entry i = min(i, 2^bits - 1): the
    // sum of two channel values, clamped.
    std::vector<int32_t> redClamp;
    std::vector<int32_t> greenClamp;
    std::vector<int32_t> blueClamp;

    D3DInterface* d3d = nullptr; // none until the 3-D side exists
    bool is3D = false;           // drawing goes through the 3-D device
    // The surface drawn into each frame (the render target in 3-D mode);
    // not owned here.
    DisplaySurface* drawSurface = nullptr;
    DDImage* cursorAreaImages[2] = {}; // keep the screen under the cursor
    // Guards the image sets of the registry and the display.
    std::recursive_mutex critSect;
    std::set<DDImage*> images;
};

// The set of every live image, and the loader of display pictures from
// files. The application is one.
class ImageRegistry {
public:
    ImageRegistry() = default;
    ImageRegistry(const ImageRegistry&) = delete;
    ImageRegistry& operator=(const ImageRegistry&) = delete;
    virtual ~ImageRegistry() = default;

    // The display, or null while there is none.
    virtual ImageDisplay* Display() const = 0;
    // A new display image holding the picture file; null when it cannot be
    // read. The caller owns it.
    virtual DDImage* CreateImage(const std::string& fileName, bool applyNow) = 0;

    // The lock of the image set: the display's critical section, or the
    // registry's own while there is no display.
    std::recursive_mutex& ImageSetLock();

    // Every live MemoryImage and DDImage; changed only under ImageSetLock().
    std::set<MemoryImage*> imageSet;
    std::recursive_mutex critSect;
};

// The registry images made without one join (the application, once it
// exists); null while there is none.
ImageRegistry* DefaultImageRegistry();
void SetDefaultImageRegistry(ImageRegistry* registry);

} // namespace Quib
