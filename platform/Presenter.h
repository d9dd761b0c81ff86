#pragma once
// Shows finished frames in a window. The display is a picture of its own
// size (the size the program draws for, or the desktop's in full screen);
// the presenter fits it into the window's client area
// at one scale for both axes, centred, with black bars where the two
// aspects differ, and puts a rectangle of a frame surface at a rectangle
// of the display. Everything of the display outside that rectangle is
// black.

#include "platform/Device3D.h"
#include "platform/DisplaySurface.h"
#include "platform/GraphicsAdapter.h"
#include "platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Quib {

// Where a display of displayWidth x displayHeight lands in a client area:
// the whole area when the aspects match; else the full height and a
// width of displayWidth x clientHeight / displayHeight centred between bars
// at the sides (pillar-boxing), or the full width and a height of
// displayHeight x clientWidth / displayWidth centred between bars above and
// below (letter-boxing). Divisions round towards zero, the bars' halves
// too (a spare pixel goes to the right or bottom bar). Empty when any size
// is not positive.
ScreenRect FitDisplay(int displayWidth, int displayHeight, int clientWidth, int clientHeight);

// A rectangle of the display mapped into the client area through the fit.
ScreenRect DisplayToClient(const SurfaceRect& rect, int displayWidth, int displayHeight, const ScreenRect& fit);

// What one present shows.
struct PresentRequest {
    DisplaySurface* frame = nullptr;
    SurfaceRect source;   // the part of the frame shown
    SurfaceRect dest;     // where it lands on the display
    int displayWidth = 0; // the display's size
    int displayHeight = 0;
};

// Turns a pixel of a surface format into 0xFFRRGGBB, each channel widened
// to 8 bits by repeating its top bits (a 5-bit 31 becomes 255).
uint32_t SurfacePixelToArgb(uint32_t value, const SurfacePixelFormat& format);

class Presenter {
public:
    Presenter() = default;
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;
    virtual ~Presenter() = default;

    // The pixel format of the screen. bitCount counts the bits a pixel
    // takes in memory: 32 for 24-bit colour kept in 32-bit words, 24 only
    // for three-byte pixels.
    virtual SurfacePixelFormat ScreenFormat() const = 0;
    // The client area in the presenter's pixels.
    virtual void OutputSize(int& width, int& height) const = 0;
    // Shows the request's part of the frame at its place on the display,
    // fitted into the client area, black elsewhere. DD_OK, or a failure
    // code with nothing shown: DDERR_INVALIDRECT for rectangles outside the
    // frame or the display, DDERR_INVALIDPIXELFORMAT for a frame format it
    // cannot show, DDERR_SURFACELOST once the window has gone.
    virtual HRESULT Present(const PresentRequest& request) = 0;
    // The graphics hardware that shows the frames, for the 3-D device and
    // the capability test; null where nothing but the program draws.
    virtual GraphicsAdapter* Adapter() { return nullptr; }
    // A 3-D device of the adapter for frames of width x height; null when
    // there is none.
    virtual std::unique_ptr<Device3D> CreateDevice3D(uint32_t width, uint32_t height);
    // The listener runs before the presenter can show no more (its window
    // is going) while what it made still works, so that devices made for
    // it can go first. Returns an id for RemoveReleaseListener.
    virtual int AddReleaseListener(std::function<void()> listener);
    virtual void RemoveReleaseListener(int id);
    // For the log: what shows the frames ("headless", SDL's renderer name).
    virtual std::string Name() const = 0;
};

} // namespace Quib
