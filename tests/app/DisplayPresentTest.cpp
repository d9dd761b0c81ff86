// The display's set-up and presentation on headless windows: surfaces,
// pixel format, the aspect plan and its bars, refresh, the 3-D start, the
// capability test's say, and the software cursor on every path.
#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DDInterface.h"
#include "framework/app/DisplayTester.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/D3DResult.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SoftwareDevice3D.h"
#include "platform/headless/HeadlessPresenter.h"
#include "platform/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

constexpr uint32_t kBlue = 0xFF2040C0u;
constexpr uint32_t kRed = 0xFFF01010u;
constexpr uint32_t kBlack = 0xFF000000u;

// A headless window system whose presenters offer a 3-D device.
class DeviceWindowSystem : public HeadlessWindowSystem {
public:
    std::unique_ptr<Presenter> CreatePresenter(Window& window) override
    {
        auto presenter = WindowSystem::CreatePresenter(window);
        static_cast<HeadlessPresenter&>(*presenter).deviceFactory = presenterDevice;
        return presenter;
    }
    std::function<std::unique_ptr<Device3D>()> presenterDevice;
};

class CountingApp : public QuibAppBase {
public:
    void OnFreshDisplayTest() override { ++freshTests; }
    int freshTests = 0;
};

// An application of the given size with its display and a window.
struct Rig {
    Rig(int appWidth, int appHeight, int clientWidth, int clientHeight, WindowMode mode = WindowMode::Windowed,
        int desktopWidth = 1280, int desktopHeight = 1024)
    {
        windows.screen.width = desktopWidth;
        windows.screen.height = desktopHeight;
        windows.screen.workArea = {0, 0, desktopWidth, desktopHeight};
        WindowSpec spec;
        spec.width = clientWidth;
        spec.height = clientHeight;
        spec.mode = mode;
        window = windows.CreateMainWindow(spec);
        app.appWidth = appWidth;
        app.appHeight = appHeight;
        app.display = std::make_unique<DDInterface>(&app);
        display = app.display.get();
    }
    ~Rig() { app.display.reset(); }

    int Init(bool is3D = false) { return Init(mode(), is3D); }
    int Init(bool inWindow, bool is3D)
    {
        display->is3D = is3D;
        return display->Init(window.get(), inWindow);
    }
    bool mode() const { return window->Mode() == WindowMode::Windowed; }
    HeadlessPresenter& Screen() const { return dynamic_cast<HeadlessPresenter&>(*display->presenter); }

    // Fills a rectangle of the screen image; the colour it took there.
    uint32_t Fill(uint32_t argb, int x = 0, int y = 0, int w = -1, int h = -1)
    {
        {
            Graphics g(display->screenImage);
            g.color = Color(argb);
            g.FillRectangle(x, y, w < 0 ? display->drawWidth : w, h < 0 ? display->drawHeight : h);
        }
        if (display->is3D)
            display->D3D()->EndDraw();
        return Drawn(x, y);
    }
    // The surface the application draws into, as 0xFFRRGGBB.
    uint32_t Drawn(int x, int y) const
    {
        DisplaySurface* s = display->ScreenSurface();
        return SurfacePixelToArgb(s->PixelAt(uint32_t(x), uint32_t(y)), s->Format());
    }
    void MoveCursor(int x, int y) { display->cursorPosition = PackCursorPosition(x, y); }

    DeviceWindowSystem windows;
    std::unique_ptr<Window> window;
    CountingApp app;
    DDInterface* display = nullptr;
};

// A square cursor of one colour.
std::unique_ptr<DDImage> SolidCursor(DDInterface& display, int side, uint32_t argb)
{
    auto image = std::make_unique<DDImage>(&display);
    std::vector<uint32_t> pixels(size_t(side) * size_t(side), argb);
    image->AssignPixels(pixels.data(), side, side, true);
    return image;
}

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// ---------------------------------------------------------------- helpers

TEST(DisplayGeometry, RatiosReduceAndCompare)
{
    Point r;
    ReduceRatio(r, 1024, 768);
    EXPECT_EQ(r, Point(4, 3));
    ReduceRatio(r, 1920, 1080);
    EXPECT_EQ(r, Point(16, 9));
    ReduceRatio(r, 1280, 1024);
    EXPECT_EQ(r, Point(5, 4));
    ReduceRatio(r, 0, 0); // no division by zero
    EXPECT_EQ(r, Point(0, 0));

    EXPECT_TRUE(IsRatioWider(Point(4, 3), Point(16, 9)));
    EXPECT_FALSE(IsRatioWider(Point(16, 9), Point(4, 3)));
    EXPECT_FALSE(IsRatioWider(Point(4, 3), Point(4, 3)));
    EXPECT_FALSE(IsRatioWider(Point(4, 3), Point(5, 4)));
    EXPECT_FALSE(IsRatioWider(Point(4, 3), Point(0, 0)));
}

TEST(DisplayGeometry, PlanFollowsTheAspectRules)
{
    struct Case {
        const char* name;
        int drawW, drawH, desktopW, desktopH;
        bool windowed, is3D;
        int displayW, displayH;
        Rect present;
        bool corrected;
    };
    const Case cases[] = {
        {"4:3 on 16:9 full screen, no 3-D: the draw size is the mode", 1024, 768, 1920, 1080, false, false, 1024,
         768, Rect(0, 0, 1024, 768), false},
        {"4:3 on 16:9 full screen with 3-D: desktop size, side bars", 1024, 768, 1920, 1080, false, true, 1920,
         1080, Rect(240, 0, 1440, 1080), true},
        {"narrower desktop (5:4), 3-D: no correction", 1024, 768, 1280, 1024, false, true, 1024, 768,
         Rect(0, 0, 1024, 768), false},
        {"windowed, 3-D: never corrected", 1024, 768, 1920, 1080, true, true, 1024, 768, Rect(0, 0, 1024, 768),
         false},
        {"odd bar split rounds towards zero", 800, 600, 1366, 768, false, true, 1366, 768, Rect(171, 0, 1024, 768),
         true},
        {"no desktop size known", 1024, 768, 0, 0, false, true, 1024, 768, Rect(0, 0, 1024, 768), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DisplayPlan plan = PlanDisplay(c.drawW, c.drawH, c.desktopW, c.desktopH, c.windowed, c.is3D);
        EXPECT_EQ(plan.displayWidth, c.displayW);
        EXPECT_EQ(plan.displayHeight, c.displayH);
        EXPECT_EQ(plan.presentRect, c.present);
        EXPECT_EQ(plan.aspectCorrected, c.corrected);
    }
}

TEST(DisplayGeometry, TexturePixelFormatsRoundTrip)
{
    for (TextureFormat f :
         {TEXTURE_FORMAT_A8R8G8B8, TEXTURE_FORMAT_A4R4G4B4, TEXTURE_FORMAT_R5G6B5, TEXTURE_FORMAT_PALETTE8})
        EXPECT_EQ(ClassifyTexturePixelFormat(MakeTexturePixelFormat(f)), f);
    EXPECT_EQ(ClassifyTexturePixelFormat(SurfacePixelFormat::X8R8G8B8()), 0u); // no alpha
    EXPECT_EQ(ClassifyTexturePixelFormat(SurfacePixelFormat::X1R5G5B5()), 0u);
    EXPECT_EQ(MakeTexturePixelFormat(3).bitCount, 0u);
}

TEST(DisplayGeometry, ClearSurfaceZeroesEveryRow)
{
    DisplaySurface* s = nullptr;
    SurfaceDesc desc;
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = 7;
    desc.height = 5;
    ASSERT_EQ(DisplaySurface::Create(desc, SurfacePixelFormat::R5G6B5(), &s), DD_OK);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            s->SetPixelAt(x, y, 0xFFFF);
    EXPECT_EQ(ClearSurface(s), DD_OK);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            ASSERT_EQ(s->PixelAt(x, y), 0u);
    s->Release();
    EXPECT_EQ(ClearSurface(nullptr), DDERR_INVALIDPARAMS);
}

// ---------------------------------------------------------------- set-up

TEST(DisplayInit, BuildsTheSurfacesInTheScreensFormat)
{
    Rig rig(160, 120, 160, 120);
    ASSERT_EQ(rig.Init(), RESULT_OK) << rig.display->errorText;
    DDInterface& d = *rig.display;
    EXPECT_TRUE(d.initialized);
    ASSERT_NE(d.drawSurface, nullptr);
    EXPECT_EQ(d.drawSurface->Width(), 160u);
    EXPECT_EQ(d.drawSurface->Height(), 120u);
    EXPECT_EQ(d.drawSurface->Format(), SurfacePixelFormat::X8R8G8B8());
    EXPECT_EQ(d.layout.bitCount, 32);
    ASSERT_NE(d.screenImage, nullptr);
    EXPECT_EQ(d.screenImage->surface, d.drawSurface);
    EXPECT_EQ(d.drawAspect, Point(4, 3));
    EXPECT_EQ(d.presentRect, Rect(0, 0, 160, 120));
    EXPECT_EQ(rig.app.drawArea, Rect(0, 0, 160, 120));
    ASSERT_NE(d.cursorAreaSurfaces[0], nullptr);
    EXPECT_EQ(d.cursorAreaSurfaces[1]->Width(), 128u);
    EXPECT_EQ(d.cursorAreaImages[0]->surface, d.cursorAreaSurfaces[0]);
    EXPECT_EQ(d.redClamp.size(), 511u);
    EXPECT_FALSE(d.is3D);

    // Again: everything is rebuilt.
    DisplaySurface* first = d.drawSurface;
    ASSERT_EQ(rig.Init(), RESULT_OK);
    EXPECT_NE(d.drawSurface, nullptr);
    EXPECT_TRUE(d.initialized);
    (void)first;
    d.Cleanup();
    EXPECT_FALSE(d.initialized);
    EXPECT_EQ(d.drawSurface, nullptr);
    EXPECT_EQ(d.screenImage, nullptr);
    EXPECT_EQ(d.presenter, nullptr);
    EXPECT_EQ(d.cursorAreaImages[1], nullptr);
    EXPECT_FALSE(d.Redraw(nullptr));
}

TEST(DisplayInit, ScreenDepthDecidesTheFormatOrTheFailure)
{
    struct Case {
        int bits;
        bool windowed;
        int result;
        uint32_t bitCount;
    };
    const Case cases[] = {
        {32, true, RESULT_OK, 32},
        {16, true, RESULT_OK, 16},
        {24, true, RESULT_INVALID_COLORDEPTH, 0}, // a window on a 24-bit desktop
        {24, false, RESULT_SURFACE_FAIL, 0},      // full screen takes the desktop's depth
        {8, true, RESULT_INVALID_COLORDEPTH, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.windowed ? " windowed" : " full screen"));
        Rig rig(64, 48, 64, 48, c.windowed ? WindowMode::Windowed : WindowMode::FullScreen, 64, 48);
        rig.windows.screen.bitsPerPixel = c.bits;
        EXPECT_EQ(rig.Init(), c.result);
        if (c.result == RESULT_OK) {
            EXPECT_EQ(rig.display->drawSurface->Format().bitCount, c.bitCount);
        } else {
            EXPECT_EQ(rig.display->errorText, std::string(c.windowed ? "CreateSurface Windowed Primary"
                                                                     : "CreateSurface FullScreen Primary") +
                                                  ": DDERR_INVALIDPIXELFORMAT");
            EXPECT_FALSE(rig.display->initialized);
            EXPECT_FALSE(rig.display->Redraw(nullptr));
        }
    }
}

TEST(DisplayInit, SizesWithoutRoomAreRefusedBeforeAnythingIsMade)
{
    struct Case {
        int w, h;
    };
    for (const Case c : {Case{0, 0}, Case{-640, 480}, Case{100000, 100000}, Case{INT32_MAX, 2}}) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        Rig rig(c.w, c.h, 64, 48, WindowMode::FullScreen, 1920, 1080);
        EXPECT_EQ(rig.Init(true), RESULT_SURFACE_FAIL);
        EXPECT_EQ(rig.display->errorText.rfind("CreateSurface FullScreen DrawSurface: ", 0), 0u)
            << rig.display->errorText;
        EXPECT_EQ(rig.display->drawSurface, nullptr);
        EXPECT_FALSE(rig.display->Redraw(nullptr));
    }
}

TEST(DisplayInit, WithoutAWindowThereIsNoDisplay)
{
    QuibAppBase app;
    DDInterface display(&app);
    EXPECT_EQ(display.Init(nullptr, true), RESULT_DD_CREATE_FAIL);
    EXPECT_FALSE(display.errorText.empty());
}

TEST(DisplayInit, RefreshRateIsClampedAndReported)
{
    struct Case {
        int rate;
        int expected;
        int ms;
        bool broken;
    };
    for (const Case c : {Case{0, 60, 16, true}, Case{59, 60, 16, true}, Case{60, 60, 16, false},
                         Case{75, 75, 13, false}, Case{100, 100, 10, false}, Case{120, 100, 10, true}}) {
        SCOPED_TRACE(c.rate);
        Rig rig(64, 48, 64, 48);
        rig.windows.screen.refreshRate = c.rate;
        ASSERT_EQ(rig.Init(), RESULT_OK);
        EXPECT_EQ(rig.display->refreshRate, c.expected);
        EXPECT_EQ(rig.display->FrameIntervalMs(), c.ms);
        EXPECT_EQ(rig.app.vsyncBroken, c.broken);
    }
}

TEST(DisplayInit, ScreenImageFollowsVideoMemoryDrawing)
{
    Rig rig(64, 48, 64, 48);
    ASSERT_EQ(rig.Init(), RESULT_OK);
    DDInterface& d = *rig.display;
    d.UseVideoMemoryBackBuffer(true);
    ASSERT_NE(d.backBuffer, nullptr);
    EXPECT_EQ(d.screenImage->surface, d.backBuffer);
    EXPECT_TRUE(d.screenImage->preferVideoMemory);
    EXPECT_EQ(d.ScreenSurface(), d.backBuffer);
    d.UseVideoMemoryBackBuffer(false);
    EXPECT_EQ(d.screenImage->surface, d.drawSurface);

    // The flag survives a new Init, and falls when the buffer cannot be made.
    d.UseVideoMemoryBackBuffer(true);
    ASSERT_EQ(rig.Init(), RESULT_OK);
    EXPECT_EQ(d.screenImage->surface, d.backBuffer);
    GetSurfaceFaults().failCreate = 1;
    d.Cleanup();
    d.UseVideoMemoryBackBuffer(true); // nothing to make it for: no draw surface
    ASSERT_EQ(rig.Init(), RESULT_SURFACE_FAIL);
    GetSurfaceFaults().failCreate = 0;
}

// ---------------------------------------------------------------- 3-D

TEST(Display3D, StartsTheDeviceOnTheDrawSurface)
{
    Rig rig(64, 48, 64, 48);
    ASSERT_EQ(rig.Init(true), RESULT_OK) << rig.display->errorText;
    ASSERT_NE(rig.display->D3D()->Device(), nullptr);
    EXPECT_NE(dynamic_cast<SoftwareDevice3D*>(rig.display->D3D()->Device()), nullptr);
    EXPECT_EQ(rig.display->d3d, rig.display->D3D());
    EXPECT_TRUE(rig.display->screenImage->IsRenderTarget());

    // Drawn through the device, then shown.
    {
        Graphics g(rig.display->screenImage);
        g.color = Color(kBlue);
        g.FillRectangle(0, 0, 64, 48);
    }
    EXPECT_TRUE(rig.display->D3D()->SceneOpen());
    ASSERT_TRUE(rig.display->Redraw(nullptr));
    EXPECT_FALSE(rig.display->D3D()->SceneOpen());
    EXPECT_EQ(Hex(rig.Screen().ScreenPixel(10, 10)), Hex(rig.Drawn(10, 10)));
    EXPECT_NE(Hex(rig.Drawn(10, 10)), Hex(kBlack));
}

TEST(Display3D, AFailingPresenterDeviceGivesWayToTheSoftwareDevice)
{
    Rig rig(64, 48, 64, 48);
    int made = 0;
    rig.windows.presenterDevice = [&made] {
        auto device = std::make_unique<SoftwareDevice3D>();
        device->faults().setRenderTarget = 100;
        ++made;
        return device;
    };
    ASSERT_EQ(rig.Init(true), RESULT_OK) << rig.display->errorText;
    EXPECT_EQ(made, 1);
    ASSERT_NE(rig.display->D3D()->Device(), nullptr);
    const uint32_t red = rig.Fill(kRed);
    EXPECT_NE(Hex(red), Hex(kBlack));
    ASSERT_TRUE(rig.display->Redraw(nullptr));
    EXPECT_EQ(Hex(rig.Screen().ScreenPixel(1, 1)), Hex(red));
}

TEST(Display3D, AnExplicitDeviceThatFailsEndsInit)
{
    Rig rig(64, 48, 64, 48);
    rig.display->deviceFactory = [] {
        auto device = std::make_unique<SoftwareDevice3D>();
        device->faults().setRenderTarget = 100;
        return device;
    };
    EXPECT_EQ(rig.Init(true), RESULT_3D_FAIL);
    EXPECT_EQ(rig.display->errorText.rfind("3D init error: CreateDevice: ", 0), 0u) << rig.display->errorText;
    EXPECT_FALSE(rig.display->initialized);
}

TEST(Display3D, AFailedDrawLeavesThreeDModeAtThePresent)
{
    Rig rig(64, 48, 64, 48);
    ASSERT_EQ(rig.Init(true), RESULT_OK);
    const uint32_t blue = rig.Fill(kBlue);
    ASSERT_TRUE(rig.display->Redraw(nullptr));
    EXPECT_EQ(Hex(rig.Screen().ScreenPixel(5, 5)), Hex(blue));
    const int shown = rig.Screen().presentCount;
    rig.Fill(kRed);
    D3DCheckResult("DrawPrimitive (Rect)", DDERR_GENERIC);
    EXPECT_FALSE(rig.display->Redraw(nullptr));
    EXPECT_FALSE(rig.display->is3D);
    EXPECT_EQ(rig.Screen().presentCount, shown) << "the broken frame is not shown";
    // The application starts again without 3-D; frames are software drawn.
    ASSERT_EQ(rig.Init(rig.mode(), false), RESULT_OK);
    const uint32_t red = rig.Fill(kRed);
    ASSERT_TRUE(rig.display->Redraw(nullptr));
    EXPECT_EQ(Hex(rig.Screen().ScreenPixel(5, 5)), Hex(red));
}

TEST(Display3D, AFailedPresentReportsAndLeavesThreeDMode)
{
    for (bool is3D : {false, true}) {
        SCOPED_TRACE(is3D);
        Rig rig(64, 48, 64, 48);
        ASSERT_EQ(rig.Init(is3D), RESULT_OK);
        rig.Screen().failPresents = 1;
        EXPECT_FALSE(rig.display->Redraw(nullptr));
        EXPECT_EQ(rig.display->errorText, "Redraw Windowed: DDERR_SURFACELOST");
        EXPECT_FALSE(rig.display->is3D);
    }
    Rig full(64, 48, 64, 48, WindowMode::FullScreen, 64, 48);
    ASSERT_EQ(full.Init(), RESULT_OK);
    full.Screen().failPresents = 1;
    EXPECT_FALSE(full.display->Redraw(nullptr));
    EXPECT_EQ(full.display->errorText, "Redraw FullScreen Flip: DDERR_SURFACELOST");
}

// ---------------------------------------------------------------- capability test

class FakeTester : public DisplayTester {
public:
    FakeTester(std::string failure, std::string warn, bool fresh, int* runs)
        : mFailure(std::move(failure)), mWarning(std::move(warn)), mFresh(fresh), mRuns(runs)
    {
    }
    void RunWithCache(DDInterface& display, Window* window) override
    {
        EXPECT_NE(display.GetPresenter(), nullptr);
        EXPECT_NE(window, nullptr);
        failureReason = mFailure;
        warning = mWarning;
        freshResult = mFresh;
        limits = {minVideoMemoryMB, recVideoMemoryMB};
        ++*mRuns;
    }
    std::pair<uint32_t, uint32_t> limits;

private:
    std::string mFailure, mWarning;
    bool mFresh;
    int* mRuns;
};

TEST(DisplayCapabilityTest, DecidesTheThreeDMode)
{
    struct Case {
        const char* name;
        bool auto3D, check3D, before;
        const char* failure;
        const char* warning;
        bool fresh;
        bool ran, after;
    };
    const Case cases[] = {
        {"auto, clean: on", true, false, false, "", "", true, true, true},
        {"auto, fresh warning: off", true, false, true, "", "Low video memory.", true, true, false},
        {"auto, cached warning: a stored choice stays", true, false, true, "", "Low video memory.", false, true,
         true},
        {"check, failure: off", false, true, true, "Not enough video memory.", "", false, true, false},
        {"check, clean from the cache: stays", false, true, true, "", "", false, true, true},
        {"check, clean, off: stays off", false, true, false, "", "", true, true, false},
        {"not asked: no test", false, false, true, "x", "", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(64, 48, 64, 48);
        rig.app.auto3D = c.auto3D;
        rig.app.check3D = c.check3D;
        rig.app.minVideoMemoryMB = 7;
        rig.app.recVideoMemoryMB = 15;
        int runs = 0;
        FakeTester* made = nullptr;
        rig.display->testerFactory = [&] {
            auto tester = std::make_unique<FakeTester>(c.failure, c.warning, c.fresh, &runs);
            made = tester.get();
            return tester;
        };
        EXPECT_EQ(rig.Init(c.before), RESULT_OK);
        EXPECT_EQ(runs, c.ran ? 1 : 0);
        EXPECT_EQ(rig.display->is3D, c.after);
        EXPECT_EQ(rig.app.freshTests, c.ran && c.fresh ? 1 : 0);
        if (made) {
            EXPECT_EQ(made->limits, std::make_pair(7u, 15u));
        }
        // Once per display.
        EXPECT_EQ(rig.Init(rig.display->is3D), RESULT_OK);
        EXPECT_EQ(runs, c.ran ? 1 : 0);
    }
}

// ---------------------------------------------------------------- presentation

TEST(DisplayPresent, FrameIsFittedIntoTheWindowWithBlackBars)
{
    // A 160 x 120 frame: left half blue, right half red.
    struct Case {
        int clientW, clientH;
        ScreenRect content;
    };
    const Case cases[] = {
        {160, 120, {0, 0, 160, 120}},  // 1:1
        {320, 240, {0, 0, 320, 240}},  // twice the size
        {400, 240, {40, 0, 360, 240}}, // wider: pillar-boxed
        {320, 400, {0, 80, 320, 320}}, // taller: letter-boxed
        {161, 120, {0, 0, 160, 120}},  // the spare column is a bar on the right
        {80, 90, {0, 15, 80, 75}},     // smaller
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.clientW) + " x " + std::to_string(c.clientH));
        Rig rig(160, 120, c.clientW, c.clientH);
        ASSERT_EQ(rig.Init(), RESULT_OK);
        const uint32_t blue = rig.Fill(kBlue, 0, 0, 80, 120);
        const uint32_t red = rig.Fill(kRed, 80, 0, 80, 120);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        const HeadlessPresenter& screen = rig.Screen();
        ASSERT_EQ(screen.screenWidth, c.clientW);
        ASSERT_EQ(screen.screenHeight, c.clientH);
        const int midX = (c.content.left + c.content.right) / 2;
        for (int y = 0; y < c.clientH; ++y)
            for (int x = 0; x < c.clientW; ++x) {
                const bool inside = x >= c.content.left && x < c.content.right && y >= c.content.top &&
                                    y < c.content.bottom;
                const uint32_t want = !inside ? kBlack : x < midX ? blue : red;
                ASSERT_EQ(Hex(screen.ScreenPixel(x, y)), Hex(want)) << x << "," << y;
            }
    }
}

TEST(DisplayPresent, FullScreenThreeDOnAWideDesktopShowsSideBars)
{
    // 4:3 drawn, 16:9 desktop: the display is the desktop, the frame in the
    // middle. Without 3-D the display is the draw size, which the presenter
    // fits into the same place.
    for (bool is3D : {true, false}) {
        SCOPED_TRACE(is3D);
        Rig rig(160, 120, 640, 360, WindowMode::FullScreen, 640, 360);
        ASSERT_EQ(rig.Init(is3D), RESULT_OK);
        EXPECT_EQ(rig.display->aspectCorrected, is3D);
        EXPECT_EQ(rig.display->presentRect, is3D ? Rect(80, 0, 480, 360) : Rect(0, 0, 160, 120));
        EXPECT_EQ(rig.display->displayWidth, is3D ? 640 : 160);
        const uint32_t blue = rig.Fill(kBlue);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        const HeadlessPresenter& screen = rig.Screen();
        for (int x : {0, 79, 560, 639})
            EXPECT_EQ(Hex(screen.ScreenPixel(x, 180)), Hex(kBlack)) << x;
        for (int x : {80, 320, 559})
            EXPECT_EQ(Hex(screen.ScreenPixel(x, 180)), Hex(blue)) << x;
    }
}

// Every path of the software cursor: drawn at its place in the shown
// frame, never left in the surface the application draws into, so that a
// cursor that moved leaves no ghost even where nothing was redrawn.
TEST(DisplayCursor, ShownAtItsPlaceAndNeverLeftBehind)
{
    struct Case {
        const char* name;
        bool windowed, videoMemory, is3D;
    };
    const Case cases[] = {
        {"windowed", true, false, false},
        {"windowed, video-memory back buffer", true, true, false},
        {"full screen", false, false, false},
        {"full screen, video-memory back buffer", false, true, false},
        {"windowed, 3-D", true, false, true},
        {"full screen, 3-D", false, false, true},
        {"windowed, 3-D, video-memory back buffer", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(160, 120, 160, 120, c.windowed ? WindowMode::Windowed : WindowMode::FullScreen, 160, 120);
        rig.display->UseVideoMemoryBackBuffer(c.videoMemory);
        ASSERT_EQ(rig.Init(c.is3D), RESULT_OK);
        ASSERT_EQ(rig.display->ScreenSurface() == rig.display->backBuffer, c.videoMemory);
        auto cursor = SolidCursor(*rig.display, 10, kRed);
        rig.display->SetCursorImage(cursor.get());
        const uint32_t blue = rig.Fill(kBlue);

        // A 10 x 10 cursor centred on (50, 40) covers 45..54 x 35..44.
        rig.MoveCursor(50, 40);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        const HeadlessPresenter& screen = rig.Screen();
        EXPECT_EQ(Hex(screen.ScreenPixel(45, 35)), Hex(kRed));
        EXPECT_EQ(Hex(screen.ScreenPixel(54, 44)), Hex(kRed));
        EXPECT_EQ(Hex(screen.ScreenPixel(44, 35)), Hex(blue));
        EXPECT_EQ(Hex(screen.ScreenPixel(55, 44)), Hex(blue));
        EXPECT_TRUE(rig.display->cursorDrawn);
        for (int y = 30; y < 50; ++y)
            for (int x = 40; x < 60; ++x)
                ASSERT_EQ(Hex(rig.Drawn(x, y)), Hex(blue))
                    << "cursor left in the drawn surface at " << x << "," << y;

        // Moved, nothing redrawn by the application.
        rig.MoveCursor(100, 80);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_EQ(Hex(screen.ScreenPixel(50, 40)), Hex(blue)) << "ghost";
        EXPECT_EQ(Hex(screen.ScreenPixel(100, 80)), Hex(kRed));
        EXPECT_EQ(Hex(rig.Drawn(100, 80)), Hex(blue));

        // Gone.
        rig.display->SetCursorImage(nullptr);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_EQ(Hex(screen.ScreenPixel(100, 80)), Hex(blue));
        EXPECT_FALSE(rig.display->cursorDrawn);
    }
}

TEST(DisplayCursor, EdgesAndLargeImages)
{
    for (bool is3D : {false, true}) {
        SCOPED_TRACE(is3D);
        Rig rig(160, 120, 160, 120);
        ASSERT_EQ(rig.Init(is3D), RESULT_OK);
        const uint32_t blue = rig.Fill(kBlue);
        const HeadlessPresenter& screen = rig.Screen();

        // Near the bottom right corner: its top left part shows.
        auto small = SolidCursor(*rig.display, 10, kRed);
        rig.display->SetCursorImage(small.get());
        rig.MoveCursor(158, 118);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_EQ(Hex(screen.ScreenPixel(153, 113)), Hex(kRed));
        EXPECT_EQ(Hex(screen.ScreenPixel(159, 119)), Hex(kRed));
        EXPECT_EQ(Hex(rig.Drawn(159, 119)), Hex(blue));

        // Off the frame: nothing drawn, nothing to restore.
        rig.MoveCursor(-500, 40);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_FALSE(rig.display->cursorDrawn);
        EXPECT_EQ(Hex(screen.ScreenPixel(159, 119)), Hex(blue));

        // 200 x 200: only its middle 128 x 128 shows, in every mode, and
        // nothing of it stays behind.
        auto large = SolidCursor(*rig.display, 200, kRed);
        rig.display->SetCursorImage(large.get());
        rig.MoveCursor(80, 60);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_EQ(Hex(screen.ScreenPixel(16, 60)), Hex(kRed));  // 64 left of the centre
        EXPECT_EQ(Hex(screen.ScreenPixel(15, 60)), Hex(blue));  // 65 left: outside the area
        EXPECT_EQ(Hex(screen.ScreenPixel(143, 60)), Hex(kRed)); // 63 right
        EXPECT_EQ(Hex(screen.ScreenPixel(144, 60)), Hex(blue)); // 64 right
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x)
                ASSERT_EQ(Hex(rig.Drawn(x, y)), Hex(blue)) << x << "," << y;
    }
}

TEST(DisplayCursor, PositionIsInDisplayPixels)
{
    // Full screen, 3-D, 4:3 on 16:9: the frame lands at (80, 0) three times
    // its size; the window reports the cursor in display pixels.
    Rig rig(160, 120, 640, 360, WindowMode::FullScreen, 640, 360);
    ASSERT_EQ(rig.Init(true), RESULT_OK);
    ASSERT_TRUE(rig.display->aspectCorrected);
    const uint32_t blue = rig.Fill(kBlue);
    auto cursor = SolidCursor(*rig.display, 10, kRed);
    rig.display->SetCursorImage(cursor.get());
    rig.MoveCursor(320, 180); // the frame's (80, 60): the cursor covers 75..84 x 55..64
    ASSERT_TRUE(rig.display->Redraw(nullptr));
    const HeadlessPresenter& screen = rig.Screen();
    EXPECT_EQ(Hex(screen.ScreenPixel(320, 180)), Hex(kRed));
    EXPECT_EQ(Hex(screen.ScreenPixel(80 + 75 * 3, 55 * 3)), Hex(kRed));
    EXPECT_EQ(Hex(screen.ScreenPixel(80 + 74 * 3, 180)), Hex(blue));
    EXPECT_EQ(Hex(screen.ScreenPixel(80 + 85 * 3, 180)), Hex(blue));
}

TEST(DisplayCursor, NotDrawnWhileAFullScreenMessageBoxIsUp)
{
    for (const bool popup : {true, false}) {
        SCOPED_TRACE(popup);
        Rig rig(64, 48, 64, 48, WindowMode::FullScreen, 64, 48);
        ASSERT_EQ(rig.Init(), RESULT_OK);
        const uint32_t blue = rig.Fill(kBlue);
        auto cursor = SolidCursor(*rig.display, 10, kRed);
        rig.display->SetCursorImage(cursor.get());
        rig.MoveCursor(20, 20);
        rig.app.popupShown = popup;
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        EXPECT_EQ(Hex(rig.Screen().ScreenPixel(20, 20)), Hex(popup ? blue : kRed));
        EXPECT_EQ(rig.display->cursorDrawn, !popup);
        rig.app.popupShown = false;
    }
}

TEST(DisplayCursor, ACursorWithAlphaBlendsOverTheFrame)
{
    for (bool is3D : {false, true}) {
        SCOPED_TRACE(is3D);
        Rig rig(64, 48, 64, 48);
        ASSERT_EQ(rig.Init(is3D), RESULT_OK);
        rig.Fill(kBlack);
        auto cursor = SolidCursor(*rig.display, 4, 0x80FFFFFFu);
        rig.display->SetCursorImage(cursor.get());
        rig.MoveCursor(30, 30);
        ASSERT_TRUE(rig.display->Redraw(nullptr));
        const uint32_t p = rig.Screen().ScreenPixel(30, 30);
        EXPECT_NEAR(int(p & 0xFF), 128, 2) << Hex(p);
        EXPECT_EQ(Hex(rig.Drawn(30, 30)), Hex(kBlack));
    }
}

} // namespace
} // namespace Quib
