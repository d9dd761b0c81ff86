// Start-up, a whole run and the orderly exit, with the cursor and loading
// threads, the second copy and fatal exits.
#include "framework/files/PathUtils.h"
#include "framework/files/Random.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "platform/TextCodecs.h"
#include "platform/SettingsFile.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

bool HasLine(const CapturingSink& sink, const std::string& line)
{
    return std::find(sink.debugLines.begin(), sink.debugLines.end(), line) != sink.debugLines.end();
}

TEST(AppStart, InitializeMakesWindowsDisplayCursorsAndSound)
{
    HeadlessAppEnvironment env;
    TestApp app;
    app.windowTitle = u"Start";
    EXPECT_EQ(app.GetStringEntry("UP_TO_DATE_TITLE", u"x"), u"Up to Date");
    EXPECT_EQ(app.GetStringEntry("NO_SUCH_TEXT", u"fallback"), u"fallback");
    app.Initialize();
    ASSERT_TRUE(env.fatalExits.empty());
    EXPECT_TRUE(app.initialized);

    ASSERT_TRUE(app.mainWindow && app.invisibleWindow);
    EXPECT_EQ(app.mainWindow->Title(), u"Start");
    EXPECT_FALSE(app.invisibleWindow->HasNativeWindow());
    ASSERT_TRUE(app.display);
    EXPECT_EQ(app.display->drawWidth, 640);
    EXPECT_EQ(app.display->drawHeight, 480);
    ASSERT_NE(app.display->screenImage, nullptr);
    EXPECT_EQ(app.widgetManager->screenImage, app.display->screenImage);
    EXPECT_EQ(app.widgetManager->widgetSpaceRect, Rect(0, 0, 640, 480));
    EXPECT_TRUE(app.soundManager);
    ASSERT_NE(app.music, nullptr);

    // The two built-in cursors, as 32 x 32 masks with their hot spots.
    int masks = 0;
    for (const auto& [id, made] : env.windows.cursors.cursors) {
        if (made.isStandard || made.color)
            continue;
        ++masks;
        EXPECT_EQ(made.width, 32);
        EXPECT_TRUE((made.hotX == 11 && made.hotY == 4) || (made.hotX == 15 && made.hotY == 10));
    }
    EXPECT_EQ(masks, 2);

    // The data folder, and the demo file inside it.
    const std::string folder = env.temp.Path() + "/data/QuibTestApp\\";
    EXPECT_EQ(Utf16ToUtf8(GetFolderWithSlash()), folder);
    EXPECT_EQ(app.demoFileName, folder + "quibapp.dmo");

    // Both generators start from the seed.
    EXPECT_EQ(app.randomSeed, 100000u);
    const int first = Quib::rand();
    Quib::srand(app.randomSeed);
    EXPECT_EQ(Quib::rand(), first);
}

TEST(AppStart, AnUnusableDemoEndsTheStartWithItsMessage)
{
    HeadlessAppEnvironment env;
    TestApp app;
    app.playing = true;
    app.Initialize();
    EXPECT_EQ(env.fatalExits, std::vector<int>{0});
    ASSERT_EQ(env.sink.boxes.size(), 1u);
    EXPECT_EQ(env.sink.boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(env.sink.boxes[0].text.rfind("Demo file not found: ", 0), 0u);
    EXPECT_FALSE(app.playing);
    EXPECT_FALSE(app.mainWindow);
}

TEST(AppStart, ASecondCopyHandsOverAndEndsUnlessItIsAScreenSaver)
{
    for (const bool screenSaver : {false, true}) {
        SCOPED_TRACE(screenSaver);
        HeadlessAppEnvironment env;
        SingleInstance first("QuibTestCopies");
        ASSERT_FALSE(first.AlreadyRunning());
        TestApp second("QuibTestCopies");
        second.screenSaverMode = screenSaver;
        second.Initialize();
        if (screenSaver) {
            EXPECT_TRUE(env.fatalExits.empty());
            EXPECT_TRUE(second.mainWindow);
            EXPECT_EQ(first.TakeNotifications(), 0);
        } else {
            EXPECT_EQ(env.fatalExits, std::vector<int>{0});
            EXPECT_FALSE(second.mainWindow);
            EXPECT_EQ(first.TakeNotifications(), 1);
        }
    }
}

TEST(AppStart, TheFirstCopyComesForwardWhenAsked)
{
    HeadlessAppEnvironment env;
    TestApp app("QuibTestForward");
    app.Initialize();
    HeadlessWindow& window = *env.windows.MainWindow();
    window.Show(ShowCommand::Show);
    window.Show(ShowCommand::Minimise);
    const int raised = window.foregroundCalls;
    {
        SingleInstance second("QuibTestForward");
        ASSERT_TRUE(second.AlreadyRunning());
        EXPECT_TRUE(second.NotifyFirst());
    }
    for (int i = 0; i < 20; ++i)
        app.AppStep(nullptr);
    EXPECT_EQ(window.State(), ShowState::Normal);
    EXPECT_GT(window.foregroundCalls, raised);
}

TEST(AppStart, FatalExitStopsTheCursorThreadFirst)
{
    HeadlessAppEnvironment env;
    TestApp app;
    app.Initialize();
    app.StartCursorThread();
    ASSERT_TRUE(app.cursorThread.joinable());
    bool threadGone = false;
    SetFatalExitHandler([&](int) { threadGone = !app.cursorThread.joinable() && !app.cursorThreadRunning; });
    app.FatalExit(3);
    EXPECT_TRUE(threadGone);
}

// An application with a small widget tree: a button-like widget and a text
// field, and a script of input by update frame.
class ScriptedRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTimerPeriodCalls();
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        button = app.Adopt(new RecordingWidget);
        button->SetBounds(100, 100, 80, 30);
        button->animate = true;
        button->takesFocus = false;
        field = app.Adopt(new RecordingWidget);
        field->SetBounds(100, 200, 200, 20);
        app.widgetManager->SetFocusWidget(field);
    }

    HeadlessWindow& Window() { return *env.windows.MainWindow(); }

    HeadlessAppEnvironment env;
    TestApp app;
    RecordingWidget* button = nullptr;
    RecordingWidget* field = nullptr;
};

TEST_F(ScriptedRun, RunTakesInputAndExitsInOrderWithItsThreadsJoined)
{
    // The script starts once loading (on its own thread) was acknowledged.
    int start = 0;
    app.onUpdate = [&](int update) {
        if (!app.loadingAcknowledged)
            return;
        if (start == 0)
            start = update;
        switch (update - start) {
        case 5: Window().MouseMove(120, 110); break;
        case 6: Window().MouseDown(InputEvent::Left, 120, 110); break;
        case 7: Window().MouseUp(InputEvent::Left, 120, 110); break;
        case 10: Window().KeyDown('K'); break;
        case 11:
            Window().Type("k");
            Window().KeyUp('K');
            break;
        case 40: Window().RequestClose(); break;
        default: break;
        }
    };
    app.Run();

    EXPECT_TRUE(app.exiting);
    EXPECT_TRUE(app.closedByUser);
    EXPECT_EQ(app.exitHooks, 1);
    EXPECT_GE(app.updateCount - start, 40);
    EXPECT_LE(app.updateCount - start, 42);
    EXPECT_EQ(button->log, (std::vector<std::string>{"enter", "down 1 20,10", "up 1"}));
    EXPECT_EQ(field->log, (std::vector<std::string>{"key 75", "char 107"}));
    EXPECT_GE(button->draws, 30); // it changed every update and was drawn
    EXPECT_GT(app.drawCount, 30);

    EXPECT_FALSE(app.cursorThread.joinable());
    EXPECT_FALSE(app.cursorThreadRunning);
    EXPECT_FALSE(app.loadingThread.joinable());
    EXPECT_EQ(app.loadingCompletes, 1);
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
    EXPECT_FALSE(app.inMainLoop);
    EXPECT_EQ(GetTimerPeriodCalls().begun, 1u);
    EXPECT_EQ(GetTimerPeriodCalls().ended, 1u);
    EXPECT_FALSE(Window().IsVisible()); // hidden by the exit
    EXPECT_TRUE(HasLine(env.sink, "Update Count  = " + std::to_string(app.updateCount) + "\r\n"));
}

TEST_F(ScriptedRun, ExitAskedByTheLoadingThreadEndsTheRun)
{
    app.loadingWork = [&] { app.RequestExit(); };
    app.Run();
    EXPECT_TRUE(app.exiting);
    EXPECT_EQ(app.exitHooks, 1);
    EXPECT_FALSE(app.loadingThread.joinable());
}

TEST_F(ScriptedRun, LoadingProgressAndItsResultsReachTheMainThread)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> loaded;
    app.loadingWork = [&] {
        app.loadingTasksTotal = 4;
        app.loadingTasksDone = 1;
        released.wait();
        for (int i = 0; i < 1000; ++i)
            loaded.push_back(i); // plain writes, published by the finished flag
        app.loadingTasksDone = 2;
    };
    EXPECT_EQ(app.GetLoadingProgress(), 0.0);
    app.StartLoadingThread();
    EXPECT_TRUE(app.loadingThrottle);
    while (app.loadingTasksDone.load() < 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(app.GetLoadingProgress(), 0.25);
    release.set_value();
    size_t seen = 0;
    app.onLoadingComplete = [&] { seen = loaded.size(); };
    for (int i = 0; i < 200000 && app.loadingCompletes == 0; ++i)
        app.AppStep(nullptr);
    ASSERT_EQ(app.loadingCompletes, 1);
    EXPECT_EQ(seen, 1000u);
    EXPECT_FALSE(app.loadingThrottle);
    EXPECT_FALSE(app.loadingThread.joinable());
    // Acknowledged: exactly 1, whatever the task counters say.
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
}

TEST(AppScreenSaver, InputEndsTheProgramAndTheCursorIsHidden)
{
    struct Case {
        const char* what;
        std::function<void(HeadlessWindow&)> input;
        bool ends;
    };
    const Case cases[] = {
        {"key", [](HeadlessWindow& w) { w.KeyDown('A'); }, true},
        {"click", [](HeadlessWindow& w) { w.MouseDown(InputEvent::Left, 5, 5); }, true},
        {"three moves",
         [](HeadlessWindow& w) {
             for (int i = 0; i < 4; ++i)
                 w.MouseMove(10 + i, 10);
         },
         false},
        {"four moves",
         [](HeadlessWindow& w) {
             for (int i = 0; i < 5; ++i)
                 w.MouseMove(10 + i, 10);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessAppEnvironment env;
        TestApp app;
        app.screenSaverMode = true;
        app.Initialize();
        EXPECT_EQ(app.cursorNum, 11);
        EXPECT_FALSE(app.singleInstance);
        app.inMainLoop = true;
        c.input(*env.windows.MainWindow());
        for (int i = 0; i < 50 && !app.exiting; ++i)
            app.AppStep(nullptr);
        EXPECT_EQ(app.exiting.load(), c.ends);
    }
}


TEST(AppStart, TheCapabilityTestCachesItsOutcomeInTheApplicationsSettings)
{
    HeadlessAppEnvironment env;
    {
        TestApp app;
        app.registryKey = "QuibTests\\CapabilityCache";
        app.check3D = true;
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        ASSERT_TRUE(app.display && app.display->tester);
        ASSERT_NE(app.Settings(), nullptr);
        int32_t version = 0;
        EXPECT_TRUE(app.Settings()->ReadDWord("Test3D\\Version", version));
        EXPECT_NE(version, 0);
        EXPECT_TRUE(app.Settings()->HasValue("Test3D\\FailureReason"));
    }
}

} // namespace
} // namespace Quib
