#include "platform/Presenter.h"

#include <bit>

namespace Quib {

ScreenRect FitDisplay(int displayWidth, int displayHeight, int clientWidth, int clientHeight)
{
    if (displayWidth <= 0 || displayHeight <= 0 || clientWidth <= 0 || clientHeight <= 0)
        return {};
    const int64_t wide = int64_t(clientWidth) * displayHeight;
    const int64_t tall = int64_t(clientHeight) * displayWidth;
    if (wide == tall)
        return {0, 0, clientWidth, clientHeight};
    if (wide > tall) {
        const int width = int(int64_t(displayWidth) * clientHeight / displayHeight);
        const int x = (clientWidth - width) / 2;
        return {x, 0, x + width, clientHeight};
    }
    const int height = int(int64_t(displayHeight) * clientWidth / displayWidth);
    const int y = (clientHeight - height) / 2;
    return {0, y, clientWidth, y + height};
}

ScreenRect DisplayToClient(const SurfaceRect& rect, int displayWidth, int displayHeight, const ScreenRect& fit)
{
    if (displayWidth <= 0 || displayHeight <= 0)
        return {};
    const auto mapX = [&](int32_t x) { return fit.left + int(int64_t(x) * fit.Width() / displayWidth); };
    const auto mapY = [&](int32_t y) { return fit.top + int(int64_t(y) * fit.Height() / displayHeight); };
    return {mapX(rect.left), mapY(rect.top), mapX(rect.right), mapY(rect.bottom)};
}

namespace {

uint32_t Widen(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    uint32_t v = (value & mask) >> shift;
    if (bits >= 8)
        return (v >> (bits - 8)) & 0xFF;
    // Repeats the channel's bits downwards until 8 are filled.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | v;
        filled += bits;
    }
    return (out >> (filled - 8)) & 0xFF;
}

} // namespace

std::unique_ptr<Device3D> Presenter::CreateDevice3D(uint32_t width, uint32_t height)
{
    std::unique_ptr<Device3D> device;
    if (GraphicsAdapter* adapter = Adapter(); adapter && Failed(adapter->CreateDevice(width, height, &device)))
        device.reset();
    return device;
}

int Presenter::AddReleaseListener(std::function<void()>)
{
    return 0;
}

void Presenter::RemoveReleaseListener(int) {}

uint32_t SurfacePixelToArgb(uint32_t value, const SurfacePixelFormat& format)
{
    return 0xFF000000u | (Widen(value, format.redMask) << 16) | (Widen(value, format.greenMask) << 8) |
           Widen(value, format.blueMask);
}

} // namespace Quib
