// Volumes and muting, shared images, cursors and the cursor thread, screen
// modes and display fall-backs, screenshots and the stepping debug keys.
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/sound/DSoundManager.h"
#include "platform/Clock.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

class AppServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        app.inMainLoop = true;
        app.mainWindow->Show(ShowCommand::Show);
        Pump();
        ASSERT_TRUE(app.hasFocus);
    }

    void Pump(uint32_t ms = 60)
    {
        const uint32_t end = env.clock.Milliseconds() + ms;
        for (int i = 0; i < 100000 && int32_t(env.clock.Milliseconds() - end) < 0 && !app.exiting; ++i)
            app.AppStep(nullptr);
    }

    double EffectsVolume() { return static_cast<DSoundManager&>(*app.soundManager).Volume(); }

    HeadlessWindow& Window() { return *env.windows.MainWindow(); }

    HeadlessAppEnvironment env;
    TestApp app;
};

TEST_F(AppServices, MutingIsCountedAndKeepsTheVolumesAsked)
{
    app.Mute(false);
    app.Mute(false);
    app.Unmute(false);
    EXPECT_TRUE(app.IsMuted());
    app.SetSfxVolume(0.5);
    app.SetMusicVolume(0.25);
    EXPECT_EQ(app.GetSfxVolume(), 0.5);
    EXPECT_EQ(EffectsVolume(), 0.0);
    EXPECT_EQ(app.music->volume, 0.0);
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(EffectsVolume(), 0.5);
    EXPECT_EQ(app.music->volume, 0.25);
    app.Unmute(false); // at 0: nothing
    EXPECT_EQ(app.muteCount, 0);
    app.Mute(false);
    EXPECT_TRUE(app.IsMuted());
    app.Unmute(false);

    // An automatic unmute never takes the user's own mute away twice over.
    app.Mute(false);
    app.Unmute(true);
    EXPECT_EQ(app.autoMuteCount, 0);
    EXPECT_FALSE(app.IsMuted());
}

TEST_F(AppServices, SharedImagesAreOnePerNameWhateverTheCaseAndPurgedWhenUnused)
{
    bool created = false;
    SharedImageRef a = app.GetSharedImage("!Blank", "v", &created);
    EXPECT_TRUE(created);
    SharedImageRef b = app.GetSharedImage("!BLANK", "V", &created);
    EXPECT_FALSE(created);
    ASSERT_NE(a.GetImage(), nullptr);
    EXPECT_EQ(a.GetImage(), b.GetImage());
    SharedImageRef other = app.GetSharedImage("!Blank", "w", &created);
    EXPECT_TRUE(created);
    EXPECT_NE(other.GetImage(), a.GetImage());
    SharedImageRef missing = app.GetSharedImage("no such file.png", "", &created);
    EXPECT_TRUE(created);
    EXPECT_EQ(missing.GetImage(), nullptr);
    EXPECT_EQ(app.sharedImages.Size(), 3u);

    SharedImageRef copy = a;
    a.Release();
    b.Release();
    app.PurgeReleasedSharedImages();
    EXPECT_EQ(app.sharedImages.Size(), 3u); // the copy still uses it
    copy.Release();
    missing.Release();
    EXPECT_TRUE(app.sharedImages.released);
    app.PurgeReleasedSharedImages();
    EXPECT_EQ(app.sharedImages.Size(), 1u);
    EXPECT_FALSE(app.sharedImages.released);
}

TEST_F(AppServices, CursorNumbersChooseCursorsAndCustomSlotsAreChecked)
{
    Window().MouseMove(5, 5);
    Pump();
    ASSERT_TRUE(app.mouseInside);
    HeadlessCursors& cursors = env.windows.cursors;
    const auto shown = [&]() -> const HeadlessCursors::Made* {
        const auto it = cursors.cursors.find(cursors.current);
        return it == cursors.cursors.end() ? nullptr : &it->second;
    };
    struct Case {
        int number;
        bool none;
        bool standard;
        StandardCursor kind;
        int hotX;
    };
    const Case cases[] = {
        {0, false, true, StandardCursor::Arrow, 0},   {1, false, false, StandardCursor::Arrow, 11},
        {2, false, false, StandardCursor::Arrow, 15}, {3, false, true, StandardCursor::IBeam, 0},
        {4, false, true, StandardCursor::No, 0},      {10, false, true, StandardCursor::Wait, 0},
        {11, true, false, StandardCursor::Arrow, 0},  {12, true, false, StandardCursor::Arrow, 0},
        {13, false, true, StandardCursor::Arrow, 0},  {-1, false, true, StandardCursor::Arrow, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        app.SetCursorNum(c.number);
        app.RefreshCursor();
        if (c.none) {
            EXPECT_EQ(cursors.current, 0u);
            continue;
        }
        const HeadlessCursors::Made* made = shown();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->isStandard, c.standard);
        if (c.standard)
            EXPECT_EQ(made->standard, c.kind);
        else
            EXPECT_EQ(made->hotX, c.hotX);
    }

    // Custom images stand in for their numbers only where asked for; other
    // numbers have no slot.
    DDImage picture(app.display.get());
    EXPECT_FALSE(app.SetCustomCursorImage(13, &picture));
    EXPECT_FALSE(app.SetCustomCursorImage(-1, &picture));
    ASSERT_TRUE(app.SetCustomCursorImage(4, &picture));
    ASSERT_TRUE(app.SetCustomCursorImage(12, &picture));
    app.SetCursorNum(4);
    app.RefreshCursor();
    EXPECT_EQ(app.display->cursorImage, nullptr); // custom cursors are off
    app.SetCursorNum(12);
    app.RefreshCursor();
    EXPECT_EQ(app.display->cursorImage, &picture); // 12 always shows its image
    EXPECT_EQ(cursors.current, 0u);
    EXPECT_TRUE(app.forceDraw);
    app.SetCursorNum(4);
    app.EnableCustomCursors(true);
    EXPECT_EQ(app.display->cursorImage, &picture);
    EXPECT_FALSE(app.systemCursorShown);
    app.SetCursorNum(13);
    app.RefreshCursor();
    EXPECT_EQ(app.display->cursorImage, nullptr);
    EXPECT_TRUE(app.systemCursorShown);
    app.SetCustomCursorImage(4, nullptr);
    app.SetCustomCursorImage(12, nullptr);
}

TEST_F(AppServices, CursorThreadFeedsTheDisplaysCursorPosition)
{
    Window().MouseMove(33, 44);
    Pump();
    app.framePresented = true;
    app.nextDrawTime = env.clock.Milliseconds();
    app.StartCursorThread();
    int x = -1, y = -1;
    for (int i = 0; i < 400; ++i) {
        UnpackCursorPosition(app.display->cursorPosition.load(), x, y);
        if (x == 33 && y == 44)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(x, 33);
    EXPECT_EQ(y, 44);
    app.RequestExit();
    EXPECT_FALSE(app.cursorThread.joinable());
    EXPECT_FALSE(app.cursorThreadRunning);
}

TEST_F(AppServices, ForcedFullScreenStaysFullScreen)
{
    app.fullScreenForced = true;
    app.SwitchScreenModeWindowed(false);
    ASSERT_FALSE(app.windowed);
    app.SwitchScreenModeWindowed(true);
    EXPECT_FALSE(app.windowedWanted);
    EXPECT_FALSE(app.windowed);
}

TEST_F(AppServices, ScreenModeSwitchRebuildsTheWindowAndTheScreenImage)
{
    const int windows = env.windows.windowsCreated;
    app.SwitchScreenModeWindowed(false);
    EXPECT_EQ(env.windows.windowsCreated, windows + 1);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(app.widgetManager->screenImage, app.display->screenImage);
    EXPECT_EQ(app.display->windowed, false);
    app.RefreshScreenMode(); // same mode, made anew
    EXPECT_EQ(env.windows.windowsCreated, windows + 2);
    app.UseVideoMemoryBackBuffer(true);
    EXPECT_EQ(app.widgetManager->screenImage, app.display->screenImage);
    EXPECT_NE(app.display->backBuffer, nullptr);
}

TEST_F(AppServices, HidingSilencesMusicAndShowsTheArrow)
{
    app.SetCursorNum(3);
    app.HideApp();
    EXPECT_TRUE(app.hidden);
    EXPECT_EQ(app.music->volume, 0.0);
    EXPECT_FALSE(Window().IsVisible());
    const auto it = env.windows.cursors.cursors.find(env.windows.cursors.current);
    ASSERT_NE(it, env.windows.cursors.cursors.end());
    EXPECT_EQ(it->second.standard, StandardCursor::Arrow);
}

TEST_F(AppServices, F10StepsOneUpdateAndOneDrawUntilShiftF10)
{
    app.loadingAcknowledged = true;
    PressChord(Window(), {VK_CONTROL, VK_MENU, 'D'});
    Pump();
    ASSERT_TRUE(app.debugKeysEnabled);

    Window().KeyDown(VK_F10);
    Window().KeyUp(VK_F10);
    app.events.clear();
    Pump(500);
    EXPECT_EQ(app.events, "UD");
    EXPECT_EQ(app.stepMode, STEP_PAUSED);
    Window().KeyDown(VK_SHIFT);
    Window().KeyDown(VK_F10);
    Window().KeyUp(VK_F10);
    Window().KeyUp(VK_SHIFT);
    const int updates = app.updateCount;
    Pump(500);
    EXPECT_EQ(app.stepMode, STEP_RUN);
    EXPECT_NEAR(app.updateCount - updates, 50, 2);
}

TEST_F(AppServices, ScreenshotsAreNumberedPngFilesOfTheDrawnScreen)
{
    auto* widget = app.Adopt(new RecordingWidget);
    widget->SetBounds(0, 0, 640, 480);
    widget->fill = Color(40, 90, 200);
    Pump();
    const std::string folder = env.temp.Path() + "/data/QuibTestApp/_screenshots/";
    EXPECT_EQ(app.TakeScreenshot(), folder + "image1.png");
    EXPECT_EQ(app.TakeScreenshot(), folder + "image2.png");
    std::ofstream(folder + "image7.png") << "x";
    std::ofstream(folder + "picture9.png") << "x";
    EXPECT_EQ(app.TakeScreenshot(), folder + "image8.png");

    std::unique_ptr<ImageLib::Image> shot = ImageLib::ReadPng(folder + "image1.png");
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 640);
    EXPECT_EQ(shot->height, 480);
    const uint32_t pixel = shot->pixels[240 * 640 + 320];
    EXPECT_NEAR(int(pixel >> 16 & 0xFF), 40, 1);
    EXPECT_NEAR(int(pixel >> 8 & 0xFF), 90, 1);
    EXPECT_NEAR(int(pixel & 0xFF), 200, 1);
}

// A display whose set-up answers from a script: per call, by mode.
class ScriptedDisplay : public DDInterface {
public:
    ScriptedDisplay(QuibAppBase* owner, int windowedResult, int fullResult, int result3D)
        : DDInterface(owner), mWindowed(windowedResult), mFull(fullResult), m3D(result3D)
    {
    }
    int Init(Window* target, bool inWindow) override
    {
        ++inits;
        const int result = is3D ? m3D : inWindow ? mWindowed : mFull;
        if (result != RESULT_OK) {
            Cleanup();
            errorText = "Scripted: failure";
            return result;
        }
        return DDInterface::Init(target, inWindow);
    }
    int inits = 0;

private:
    int mWindowed, mFull, m3D;
};

TEST(AppDisplayFallbacks, DisplayFailuresFallBackOrEndWithTheirMessage)
{
    struct Case {
        const char* what;
        bool start3D;
        bool appFillsScreen;
        int windowedResult, fullResult, result3D;
        std::vector<int> exits;
        const char* box;
        bool windowed;
    };
    const Case cases[] = {
        {"window refused: full screen",
         false,
         false,
         RESULT_INVALID_COLORDEPTH,
         RESULT_OK,
         RESULT_OK,
         {},
         "",
         false},
        {"neither works",
         false,
         false,
         RESULT_INVALID_COLORDEPTH,
         RESULT_EXCLUSIVE_FAIL,
         RESULT_OK,
         {1},
         "Please set your desktop color depth to 16 bit.",
         true},
        {"forced full screen refused: a window",
         false,
         true,
         RESULT_OK,
         RESULT_DISPCHANGE_FAIL,
         RESULT_OK,
         {},
         "",
         true},
        {"3D fails: 2D", true, false, RESULT_OK, RESULT_OK, RESULT_3D_FAIL, {}, "", true},
        {"2D fails",
         false,
         false,
         RESULT_SURFACE_FAIL,
         RESULT_OK,
         RESULT_OK,
         {1},
         "Failed to initialize DirectDraw: RESULT_SURFACE_FAIL Scripted: failure",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessAppEnvironment env;
        if (c.appFillsScreen)
            env.windows.screen = {640, 480, {0, 0, 640, 450}, 60, 32};
        TestApp app;
        app.displayFactory = [&](QuibAppBase& owner) {
            auto made = std::make_unique<ScriptedDisplay>(&owner, c.windowedResult, c.fullResult, c.result3D);
            made->is3D = c.start3D;
            return made;
        };
        app.Initialize();
        EXPECT_EQ(env.fatalExits, c.exits);
        if (*c.box) {
            ASSERT_FALSE(env.sink.boxes.empty());
            EXPECT_EQ(env.sink.boxes.back().text, c.box);
            continue;
        }
        EXPECT_TRUE(env.sink.boxes.empty());
        EXPECT_EQ(app.windowed, c.windowed);
        ASSERT_TRUE(app.display);
        EXPECT_TRUE(app.display->initialized);
        EXPECT_FALSE(app.display->is3D);
        EXPECT_EQ(app.switched3D, c.start3D);
        EXPECT_EQ(app.widgetManager->screenImage, app.display->screenImage);
    }
}

// A display that fails to present a given number of times.
class FlakyDisplay : public DDInterface {
public:
    using DDInterface::DDInterface;
    int Init(Window* target, bool inWindow) override
    {
        ++inits;
        return DDInterface::Init(target, inWindow);
    }
    bool Redraw(const Rect* clip) override
    {
        if (failures > 0) {
            --failures;
            return false;
        }
        return DDInterface::Redraw(clip);
    }
    int inits = 0;
    int failures = 0;
};

TEST(AppDisplayFallbacks, AFailedPresentRebuildsTheDisplay)
{
    HeadlessAppEnvironment env;
    TestApp own;
    own.displayFactory = [](QuibAppBase& owner) { return std::make_unique<FlakyDisplay>(&owner); };
    own.Initialize();
    own.mainWindow->Show(ShowCommand::Show);
    auto& display = static_cast<FlakyDisplay&>(*own.display);
    const int inits = display.inits;
    display.failures = 1;
    own.forceDraw = true;
    own.DrawDirtyStuff();
    EXPECT_TRUE(own.displayLost);
    EXPECT_EQ(display.inits, inits + 1);
    EXPECT_EQ(own.widgetManager->screenImage, display.screenImage);
    own.forceDraw = true;
    own.DrawDirtyStuff();
    EXPECT_FALSE(own.displayLost);
}

} // namespace
} // namespace Quib
