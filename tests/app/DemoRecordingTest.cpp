#include "framework/app/QuibAppBase.h"
#include "framework/files/Random.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clipboard.h"
#include "platform/FileNames.h"
#include "platform/SettingsFile.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "platform/WindowSystem.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

// Writes down every input it gets, with the update it came at.
struct LoggingWidget : Widget {
    explicit LoggingWidget(QuibAppBase& owner) : app(owner) { takesFocus = true; }
    void Note(const std::string& what) { log.push_back(std::to_string(app.updateCount) + " " + what); }
    void OnMouseMove(int px, int py) override { Note("move " + std::to_string(px) + "," + std::to_string(py)); }
    void OnMouseDrag(int px, int py) override { Note("drag " + std::to_string(px) + "," + std::to_string(py)); }
    void OnMouseDown(int px, int py, ClickCode code) override
    {
        Note("down " + std::to_string(code) + " " + std::to_string(px) + "," + std::to_string(py));
    }
    void OnMouseUp(int px, int py, ClickCode code) override
    {
        Note("up " + std::to_string(code) + " " + std::to_string(px) + "," + std::to_string(py));
    }
    void OnMouseLeave() override { Note("leave"); }
    void OnKeyDown(int key) override { Note("key " + std::to_string(key)); }
    void OnKeyUp(int key) override { Note("keyup " + std::to_string(key)); }
    void OnKeyChar(char16_t ch) override { Note("char " + std::to_string(int(ch))); }
    void OnMouseWheel(int delta) override { Note("wheel " + std::to_string(delta)); }

    QuibAppBase& app;
    std::vector<std::string> log;
};

// An application with one logging widget over its whole area, the window
// rectangle mapped one to one.
struct DemoApp : QuibAppBase {
    DemoApp()
    {
        widgetManager->width = appWidth;
        widgetManager->height = appHeight;
        widgetManager->widgetSpaceRect = Rect(0, 0, appWidth, appHeight);
        widgetManager->windowRect = Rect(0, 0, appWidth, appHeight);
        widget = new LoggingWidget(*this);
        widget->SetBounds(0, 0, appWidth, appHeight);
        widgetManager->AttachChild(widget);
        widgetManager->SetFocusWidget(widget);
        mainWindow = std::make_unique<Window>(GetWindowSystem(), u"main");
    }
    ~DemoApp() override
    {
        widgetManager->DetachChild(widget);
        delete widget;
    }
    // What the window procedure's queue does with a message when it is
    // applied live: recorded first, then handed to the widget manager.
    void Apply(uint32_t message, WPARAM wParam, LPARAM lParam)
    {
        const WindowMessage m{mainWindow.get(), message, wParam, lParam};
        RecordDemoMessage(m);
        int x = LowWordSigned(lParam);
        int y = HighWordSigned(lParam);
        widgetManager->ScaleMousePoint(x, y);
        WidgetManager& wm = *widgetManager;
        if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) {
            // Every mouse message moves the mouse first.
            if (wm.buttonsHeld != 0)
                wm.HandleMouseDrag(x, y);
            else
                wm.SetMousePosition(x, y);
        }
        switch (message) {
        case WM_LBUTTONDOWN: wm.HandleMouseDown(x, y, CLICK_LEFT); break;
        case WM_RBUTTONDBLCLK: wm.HandleMouseDown(x, y, CLICK_RIGHT_DOUBLE); break;
        case WM_LBUTTONUP: wm.HandleMouseUp(x, y, CLICK_LEFT); break;
        case WM_RBUTTONUP: wm.HandleMouseUp(x, y, CLICK_RIGHT); break;
        case WM_KEYDOWN: wm.HandleKeyDown(int(wParam)); break;
        case WM_KEYUP: wm.HandleKeyUp(int(wParam)); break;
        case WM_CHAR: wm.HandleKeyChar(char16_t(wParam)); break;
        case WM_CLOSE: RequestExit(); break;
        }
    }
    LoggingWidget* widget = nullptr;
};

struct DemoFixture : ::testing::Test {
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path().c_str()};
    CapturingSink sink;
    std::string file = dir / "run.dmo";
};

// The script: (update, message, wParam, lParam).
struct Step {
    int32_t update;
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
};

const std::vector<Step> kScript = {
    {0, WM_MOUSEMOVE, 0, MakeLParam(100, 100)},    //
    {2, WM_MOUSEMOVE, 0, MakeLParam(120, 90)},     // relative
    {2, WM_LBUTTONDOWN, 0, MakeLParam(121, 90)},   //
    {3, WM_MOUSEMOVE, 0, MakeLParam(400, 300)},    // absolute, dragging
    {40, WM_LBUTTONUP, 0, MakeLParam(400, 300)},   // after two fillers
    {41, WM_MOUSEMOVE, 0, MakeLParam(-5, -300)},   // off the window to the top left
    {41, WM_RBUTTONDBLCLK, 0, MakeLParam(10, 20)}, //
    {42, WM_RBUTTONUP, 0, MakeLParam(10, 20)},     //
    {50, WM_KEYDOWN, 0x41, 0},                     //
    {50, WM_CHAR, 0x20AC, 0},                      // a character beyond Windows-1252's bytes
    {51, WM_KEYUP, 0x41, 0},                       //
    {60, WM_CLOSE, 0, 0},                          //
};

TEST_F(DemoFixture, RecordedInputReplaysToTheSameWidgetCalls)
{
    std::vector<std::string> live;
    {
        DemoApp app;
        app.recording = true;
        app.demoFileName = file;
        app.randomSeed = 4242;
        app.productVersion = "1.2";
        size_t next = 0;
        for (app.updateCount = 0; app.updateCount <= 61; ++app.updateCount)
            while (next < kScript.size() && kScript[next].update == app.updateCount) {
                const Step& s = kScript[next++];
                app.Apply(s.message, s.wParam, s.lParam);
            }
        app.updateCount = 61;
        app.WriteDemoFile();
        live = app.widget->log;
    }
    ASSERT_GT(live.size(), 8u);

    DemoApp player;
    player.playing = true;
    player.demoFileName = file;
    player.productVersion = "1.2";
    std::string error;
    ASSERT_TRUE(player.OpenDemoFile(error)) << error;
    EXPECT_EQ(player.randomSeed, 4242u);
    EXPECT_EQ(player.demoLength, 61);
    for (player.updateCount = 0; player.updateCount <= 61 && !player.exiting; ++player.updateCount) {
        player.PlaybackDemoEvents();
        if (player.exiting)
            break;
        EXPECT_FALSE(player.DemoEventDueNow()) << player.updateCount; // all applied
    }
    EXPECT_TRUE(player.exiting); // the close was replayed
    EXPECT_EQ(player.updateCount, 60);
    EXPECT_EQ(player.widget->log, live);
}

TEST_F(DemoFixture, OpeningChecksTheFileAndSeedsFromIt)
{
    DemoApp app;
    app.demoFileName = dir / "missing.dmo";
    std::string error;
    EXPECT_FALSE(app.OpenDemoFile(error));
    EXPECT_EQ(error, "Demo file not found: " + app.demoFileName);

    dir.WriteFile("junk.dmo", "not a demo");
    app.demoFileName = dir / "junk.dmo";
    EXPECT_FALSE(app.OpenDemoFile(error));
    EXPECT_EQ(error, "Invalid demo file.");

    DemoFileData data;
    data.seed = 777;
    data.productVersion = "9.9";
    data.updateCount = 5;
    data.markers = {{"here", 3}};
    DemoEventStream stream;
    DemoEvent mode;
    mode.code = DEMO_SCREEN_MODE;
    mode.flag = false;
    mode.value = 75;
    stream.WriteEvent(0, mode);
    data.events = stream.buffer;
    dir.WriteFile("other.dmo", FormatDemoFile(data));
    app.demoFileName = dir / "other.dmo";
    app.productVersion = "1.0";
    EXPECT_FALSE(app.OpenDemoFile(error));
    EXPECT_EQ(error, "This demo file appears to be for '9.9'");

    app.productVersion = "9.9";
    app.playing = true;
    ASSERT_TRUE(app.OpenDemoFile(error)) << error;
    EXPECT_EQ(app.randomSeed, 777u);
    EXPECT_EQ(app.demoLength, 5);
    ASSERT_EQ(app.demoMarkers.size(), 1u);
    // Both generators start from the recorded seed.
    const uint32_t mt = MersenneNext();
    const int crt = rand();
    MersenneSeed(777);
    srand(777);
    EXPECT_EQ(MersenneNext(), mt);
    EXPECT_EQ(rand(), crt);

    // The first screen mode comes before anything else.
    app.ReadDemoScreenMode();
    EXPECT_FALSE(app.windowedWanted);
    EXPECT_EQ(app.refreshRate, 75);
    EXPECT_TRUE(app.demo.buffer.AtEnd());
}

TEST_F(DemoFixture, ValuesFromOutsideReplayAsRecorded)
{
    DemoApp recorder;
    recorder.recording = true;
    GetWindowSystem().GetClipboard().SetText("hello");
    EXPECT_EQ(recorder.GetClipboardText(), "hello");
    EXPECT_TRUE(recorder.RecordOrReplayBool(true));
    std::vector<uint8_t> raw{1, 2, 3};
    recorder.RecordOrReplayValue(raw);

    GetWindowSystem().GetClipboard().SetText("changed since");
    DemoApp player;
    player.playing = true;
    player.demo.buffer = recorder.demo.buffer;
    EXPECT_EQ(player.GetClipboardText(), "hello");
    EXPECT_TRUE(player.RecordOrReplayBool(false));
    std::vector<uint8_t> value;
    player.RecordOrReplayValue(value);
    EXPECT_EQ(value, raw);
    // Nothing left: the live value stays.
    EXPECT_FALSE(player.RecordOrReplayBool(false));
    EXPECT_EQ(player.RecordOrReplayString("live"), "live");

    // The clipboard is not touched during playback.
    player.CopyToClipboard("from the replay");
    EXPECT_EQ(GetWindowSystem().GetClipboard().GetText(), "changed since");
    GetWindowSystem().GetClipboard().SetText("");
}

TEST_F(DemoFixture, UnaskedRecordedValuesAreReadWhole)
{
    // A registry read and a value were recorded at update 5, but the replay
    // does not ask for them there: they are read past, and the key after
    // them still arrives.
    DemoApp recorder;
    recorder.recording = true;
    recorder.registryKey = "Quib Test\\Demo";
    recorder.updateCount = 5;
    recorder.RegistryWriteDWord("Level", 3);
    int32_t level = 0;
    ASSERT_TRUE(recorder.RegistryReadDWord("Level", level));
    recorder.RecordOrReplayString("text");
    recorder.Apply(WM_KEYDOWN, 0x42, 0);

    DemoApp player;
    player.playing = true;
    player.demo.buffer = recorder.demo.buffer;
    player.updateCount = 5;
    player.PlaybackDemoEvents();
    ASSERT_EQ(player.widget->log.size(), 1u);
    EXPECT_EQ(player.widget->log[0], "5 key 66");
    EXPECT_TRUE(player.demo.buffer.AtEnd());
}

TEST_F(DemoFixture, StateEventsReplay)
{
    DemoApp recorder;
    recorder.recording = true;
    DemoEvent e;
    auto record = [&](int code, bool flag = false, int value = 0) {
        e = DemoEvent();
        e.code = code;
        e.flag = flag;
        e.value = value;
        recorder.RecordDemoEvent(e);
    };
    record(DEMO_MOUSE_ENTER);
    record(DEMO_MINIMISED, true);
    record(DEMO_ACTIVATE, false);
    record(DEMO_LOADING_DONE);
    record(DEMO_SCREEN_MODE, false, 60);
    record(DEMO_MOUSE_WHEEL, false, -2);

    DemoApp player;
    player.playing = true;
    player.demo.buffer = recorder.demo.buffer;
    player.PlaybackDemoEvents();
    EXPECT_TRUE(player.mouseInside);
    EXPECT_TRUE(player.minimised);
    EXPECT_FALSE(player.active);
    EXPECT_FALSE(player.hasFocus);
    EXPECT_EQ(player.autoMuteCount, 2); // muted while minimised, and without the focus
    EXPECT_TRUE(player.loadingEventReplayed);
    EXPECT_FALSE(player.windowedWanted);
    EXPECT_EQ(player.refreshRate, 60);
    EXPECT_EQ(player.widget->log.back(), "0 wheel -2");
}

TEST_F(DemoFixture, PlaybackKeys)
{
    DemoApp app;
    app.playing = true;
    app.demoLength = 100000;
    app.updateCount = 10;
    struct Case {
        char16_t key;
        int32_t target;
    } targets[] = {{u'0', 100000}, {u'4', 88000}, {u'7', 97000}, {u'9', 99500}, {u'n', 11}};
    for (const Case& c : targets) {
        app.HandlePlaybackKey(c.key);
        EXPECT_EQ(app.fastForwardTarget, c.target) << char(c.key);
    }
    EXPECT_TRUE(app.drawNow);
    app.HandlePlaybackKey(u'+');
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.5);
    app.HandlePlaybackKey(u'-');
    app.HandlePlaybackKey(u'-');
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.0 / 1.5);
    app.HandlePlaybackKey(u'=');
    EXPECT_DOUBLE_EQ(app.updateSpeed, 1.0);
    app.HandlePlaybackKey(u'P');
    EXPECT_TRUE(app.playbackPaused);
    app.HandlePlaybackKey(u'p');
    EXPECT_FALSE(app.playbackPaused);
    app.HandlePlaybackKey(u'M');
    EXPECT_TRUE(app.playToEnd);

    app.musicVolume = 0.6;
    app.sfxVolume = 0.0;
    app.savedSfxVolume = 0.3;
    app.HandlePlaybackKey(u's');
    EXPECT_EQ(app.musicVolume, 0.0);
    EXPECT_DOUBLE_EQ(app.savedMusicVolume, 0.6);
    EXPECT_DOUBLE_EQ(app.sfxVolume, 0.3);
    app.HandlePlaybackKey(u'S');
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.6);

    app.HandlePlaybackKey(u'x'); // no playback key
    app.playing = false;
    app.HandlePlaybackKey(u'0'); // not playing: nothing
    EXPECT_EQ(app.fastForwardTarget, 11);
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.6);
}

TEST_F(DemoFixture, JumpTimeAndMarkers)
{
    DemoApp app;
    app.playing = true;
    app.registryKey = "Quib Test\\Demo";
    app.demoLength = 100000;
    app.SetDemoJumpTime("1:30");
    EXPECT_EQ(app.fastForwardTarget, 100000 - 91 * 100);
    EXPECT_EQ(app.GetDemoJumpTimeText(), "1:30");
    app.SetDemoJumpTime("1:0:0");
    EXPECT_EQ(app.fastForwardTarget, 100000 - 3601 * 100);
    app.SetDemoJumpTime("");
    EXPECT_EQ(app.fastForwardTarget, 100000 - 100);

    app.updateCount = 1000;
    app.demoMarkers = {{"passed", 500}, {"boss", 100000 - 372345 / 10}, {"end", 100000}};
    const auto lines = app.GetDemoMarkerLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first, "boss (00:06:12)");
    EXPECT_EQ(lines[0].second, 100000 - 37234);
    EXPECT_EQ(lines[1].first, "end (00:00:00)");
    app.JumpToDemoMarker(500);
    EXPECT_EQ(app.fastForwardTarget, 100000 - 100); // behind us: nothing
    app.JumpToDemoMarker(lines[0].second);
    EXPECT_EQ(app.fastForwardTarget, lines[0].second);
}

TEST_F(DemoFixture, UnwritableDemoFileIsLeftOut)
{
    DemoApp app;
    app.recording = true;
    dir.WriteFile("blocker", "a file where a folder should be");
    app.demoFileName = dir / "blocker/run.dmo";
    app.WriteDemoFile();
    EXPECT_FALSE(FileExists(app.demoFileName));
}

} // namespace
} // namespace Quib
