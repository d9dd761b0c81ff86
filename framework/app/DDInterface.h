#pragma once
#include "framework/graphics/PixelLayout.h"
#include "platform/DisplaySurface.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <vector>

namespace Quib {

class QuibAppBase;
class DDImage;
class D3DInterface;

// Process-wide: the display's channels run red above green above blue.
// Recomputed whenever the display reads its pixel format.
extern std::atomic<bool> gDisplayChannelOrderRGB;

// The display.
class DDInterface {
public:
    explicit DDInterface(QuibAppBase* app);
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;
    virtual ~DDInterface();

    // Takes the pixel format of the screen (16 or 32 bits per pixel and the
    // three channel masks): fills the layout and the clamp tables and sets
    // the channel-order flag. False, with nothing changed, for another bit
    // count, or masks that are missing, overlap, are not one run of at most
    // 8 bits or reach past the colour bits (the top byte of 32-bit pixels).
    bool SetPixelLayout(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    // Erases the image from the display's set under the critical section.
    void RemoveImage(DDImage* image);

    // Creates a surface from the description (width, height, caps) in the
    // display's pixel format, under the critical section. Without a 16- or
    // 32-bit format: DDERR_INVALIDPIXELFORMAT and no surface. On failure *out
    // is null.
    HRESULT CreateSurface(const SurfaceDesc& desc, DisplaySurface** out);

    // The surface format of the display's layout.
    SurfacePixelFormat SurfaceFormat() const;

    PixelLayout layout;
    // Per channel 2 * 2^bits - 1 entries, entry i = min(i, 2^bits - 1): the
    // sum of two channel values, clamped.
    std::vector<int32_t> redClamp;
    std::vector<int32_t> greenClamp;
    std::vector<int32_t> blueClamp;

    QuibAppBase* app = nullptr;
    D3DInterface* d3d = nullptr; // none until the 3-D side exists
    bool is3D = false;           // drawing goes through Direct3D
    // The surface drawn into each frame (the render target in 3-D mode);
    // not owned here.
    DisplaySurface* drawSurface = nullptr;
    DDImage* screenImage = nullptr;        // attached to the draw surface
    DDImage* cursorAreaImages[2] = {};     // keep the screen under the cursor
    // Guards the image sets of the application and the display.
    std::recursive_mutex critSect;
    std::set<DDImage*> images;
};

} // namespace Quib
