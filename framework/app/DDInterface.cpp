#include "framework/app/DDInterface.h"

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"

#include "platform/MessageSink.h"

#include <bit>
#include <iterator>

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

} // namespace

DDInterface::DDInterface(QuibAppBase* owner) : app(owner) {}

DDInterface::~DDInterface()
{
    Cleanup();
}

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

int DDInterface::Init(Window* targetWindow, bool inWindow)
{
    std::lock_guard lock(critSect);
    Cleanup();
    window = targetWindow;
    windowed = inWindow;
    drawWidth = app ? app->appWidth : 640;
    drawHeight = app ? app->appHeight : 480;
    presentRect = Rect(0, 0, drawWidth, drawHeight);
    if (layout.bitCount != 16 && layout.bitCount != 32) {
        const SurfacePixelFormat f = SurfacePixelFormat::X8R8G8B8();
        SetPixelFormat(int(f.bitCount), f.redMask, f.greenMask, f.blueMask);
    }
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = uint32_t(drawWidth);
    desc.height = uint32_t(drawHeight);
    desc.caps = DDSCAPS_SYSTEMMEMORY;
    DisplaySurface* surface = nullptr;
    const HRESULT hr = CreateSurface(desc, &surface);
    if (Failed(hr)) {
        errorText = "CreateSurface DrawSurface: failed";
        return hr == DDERR_INVALIDPIXELFORMAT ? RESULT_INVALID_COLORDEPTH : RESULT_SURFACE_FAIL;
    }
    drawSurface = surface;
    UseVideoMemoryBackBuffer(videoMemoryDrawing);
    initialized = true;
    return RESULT_OK;
}

void DDInterface::Cleanup()
{
    std::lock_guard lock(critSect);
    initialized = false;
    delete screenImage;
    screenImage = nullptr;
    if (backBuffer) {
        backBuffer->Release();
        backBuffer = nullptr;
    }
    if (drawSurface) {
        drawSurface->Release();
        drawSurface = nullptr;
    }
}

bool DDInterface::Redraw(const Rect*)
{
    std::lock_guard lock(critSect);
    if (!initialized)
        return false;
    drawnCursorPosition.store(cursorPosition.load(std::memory_order_relaxed), std::memory_order_relaxed);
    ++presentCount;
    return true;
}

bool DDInterface::SetCursorImage(Image* image)
{
    std::lock_guard lock(critSect);
    if (cursorImage == image)
        return false;
    cursorImage = image;
    return true;
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
    }
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
