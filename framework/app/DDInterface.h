#pragma once
#include "framework/graphics/ImageDisplay.h"
#include "platform/DisplaySurface.h"

#include <atomic>
#include <cstdint>

namespace Quib {

class QuibAppBase;
class DDImage;

// Process-wide: the display's channels run red above green above blue.
// Recomputed whenever the display reads its pixel format.
extern std::atomic<bool> gDisplayChannelOrderRGB;

// The display.
class DDInterface : public ImageDisplay {
public:
    explicit DDInterface(QuibAppBase* app);
    ~DDInterface() override;

    ImageRegistry* Registry() const override;

    // Takes the pixel format of the screen (16 or 32 bits per pixel and the
    // three channel masks): fills the layout and the clamp tables and sets
    // the channel-order flag. False, with nothing changed, for another bit
    // count, or masks that are missing, overlap, are not one run of at most
    // 8 bits or reach past the colour bits (the top byte of 32-bit pixels).
    bool SetPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

    // Creates a surface from the description (width, height, caps) in the
    // display's pixel format, under the critical section. Without a 16- or
    // 32-bit format: DDERR_INVALIDPIXELFORMAT and no surface. On failure *out
    // is null.
    HRESULT CreateSurface(const SurfaceDesc& desc, DisplaySurface** out) override;

    // The surface format of the display's layout.
    SurfacePixelFormat SurfaceFormat() const;

    QuibAppBase* app = nullptr;
    DDImage* screenImage = nullptr; // attached to the draw surface
};

} // namespace Quib
