#pragma once
#include "platform/Presenter.h"

#include <functional>
#include <memory>
#include <vector>

namespace Quib {

class WindowSystem;

// A presenter for runs without a display: it keeps what a screen would
// show, so that tests can read presented frames back.
class HeadlessPresenter : public Presenter {
public:
    // Shows into the window's client area (or outputWidth x outputHeight
    // when those are set); the screen has the given format.
    HeadlessPresenter(const Window* window, const SurfacePixelFormat& format);

    SurfacePixelFormat ScreenFormat() const override { return format; }
    void OutputSize(int& width, int& height) const override;
    // Fits the display, scales the frame's part by nearest pixel into its
    // place and keeps the result in `screen`.
    HRESULT Present(const PresentRequest& request) override;
    // deviceFactory's device; none without one.
    std::unique_ptr<Device3D> CreateDevice3D(uint32_t width, uint32_t height) override;
    std::string Name() const override { return "headless"; }

    // The pixel the screen shows, 0xFFRRGGBB.
    uint32_t ScreenPixel(int x, int y) const { return screen[size_t(y) * size_t(screenWidth) + size_t(x)]; }

    SurfacePixelFormat format;
    int outputWidth = 0; // 0: the window's client size
    int outputHeight = 0;
    // The last presented screen, screenWidth x screenHeight words.
    std::vector<uint32_t> screen;
    int screenWidth = 0;
    int screenHeight = 0;
    PresentRequest last;
    int presentCount = 0;
    int failPresents = 0; // the next N presents fail with DDERR_SURFACELOST
    // The device CreateDevice3D makes; none without one.
    std::function<std::unique_ptr<Device3D>()> deviceFactory;

private:
    // The window may go before the presenter: its system tells.
    const Window* mWindow;
    WindowSystem* mSystem;
};

} // namespace Quib
