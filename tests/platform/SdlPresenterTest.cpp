// The SDL presenter on SDL's offscreen driver: formats, presented frames
// read back from the renderer, bars, the window going first, and mouse
// positions in display pixels.
#include "platform/sdl/SdlPresenter.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace Quib {
namespace {

using Testing::DrainMessages;
using Testing::ScopedEnv;

TEST(SdlPixelFormats, ScreenFormatsCountTheMemoryAPixelTakes)
{
    struct Case {
        Uint32 sdl;
        SurfacePixelFormat format;
    };
    const Case cases[] = {
        {SDL_PIXELFORMAT_RGB888, SurfacePixelFormat::X8R8G8B8()}, // SDL says 24 bits
        {SDL_PIXELFORMAT_ARGB8888, SurfacePixelFormat::X8R8G8B8()},
        {SDL_PIXELFORMAT_BGR888, SurfacePixelFormat::X8B8G8R8()},
        {SDL_PIXELFORMAT_RGB565, SurfacePixelFormat::R5G6B5()},
        {SDL_PIXELFORMAT_RGB555, SurfacePixelFormat::X1R5G5B5()}, // SDL says 15 bits
        {SDL_PIXELFORMAT_RGB24, {24, 0, 0, 0, 0}},                // three bytes: no display format
        {SDL_PIXELFORMAT_INDEX8, {0, 0, 0, 0, 0}},
        {SDL_PIXELFORMAT_YV12, {0, 0, 0, 0, 0}},
        {SDL_PIXELFORMAT_UNKNOWN, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetPixelFormatName(c.sdl));
        const SurfacePixelFormat f = SdlToSurfaceFormat(c.sdl);
        EXPECT_EQ(f.bitCount, c.format.bitCount);
        if (c.format.bitCount != 24) { // byte order decides the masks of 3-byte pixels
            EXPECT_EQ(f, c.format);
        }
    }
    for (const SurfacePixelFormat& f : {SurfacePixelFormat::X8R8G8B8(), SurfacePixelFormat::X8B8G8R8(),
                                        SurfacePixelFormat::R5G6B5(), SurfacePixelFormat::X1R5G5B5()})
        EXPECT_EQ(SdlToSurfaceFormat(SurfaceToSdlFormat(f)), f) << SDL_GetPixelFormatName(SurfaceToSdlFormat(f));
    EXPECT_EQ(SurfaceToSdlFormat({24, 0xFF0000, 0xFF00, 0xFF, 0}), Uint32(SDL_PIXELFORMAT_UNKNOWN));
}

class SdlPresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system = SdlWindowSystem::Create();
        ASSERT_NE(system, nullptr) << SDL_GetError();
    }

    std::unique_ptr<Window> MakeWindow(int w, int h)
    {
        WindowSpec spec;
        spec.width = w;
        spec.height = h;
        return system->CreateMainWindow(spec);
    }
    static SdlPresenter& Sdl(std::unique_ptr<Presenter>& p) { return dynamic_cast<SdlPresenter&>(*p); }

    static DisplaySurface* MakeSurface(int w, int h, const SurfacePixelFormat& format)
    {
        SurfaceDesc desc;
        desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
        desc.width = uint32_t(w);
        desc.height = uint32_t(h);
        DisplaySurface* s = nullptr;
        EXPECT_EQ(DisplaySurface::Create(desc, format, &s), DD_OK);
        return s;
    }

    static int MaxChannelDifference(uint32_t a, uint32_t b)
    {
        int d = 0;
        for (int s = 0; s < 24; s += 8)
            d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
        return d;
    }

    ScopedEnv driver{"SDL_VIDEODRIVER",
                     std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen"};
    ScopedEnv renderDriver{"SDL_RENDER_DRIVER", "software"};
    // The window's own framebuffer, not one SDL would make through a GPU
    // renderer (whose driver libraries keep memory to the end).
    ScopedEnv framebuffer{"SDL_FRAMEBUFFER_ACCELERATION", "0"};
    std::unique_ptr<SdlWindowSystem> system;
};

TEST_F(SdlPresenterTest, OneToOneFramesReadBackExactly)
{
    struct Case {
        const char* name;
        SurfacePixelFormat format;
        int tolerance; // SDL widens 5 and 6 bits its own way
    };
    const Case cases[] = {
        {"X8R8G8B8", SurfacePixelFormat::X8R8G8B8(), 0},
        {"X8B8G8R8", SurfacePixelFormat::X8B8G8R8(), 0},
        {"R5G6B5", SurfacePixelFormat::R5G6B5(), 8},
        {"X1R5G5B5", SurfacePixelFormat::X1R5G5B5(), 8},
    };
    auto window = MakeWindow(64, 48);
    ASSERT_NE(window, nullptr);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    SdlPresenter& presenter = Sdl(made);
    EXPECT_NE(presenter.Renderer(), nullptr);
    EXPECT_TRUE(presenter.IsSoftware()) << presenter.Name();
    const SurfacePixelFormat screen = presenter.ScreenFormat();
    EXPECT_TRUE(screen.bitCount == 32 || screen.bitCount == 16) << screen.bitCount;
    presenter.SetCapture(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DisplaySurface* frame = MakeSurface(64, 48, c.format);
        for (uint32_t y = 0; y < 48; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                frame->SetPixelAt(x, y,
                                  (x * 2654435761u + y * 40503u) & (c.format.bitCount == 16 ? 0x7FFF : 0xFFFFFF));
        ASSERT_EQ(presenter.Present({frame, {0, 0, 64, 48}, {0, 0, 64, 48}, 64, 48}), DD_OK);
        ASSERT_EQ(presenter.CapturedWidth(), 64);
        ASSERT_EQ(presenter.CapturedHeight(), 48);
        int worst = 0;
        for (uint32_t y = 0; y < 48; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                worst = std::max(worst, MaxChannelDifference(presenter.Captured()[y * 64 + x],
                                                             SurfacePixelToArgb(frame->PixelAt(x, y), c.format)));
        EXPECT_LE(worst, c.tolerance);
        frame->Release();
    }
}

TEST_F(SdlPresenterTest, DisplayIsFittedWithBlackBars)
{
    // A 64 x 48 display of four solid quadrants.
    const uint32_t quadrant[4] = {0xFF2040C0u, 0xFFC04020u, 0xFF20C040u, 0xFFE0E0E0u};
    DisplaySurface* frame = MakeSurface(64, 48, SurfacePixelFormat::X8R8G8B8());
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            frame->SetPixelAt(x, y, quadrant[(y / 24) * 2 + x / 32] & 0xFFFFFF);
    struct Case {
        int w, h;
    };
    for (const Case c : {Case{64, 48}, Case{128, 96}, Case{160, 96}, Case{128, 128}, Case{67, 48}, Case{48, 48}}) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        auto window = MakeWindow(c.w, c.h);
        auto made = system->CreatePresenter(*window);
        ASSERT_NE(made, nullptr);
        SdlPresenter& presenter = Sdl(made);
        presenter.SetCapture(true);
        ASSERT_EQ(presenter.Present({frame, {0, 0, 64, 48}, {0, 0, 64, 48}, 64, 48}), DD_OK);
        ASSERT_EQ(presenter.CapturedWidth(), c.w);
        const ScreenRect fit = FitDisplay(64, 48, c.w, c.h);
        const auto at = [&](int x, int y) { return presenter.Captured()[size_t(y) * size_t(c.w) + size_t(x)]; };
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const bool inside = x >= fit.left && x < fit.right && y >= fit.top && y < fit.bottom;
                if (!inside) {
                    ASSERT_EQ(at(x, y) & 0xFFFFFF, 0u) << "bar at " << x << "," << y;
                    continue;
                }
                // Away from the quadrant borders, where linear scaling mixes.
                const int fx = (x - fit.left) * 64 / fit.Width(), fy = (y - fit.top) * 48 / fit.Height();
                if (std::abs(fx - 32) < 3 || std::abs(fy - 24) < 3 || fx < 2 || fy < 2 || fx > 61 || fy > 45)
                    continue;
                ASSERT_LE(MaxChannelDifference(at(x, y), quadrant[(fy / 24) * 2 + fx / 32]), 1) << x << "," << y;
            }
    }
    frame->Release();
}

// A frame over the whole output is copied without the clear; a later frame
// over part of the display still gets black around it, not the old frame.
TEST_F(SdlPresenterTest, APartFrameAfterAWholeOneIsClearedAround)
{
    DisplaySurface* frame = MakeSurface(64, 48, SurfacePixelFormat::X8R8G8B8());
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            frame->SetPixelAt(x, y, 0xE0C0A0u);
    auto window = MakeWindow(64, 48);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    SdlPresenter& presenter = Sdl(made);
    presenter.SetCapture(true);
    ASSERT_EQ(presenter.Present({frame, {0, 0, 64, 48}, {0, 0, 64, 48}, 64, 48}), DD_OK);
    ASSERT_EQ(presenter.CapturedWidth(), 64);
    EXPECT_EQ(presenter.Captured()[0] & 0xFFFFFF, 0xE0C0A0u);
    EXPECT_EQ(presenter.Captured()[47 * 64 + 63] & 0xFFFFFF, 0xE0C0A0u);
    ASSERT_EQ(presenter.Present({frame, {0, 0, 32, 24}, {16, 12, 48, 36}, 64, 48}), DD_OK);
    ASSERT_EQ(presenter.CapturedWidth(), 64);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 16 && x < 48 && y >= 12 && y < 36;
            ASSERT_EQ(presenter.Captured()[size_t(y) * 64 + size_t(x)] & 0xFFFFFF, inside ? 0xE0C0A0u : 0u)
                << x << "," << y;
        }
    frame->Release();
}

TEST_F(SdlPresenterTest, TheWindowGoingTakesTheRendererFirst)
{
    auto window = MakeWindow(32, 32);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    SdlPresenter& presenter = Sdl(made);
    // One presenter per window.
    EXPECT_EQ(system->CreatePresenter(*window), nullptr);

    int released = 0;
    presenter.AddReleaseListener([&] {
        ++released;
        EXPECT_NE(presenter.Renderer(), nullptr) << "listeners run while the renderer lives";
    });
    const int removed = presenter.AddReleaseListener([&] { ADD_FAILURE() << "removed listener ran"; });
    presenter.RemoveReleaseListener(removed);
    window.reset();
    EXPECT_EQ(released, 1);
    EXPECT_EQ(presenter.Renderer(), nullptr);
    DisplaySurface* frame = MakeSurface(32, 32, SurfacePixelFormat::X8R8G8B8());
    EXPECT_EQ(presenter.Present({frame, {0, 0, 32, 32}, {0, 0, 32, 32}, 32, 32}), DDERR_SURFACELOST);
    made.reset();
    EXPECT_EQ(released, 1);
    frame->Release();
}

TEST_F(SdlPresenterTest, ADevicesRenderTargetComesBackAfterThePresent)
{
    auto window = MakeWindow(32, 32);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    SdlPresenter& presenter = Sdl(made);
    SDL_Texture* target = SDL_CreateTexture(presenter.Renderer(), SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_TARGET, 16, 16);
    ASSERT_NE(target, nullptr) << SDL_GetError();
    ASSERT_EQ(SDL_SetRenderTarget(presenter.Renderer(), target), 0);
    DisplaySurface* frame = MakeSurface(32, 32, SurfacePixelFormat::X8R8G8B8());
    frame->SetPixelAt(3, 3, 0x00FF00);
    presenter.SetCapture(true);
    ASSERT_EQ(presenter.Present({frame, {0, 0, 32, 32}, {0, 0, 32, 32}, 32, 32}), DD_OK);
    EXPECT_EQ(presenter.Captured()[3 * 32 + 3], 0xFF00FF00u) << "shown in the window, not the target";
    EXPECT_EQ(SDL_GetRenderTarget(presenter.Renderer()), target);
    SDL_SetRenderTarget(presenter.Renderer(), nullptr);
    SDL_DestroyTexture(target);
    frame->Release();
}

TEST_F(SdlPresenterTest, RefusesWhatItCannotShow)
{
    auto window = MakeWindow(32, 32);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    DisplaySurface* frame = MakeSurface(32, 32, SurfacePixelFormat::X8R8G8B8());
    EXPECT_EQ(made->Present({frame, {0, 0, 33, 32}, {0, 0, 32, 32}, 32, 32}), DDERR_INVALIDRECT);
    EXPECT_EQ(made->Present({frame, {0, 0, 32, 32}, {0, 0, 32, 32}, 20000, 32}), DDERR_INVALIDRECT);
    EXPECT_EQ(made->Present({frame, {0, 0, 32, 32}, {-1, 0, 32, 32}, 32, 32}), DDERR_INVALIDRECT);
    EXPECT_EQ(made->Present({nullptr, {0, 0, 32, 32}, {0, 0, 32, 32}, 32, 32}), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->Present({frame, {0, 0, 32, 32}, {0, 0, 32, 32}, 32, 32}), DD_OK);
    frame->Release();
}

TEST_F(SdlPresenterTest, MousePositionsArriveInDisplayPixels)
{
    // A 64 x 48 display in a 160 x 96 window: 128 x 96 at x 16.
    auto window = MakeWindow(160, 96);
    auto made = system->CreatePresenter(*window);
    ASSERT_NE(made, nullptr);
    DisplaySurface* frame = MakeSurface(64, 48, SurfacePixelFormat::X8R8G8B8());
    ASSERT_EQ(made->Present({frame, {0, 0, 64, 48}, {0, 0, 64, 48}, 64, 48}), DD_OK);
    DrainMessages(*system);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window->NativeHandle()));
    motion.motion.x = 16 + 2 * 10;
    motion.motion.y = 2 * 20;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    bool seen = false;
    for (const WindowMessage& m : DrainMessages(*system))
        if (m.message == WM_MOUSEMOVE) {
            EXPECT_EQ(int(int16_t(m.lParam & 0xFFFF)), 10);
            EXPECT_EQ(int(int16_t((m.lParam >> 16) & 0xFFFF)), 20);
            seen = true;
        }
    EXPECT_TRUE(seen);
    frame->Release();
}

TEST_F(SdlPresenterTest, OtherWindowsGetTheHeadlessPresenter)
{
    Window plain(*system, u"plain");
    auto made = system->CreatePresenter(plain);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), "headless");
}

} // namespace
} // namespace Quib
