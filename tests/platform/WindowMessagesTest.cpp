// The window messages a program gets from the headless windows: the same
// translation the SDL backend uses, driven by scripted input.
#include "platform/headless/CapturingSink.h"
#include "platform/headless/FakeClock.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "tests/support/WindowTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace Quib {
namespace {

using Testing::DrainMessages;

// A message as the tables below give it: the number and its wParam.
struct Expected {
    uint32_t message;
    WPARAM wParam;
};

std::vector<Expected> Simplified(const std::vector<WindowMessage>& messages)
{
    std::vector<Expected> result;
    for (const WindowMessage& m : messages)
        result.push_back({m.message, m.wParam});
    return result;
}

std::string Describe(const std::vector<Expected>& messages)
{
    std::string text;
    char buffer[48];
    for (const Expected& m : messages) {
        std::snprintf(buffer, sizeof buffer, "(0x%X, 0x%llX) ", m.message,
                      static_cast<unsigned long long>(m.wParam));
        text += buffer;
    }
    return text;
}

struct ScriptCase {
    const char* what;
    std::function<void(HeadlessWindow&)> script;
    std::vector<Expected> expected;
};

class HeadlessWindowTest : public ::testing::Test {
protected:
    HeadlessWindowSystem& System() { return *mSystem; }

    HeadlessWindow& Window()
    {
        if (!mWindow) {
            WindowSpec spec;
            spec.title = u"Test";
            spec.visible = true;
            mWindow = mSystem->CreateMainWindow(spec);
            DrainMessages(*mSystem);
        }
        return *static_cast<HeadlessWindow*>(mWindow.get());
    }

    // A new window system and window: nothing held, nothing carried.
    void Fresh()
    {
        mWindow.reset();
        mSystem = std::make_unique<HeadlessWindowSystem>();
    }

    void RunTable(const std::vector<ScriptCase>& cases)
    {
        for (const ScriptCase& c : cases) {
            Fresh();
            c.script(Window());
            const auto got = Simplified(DrainMessages(*mSystem));
            EXPECT_EQ(Describe(got), Describe(c.expected)) << c.what;
        }
    }

    ScopedFakeClock clock{5000};
    std::unique_ptr<HeadlessWindowSystem> mSystem = std::make_unique<HeadlessWindowSystem>();
    std::unique_ptr<Quib::Window> mWindow;
};

TEST_F(HeadlessWindowTest, KeysBecomeKeyAndCharacterMessages)
{
    const uint32_t D = WM_KEYDOWN, U = WM_KEYUP, SD = WM_SYSKEYDOWN, SU = WM_SYSKEYUP, C = WM_CHAR, SC = WM_SYSCHAR;
    RunTable({
        {"Escape types 27", [](HeadlessWindow& w) { w.KeyDown(VK_ESCAPE); }, {{D, 27}, {C, 27}}},
        {"Shift and a letter",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_SHIFT);
             w.KeyDown('A');
             w.Type("A");
             w.KeyUp('A');
             w.KeyUp(VK_SHIFT);
         },
         {{D, VK_SHIFT}, {D, 'A'}, {C, 'A'}, {U, 'A'}, {U, VK_SHIFT}}},
        {"Alt+Enter is a system key with a system character",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_MENU);
             w.KeyDown(VK_RETURN);
             w.KeyUp(VK_RETURN);
             w.KeyUp(VK_MENU);
         },
         {{SD, VK_MENU}, {SD, VK_RETURN}, {SC, 13}, {SU, VK_RETURN}, {SU, VK_MENU}}},
        {"Alt+R types a system character",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_MENU);
             w.KeyDown('R');
             w.Type("r");
         },
         {{SD, VK_MENU}, {SD, 'R'}, {SC, 'r'}}},
        {"Alt+F4", [](HeadlessWindow& w) { w.KeyDown(VK_MENU), w.KeyDown(VK_F4); }, {{SD, VK_MENU}, {SD, VK_F4}}},
        {"F10 is a system key on its own", [](HeadlessWindow& w) { w.KeyDown(VK_F10); }, {{SD, VK_F10}}},
        {"F2 is not", [](HeadlessWindow& w) { w.KeyDown(VK_F2), w.KeyUp(VK_F2); }, {{D, VK_F2}, {U, VK_F2}}},
        {"Ctrl+C types 3 and not the letter",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_CONTROL);
             w.KeyDown('C');
             w.Type("c");
         },
         {{D, VK_CONTROL}, {D, 'C'}, {C, 3}}},
        {"Ctrl+Alt+D is no system key",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_CONTROL);
             w.KeyDown(VK_MENU);
             w.KeyDown('D');
         },
         {{D, VK_CONTROL}, {SD, VK_MENU}, {D, 'D'}}},
        {"Backspace, Tab, Ctrl+Enter",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_BACK);
             w.KeyDown(VK_TAB);
             w.KeyDown(VK_CONTROL);
             w.KeyDown(VK_RETURN);
         },
         {{D, VK_BACK}, {C, 8}, {D, VK_TAB}, {C, 9}, {D, VK_CONTROL}, {D, VK_RETURN}, {C, 10}}},
        {"Arrows and the number pad type nothing",
         [](HeadlessWindow& w) {
             w.KeyDown(VK_LEFT);
             w.KeyDown(VK_NUMPAD0 + 5);
         },
         {{D, VK_LEFT}, {D, VK_NUMPAD0 + 5}}},
        {"text above U+FFFF comes as a surrogate pair",
         [](HeadlessWindow& w) { w.Type("\xC3\xA9\xF0\x9F\x98\x80"); },
         {{C, 0xE9}, {C, 0xD83D}, {C, 0xDE00}}},
        {"control characters in text are left to the keys", [](HeadlessWindow& w) { w.Type("\t\r\x7F"); }, {}},
    });
}

TEST_F(HeadlessWindowTest, KeyParametersCarryRepeatAndReleaseBits)
{
    HeadlessWindow& window = Window();
    window.KeyDown('X');
    window.KeyDown('X', true);
    window.KeyUp('X');
    window.KeyDown(VK_MENU);
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].lParam, 1);
    EXPECT_EQ(messages[1].lParam, 1 | (1 << 30));
    EXPECT_EQ(uint32_t(messages[2].lParam), 1u | (1u << 30) | (1u << 31));
    EXPECT_EQ(messages[3].lParam, 1 | (1 << 29));
}

TEST_F(HeadlessWindowTest, MouseButtonsAndDoubleClicks)
{
    const uint32_t MV = WM_MOUSEMOVE;
    RunTable({
        {"left click",
         [](HeadlessWindow& w) { w.MouseDown(1, 5, 6), w.MouseUp(1, 5, 6); },
         {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}},
        {"clicks alternate between down and double click",
         [](HeadlessWindow& w) {
             for (uint8_t clicks = 1; clicks <= 4; ++clicks)
                 w.MouseDown(InputEvent::Left, 5, 6, clicks), w.MouseUp(InputEvent::Left, 5, 6);
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON},
          {WM_LBUTTONUP, 0},
          {WM_LBUTTONDBLCLK, MK_LBUTTON},
          {WM_LBUTTONUP, 0},
          {WM_LBUTTONDOWN, MK_LBUTTON},
          {WM_LBUTTONUP, 0},
          {WM_LBUTTONDBLCLK, MK_LBUTTON},
          {WM_LBUTTONUP, 0}}},
        {"right double click",
         [](HeadlessWindow& w) { w.MouseDown(InputEvent::Right, 0, 0, 2); },
         {{WM_RBUTTONDBLCLK, MK_RBUTTON}}},
        {"a middle double click is a second middle press",
         [](HeadlessWindow& w) { w.MouseDown(InputEvent::Middle, 0, 0, 2), w.MouseUp(InputEvent::Middle, 0, 0); },
         {{WM_MBUTTONDOWN, MK_MBUTTON}, {WM_MBUTTONUP, 0}}},
        {"dragging with both buttons and Shift",
         [](HeadlessWindow& w) {
             w.MouseDown(InputEvent::Left, 1, 1);
             w.MouseDown(InputEvent::Right, 1, 1);
             w.KeyDown(VK_SHIFT);
             w.MouseMove(9, 9);
             w.MouseUp(InputEvent::Left, 9, 9);
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON},
          {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON},
          {WM_KEYDOWN, VK_SHIFT},
          {MV, MK_LBUTTON | MK_RBUTTON | MK_SHIFT},
          {WM_LBUTTONUP, MK_RBUTTON | MK_SHIFT}}},
        {"losing the focus lets go of held buttons",
         [](HeadlessWindow& w) {
             w.MouseDown(InputEvent::Left, 1, 1);
             w.Activate(false);
             w.MouseMove(2, 2);
         },
         {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_ACTIVATEAPP, 0}, {MV, 0}}},
    });
}

TEST_F(HeadlessWindowTest, ANewWindowHearsOfItsFocusAfterTheOldOneWentWithIt)
{
    // A screen-mode switch: the old window had the focus and goes before
    // its loss is taken; the new one gains it.
    Window().Activate(true);
    DrainMessages(System());
    mWindow.reset();
    WindowSpec spec;
    spec.title = u"Test";
    spec.visible = false; // the focus comes later, as from a window manager
    std::unique_ptr<Quib::Window> next = System().CreateMainWindow(spec);
    DrainMessages(System());
    auto& made = *static_cast<HeadlessWindow*>(next.get());
    made.Activate(true);
    made.Activate(true);
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, uint32_t(WM_ACTIVATEAPP));
    EXPECT_EQ(messages[0].wParam, WPARAM(1));
    EXPECT_EQ(messages[0].window, next.get());
}

TEST_F(HeadlessWindowTest, MousePositionsAreSigned16BitWords)
{
    HeadlessWindow& window = Window();
    window.MouseMove(-5, 70000);
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(LowWordSigned(messages[0].lParam), -5);
    EXPECT_EQ(HighWordSigned(messages[0].lParam), 32767);
    int x = 0, y = 0;
    window.GetLastMousePosition(x, y);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, 32767);
}

TEST_F(HeadlessWindowTest, WheelStepsAreWholeNotchesAndSmallStepsAddUp)
{
    struct WheelCase {
        const char* what;
        std::vector<float> steps;
        std::vector<int> deltas; // of the WM_MOUSEWHEEL messages
        int rest;                // carried
    };
    const WheelCase cases[] = {
        {"one notch", {1}, {120}, 0},
        {"two notches towards the user", {-2}, {-240}, 0},
        {"four quarter notches make one", {0.25f, 0.25f, 0.25f, 0.25f}, {120}, 0},
        {"a step and a half leaves the half", {1.5f}, {120}, 60},
        {"turning back drops the rest", {0.5f, -0.25f}, {}, -30},
        {"after turning back", {0.5f, -0.25f, -0.75f}, {-120}, 0},
        {"very many notches are split into 16-bit deltas", {600}, {32760, 32760, 6480}, 0},
        {"nothing from no movement", {0}, {}, 0},
    };
    for (const WheelCase& c : cases) {
        Fresh();
        HeadlessWindow& window = Window();
        for (float step : c.steps)
            window.Wheel(step);
        std::vector<int> deltas;
        for (const WindowMessage& m : DrainMessages(System())) {
            ASSERT_EQ(m.message, uint32_t(WM_MOUSEWHEEL)) << c.what;
            deltas.push_back(HighWordSigned(intptr_t(m.wParam)));
        }
        EXPECT_EQ(deltas, c.deltas) << c.what;
        EXPECT_EQ(System().Translation().WheelRest(), c.rest) << c.what;
    }
}

TEST_F(HeadlessWindowTest, WheelMessagesCarryTheScreenPosition)
{
    HeadlessWindow& window = Window();
    window.Move(100, 50);
    window.MouseMove(7, 8);
    window.Wheel(1);
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.back().message, uint32_t(WM_MOUSEWHEEL));
    EXPECT_EQ(LowWordSigned(messages.back().lParam), 107);
    EXPECT_EQ(HighWordSigned(messages.back().lParam), 58);
}

TEST_F(HeadlessWindowTest, WindowStateMessages)
{
    RunTable({
        {"activation only on changes",
         [](HeadlessWindow& w) { w.Activate(false), w.Activate(true), w.Activate(true), w.Activate(false); },
         {{WM_ACTIVATEAPP, 0}, {WM_ACTIVATEAPP, 1}, {WM_ACTIVATEAPP, 0}}},
        {"minimise and restore",
         [](HeadlessWindow& w) {
             w.Activate(true);
             w.Show(ShowCommand::Minimise);
             w.Show(ShowCommand::Restore);
         },
         {{WM_ACTIVATEAPP, 1},
          {WM_SIZE, SIZE_MINIMIZED},
          {WM_ACTIVATEAPP, 0},
          {WM_SIZE, SIZE_RESTORED},
          {WM_ACTIVATEAPP, 1}}},
        {"maximise",
         [](HeadlessWindow& w) { w.Show(ShowCommand::Maximise); },
         {{WM_SIZE, SIZE_MAXIMIZED}, {WM_ACTIVATEAPP, 1}}},
        {"a close request", [](HeadlessWindow& w) { w.RequestClose(); }, {{WM_CLOSE, 0}}},
        {"paints wait until the rest is taken and come once",
         [](HeadlessWindow& w) {
             w.Expose();
             w.KeyDown('Q');
             w.Expose();
         },
         {{WM_KEYDOWN, 'Q'}, {WM_PAINT, 0}}},
    });
}

TEST_F(HeadlessWindowTest, RestoreAndMoveReportSizeAndPosition)
{
    HeadlessWindow& window = Window();
    window.Show(ShowCommand::Minimise);
    EXPECT_TRUE(window.IsMinimised());
    window.Show(ShowCommand::ShowNormal);
    window.Move(30, 40);
    const auto messages = DrainMessages(System());
    ASSERT_GE(messages.size(), 3u);
    const WindowMessage& restored = messages[messages.size() - 3];
    EXPECT_EQ(restored.message, uint32_t(WM_SIZE));
    EXPECT_EQ(restored.wParam, WPARAM(SIZE_RESTORED));
    EXPECT_EQ(restored.lParam, MakeLParam(640, 480));
    EXPECT_EQ(messages.back().message, uint32_t(WM_MOVE));
    EXPECT_EQ(messages.back().lParam, MakeLParam(30, 40));
    EXPECT_EQ(window.State(), ShowState::Normal);
    EXPECT_TRUE(window.IsActive());
    int x = 0, y = 0;
    window.GetPosition(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

TEST_F(HeadlessWindowTest, TheSessionEndClosesTheInvisibleWindow)
{
    Window();
    auto invisible = System().CreateInvisibleWindow(u"Hidden");
    EXPECT_FALSE(invisible->HasNativeWindow());
    EXPECT_EQ(invisible->NativeHandle(), nullptr);
    EXPECT_EQ(invisible->Title(), u"Hidden");
    EXPECT_FALSE(invisible->IsVisible());
    System().EndSession();
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].window, invisible.get());
    EXPECT_EQ(messages[0].message, uint32_t(WM_CLOSE));
}

// ---------------------------------------------------------------- queue

TEST_F(HeadlessWindowTest, TimersFireWhenDueAndNeverPileUp)
{
    HeadlessWindow& window = Window();
    window.SetTimer(100, 10);
    EXPECT_TRUE(DrainMessages(System()).empty());
    clock.Advance(9);
    EXPECT_TRUE(DrainMessages(System()).empty());
    clock.Advance(1);
    auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, uint32_t(WM_TIMER));
    EXPECT_EQ(messages[0].wParam, WPARAM(100));
    clock.Advance(35); // a stall: still one message
    EXPECT_EQ(DrainMessages(System()).size(), 1u);
    // Input first, the timer after it.
    clock.Advance(10);
    window.KeyDown('A');
    messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, uint32_t(WM_KEYDOWN));
    EXPECT_EQ(messages[1].message, uint32_t(WM_TIMER));
    EXPECT_TRUE(window.KillTimer(100));
    EXPECT_FALSE(window.KillTimer(100));
    clock.Advance(100);
    EXPECT_TRUE(DrainMessages(System()).empty());
}

class RecordingProcedure : public WindowProcedure {
public:
    LPARAM WindowProc(Window& window, uint32_t message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back({&window, message, wParam, lParam});
        return message == WM_SETCURSOR ? 1 : window.System().DefWindowProc(window, message, wParam, lParam);
    }
    std::vector<WindowMessage> seen;
};

TEST_F(HeadlessWindowTest, DispatchHandsMessagesToTheProcedureAndAltF4Closes)
{
    HeadlessWindow& window = Window();
    RecordingProcedure procedure;
    window.SetProcedure(&procedure);
    window.KeyDown(VK_MENU);
    window.KeyDown(VK_F4);
    for (int round = 0; round < 2; ++round)
        for (const WindowMessage& m : DrainMessages(System()))
            System().DispatchMessage(m);
    ASSERT_EQ(procedure.seen.size(), 3u);
    EXPECT_EQ(procedure.seen[1].wParam, WPARAM(VK_F4));
    EXPECT_EQ(procedure.seen[2].message, uint32_t(WM_CLOSE));
    EXPECT_EQ(procedure.seen[2].window, &window);

    // Without a procedure the default handling runs.
    window.SetProcedure(nullptr);
    EXPECT_EQ(System().DispatchMessage({&window, WM_SYSKEYDOWN, VK_F4, 0}), 0);
    EXPECT_EQ(DrainMessages(System()).size(), 1u);
}

TEST_F(HeadlessWindowTest, MessagesOfADestroyedWindowAreDropped)
{
    Window().KeyDown('A');
    Quib::Window* gone = mWindow.get();
    EXPECT_TRUE(System().PostMessage(gone, WM_USER + 1));
    EXPECT_EQ(System().QueuedMessageCount(), 2u);
    mWindow.reset();
    EXPECT_EQ(System().QueuedMessageCount(), 0u);
    EXPECT_FALSE(System().PostMessage(gone, WM_USER + 1));
    EXPECT_EQ(System().DispatchMessage({gone, WM_CLOSE, 0, 0}), 0);
    EXPECT_EQ(System().MainWindow(), nullptr);
}

TEST_F(HeadlessWindowTest, PostedMessagesFromOtherThreadsKeepTheirOrder)
{
    HeadlessWindow& window = Window();
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            System().PostMessage(&window, WM_USER, WPARAM(i));
    });
    poster.join();
    const auto messages = DrainMessages(System());
    ASSERT_EQ(messages.size(), 100u);
    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ(messages[i].wParam, WPARAM(i));
}

TEST_F(HeadlessWindowTest, WindowsAreMadeAsAskedAndCanFail)
{
    WindowSpec spec;
    spec.title = u"Full";
    spec.mode = WindowMode::FullScreen;
    auto full = System().CreateMainWindow(spec);
    ASSERT_NE(full, nullptr);
    int width = 0, height = 0;
    full->GetClientSize(width, height);
    EXPECT_EQ(width, System().screen.width);
    EXPECT_EQ(height, System().screen.height);
    EXPECT_EQ(full->Mode(), WindowMode::FullScreen);
    EXPECT_FALSE(full->IsVisible());
    EXPECT_EQ(System().MainWindow(), full.get());
    full->SetTitle(u"Renamed");
    EXPECT_EQ(full->Title(), u"Renamed");

    CapturingSink sink;
    System().failCreate = true;
    EXPECT_EQ(System().CreateMainWindow(spec), nullptr);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_NE(sink.debugLines[0].find("could not be made"), std::string::npos);
}

TEST(WindowMessages, RegisteredMessagesAreStablePerName)
{
    const uint32_t notify = RegisterWindowMessage("NotifyProduct");
    EXPECT_GE(notify, 0xC000u);
    EXPECT_LE(notify, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("notifyPRODUCT"), notify);
    EXPECT_NE(RegisterWindowMessage("NotifyOther"), notify);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

} // namespace
} // namespace Quib
