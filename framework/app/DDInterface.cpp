#include "framework/app/DDInterface.h"

#include "framework/app/AdapterTester.h"
#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DisplayTester.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SoftwareDevice3D.h"

#include "platform/MessageSink.h"
#include "platform/Presenter.h"
#include "platform/ResultNames.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <numeric>

namespace Quib {

std::atomic<bool> gDisplayChannelOrderRGB{false};

namespace {

std::vector<int32_t> MakeClampTable(int bits)
{
    int32_t top = (1 << bits) - 1;
    std::vector<int32_t> table(2 * top + 1);
    for (int32_t i = 0; i < static_cast<int32_t>(table.size()); ++i)
        table[i] = i < top ? i : top;
    return table;
}

// Two rectangles' common part; all zero when they do not meet.
Rect Meet(const Rect& a, const Rect& b)
{
    const int64_t left = std::max<int64_t>(a.x, b.x);
    const int64_t top = std::max<int64_t>(a.y, b.y);
    const int64_t right = std::min<int64_t>(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    const int64_t bottom = std::min<int64_t>(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    if (left >= right || top >= bottom)
        return {};
    return Rect(int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top));
}

SurfaceRect ToSurfaceRect(const Rect& r)
{
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

} // namespace

// ---------------------------------------------------------------- helpers

const char* DisplayResultName(int result)
{
    static const char* const kNames[] = {"RESULT_OK",
                                         "RESULT_FAIL",
                                         "RESULT_DD_CREATE_FAIL",
                                         "RESULT_SURFACE_FAIL",
                                         "RESULT_EXCLUSIVE_FAIL",
                                         "RESULT_DISPCHANGE_FAIL",
                                         "RESULT_INVALID_COLORDEPTH"};
    if (result >= 0 && result < int(std::size(kNames)))
        return kNames[result];
    return "RESULT_UNKNOWN";
}

void ReduceRatio(Point& ratio, int width, int height)
{
    ratio = Point(width, height);
    if (width <= 0 || height <= 0)
        return;
    const int divisor = std::gcd(width, height);
    ratio = Point(width / divisor, height / divisor);
}

bool IsRatioWider(const Point& a, const Point& b)
{
    if (a.x <= 0 || a.y <= 0 || b.x <= 0 || b.y <= 0)
        return false;
    return int64_t(b.y) * a.x / a.y < b.x || a.x < int64_t(b.x) * a.y / b.y;
}

DisplayPlan PlanDisplay(int drawWidth, int drawHeight, int desktopWidth, int desktopHeight, bool windowed,
                        bool is3D)
{
    DisplayPlan plan;
    plan.displayWidth = drawWidth;
    plan.displayHeight = drawHeight;
    ReduceRatio(plan.displayAspect, drawWidth, drawHeight);
    plan.presentRect = Rect(0, 0, drawWidth, drawHeight);
    Point desktopAspect;
    ReduceRatio(desktopAspect, desktopWidth, desktopHeight);
    if (windowed || !is3D || drawHeight <= 0 || !IsRatioWider(plan.displayAspect, desktopAspect))
        return plan;
    plan.aspectCorrected = true;
    plan.displayWidth = desktopWidth;
    plan.displayHeight = desktopHeight;
    plan.displayAspect = desktopAspect;
    const int width = int(int64_t(drawWidth) * desktopHeight / drawHeight);
    plan.presentRect = Rect((desktopWidth - width) / 2, 0, width, desktopHeight);
    return plan;
}

HRESULT ClearSurface(DisplaySurface* surface)
{
    if (!surface)
        return DDERR_INVALIDPARAMS;
    SurfaceDesc desc;
    const HRESULT hr = surface->Lock(&desc, DDLOCK_WAIT);
    if (Failed(hr))
        return hr;
    const size_t rowBytes = size_t(desc.width) * desc.format.bitCount / 8;
    auto* row = static_cast<uint8_t*>(desc.bits);
    for (uint32_t y = 0; y < desc.height; ++y, row += desc.pitch)
        std::fill(row, row + rowBytes, uint8_t(0));
    return surface->Unlock();
}

TextureFormat ClassifyTexturePixelFormat(const SurfacePixelFormat& f)
{
    for (TextureFormat format : {TEXTURE_FORMAT_A8R8G8B8, TEXTURE_FORMAT_A4R4G4B4, TEXTURE_FORMAT_R5G6B5})
        if (f == MakeTexturePixelFormat(format))
            return format;
    if (f.bitCount == 8 && !f.redMask && !f.greenMask && !f.blueMask && !f.alphaMask)
        return TEXTURE_FORMAT_PALETTE8;
    return 0;
}

SurfacePixelFormat MakeTexturePixelFormat(TextureFormat format)
{
    switch (format) {
    case TEXTURE_FORMAT_A8R8G8B8: return {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    case TEXTURE_FORMAT_A4R4G4B4: return {16, 0x0F00, 0x00F0, 0x000F, 0xF000};
    case TEXTURE_FORMAT_R5G6B5: return {16, 0xF800, 0x07E0, 0x001F, 0};
    case TEXTURE_FORMAT_PALETTE8: return {8, 0, 0, 0, 0};
    default: return {0, 0, 0, 0, 0};
    }
}

// ---------------------------------------------------------------- display

DDInterface::DDInterface(QuibAppBase* owner) : app(owner), d3dImpl(std::make_unique<D3DInterfaceImpl>(this))
{
    d3d = d3dImpl.get();
}

DDInterface::~DDInterface()
{
    Cleanup();
    if (d3d == d3dImpl.get())
        d3d = nullptr;
    d3dImpl.reset();
    tester.reset();
}

ImageRegistry* DDInterface::Registry() const
{
    return app;
}

namespace {

// A channel the drawing code can handle: one run of 1 to 8 bits inside the
// colour part of the pixel (below the alpha byte of 32-bit words).
bool UsableMask(uint32_t mask, uint32_t room)
{
    if (mask == 0 || (mask & ~room) != 0)
        return false;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0 && run <= 0xFF;
}

} // namespace

bool DDInterface::SetPixelFormat(int bitCount, uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    const uint32_t room = bitCount == 16 ? 0xFFFFu : 0xFFFFFFu;
    if ((bitCount != 16 && bitCount != 32) || !UsableMask(redMask, room) || !UsableMask(greenMask, room) ||
        !UsableMask(blueMask, room) || (redMask & greenMask) || (redMask & blueMask) || (greenMask & blueMask)) {
        OutputDebugString("DDInterface: unsupported pixel format\n");
        return false;
    }
    layout = PixelFormat::FromMasks(bitCount, redMask, greenMask, blueMask);
    redClamp = MakeClampTable(layout.red.bits);
    greenClamp = MakeClampTable(layout.green.bits);
    blueClamp = MakeClampTable(layout.blue.bits);
    gDisplayChannelOrderRGB = layout.RedAboveGreenAboveBlue();
    return true;
}

SurfacePixelFormat DDInterface::SurfaceFormat() const
{
    SurfacePixelFormat format;
    format.bitCount = uint32_t(layout.bitCount);
    format.redMask = layout.red.mask;
    format.greenMask = layout.green.mask;
    format.blueMask = layout.blue.mask;
    format.alphaMask = 0;
    return format;
}

HRESULT DDInterface::CreateSurface(const SurfaceDesc& desc, DisplaySurface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    std::lock_guard lock(critSect);
    if (layout.bitCount != 16 && layout.bitCount != 32)
        return DDERR_INVALIDPIXELFORMAT;
    HRESULT hr = DisplaySurface::Create(desc, SurfaceFormat(), out);
    if (Succeeded(hr))
        gDisplayChannelOrderRGB = layout.RedAboveGreenAboveBlue();
    return hr;
}

} // namespace Quib

namespace Quib {

// ---------------------------------------------------------------- set-up

bool DDInterface::CheckResult(const char* callName, HRESULT result)
{
    if (!Failed(result))
        return false;
    errorText = StrFormat("%s: %s", callName, HResultToName(result));
    OutputDebugString(errorText + "\n");
    return true;
}

bool DDInterface::RunCapabilityTest(Window* target)
{
    if (tester || !app || (!app->auto3D && !app->check3D))
        return false;
    tester = testerFactory ? testerFactory() : std::make_unique<AdapterTester>();
    if (!tester)
        return false;
    tester->minVideoMemoryMB = uint32_t(std::max(app->minVideoMemoryMB, 0));
    tester->recVideoMemoryMB = uint32_t(std::max(app->recVideoMemoryMB, 0));
    tester->RunWithCache(*this, target);
    if (app->auto3D && tester->IsClean())
        is3D = true;
    else if (tester->HasFailure())
        is3D = false;
    else if (tester->freshResult && !tester->IsClean())
        is3D = false;
    return true;
}

std::unique_ptr<Device3D> DDInterface::MakeDevice3D()
{
    bool fallback = false;
    return MakeDevice3D(fallback);
}

std::unique_ptr<Device3D> DDInterface::MakeDevice3D(bool& isDefault)
{
    std::unique_ptr<Device3D> device;
    if (deviceFactory)
        device = deviceFactory();
    else if (presenter)
        device = presenter->CreateDevice3D(uint32_t(std::max(drawWidth, 1)), uint32_t(std::max(drawHeight, 1)));
    isDefault = !device;
    if (!device)
        device = std::make_unique<SoftwareDevice3D>();
    return device;
}

bool DDInterface::MakeCursorAreas()
{
    const char* const names[2] = {"CreateSurface OldCursorArea", "CreateSurface NewCursorArea"};
    for (int i = 0; i < 2; ++i) {
        SurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.width = uint32_t(cursorAreaWidth);
        desc.height = uint32_t(cursorAreaHeight);
        desc.caps = DDSCAPS_SYSTEMMEMORY;
        if (CheckResult(names[i], CreateSurface(desc, &cursorAreaSurfaces[i])))
            return false;
        auto* image = new DDImage(this);
        image->AttachSurface(cursorAreaSurfaces[i]);
        image->ForceTransparencyFlags(false, false);
        cursorAreaImages[i] = image;
    }
    return true;
}

int DDInterface::Init(Window* target, bool inWindow)
{
    std::lock_guard lock(critSect);
    initialized = false;
    Cleanup();
    errorText.clear();

    // The primary surface: what shows frames in the window.
    window = target;
    if (!window) {
        CheckResult("CreatePresenter", DDERR_INVALIDPARAMS);
        return RESULT_DD_CREATE_FAIL;
    }
    presenter = window->System().CreatePresenter(*window);
    if (!presenter) {
        CheckResult("CreatePresenter", DDERR_GENERIC);
        return RESULT_DD_CREATE_FAIL;
    }

    freshTestResult = RunCapabilityTest(window) && tester->freshResult;
    if (freshTestResult && app)
        app->OnFreshDisplayTest();

    drawWidth = app ? app->appWidth : 640;
    drawHeight = app ? app->appHeight : 480;
    ReduceRatio(drawAspect, drawWidth, drawHeight);
    const ScreenMetrics screen = window->System().Screen();
    desktopWidth = screen.width;
    desktopHeight = screen.height;
    ReduceRatio(desktopAspect, desktopWidth, desktopHeight);
    fullScreenDepth = app ? app->colorDepth : 32;
    windowed = inWindow;
    cursorDrawn = false;
    cursorSaved_ = false;
    const DisplayPlan plan = PlanDisplay(drawWidth, drawHeight, desktopWidth, desktopHeight, windowed, is3D);
    displayWidth = plan.displayWidth;
    displayHeight = plan.displayHeight;
    displayAspect = plan.displayAspect;
    presentRect = plan.presentRect;
    aspectCorrected = plan.aspectCorrected;
    if (app)
        app->drawArea = presentRect;
    OutputDebugString(StrFormat("Application requests %4lu x %4lu [%2d:%2d]\n", drawWidth, drawHeight, drawAspect.x,
                                drawAspect.y));
    int clientWidth = 0, clientHeight = 0;
    window->GetClientSize(clientWidth, clientHeight);
    if (!windowed) {
        OutputDebugString(StrFormat("Desktop is           %4lu x %4lu [%2d:%2d]\n", desktopWidth, desktopHeight,
                                    desktopAspect.x, desktopAspect.y));
        OutputDebugString(StrFormat("Display is           %4lu x %4lu [%2d:%2d]\n", displayWidth, displayHeight,
                                    displayAspect.x, displayAspect.y));
    } else {
        const Point hack = app ? app->windowAspect : Point(4, 3);
        OutputDebugString(StrFormat("Hack aspect is                   [%2d:%2d]\n", hack.x, hack.y));
        Point clientAspect;
        ReduceRatio(clientAspect, clientWidth, clientHeight);
        OutputDebugString(StrFormat("Window is            %4lu x %4lu [%2d:%2d]\n", clientWidth, clientHeight,
                                    clientAspect.x, clientAspect.y));
    }

    // The screen's pixel format: every surface of the display takes it.
    const SurfacePixelFormat screenFormat = presenter->ScreenFormat();
    if ((screenFormat.bitCount != 16 && screenFormat.bitCount != 32) ||
        !SetPixelFormat(int(screenFormat.bitCount), screenFormat.redMask, screenFormat.greenMask,
                        screenFormat.blueMask)) {
        OutputDebugString(StrFormat("Screen has %d bits per pixel\n", int(screenFormat.bitCount)));
        if (windowed) {
            CheckResult("CreateSurface Windowed Primary", DDERR_INVALIDPIXELFORMAT);
            return RESULT_INVALID_COLORDEPTH;
        }
        CheckResult("CreateSurface FullScreen Primary", DDERR_INVALIDPIXELFORMAT);
        return RESULT_SURFACE_FAIL;
    }

    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = uint32_t(std::max(drawWidth, 0));
    desc.height = uint32_t(std::max(drawHeight, 0));
    desc.caps = is3D ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    if (CheckResult(windowed ? "CreateSurface Windowed DrawSurface" : "CreateSurface FullScreen DrawSurface",
                    CreateSurface(desc, &drawSurface)))
        return RESULT_SURFACE_FAIL;
    OutputDebugString(StrFormat("Draw buffer is       %4lu x %4lu [%2d:%2d]\n", drawWidth, drawHeight, drawAspect.x,
                                drawAspect.y));

    // Refresh: 60 to 100 Hz; anything else (or nothing known) is clamped
    // and refresh-paced updating is off for the run.
    int rate = screen.refreshRate;
    const bool broken = rate < 60 || rate > 100;
    rate = std::clamp(rate, 60, 100);
    if (broken && app)
        app->vsyncBroken = true;
    refreshRate = rate;
    msPerRefresh = 1000 / rate;

    if (!MakeCursorAreas())
        return RESULT_SURFACE_FAIL;
    UseVideoMemoryBackBuffer(videoMemoryDrawing);

    if (is3D) {
        bool software = false;
        std::unique_ptr<Device3D> chosen = MakeDevice3D(software);
        d3dImpl->deviceFactory = [&chosen] { return std::move(chosen); };
        bool started = d3dImpl->Init(drawSurface);
        if (!started && !software && !deviceFactory) {
            // The software device draws what the failed one would have.
            OutputDebugString("3-D device: " + D3DErrorText() + "; the software device draws instead\n");
            d3dImpl->deviceFactory = {};
            started = d3dImpl->Init(drawSurface);
        }
        d3dImpl->deviceFactory = {};
        if (!started) {
            errorText = "3D init error: " + D3DErrorText();
            return RESULT_3D_FAIL;
        }
        if (!software && !deviceFactory) {
            // The device draws with what the presenter made: it goes first
            // when the window does.
            releaseListener_ = presenter->AddReleaseListener([this] {
                std::lock_guard lock(critSect);
                d3dImpl->Cleanup();
                initialized = false;
            });
        }
    }
    OutputDebugString("Display: " + presenter->Name() + (is3D ? ", 3-D\n" : "\n"));
    initialized = true;
    return RESULT_OK;
}

void DDInterface::Cleanup()
{
    std::lock_guard lock(critSect);
    initialized = false;
    d3dImpl->Cleanup();
    for (DDImage*& image : cursorAreaImages) {
        delete image;
        image = nullptr;
    }
    for (DisplaySurface*& surface : cursorAreaSurfaces) {
        if (surface)
            surface->Release();
        surface = nullptr;
    }
    cursorSaved_ = false;
    cursorDrawn = false;
    delete screenImage;
    screenImage = nullptr;
    if (drawSurface) {
        drawSurface->Release();
        drawSurface = nullptr;
    }
    if (backBuffer) {
        backBuffer->Release();
        backBuffer = nullptr;
    }
    if (presenter && releaseListener_)
        presenter->RemoveReleaseListener(releaseListener_);
    releaseListener_ = 0;
    presenter.reset();
}

DisplaySurface* DDInterface::ScreenSurface() const
{
    return videoMemoryDrawing && backBuffer ? backBuffer : drawSurface;
}

void DDInterface::UseVideoMemoryBackBuffer(bool use)
{
    std::lock_guard lock(critSect);
    videoMemoryDrawing = use;
    if (use && !backBuffer && drawSurface) {
        SurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.width = uint32_t(drawWidth);
        desc.height = uint32_t(drawHeight);
        desc.caps = DDSCAPS_VIDEOMEMORY;
        if (Failed(CreateSurface(desc, &backBuffer)))
            videoMemoryDrawing = false;
    }
    delete screenImage;
    screenImage = nullptr;
    if (DisplaySurface* target = ScreenSurface()) {
        screenImage = new DDImage(this);
        screenImage->AttachSurface(target);
        screenImage->preferVideoMemory = videoMemoryDrawing;
        screenImage->ForceTransparencyFlags(false, false);
    }
}

bool DDInterface::SetCursorImage(Image* image)
{
    std::lock_guard lock(critSect);
    if (cursorImage == image)
        return false;
    cursorImage = image;
    return true;
}

// ---------------------------------------------------------------- presentation

HRESULT DDInterface::PresentSurface(DisplaySurface* surface)
{
    if (!surface)
        return DDERR_INVALIDOBJECT;
    PresentRequest request;
    request.frame = surface;
    request.source = {0, 0, drawWidth, drawHeight};
    request.dest = ToSurfaceRect(presentRect);
    request.displayWidth = displayWidth;
    request.displayHeight = displayHeight;
    return presenter->Present(request);
}

bool DDInterface::Redraw(const Rect*)
{
    std::lock_guard lock(critSect);
    if (!initialized || !presenter)
        return false;
    if (is3D) {
        const std::string failure = D3DErrorText();
        if (!failure.empty() || gD3DRenderTargetFailed) {
            // The frame is incomplete: it is not shown, and the next one
            // is drawn in software.
            OutputDebugString("Redraw: 3-D drawing failed (" + failure + "); leaving 3-D mode\n");
            is3D = false;
            return false;
        }
        d3dImpl->EndDraw();
    }
    drawnCursorPosition.store(cursorPosition.load(std::memory_order_relaxed), std::memory_order_relaxed);

    // Every path saves what lies under the cursor, draws it, presents and
    // then puts the saved pixels back, so the surface the application
    // draws into never keeps a cursor.
    const bool popup = app && app->popupShown;
    const bool flipping = !app || app->pageFlipping;
    const bool withCursor = windowed || (!popup && flipping);
    DisplaySurface* shown = ScreenSurface();
    if (withCursor)
        DrawCursor(shown, shown == backBuffer);
    const HRESULT result = PresentSurface(shown);
    const bool cursorShown = cursorSaved_;
    if (withCursor)
        RestoreCursorArea(shown);
    cursorDrawn = cursorShown;

    const char* callName = windowed     ? "Redraw Windowed"
                           : withCursor ? "Redraw FullScreen Flip"
                                        : "Redraw FullScreen Blt";
    if (CheckResult(callName, result)) {
        if (is3D) {
            OutputDebugString("Redraw: leaving 3-D mode\n");
            is3D = false;
        }
        return false;
    }
    ++presentCount;
    return true;
}

Point DDInterface::CursorInFrame() const
{
    int x = 0, y = 0;
    UnpackCursorPosition(drawnCursorPosition.load(std::memory_order_relaxed), x, y);
    if (aspectCorrected && presentRect.width > 0 && presentRect.height > 0) {
        // Display pixels to the frame's.
        x = int((int64_t(x) - presentRect.x) * drawWidth / presentRect.width);
        y = int((int64_t(y) - presentRect.y) * drawHeight / presentRect.height);
    }
    return Point(x, y);
}

Rect DDInterface::CursorRect(Point& offset) const
{
    const Point at = CursorInFrame();
    const int x = at.x, y = at.y;
    const Rect area(int32_t(int64_t(x) - cursorAreaWidth / 2), int32_t(int64_t(y) - cursorAreaHeight / 2),
                    cursorAreaWidth, cursorAreaHeight);
    const Rect cut = Meet(area, Rect(0, 0, drawWidth, drawHeight));
    offset = Point(cut.x - area.x, cut.y - area.y);
    return cut;
}

void DDInterface::DrawCursor(DisplaySurface* surface, bool)
{
    cursorSaved_ = false;
    DisplaySurface* oldArea = cursorAreaSurfaces[0];
    DisplaySurface* newArea = cursorAreaSurfaces[1];
    if (!cursorImage || !presenter || !surface || !oldArea || !newArea) {
        cursorDrawn = false;
        return;
    }
    Point offset;
    const Rect cut = CursorRect(offset);
    if (cut.width <= 0 || cut.height <= 0)
        return;
    SurfaceRect from = ToSurfaceRect(cut);
    SurfaceRect to = {offset.x, offset.y, offset.x + cut.width, offset.y + cut.height};
    HRESULT hr = oldArea->Blt(&to, surface, &from, DDBLT_WAIT);
    if (Failed(hr)) {
        // Once more, cut to the surface itself.
        const Rect inside = Meet(cut, Rect(0, 0, int32_t(surface->Width()), int32_t(surface->Height())));
        if (inside.width > 0) {
            to.left += inside.x - cut.x;
            to.top += inside.y - cut.y;
            to.right = to.left + inside.width;
            to.bottom = to.top + inside.height;
            from = ToSurfaceRect(inside);
            hr = oldArea->Blt(&to, surface, &from, DDBLT_WAIT);
        }
    }
    if (Failed(hr))
        return;
    cursorSaved_ = true;
    savedFrom_ = from;
    savedTo_ = to;

    const int x = (cursorAreaWidth - cursorImage->width) / 2;
    const int y = (cursorAreaHeight - cursorImage->height) / 2;
    if (!is3D && screenImage && screenImage->surface == surface) {
        // Straight onto the screen image, kept to the saved area.
        const Point at = CursorInFrame();
        Graphics g(screenImage);
        g.ReplaceClip(Rect(from.left, from.top, from.right - from.left, from.bottom - from.top));
        g.DrawImageAt(cursorImage, at.x + x - cursorAreaWidth / 2, at.y + y - cursorAreaHeight / 2);
        return;
    }
    // Composed over a copy of the saved area, then copied in: the cursor
    // is kept to its 128 x 128 area.
    newArea->Blt(&to, oldArea, &to, DDBLT_WAIT);
    {
        Graphics g(cursorAreaImages[1]);
        g.DrawImageAt(cursorImage, x, y);
    }
    surface->Blt(&from, newArea, &to, DDBLT_WAIT);
}

void DDInterface::RestoreCursorArea(DisplaySurface* surface)
{
    if (!cursorSaved_ || !presenter || !surface || !cursorAreaSurfaces[0])
        return;
    cursorSaved_ = false;
    cursorDrawn = false;
    surface->Blt(&savedFrom_, cursorAreaSurfaces[0], &savedTo_, DDBLT_WAIT);
}

} // namespace Quib
