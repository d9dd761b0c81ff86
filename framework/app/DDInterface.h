#pragma once
#include "framework/app/NativeDisplay.h"
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/graphics/ImageDisplay.h"
#include "platform/Device3D.h"
#include "platform/DisplaySurface.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Quib {

class D3DInterfaceImpl;
class DDImage;
class DisplayTester;
class Image;
class Presenter;
class QuibAppBase;
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

// width:height divided by their greatest common divisor; a size with a
// side that is not positive stays as it is.
void ReduceRatio(Point& ratio, int width, int height);
// Aspect b is wider than aspect a: b.y * a.x / a.y < b.x or a.x < b.x *
// a.y / b.y (integer divisions). False when a side of either is not
// positive.
bool IsRatioWider(const Point& a, const Point& b);

// Where the draw surface lands on the display. The display is the draw
// size, except in full screen with 3-D on where the desktop is wider than
// the draw aspect: the display is then the desktop, and the draw surface
// keeps its aspect at the desktop's height, centred between black bars.
struct DisplayPlan {
    int displayWidth = 0;
    int displayHeight = 0;
    Point displayAspect{1, 1};
    Rect presentRect;
    bool aspectCorrected = false;
};
DisplayPlan PlanDisplay(int drawWidth, int drawHeight, int desktopWidth, int desktopHeight, bool windowed,
                        bool is3D);

// Zeroes every row of the surface; the lock's result.
HRESULT ClearSurface(DisplaySurface* surface);

// The texture format bit of a pixel format (32-bit A8R8G8B8, 16-bit
// A4R4G4B4 or R5G6B5, 8-bit palettised without masks); 0 for any other.
TextureFormat ClassifyTexturePixelFormat(const SurfacePixelFormat& format);
// The pixel format of one texture format bit; all zero for anything else.
SurfacePixelFormat MakeTexturePixelFormat(TextureFormat format);

// The display: the screen surfaces the application draws into, their
// presentation in the window with the software cursor, and the 3-D side.
//
// Surfaces: the draw surface (the draw size), and a back buffer of the
// same size while video-memory drawing is on; the screen image wraps the
// one drawn into. The primary surface is the presenter, which shows a
// surface at the presentation rectangle of the display, fitted into the
// window. Two 128 x 128 surfaces keep the screen under the software cursor
// and compose it.
class DDInterface : public NativeDisplay, public ImageDisplay {
public:
    // Makes the 3-D side (without a device); 3-D mode off.
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

    // Builds everything for the window in the mode asked for, after
    // Cleanup; a DisplayResult. The presenter comes from the window's
    // system (2 without a window or presenter); the capability test runs
    // when the application asks for it; a screen of neither 16 nor 32 bits
    // per pixel gives 6 in a window and 3 in full screen; surfaces that
    // cannot be made give 3; in 3-D mode a device that does not start
    // gives 7 with "3D init error: " and the Direct3D error text.
    virtual int Init(Window* window, bool windowed);
    // Releases what Init built, under the critical section: the 3-D side,
    // the cursor areas, the screen image, the surfaces, the presenter.
    virtual void Cleanup();
    // Presents the frame with the software cursor in it; false when nothing
    // was presented (not initialised, a Direct3D failure since the last
    // frame, which also turns 3-D mode off, or a failed present, with the
    // error text set). The whole frame is shown whatever the clip.
    virtual bool Redraw(const Rect* clip);
    // Under the critical section: the software cursor image (not owned;
    // null for none). True when it changed.
    bool SetCursorImage(Image* image);
    // Draws into a back buffer of its own instead of the draw surface; the
    // screen image follows (opaque, preferring video memory as the flag
    // says). The flag clears when the back buffer cannot be made.
    virtual void UseVideoMemoryBackBuffer(bool use);
    // Milliseconds per refresh.
    int FrameIntervalMs() const { return msPerRefresh; }
    // The surface the application draws into (the back buffer with
    // video-memory drawing on).
    DisplaySurface* ScreenSurface() const;

    // Saves the surface under the cursor's 128 x 128 area (cut to the
    // frame) into the old area and draws the cursor image, centred on the
    // drawn position and cut to that area, onto the surface: straight onto
    // the screen image in software mode, else composed in the new area
    // and copied in. Nothing is drawn when the save fails (what could not be
    // saved could not be taken away again).
    void DrawCursor(DisplaySurface* surface, bool backBuffer);
    // Puts the saved area back onto the surface, once per draw.
    void RestoreCursorArea(DisplaySurface* surface);
    // False for a result that is not a failure; otherwise the error text
    // becomes callName + ": " + the result's name, and true.
    bool CheckResult(const char* callName, HRESULT result);
    // Runs the capability test once (testerFactory's tester, else an
    // AdapterTester) when the application asks for it (auto3D or check3D)
    // and sets the 3-D flag from it; true when it ran.
    bool RunCapabilityTest(Window* window);
    // The device 3-D mode draws with: deviceFactory's, else the
    // presenter's (its adapter's), else the software device.
    std::unique_ptr<Device3D> MakeDevice3D();
    D3DInterfaceImpl* D3D() const { return d3dImpl.get(); }
    Presenter* GetPresenter() const { return presenter.get(); }

    QuibAppBase* app = nullptr;
    std::unique_ptr<D3DInterfaceImpl> d3dImpl; // d3d points to it
    std::unique_ptr<DisplayTester> tester;
    // Makes the capability test; none: an AdapterTester.
    std::function<std::unique_ptr<DisplayTester>()> testerFactory;
    // The 3-D device to use instead of the presenter's (tests); none by
    // default.
    std::function<std::unique_ptr<Device3D>()> deviceFactory;
    std::unique_ptr<Presenter> presenter; // the primary surface
    DDImage* screenImage = nullptr;       // owned; over the surface drawn into
    Window* window = nullptr;             // the main window it presents into
    bool initialized = false;
    bool windowed = true;
    int drawWidth = 0;
    int drawHeight = 0;
    Point drawAspect{1, 1};
    int desktopWidth = 0;
    int desktopHeight = 0;
    Point desktopAspect{1, 1};
    bool aspectCorrected = false;
    int displayWidth = 0;
    int displayHeight = 0;
    Point displayAspect{1, 1};
    Rect presentRect; // where the draw surface lands on the display
    int fullScreenDepth = 32;
    int refreshRate = 60;
    int msPerRefresh = 16;
    bool videoMemoryDrawing = false;
    DisplaySurface* backBuffer = nullptr; // owned; with video-memory drawing
    int cursorAreaWidth = 128;
    int cursorAreaHeight = 128;
    DisplaySurface* cursorAreaSurfaces[2] = {}; // old (under the cursor), new (composition)
    Image* cursorImage = nullptr;               // under critSect
    // The last presented frame showed the cursor.
    bool cursorDrawn = false;
    // In display pixels (the frame's, unless aspect-corrected). Written by
    // the cursor thread without the lock; Redraw copies it into the drawn
    // position, which the cursor thread reads back.
    std::atomic<uint64_t> cursorPosition{0};
    std::atomic<uint64_t> drawnCursorPosition{0};
    std::string errorText; // the last failure: call name, ": ", error name
    // The last Init ran the 3-D capability test afresh (not from its
    // cache).
    bool freshTestResult = false;
    int presentCount = 0; // frames Redraw put on the screen

private:
    // The cursor's area at the drawn position, cut to the frame; empty
    // (all zero) when nothing is left. offset: its place in the areas.
    Rect CursorRect(Point& offset) const;
    // The drawn cursor position (display pixels, as the window reports
    // them) in the frame's pixels.
    Point CursorInFrame() const;
    // isDefault: no other device was offered, this is the software one.
    std::unique_ptr<Device3D> MakeDevice3D(bool& isDefault);
    HRESULT PresentSurface(DisplaySurface* surface);
    bool MakeCursorAreas();

    int releaseListener_ = 0;  // the presenter's, while its device draws
    bool cursorSaved_ = false; // the old area holds what the cursor covers
    SurfaceRect savedFrom_;    // where it was taken from
    SurfaceRect savedTo_;      // where it lies in the old area
};

} // namespace Quib
