#pragma once
#include "framework/core/Rect.h"
#include "framework/graphics/ImageDisplay.h"
#include "platform/DisplaySurface.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace Quib {

class QuibAppBase;
class DDImage;
class Image;
class Window;

// What DDInterface::Init reports.
enum DisplayResult : int {
    RESULT_OK = 0,
    RESULT_FAIL = 1,
    RESULT_DD_CREATE_FAIL = 2,
    RESULT_SURFACE_FAIL = 3,
    RESULT_EXCLUSIVE_FAIL = 4,
    RESULT_DISPCHANGE_FAIL = 5,
    RESULT_INVALID_COLORDEPTH = 6,
    RESULT_3D_FAIL = 7,
};
// "RESULT_OK" .. "RESULT_INVALID_COLORDEPTH"; "RESULT_UNKNOWN" for 7 and
// any other code.
const char* DisplayResultName(int result);

// A cursor position packed into one word, so that a reader on another
// thread never sees x of one position with y of another.
constexpr uint64_t PackCursorPosition(int x, int y)
{
    return (uint64_t(uint32_t(x)) << 32) | uint32_t(y);
}
constexpr void UnpackCursorPosition(uint64_t packed, int& x, int& y)
{
    x = int(int32_t(uint32_t(packed >> 32)));
    y = int(int32_t(uint32_t(packed)));
}

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

    // ---- Set-up and presentation as the application uses them ----

    // Builds the display for the window in the mode asked for. This form
    // makes the draw surface in memory, in the application's size and the
    // display's layout (X8R8G8B8 when none was set), with the screen image
    // over it; presentation fills in what reaches the window.
    virtual int Init(Window* window, bool windowed);
    // Releases what Init built, under the critical section.
    virtual void Cleanup();
    // Puts the drawn frame on the screen (the clip is the part that
    // changed; null for all of it) and copies the current cursor position
    // into the drawn one; false when presenting failed.
    virtual bool Redraw(const Rect* clip);
    // Under the critical section: the software cursor image (not owned;
    // null for none). True when it changed.
    bool SetCursorImage(Image* image);
    // Draws into a back buffer of its own instead of the draw surface; the
    // screen image follows.
    virtual void UseVideoMemoryBackBuffer(bool use);
    // Milliseconds per refresh.
    int FrameIntervalMs() const { return msPerRefresh; }
    // The surface the application draws into (the back buffer with
    // video-memory drawing on).
    DisplaySurface* ScreenSurface() const;

    QuibAppBase* app = nullptr;
    DDImage* screenImage = nullptr; // owned; over the surface drawn into
    Window* window = nullptr;       // the main window it presents into
    bool initialized = false;
    bool windowed = true;
    int drawWidth = 0;
    int drawHeight = 0;
    Rect presentRect; // where the draw surface lands in the window
    int refreshRate = 60;
    int msPerRefresh = 16;
    bool videoMemoryDrawing = false;
    DisplaySurface* backBuffer = nullptr; // owned; with video-memory drawing
    Image* cursorImage = nullptr;         // under critSect
    // Written by the cursor thread without the lock; Redraw copies it into
    // the drawn position, which the cursor thread reads back.
    std::atomic<uint64_t> cursorPosition{0};
    std::atomic<uint64_t> drawnCursorPosition{0};
    std::string errorText; // the last failure: call name, ": ", error name
    int presentCount = 0;  // frames Redraw put on the screen
};

} // namespace Quib
