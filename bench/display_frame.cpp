// A game-like 1024 x 768 frame, composed and shown, in three set-ups: the
// software blitters (3-D off), the software 3-D device and the GPU 3-D
// device (3-D on). The frame: an opaque background, 60 translucent sprites,
// 20 additive ones, 5 rotated ones, three lines of text and a cursor image.
// Each frame's time is printed as a ratio to five full-frame memcpys of the
// back buffer (the cost of touching every pixel a few times).
//
// Showing the frame: the software set-ups copy the draw surface into a
// streaming texture and draw that to the window; the GPU set-up draws its
// render-target texture to the window. Both then present. This is a plain
// full-window copy, not the display's presentation with its cursor and
// aspect rules. The renderer is the first of opengl, opengles2 and software
// that SDL can make (QUIB_BENCH_RENDERER picks one); without a display SDL's
// offscreen driver is used, and with Mesa's llvmpipe standing in for a GPU
// the GPU set-up measures a software rasterizer.

#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "platform/sdl/SdlDevice3D.h"
#include "bench/FrameCopies.h"
#include "bench/RecordingReporter.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Quib;

namespace {

constexpr int kW = 1024, kH = 768;

std::vector<uint32_t> Photo(int w, int h)
{
    std::vector<uint32_t> p(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[size_t(y) * w + x] = 0xFF000000u | (uint32_t((x * 7 + y) & 255) << 16) |
                                   (uint32_t((y * 3) & 255) << 8) | uint32_t(x & 63);
    return p;
}

// A round sprite with a soft rim.
std::vector<uint32_t> Sprite(int size, uint32_t tint)
{
    std::vector<uint32_t> p(size_t(size) * size);
    const double c = (size - 1) / 2.0, r = size * 0.45;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double cover = std::clamp((r - std::hypot(x - c, y - c)) / 3.0, 0.0, 1.0);
            p[size_t(y) * size + x] = (uint32_t(cover * 255 + 0.5) << 24) |
                                      ((tint ^ uint32_t(x * 3 + y)) & 0xFFFFFF);
        }
    return p;
}

struct Placement {
    int x, y;
    double angle;
};

struct Sdl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* streaming = nullptr;
    std::string name;

    Sdl()
    {
        if (!std::getenv("SDL_VIDEODRIVER"))
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        std::vector<std::string> wanted = {"opengl", "opengles2", "software"};
        if (const char* pick = std::getenv("QUIB_BENCH_RENDERER"))
            wanted = {pick};
        for (const std::string& want : wanted) {
            for (int i = 0; i < SDL_GetNumRenderDrivers() && !renderer; ++i) {
                SDL_RendererInfo info;
                if (SDL_GetRenderDriverInfo(i, &info) != 0 || want != info.name)
                    continue;
                window = SDL_CreateWindow("frame", 0, 0, kW, kH,
                                          SDL_WINDOW_HIDDEN | (want == "software" ? 0 : SDL_WINDOW_OPENGL));
                renderer = window ? SDL_CreateRenderer(window, i, SDL_RENDERER_TARGETTEXTURE) : nullptr;
                if (!renderer && window) {
                    SDL_DestroyWindow(window);
                    window = nullptr;
                }
                if (renderer)
                    name = want;
            }
            if (renderer)
                break;
        }
        if (renderer)
            streaming = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kW, kH);
    }
};

Sdl& TheSdl()
{
    static Sdl sdl;
    return sdl;
}

enum class Setup { Blitters, SoftwareDevice, GpuDevice };

// The display, its screen and the pictures of the frame.
struct Frame {
    QuibAppBase app;
    DDInterface* display;
    D3DInterfaceImpl d3d;
    DDImage screen;
    DDImage background, sprites[4], cursor;
    SysFont font{"DejaVu Sans", 14, false, false, false};
    std::vector<Placement> alpha, additive, rotated;
    Setup setup;

    explicit Frame(Setup s)
        : display(MakeDisplay(app)), d3d(display), screen(display),
          background(display), sprites{DDImage(display), DDImage(display), DDImage(display), DDImage(display)},
          cursor(display), setup(s)
    {
        screen.Resize(kW, kH);
        screen.CreateSurface();
        screen.ForceTransparencyFlags(false, false);
        if (setup == Setup::GpuDevice)
            d3d.deviceFactory = [] { return SdlDevice3D::Create(TheSdl().renderer, kW, kH); };
        if (setup != Setup::Blitters) {
            display->is3D = true;
            display->drawSurface = screen.surface;
            display->d3d = &d3d;
            d3d.Init(screen.surface);
        }
        Load(background, Photo(kW, kH), kW, kH);
        const uint32_t tints[4] = {0xFF4020, 0x20C0FF, 0x80FF40, 0xFFE060};
        for (int i = 0; i < 4; ++i)
            Load(sprites[i], Sprite(64 + 16 * i, tints[i]), 64 + 16 * i, 64 + 16 * i);
        Load(cursor, Sprite(32, 0xFFFFFF), 32, 32);
        std::mt19937 rng(5);
        const auto place = [&](std::vector<Placement>& out, int n) {
            for (int i = 0; i < n; ++i)
                out.push_back({int(rng() % (kW - 100)), int(rng() % (kH - 100)), double(rng() % 628) / 100.0});
        };
        place(alpha, 60);
        place(additive, 20);
        place(rotated, 5);
    }
    ~Frame()
    {
        d3d.Cleanup();
        display->d3d = nullptr;
        display->drawSurface = nullptr;
        display->is3D = false;
    }

    static DDInterface* MakeDisplay(QuibAppBase& app)
    {
        app.display = std::make_unique<DDInterface>(&app);
        app.display->SetPixelFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF);
        return app.display.get();
    }
    static void Load(DDImage& image, const std::vector<uint32_t>& pixels, int w, int h)
    {
        image.textureFlags |= 8;
        image.AssignPixels(pixels.data(), w, h, true);
    }

    void Compose()
    {
        Graphics g(&screen);
        g.DrawImageAt(&background, 0, 0);
        for (size_t i = 0; i < alpha.size(); ++i)
            g.DrawImageAt(&sprites[i % 4], alpha[i].x, alpha[i].y);
        g.drawMode = DRAWMODE_ADDITIVE;
        for (size_t i = 0; i < additive.size(); ++i)
            g.DrawImageAt(&sprites[i % 4], additive[i].x, additive[i].y);
        g.drawMode = DRAWMODE_NORMAL;
        for (size_t i = 0; i < rotated.size(); ++i)
            g.DrawImageRotatedAbout(&sprites[i % 4], float(rotated[i].x), float(rotated[i].y), 40, 40, nullptr,
                                    rotated[i].angle);
        g.font = &font;
        g.color = Color(255, 255, 255, 255);
        g.DrawText(u"Chapter 3: The Lighthouse", 40, 60);
        g.DrawText(u"Find the twelve hidden objects before the tide turns.", 40, 90);
        g.DrawText(u"Score 012345    Hints 3", 40, 720);
        g.DrawImageAt(&cursor, 500, 400);
    }

    // Shows the frame in the window and waits until it is drawn.
    void Show()
    {
        Sdl& sdl = TheSdl();
        if (setup == Setup::GpuDevice) {
            d3d.EndDraw();
            auto* device = static_cast<SdlDevice3D*>(d3d.Device());
            SDL_RenderCopy(sdl.renderer, device->TargetTexture(), nullptr, nullptr);
        } else {
            if (setup == Setup::SoftwareDevice)
                d3d.EndDraw();
            SurfaceDesc desc;
            screen.surface->Lock(&desc, DDLOCK_WAIT | DDLOCK_READONLY);
            SDL_UpdateTexture(sdl.streaming, nullptr, desc.bits, desc.pitch);
            screen.surface->Unlock();
            SDL_RenderCopy(sdl.renderer, sdl.streaming, nullptr, nullptr);
        }
        // One pixel read back: the renderer has finished the frame.
        uint32_t pixel = 0;
        const SDL_Rect one{0, 0, 1, 1};
        SDL_RenderReadPixels(sdl.renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
        benchmark::DoNotOptimize(pixel);
        SDL_RenderPresent(sdl.renderer);
    }
};

void RunFrames(benchmark::State& state, Setup setup, bool show = true)
{
    if (!TheSdl().renderer) {
        state.SkipWithError("no SDL renderer");
        return;
    }
    Frame frame(setup);
    if (setup != Setup::Blitters && !frame.d3d.Device()) {
        state.SkipWithError("no 3-D device");
        return;
    }
    for (auto _ : state) {
        frame.Compose();
        if (show) {
            frame.Show();
        } else if (setup == Setup::SoftwareDevice) {
            frame.d3d.EndDraw();
        } else if (setup == Setup::GpuDevice) {
            // The frame's drawing finished on the GPU, not shown: one pixel
            // of the render target read back.
            frame.d3d.EndDraw();
            SDL_Renderer* renderer = TheSdl().renderer;
            SDL_SetRenderTarget(renderer, static_cast<SdlDevice3D*>(frame.d3d.Device())->TargetTexture());
            uint32_t pixel = 0;
            const SDL_Rect one{0, 0, 1, 1};
            SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
            SDL_SetRenderTarget(renderer, nullptr);
            benchmark::DoNotOptimize(pixel);
        }
    }
    if (!D3DErrorText().empty())
        state.SkipWithError(D3DErrorText().c_str());
    if (auto* gpu = dynamic_cast<SdlDevice3D*>(frame.d3d.Device()); gpu && state.iterations() > 0) {
        // Pixels that travelled between memory and the GPU, per frame.
        state.counters["read_back"] = double(gpu->PixelsReadBack()) / double(state.iterations());
        state.counters["uploaded"] = double(gpu->PixelsUploaded()) / double(state.iterations());
    }
}

void BM_FrameSoftwareBlitters(benchmark::State& state)
{
    RunFrames(state, Setup::Blitters);
}
void BM_FrameSoftwareDevice(benchmark::State& state)
{
    RunFrames(state, Setup::SoftwareDevice);
}
void BM_FrameGpuDevice(benchmark::State& state)
{
    RunFrames(state, Setup::GpuDevice);
}

// The same frames composed (and, on the GPU, finished) but not shown.
void BM_ComposeSoftwareBlitters(benchmark::State& state)
{
    RunFrames(state, Setup::Blitters, false);
}
void BM_ComposeSoftwareDevice(benchmark::State& state)
{
    RunFrames(state, Setup::SoftwareDevice, false);
}
void BM_ComposeGpuDevice(benchmark::State& state)
{
    RunFrames(state, Setup::GpuDevice, false);
}

// Five full-frame copies of the back buffer.
void BM_FiveFrameCopies(benchmark::State& state)
{
    RunFiveFrameCopies(state, kW, kH);
}

BENCHMARK(BM_FrameSoftwareBlitters)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_FrameSoftwareDevice)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_FrameGpuDevice)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_ComposeSoftwareBlitters)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_ComposeSoftwareDevice)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_ComposeGpuDevice)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_FiveFrameCopies)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("renderer %s\n", TheSdl().name.empty() ? "(none)" : TheSdl().name.c_str());
    reporter.PrintRatio("display_frame_software_blitters", "BM_FrameSoftwareBlitters", "BM_FiveFrameCopies");
    reporter.PrintRatio("display_frame_software_device", "BM_FrameSoftwareDevice", "BM_FiveFrameCopies");
    reporter.PrintRatio("display_frame_gpu_device", "BM_FrameGpuDevice", "BM_FiveFrameCopies");
    reporter.PrintRatio("display_compose_software_blitters", "BM_ComposeSoftwareBlitters", "BM_FiveFrameCopies");
    reporter.PrintRatio("display_compose_software_device", "BM_ComposeSoftwareDevice", "BM_FiveFrameCopies");
    reporter.PrintRatio("display_compose_gpu_device", "BM_ComposeGpuDevice", "BM_FiveFrameCopies");
    benchmark::Shutdown();
    return 0;
}
