// The main window's messages: what is queued and coalesced, what is handled
// at once, and what applying them does to the widgets, focus and modes.
#include "tests/support/AppTestSupport.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Quib {
namespace {

using namespace Testing;

class AppWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Initialize();
        ASSERT_TRUE(env.fatalExits.empty());
        ASSERT_TRUE(app.mainWindow);
        app.inMainLoop = true;
        app.mainWindow->Show(ShowCommand::Show);
        Pump();
    }

    HeadlessWindow& Window() { return *env.windows.MainWindow(); }

    // Steps long enough for every waiting message to be applied.
    void Pump()
    {
        const uint32_t end = env.clock.Milliseconds() + 60;
        for (int i = 0; i < 100000 && int32_t(env.clock.Milliseconds() - end) < 0 && !app.exiting; ++i)
            app.AppStep(nullptr);
    }

    std::vector<uint32_t> Queued() const
    {
        std::vector<uint32_t> messages;
        for (const WindowMessage& m : app.messageQueue)
            messages.push_back(m.message);
        return messages;
    }

    RecordingWidget* AddWidget(int x, int y, int w, int h)
    {
        auto* widget = app.Adopt(new RecordingWidget);
        widget->SetBounds(x, y, w, h);
        app.widgetManager->SetFocusWidget(widget);
        return widget;
    }

    HeadlessAppEnvironment env;
    TestApp app;
};

TEST_F(AppWindow, QueueCoalescesTimersDisplayChangesAndStopsAtClose)
{
    struct Case {
        const char* what;
        std::vector<uint32_t> sent;
        std::vector<uint32_t> queued;
    };
    const Case cases[] = {
        {"timer burst", {WM_TIMER, WM_TIMER, WM_TIMER, WM_TIMER}, {WM_TIMER}},
        {"timers around a key", {WM_TIMER, WM_KEYDOWN, WM_TIMER, WM_TIMER}, {WM_TIMER, WM_KEYDOWN, WM_TIMER}},
        {"colour and display changes",
         {WM_SYSCOLORCHANGE, WM_KEYUP, WM_DISPLAYCHANGE, WM_SYSCOLORCHANGE},
         {WM_SYSCOLORCHANGE, WM_KEYUP}},
        {"nothing after a close", {WM_CHAR, WM_CLOSE, WM_CHAR, WM_TIMER, WM_MOUSEMOVE}, {WM_CHAR, WM_CLOSE}},
        {"not queued", {WM_PAINT, WM_SETCURSOR, WM_SYSCHAR}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.messageQueue.clear();
        for (uint32_t m : c.sent)
            app.WindowProc(*app.mainWindow, m, m == WM_SYSCHAR ? 'x' : 0, 0);
        EXPECT_EQ(Queued(), c.queued);
    }
    app.messageQueue.clear();
    app.popupShown = true; // input belongs to the box
    app.WindowProc(*app.mainWindow, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(app.messageQueue.empty());
}

TEST_F(AppWindow, ImmediateAnswers)
{
    struct Case {
        uint32_t message;
        WPARAM wParam;
        LPARAM expected;
    };
    const Case cases[] = {
        {WM_SYSCHAR, '\r', 0}, {WM_SYSCHAR, 'r', 0},    {WM_SYSCHAR, 'R', 0},      {WM_ERASEBKGND, 0, 1},
        {WM_SETCURSOR, 0, 1},  {WM_SYSKEYDOWN, 'X', 0}, {WM_SYSKEYDOWN, VK_F4, 0}, {WM_CLOSE, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(app.WindowProc(*app.mainWindow, c.message, c.wParam, 0), c.expected);
    }
    EXPECT_FALSE(app.IsHandledSysChar('x'));
    EXPECT_TRUE(app.CanRestore());
    app.WindowProc(*app.mainWindow, WM_ENABLE, 0, 0);
    EXPECT_FALSE(app.CanRestore());
    EXPECT_EQ(app.WindowProc(*app.mainWindow, WM_QUERYOPEN, 0, 0), 0);
}

TEST_F(AppWindow, OnlyAltF4ClosesTheWindow)
{
    struct Case {
        uint8_t key;
        bool closes;
    };
    for (const Case c : {Case{'X', false}, Case{VK_F4, true}}) {
        SCOPED_TRACE(int(c.key));
        Window().KeyDown(VK_MENU);
        Window().KeyDown(c.key);
        Window().KeyUp(c.key);
        Window().KeyUp(VK_MENU);
        Pump();
        EXPECT_EQ(app.exiting.load(), c.closes);
        EXPECT_EQ(app.closedByUser, c.closes);
    }
}

TEST(AppWindowKeys, RawKeyHookCanSwallowAKey)
{
    struct SwallowingApp : TestApp {
        bool OnRawKeyDown(int key, bool ctrl, bool) override { return key == 'S' && ctrl; }
    };
    HeadlessAppEnvironment env;
    SwallowingApp own;
    own.Initialize();
    ASSERT_TRUE(own.mainWindow);
    own.WindowProc(*own.mainWindow, WM_KEYDOWN, VK_CONTROL, 0);
    own.messageQueue.clear();
    EXPECT_EQ(own.WindowProc(*own.mainWindow, WM_KEYDOWN, 'S', 0), 0);
    own.WindowProc(*own.mainWindow, WM_KEYDOWN, 'T', 0);
    ASSERT_EQ(own.messageQueue.size(), 1u);
    EXPECT_EQ(own.messageQueue.front().wParam, WPARAM('T'));
    EXPECT_TRUE(own.ctrlDown);
}

TEST_F(AppWindow, AltEnterTogglesTheScreenModeUnlessFullScreenIsForcedOrImpossible)
{
    struct Case {
        bool forced, impossible;
        bool toggles;
    };
    for (const Case c : {Case{false, false, true}, Case{true, false, false}, Case{false, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.forced << c.impossible);
        app.fullScreenForced = c.forced;
        app.fullScreenImpossible = c.impossible;
        const bool wasWindowed = app.windowedWanted;
        const int windows = env.windows.windowsCreated;
        Window().KeyDown(VK_MENU);
        Window().KeyDown(VK_RETURN);
        Window().KeyUp(VK_RETURN);
        Window().KeyUp(VK_MENU);
        Pump();
        EXPECT_EQ(app.windowedWanted, c.toggles ? !wasWindowed : wasWindowed);
        EXPECT_EQ(env.windows.windowsCreated, windows + (c.toggles ? 1 : 0));
        if (c.toggles) {
            EXPECT_FALSE(app.windowed);
            EXPECT_EQ(Window().spec.mode, WindowMode::FullScreen);
            EXPECT_FALSE(app.widgetManager->IsKeyDown(VK_MENU)); // the key states were cleared
        }
        // Back to a window for the next case.
        app.fullScreenForced = app.fullScreenImpossible = false;
        app.SwitchScreenModeWindowed(true);
        Pump();
        ASSERT_TRUE(app.windowed);
    }
}

TEST_F(AppWindow, MaximisingSwitchesToFullScreen)
{
    Window().Show(ShowCommand::Maximise);
    Pump();
    EXPECT_FALSE(app.windowedWanted);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(Window().spec.mode, WindowMode::FullScreen);
}

TEST(AppWindowPlacement, WindowIsCentredOrKeptInsideTheWorkArea)
{
    struct Case {
        int preferredX, preferredY;
        int x, y;
    };
    // 1024 x 768 on a 1280 x 1024 work area: centred across, 38.2 % of the
    // free height above; a stored position is kept 4 pixels inside.
    const Case cases[] = {{-1, -1, 128, 97},
                          {-300, -20, 4, 4},
                          {600, 700, 1280 - 1024 - 4, 1024 - 768 - 4},
                          {30, 40, 30, 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preferredX);
        HeadlessAppEnvironment env;
        env.windows.screen = {1920, 1080, {0, 0, 1280, 1024}, 60, 32};
        TestApp app;
        app.appWidth = 1024;
        app.appHeight = 768;
        app.preferredX = c.preferredX;
        app.preferredY = c.preferredY;
        app.Initialize();
        int x = 0, y = 0;
        env.windows.MainWindow()->GetPosition(x, y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_TRUE(app.windowed);
    }
}

TEST(AppWindowPlacement, AnApplicationAsLargeAsTheScreenStartsInFullScreen)
{
    HeadlessAppEnvironment env;
    env.windows.screen = {1024, 768, {0, 0, 1024, 740}, 60, 32};
    TestApp app;
    app.appWidth = 1024;
    app.appHeight = 768;
    app.Initialize();
    EXPECT_TRUE(app.fullScreenForced);
    EXPECT_FALSE(app.windowedWanted);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(env.windows.MainWindow()->spec.mode, WindowMode::FullScreen);
}

TEST_F(AppWindow, MouseComingInSetsInsideAndTheCursorBeforeTheWidgetHears)
{
    struct EnterWidget : RecordingWidget {
        void OnMouseEnter() override
        {
            insideAtEnter = gQuibAppBase->mouseInside;
            RecordingWidget::OnMouseEnter();
        }
        bool insideAtEnter = false;
    };
    auto* widget = app.Adopt(new EnterWidget);
    widget->SetBounds(10, 10, 100, 50);
    ASSERT_FALSE(app.mouseInside);
    const int cursorSets = env.windows.cursors.setCalls;
    Window().MouseMove(20, 20);
    Pump();
    EXPECT_TRUE(app.mouseInside);
    EXPECT_TRUE(widget->insideAtEnter);
    EXPECT_GT(env.windows.cursors.setCalls, cursorSets);

    // The window timer finds the cursor gone: the widget loses the hover.
    Window().PlaceCursor(false, 700, 20);
    env.clock.Advance(20);
    Pump();
    EXPECT_FALSE(app.mouseInside);
    EXPECT_EQ(widget->log.back(), "leave");
}

TEST_F(AppWindow, ButtonsArriveWithTheirClickCodesInApplicationCoordinates)
{
    // The window shows the application at half size.
    app.widgetManager->windowRect = Rect(0, 0, 320, 240);
    RecordingWidget* widget = AddWidget(100, 100, 50, 50);
    struct Case {
        uint8_t button;
        uint8_t clicks;
        const char* down;
        const char* up;
    };
    const Case cases[] = {
        {InputEvent::Left, 1, "down 1 20,10", "up 1"},    {InputEvent::Left, 2, "down 2 20,10", "up 1"},
        {InputEvent::Right, 1, "down -1 20,10", "up -1"}, {InputEvent::Right, 2, "down -2 20,10", "up -1"},
        {InputEvent::Middle, 1, "down 3 20,10", "up 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.down);
        widget->log.clear();
        Window().MouseMove(60, 55);
        Window().MouseDown(c.button, 60, 55, c.clicks);
        Pump();
        EXPECT_TRUE(Window().captured);
        Window().MouseUp(c.button, 60, 55);
        Pump();
        EXPECT_FALSE(Window().captured);
        const std::vector<std::string> expected{c.down, c.up};
        std::vector<std::string> buttons;
        for (const std::string& entry : widget->log)
            if (entry.rfind("down", 0) == 0 || entry.rfind("up", 0) == 0)
                buttons.push_back(entry);
        EXPECT_EQ(buttons, expected);
    }
}

TEST_F(AppWindow, WheelStepsBelowANotchAddUp)
{
    RecordingWidget* widget = AddWidget(0, 0, 10, 10);
    const auto wheel = [&](int delta) {
        app.WindowProc(*app.mainWindow, WM_MOUSEWHEEL, MakeWParam(0, delta), 0);
        Pump();
    };
    wheel(40);
    wheel(40);
    EXPECT_TRUE(widget->log.empty());
    wheel(40);
    wheel(240);
    EXPECT_EQ(widget->log, (std::vector<std::string>{"wheel 1", "wheel 2"}));
    widget->log.clear();
    wheel(100); // left over ...
    wheel(-30); // ... and dropped when the wheel turns back
    wheel(-90);
    EXPECT_EQ(widget->log, (std::vector<std::string>{"wheel -1"}));
    widget->log.clear();
    Window().Wheel(0.5f); // a smooth wheel through the window system
    Window().Wheel(0.5f);
    Pump();
    EXPECT_EQ(widget->log, (std::vector<std::string>{"wheel 1"}));
}

TEST_F(AppWindow, FocusAndMinimisingMuteAndReleaseHeldButtons)
{
    ASSERT_TRUE(app.hasFocus);
    ASSERT_FALSE(app.IsMuted());
    RecordingWidget* widget = AddWidget(0, 0, 100, 100);
    Window().MouseMove(5, 5);
    Window().MouseDown(InputEvent::Left, 5, 5);
    Pump();
    ASSERT_NE(app.widgetManager->buttonsOnPressed, 0);
    const int lost = app.lostFocus, got = app.gotFocus;

    Window().Activate(false);
    Pump();
    EXPECT_FALSE(app.hasFocus);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_EQ(app.lostFocus, lost + 1);
    EXPECT_EQ(app.widgetManager->buttonsOnPressed, 0); // the press was let go
    EXPECT_EQ(widget->log.back(), "up 1");
    EXPECT_EQ(app.music->volume, 0.0);

    Window().Activate(true);
    Pump();
    EXPECT_TRUE(app.hasFocus);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.gotFocus, got + 1);
    EXPECT_DOUBLE_EQ(app.music->volume, 0.85);

    Window().Show(ShowCommand::Minimise);
    Pump();
    EXPECT_TRUE(app.minimised);
    EXPECT_FALSE(app.hasFocus);
    EXPECT_TRUE(app.IsMuted());
    Window().Show(ShowCommand::Restore);
    Window().SetForeground();
    Pump();
    EXPECT_FALSE(app.minimised);
    EXPECT_TRUE(app.hasFocus);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.autoMuteCount, 0);
}

TEST_F(AppWindow, KeysAndCharactersReachTheFocusedWidget)
{
    RecordingWidget* widget = AddWidget(0, 0, 10, 10);
    Window().KeyDown('A');
    Window().Type("a");
    Window().KeyUp('A');
    Pump();
    EXPECT_EQ(widget->log, (std::vector<std::string>{"key 65", "char 97"}));
    EXPECT_FALSE(app.widgetManager->IsKeyDown('A'));
}

TEST_F(AppWindow, CtrlAltDTogglesTheDebugKeys)
{
    ASSERT_FALSE(app.debugKeysEnabled);
    PressChord(Window(), {VK_CONTROL, VK_MENU, 'D'});
    Pump();
    EXPECT_TRUE(app.debugKeysEnabled);
}

} // namespace
} // namespace Quib
