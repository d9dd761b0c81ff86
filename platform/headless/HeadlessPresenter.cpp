#include "platform/headless/HeadlessPresenter.h"

#include "platform/Device3D.h"
#include "platform/WindowSystem.h"

#include <algorithm>

namespace Quib {

namespace {

// Screens larger than this are not kept.
constexpr int kMaxScreenSide = 16384;

bool Inside(const SurfaceRect& r, int width, int height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

} // namespace

HeadlessPresenter::HeadlessPresenter(const Window* window, const SurfacePixelFormat& screenFormat)
    : format(screenFormat), mWindow(window), mSystem(window ? &window->System() : nullptr)
{
}

void HeadlessPresenter::OutputSize(int& width, int& height) const
{
    if (outputWidth > 0 && outputHeight > 0) {
        width = outputWidth;
        height = outputHeight;
    } else if (mWindow && mSystem->IsLive(mWindow)) {
        mWindow->GetClientSize(width, height);
    } else {
        width = height = 0;
    }
}

HRESULT HeadlessPresenter::Present(const PresentRequest& request)
{
    if (failPresents > 0) {
        --failPresents;
        return DDERR_SURFACELOST;
    }
    DisplaySurface* frame = request.frame;
    if (!frame)
        return DDERR_INVALIDPARAMS;
    if (!Inside(request.source, int(frame->Width()), int(frame->Height())) ||
        !Inside(request.dest, request.displayWidth, request.displayHeight))
        return DDERR_INVALIDRECT;
    const SurfacePixelFormat& frameFormat = frame->Format();
    if (frameFormat.bitCount != 16 && frameFormat.bitCount != 32)
        return DDERR_INVALIDPIXELFORMAT;
    int width = 0, height = 0;
    OutputSize(width, height);
    width = std::clamp(width, 0, kMaxScreenSide);
    height = std::clamp(height, 0, kMaxScreenSide);

    screenWidth = width;
    screenHeight = height;
    screen.assign(size_t(width) * size_t(height), 0xFF000000u);
    const ScreenRect fit = FitDisplay(request.displayWidth, request.displayHeight, width, height);
    const ScreenRect dest = DisplayToClient(request.dest, request.displayWidth, request.displayHeight, fit);
    const SurfaceRect& src = request.source;
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    const int destW = dest.Width(), destH = dest.Height();
    for (int y = std::max(dest.top, 0); y < std::min(dest.bottom, height); ++y) {
        const uint32_t sy = uint32_t(src.top + int(int64_t(y - dest.top) * srcH / destH));
        for (int x = std::max(dest.left, 0); x < std::min(dest.right, width); ++x) {
            const uint32_t sx = uint32_t(src.left + int(int64_t(x - dest.left) * srcW / destW));
            screen[size_t(y) * size_t(width) + size_t(x)] = SurfacePixelToArgb(frame->PixelAt(sx, sy), frameFormat);
        }
    }
    last = request;
    ++presentCount;
    return DD_OK;
}

std::unique_ptr<Device3D> HeadlessPresenter::CreateDevice3D(uint32_t, uint32_t)
{
    return deviceFactory ? deviceFactory() : nullptr;
}

} // namespace Quib
