// The SDL backend with a real window under SDL's offscreen driver.
#include "platform/headless/CapturingSink.h"
#include "platform/sdl/SdlMessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>
#include <thread>

namespace Quib {
namespace {

using Testing::DrainMessages;

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system = SdlWindowSystem::Create();
        ASSERT_NE(system, nullptr) << SDL_GetError();
    }

    std::unique_ptr<Window> MakeWindow(WindowMode mode = WindowMode::Windowed)
    {
        WindowSpec spec;
        spec.title = u"T\u00ebst";
        spec.width = 320;
        spec.height = 200;
        spec.mode = mode;
        return system->CreateMainWindow(spec);
    }

    SDL_Event KeyFor(const Window& window, SDL_Scancode scancode)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window.NativeHandle()));
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        return event;
    }

    // The offscreen driver when none was chosen, so that no display is needed.
    Testing::ScopedEnv driver{"SDL_VIDEODRIVER",
                              std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen"};
    std::unique_ptr<SdlWindowSystem> system;
};

TEST_F(SdlWindowTest, OpensAWindowWithoutADisplay)
{
    EXPECT_TRUE(system->IsHeadlessDriver()) << system->DriverName();
    const ScreenMetrics screen = system->Screen();
    EXPECT_GT(screen.width, 0);
    EXPECT_GT(screen.height, 0);
    EXPECT_EQ(screen.bitsPerPixel, 32);
    EXPECT_GT(screen.workArea.Width(), 0);

    auto window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->HasNativeWindow());
    ASSERT_NE(window->NativeHandle(), nullptr);
    EXPECT_EQ(std::string(SDL_GetWindowTitle(static_cast<SDL_Window*>(window->NativeHandle()))), "T\xC3\xABst");
    int width = 0, height = 0;
    window->GetClientSize(width, height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(window->State(), ShowState::Hidden);
    window->Show(ShowCommand::ShowNormal);
    window->SetForeground();
    EXPECT_TRUE(window->IsVisible());
    window->Move(40, 30);
    int x = 0, y = 0;
    window->GetPosition(x, y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    window->SetTitle(u"Other");
    EXPECT_EQ(std::string(SDL_GetWindowTitle(static_cast<SDL_Window*>(window->NativeHandle()))), "Other");
    EXPECT_EQ(system->MainWindow(), window.get());
    DrainMessages(*system); // whatever showing it said
}

TEST_F(SdlWindowTest, PumpedEventsArriveAsMessagesForTheirWindow)
{
    auto window = MakeWindow();
    ASSERT_NE(window, nullptr);
    auto invisible = system->CreateInvisibleWindow(u"Hidden");
    DrainMessages(*system);

    SDL_Event key = KeyFor(*window, SDL_SCANCODE_ESCAPE);
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    SDL_Event stray = KeyFor(*window, SDL_SCANCODE_A);
    stray.key.windowID += 1000; // a window that does not exist
    ASSERT_EQ(SDL_PushEvent(&stray), 1);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = key.key.windowID;
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);

    std::vector<WindowMessage> messages;
    for (const WindowMessage& m : DrainMessages(*system))
        if (m.message != WM_PAINT && m.message != WM_ACTIVATEAPP && m.message != WM_MOVE && m.message != WM_SIZE)
            messages.push_back(m);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], (WindowMessage{window.get(), WM_KEYDOWN, VK_ESCAPE, 1}));
    EXPECT_EQ(messages[1], (WindowMessage{window.get(), WM_CHAR, 27, 1}));
    EXPECT_EQ(messages[2], (WindowMessage{window.get(), WM_CLOSE, 0, 0}));
    EXPECT_EQ(messages[3], (WindowMessage{invisible.get(), WM_CLOSE, 0, 0}));

    // After the window is gone its events go nowhere.
    SDL_Event late = KeyFor(*window, SDL_SCANCODE_B);
    window.reset();
    ASSERT_EQ(SDL_PushEvent(&late), 1);
    EXPECT_TRUE(DrainMessages(*system).empty());
}

TEST_F(SdlWindowTest, TimersRunOnTheSystemClock)
{
    auto window = MakeWindow();
    ASSERT_NE(window, nullptr);
    window->SetTimer(100, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bool timer = false;
    for (const WindowMessage& m : DrainMessages(*system))
        timer = timer || (m.message == WM_TIMER && m.wParam == 100 && m.window == window.get());
    EXPECT_TRUE(timer);
}

TEST_F(SdlWindowTest, FullScreenCoversTheDesktop)
{
    auto window = MakeWindow(WindowMode::FullScreen);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Mode(), WindowMode::FullScreen);
    EXPECT_TRUE(SDL_GetWindowFlags(static_cast<SDL_Window*>(window->NativeHandle())) &
                SDL_WINDOW_FULLSCREEN_DESKTOP);
}

TEST_F(SdlWindowTest, ClipboardSpeaksWindows1252AtTheCallerAndUtf8Inside)
{
    Clipboard& clipboard = system->GetClipboard();
    EXPECT_TRUE(clipboard.SetText("Caf\xE9 \x80 5"));
    EXPECT_EQ(clipboard.GetUtf8(), "Caf\xC3\xA9 \xE2\x82\xAC 5");
    EXPECT_EQ(clipboard.GetText(), "Caf\xE9 \x80 5");
    // Text from elsewhere with characters Windows-1252 lacks.
    EXPECT_TRUE(clipboard.SetUtf8("\xE6\x97\xA5 ok"));
    EXPECT_EQ(clipboard.GetText(), "? ok");
    // Text ends at its first zero byte, as a C string would.
    EXPECT_TRUE(clipboard.SetText(std::string_view("ab\0cd", 5)));
    EXPECT_EQ(clipboard.GetText(), "ab");
}

TEST_F(SdlWindowTest, CursorsFromMasksPixelsAndTheSystem)
{
    CapturingSink sink;
    auto window = MakeWindow();
    ASSERT_NE(window, nullptr);
    CursorSystem& cursors = system->Cursors();
    CursorMasks masks;
    ASSERT_TRUE(GetBuiltinCursorMasks(1, masks));
    const CursorId hand = cursors.CreateMaskCursor(masks);
    EXPECT_NE(hand, 0u);
    std::vector<uint32_t> pixels(16 * 16, 0xFF00FF00u);
    const CursorId colour = cursors.CreateColorCursor(pixels.data(), 16, 16, 16, 3, 4);
    EXPECT_NE(colour, 0u);
    const CursorId arrow = cursors.GetStandardCursor(StandardCursor::Arrow);
    EXPECT_NE(arrow, 0u);
    EXPECT_EQ(cursors.GetStandardCursor(StandardCursor::Arrow), arrow);

    cursors.SetCursor(hand);
    EXPECT_EQ(cursors.CurrentCursor(), hand);
    cursors.ShowCursor(false);
    EXPECT_FALSE(cursors.IsCursorShown());
    cursors.ShowCursor(true);
    cursors.DestroyCursor(hand);
    EXPECT_EQ(cursors.CurrentCursor(), 0u);
    cursors.SetCursor(hand); // gone: no cursor
    EXPECT_EQ(cursors.CurrentCursor(), 0u);
    cursors.DestroyCursor(arrow); // standard cursors stay
    EXPECT_EQ(cursors.GetStandardCursor(StandardCursor::Arrow), arrow);
    cursors.WarpCursor(*window, 10, 10);

    EXPECT_TRUE(sink.debugLines.empty());
    EXPECT_EQ(cursors.CreateColorCursor(pixels.data(), 16, 16, 15, 0, 0), 0u);           // pitch too small
    EXPECT_EQ(cursors.CreateColorCursor(pixels.data(), 16, 16, 16, 16, 0), 0u);          // hot spot outside
    EXPECT_EQ(cursors.CreateMaskCursor(masks.andMask, masks.xorMask, 30, 32, 0, 0), 0u); // not whole bytes
    EXPECT_EQ(sink.debugLines.size(), 3u);
}

TEST_F(SdlWindowTest, MessageBoxesNeverWaitWithoutADisplay)
{
    auto window = MakeWindow();
    SdlMessageSink sink(system.get());
    EXPECT_EQ(sink.ShowMessageBox("Go on?", "Question", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(sink.ShowMessageBoxW(u"Broken \u20ac", u"Error", MB_OK | MB_ICONERROR), IDOK);
    SdlMessageSink noWindows(nullptr);
    EXPECT_EQ(noWindows.ShowMessageBox("Sure?", "Question", MB_OKCANCEL), IDOK);
}

TEST(SdlMessageSink, ButtonsIconsAndClosingFollowTheStyle)
{
    auto answers = [](unsigned style) {
        std::vector<int> result;
        for (const SdlMessageSink::Button& button : SdlMessageSink::ButtonsFor(style))
            result.push_back(button.answer);
        return result;
    };
    EXPECT_EQ(answers(MB_OK), std::vector<int>({IDOK}));
    EXPECT_EQ(answers(MB_OKCANCEL | MB_ICONWARNING), std::vector<int>({IDOK, IDCANCEL}));
    EXPECT_EQ(answers(MB_YESNO | MB_ICONQUESTION), std::vector<int>({IDYES, IDNO}));
    EXPECT_TRUE(SdlMessageSink::ButtonsFor(MB_YESNO)[0].onReturn);
    EXPECT_TRUE(SdlMessageSink::ButtonsFor(MB_YESNO)[1].onEscape);
    EXPECT_EQ(SdlMessageSink::ClosedAnswer(MB_YESNO), IDNO);
    EXPECT_EQ(SdlMessageSink::ClosedAnswer(MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(SdlMessageSink::ClosedAnswer(MB_OK), IDOK);
    EXPECT_EQ(SdlMessageSink::IconFlagsFor(MB_ICONERROR), uint32_t(SDL_MESSAGEBOX_ERROR));
    EXPECT_EQ(SdlMessageSink::IconFlagsFor(MB_ICONWARNING | MB_OKCANCEL), uint32_t(SDL_MESSAGEBOX_WARNING));
    EXPECT_EQ(SdlMessageSink::IconFlagsFor(MB_ICONQUESTION), uint32_t(SDL_MESSAGEBOX_INFORMATION));
}

} // namespace
} // namespace Quib
