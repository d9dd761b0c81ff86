// Fitting the display into a window, pixel conversion, and the headless
// presenter that keeps what a screen would show.
#include "platform/Presenter.h"
#include "platform/headless/HeadlessPresenter.h"
#include "platform/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
namespace {

TEST(FitDisplay, BarsGoWhereTheAspectsDiffer)
{
    struct Case {
        int displayW, displayH, clientW, clientH;
        ScreenRect fit;
    };
    const Case cases[] = {
        {1024, 768, 1024, 768, {0, 0, 1024, 768}},     // same size
        {1024, 768, 2048, 1536, {0, 0, 2048, 1536}},   // same aspect
        {1024, 768, 1920, 1080, {240, 0, 1680, 1080}}, // wider window: pillar-boxed
        {1024, 768, 1280, 1024, {0, 32, 1280, 992}},   // taller window: letter-boxed
        {1024, 768, 1025, 768, {0, 0, 1024, 768}},     // one spare column: right bar
        {1024, 768, 1027, 768, {1, 0, 1025, 768}},     // three: one left, two right
        {1920, 1080, 1024, 768, {0, 96, 1024, 672}},   // wide display in a 4:3 window
        {640, 480, 1001, 700, {34, 0, 967, 700}},      // 933 wide, rounded down
        {1024, 768, 0, 768, {}},                       // minimised
        {0, 768, 1024, 768, {}},                       // no display
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.displayW) + "x" + std::to_string(c.displayH) + " in " +
                     std::to_string(c.clientW) + "x" + std::to_string(c.clientH));
        EXPECT_EQ(FitDisplay(c.displayW, c.displayH, c.clientW, c.clientH), c.fit);
    }
}

TEST(FitDisplay, DisplayRectanglesMapThroughTheFit)
{
    const ScreenRect fit = FitDisplay(1920, 1080, 960, 540);
    EXPECT_EQ(DisplayToClient({240, 0, 1680, 1080}, 1920, 1080, fit), (ScreenRect{120, 0, 840, 540}));
    const ScreenRect boxed = FitDisplay(160, 120, 400, 240);
    EXPECT_EQ(DisplayToClient({0, 0, 160, 120}, 160, 120, boxed), (ScreenRect{40, 0, 360, 240}));
    EXPECT_EQ(DisplayToClient({80, 60, 160, 120}, 160, 120, boxed), (ScreenRect{200, 120, 360, 240}));
}

TEST(SurfacePixelToArgb, WidensEveryChannelToEightBits)
{
    struct Case {
        SurfacePixelFormat format;
        uint32_t value;
        uint32_t argb;
    };
    const Case cases[] = {
        {SurfacePixelFormat::X8R8G8B8(), 0x00123456, 0xFF123456},
        {SurfacePixelFormat::X8R8G8B8(), 0xAB123456, 0xFF123456}, // the unused byte is ignored
        {SurfacePixelFormat::X8B8G8R8(), 0x00563412, 0xFF123456},
        {SurfacePixelFormat::R5G6B5(), 0xF800, 0xFFFF0000},
        {SurfacePixelFormat::R5G6B5(), 0x07E0, 0xFF00FF00},
        {SurfacePixelFormat::R5G6B5(), 0x001F, 0xFF0000FF},
        {SurfacePixelFormat::R5G6B5(), 0x8410, 0xFF848284}, // 10000 100000 10000
        {SurfacePixelFormat::X1R5G5B5(), 0x7FFF, 0xFFFFFFFF},
        {SurfacePixelFormat::X1R5G5B5(), 0x8000, 0xFF000000},
        {SurfacePixelFormat::X1R5G5B5(), 0x4210, 0xFF848484},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SurfacePixelToArgb(c.value, c.format), c.argb) << std::hex << c.value;
}

DisplaySurface* MakeSurface(int w, int h, const SurfacePixelFormat& format)
{
    SurfaceDesc desc;
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = uint32_t(w);
    desc.height = uint32_t(h);
    DisplaySurface* s = nullptr;
    EXPECT_EQ(DisplaySurface::Create(desc, format, &s), DD_OK);
    return s;
}

TEST(HeadlessPresenter, KeepsTheFittedFrame)
{
    HeadlessWindowSystem windows;
    WindowSpec spec;
    spec.width = 12;
    spec.height = 4;
    auto window = windows.CreateMainWindow(spec);
    auto made = windows.CreatePresenter(*window);
    auto& presenter = dynamic_cast<HeadlessPresenter&>(*made);
    EXPECT_EQ(presenter.ScreenFormat(), SurfacePixelFormat::X8R8G8B8());

    // A 4 x 2 frame of distinct pixels on a 4 x 2 display in 12 x 4: twice
    // the size, two-pixel bars at the sides.
    DisplaySurface* frame = MakeSurface(4, 2, SurfacePixelFormat::X8R8G8B8());
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            frame->SetPixelAt(x, y, 0x101010 * (y * 4 + x + 1));
    PresentRequest request{frame, {0, 0, 4, 2}, {0, 0, 4, 2}, 4, 2};
    ASSERT_EQ(presenter.Present(request), DD_OK);
    ASSERT_EQ(presenter.screenWidth, 12);
    ASSERT_EQ(presenter.screenHeight, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 10;
            const uint32_t want = inside ? 0xFF000000u | 0x101010u * uint32_t((y / 2) * 4 + (x - 2) / 2 + 1)
                                         : 0xFF000000u;
            EXPECT_EQ(presenter.ScreenPixel(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(presenter.presentCount, 1);

    // Rectangles outside the frame or the display are refused and nothing
    // changes; so is a request without a frame.
    const std::vector<uint32_t> before = presenter.screen;
    EXPECT_EQ(presenter.Present({frame, {0, 0, 5, 2}, {0, 0, 4, 2}, 4, 2}), DDERR_INVALIDRECT);
    EXPECT_EQ(presenter.Present({frame, {0, 0, 4, 2}, {1, 0, 5, 2}, 4, 2}), DDERR_INVALIDRECT);
    EXPECT_EQ(presenter.Present({frame, {2, 0, 2, 2}, {0, 0, 4, 2}, 4, 2}), DDERR_INVALIDRECT);
    EXPECT_EQ(presenter.Present({nullptr, {0, 0, 4, 2}, {0, 0, 4, 2}, 4, 2}), DDERR_INVALIDPARAMS);
    presenter.failPresents = 1;
    EXPECT_EQ(presenter.Present(request), DDERR_SURFACELOST);
    EXPECT_EQ(presenter.screen, before);
    EXPECT_EQ(presenter.presentCount, 1);

    // Its window gone, it shows nothing rather than reading a dead window.
    window.reset();
    ASSERT_EQ(presenter.Present(request), DD_OK);
    EXPECT_EQ(presenter.screenWidth, 0);
    frame->Release();
}

TEST(HeadlessPresenter, TakesTheScreensDepth)
{
    HeadlessWindowSystem windows;
    auto window = windows.CreateMainWindow(WindowSpec{});
    for (int bits : {32, 16, 24}) {
        windows.screen.bitsPerPixel = bits;
        EXPECT_EQ(windows.CreatePresenter(*window)->ScreenFormat().bitCount, uint32_t(bits));
    }
    windows.screen.bitsPerPixel = 16;
    EXPECT_EQ(windows.CreatePresenter(*window)->ScreenFormat(), SurfacePixelFormat::R5G6B5());
}

} // namespace
} // namespace Quib
