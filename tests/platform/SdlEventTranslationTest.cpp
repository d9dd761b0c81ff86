// SDL events built by hand, through the SDL backend's translation: no
// display needed.
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/sdl/SdlEventTranslator.h"

#include <cstring>
#include <gtest/gtest.h>

namespace Quib {
namespace {

SDL_Event Key(bool down, SDL_Scancode scancode, SDL_Keycode sym = SDLK_UNKNOWN, Uint16 mod = KMOD_NONE,
              bool repeat = false)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym != SDLK_UNKNOWN ? sym : SDL_SCANCODE_TO_KEYCODE(scancode);
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    return event;
}

SDL_Event Button(bool down, Uint8 button, Uint8 clicks, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event Motion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event Wheel(int y, float preciseY, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = y;
    event.wheel.preciseY = preciseY;
    event.wheel.direction = direction;
    return event;
}

SDL_Event WindowEvent(Uint8 what, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event OfType(Uint32 type)
{
    SDL_Event event{};
    event.type = type;
    return event;
}

struct Message {
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Message& m)
{
    return out << "(0x" << std::hex << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << std::dec << ")";
}

constexpr LPARAM kDown = 1, kUp = 1 | (LPARAM(1) << 30) | LPARAM(uint32_t(1) << 31), kSystem = LPARAM(1) << 29;

struct EventCase {
    const char* what;
    std::vector<SDL_Event> events;
    std::vector<Message> expected;
};

TEST(SdlEventTranslation, EventsBecomeWindowMessages)
{
    const EventCase cases[] = {
        {"Escape", {Key(true, SDL_SCANCODE_ESCAPE)}, {{WM_KEYDOWN, 27, kDown}, {WM_CHAR, 27, 1}}},
        {"F1 and F12",
         {Key(true, SDL_SCANCODE_F1), Key(false, SDL_SCANCODE_F12)},
         {{WM_KEYDOWN, 0x70, kDown}, {WM_KEYUP, 0x7B, kUp}}},
        {"a letter is its capital",
         {Key(true, SDL_SCANCODE_Q, SDLK_q), Text("q"), Key(false, SDL_SCANCODE_Q, SDLK_q)},
         {{WM_KEYDOWN, 'Q', kDown}, {WM_CHAR, 'q', 1}, {WM_KEYUP, 'Q', kUp}}},
        {"letters follow the layout (the AZERTY A on the Q place)",
         {Key(true, SDL_SCANCODE_Q, SDLK_a)},
         {{WM_KEYDOWN, 'A', kDown}}},
        {"letters of a non-Latin layout fall back to the place",
         {Key(true, SDL_SCANCODE_F, 0x0430)},
         {{WM_KEYDOWN, 'F', kDown}}},
        {"digits by their place",
         {Key(true, SDL_SCANCODE_1, '&'), Key(true, SDL_SCANCODE_0)},
         {{WM_KEYDOWN, '1', kDown}, {WM_KEYDOWN, '0', kDown}}},
        {"Shift, Ctrl and Alt whichever side",
         {Key(true, SDL_SCANCODE_RSHIFT, SDLK_UNKNOWN, KMOD_RSHIFT), Key(false, SDL_SCANCODE_RSHIFT),
          Key(true, SDL_SCANCODE_LCTRL, SDLK_UNKNOWN, KMOD_LCTRL), Key(false, SDL_SCANCODE_LCTRL),
          Key(true, SDL_SCANCODE_RALT, SDLK_UNKNOWN, KMOD_RALT)},
         {{WM_KEYDOWN, 16, kDown},
          {WM_KEYUP, 16, kUp},
          {WM_KEYDOWN, 17, kDown},
          {WM_KEYUP, 17, kUp},
          {WM_SYSKEYDOWN, 18, kDown | kSystem}}},
        {"arrows",
         {Key(true, SDL_SCANCODE_LEFT), Key(true, SDL_SCANCODE_UP), Key(true, SDL_SCANCODE_RIGHT),
          Key(true, SDL_SCANCODE_DOWN)},
         {{WM_KEYDOWN, 37, kDown}, {WM_KEYDOWN, 38, kDown}, {WM_KEYDOWN, 39, kDown}, {WM_KEYDOWN, 40, kDown}}},
        {"number pad with Num Lock",
         {Key(true, SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM), Key(true, SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NUM),
          Key(true, SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM)},
         {{WM_KEYDOWN, 0x60, kDown}, {WM_KEYDOWN, 0x69, kDown}, {WM_KEYDOWN, VK_DECIMAL, kDown}}},
        {"number pad without Num Lock",
         {Key(true, SDL_SCANCODE_KP_8, SDLK_KP_8), Key(true, SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD)},
         {{WM_KEYDOWN, VK_UP, kDown}, {WM_KEYDOWN, VK_DELETE, kDown}}},
        {"number pad operators and Enter",
         {Key(true, SDL_SCANCODE_KP_PLUS), Key(true, SDL_SCANCODE_KP_MULTIPLY), Key(true, SDL_SCANCODE_KP_ENTER)},
         {{WM_KEYDOWN, VK_ADD, kDown},
          {WM_KEYDOWN, VK_MULTIPLY, kDown},
          {WM_KEYDOWN, 13, kDown},
          {WM_CHAR, 13, 1}}},
        {"punctuation",
         {Key(true, SDL_SCANCODE_MINUS), Key(true, SDL_SCANCODE_GRAVE)},
         {{WM_KEYDOWN, VK_OEM_MINUS, kDown}, {WM_KEYDOWN, VK_OEM_3, kDown}}},
        {"a held key repeats",
         {Key(true, SDL_SCANCODE_SPACE, SDLK_SPACE, 0, true)},
         {{WM_KEYDOWN, ' ', kDown | (LPARAM(1) << 30)}}},
        {"keys without a virtual key say nothing", {Key(true, SDL_SCANCODE_AUDIONEXT)}, {}},
        {"Alt+F4 and Alt+Enter",
         {Key(true, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT), Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT)},
         {{WM_SYSKEYDOWN, VK_F4, kDown | kSystem},
          {WM_SYSKEYDOWN, VK_RETURN, kDown | kSystem},
          {WM_SYSCHAR, 13, 1}}},
        {"Ctrl+V types 22 and drops the text",
         {Key(true, SDL_SCANCODE_V, SDLK_v, KMOD_LCTRL), Text("v")},
         {{WM_KEYDOWN, 'V', kDown}, {WM_CHAR, 22, 1}}},
        {"text as UTF-16 units",
         {Text("\xE2\x82\xAC\xF0\x9F\x8E\xB2")},
         {{WM_CHAR, 0x20AC, 1}, {WM_CHAR, 0xD83C, 1}, {WM_CHAR, 0xDFB2, 1}}},
        {"mouse move", {Motion(12, 34)}, {{WM_MOUSEMOVE, 0, MakeLParam(12, 34)}}},
        {"left double click",
         {Button(true, SDL_BUTTON_LEFT, 1, 5, 5), Button(false, SDL_BUTTON_LEFT, 1, 5, 5),
          Button(true, SDL_BUTTON_LEFT, 2, 5, 5)},
         {{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5)},
          {WM_LBUTTONUP, 0, MakeLParam(5, 5)},
          {WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 5)}}},
        {"right and middle buttons",
         {Button(true, SDL_BUTTON_RIGHT, 1, 1, 2), Button(true, SDL_BUTTON_MIDDLE, 1, 1, 2),
          Button(false, SDL_BUTTON_RIGHT, 1, 1, 2)},
         {{WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(1, 2)},
          {WM_MBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, MakeLParam(1, 2)},
          {WM_RBUTTONUP, MK_MBUTTON, MakeLParam(1, 2)}}},
        {"extra buttons say nothing", {Button(true, SDL_BUTTON_X1, 1, 0, 0)}, {}},
        {"a dragged mouse outside the window", {Motion(-20, -3)}, {{WM_MOUSEMOVE, 0, MakeLParam(-20, -3)}}},
        {"wheel notches",
         {Wheel(1, 1.0f), Wheel(-1, -1.0f)},
         {{WM_MOUSEWHEEL, MakeWParam(0, 120), 0}, {WM_MOUSEWHEEL, MakeWParam(0, -120), 0}}},
        {"a smooth wheel's small steps add up",
         {Wheel(0, 0.4f), Wheel(0, 0.4f), Wheel(0, 0.4f)},
         {{WM_MOUSEWHEEL, MakeWParam(0, 120), 0}}},
        {"flipped wheels are turned back",
         {Wheel(1, 1.0f, SDL_MOUSEWHEEL_FLIPPED)},
         {{WM_MOUSEWHEEL, MakeWParam(0, -120), 0}}},
        {"senders without the precise value", {Wheel(2, 0.0f)}, {{WM_MOUSEWHEEL, MakeWParam(0, 240), 0}}},
        {"focus",
         {WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST)},
         {{WM_ACTIVATEAPP, 1, 0}, {WM_ACTIVATEAPP, 0, 0}}},
        {"minimised, restored, maximised",
         {WindowEvent(SDL_WINDOWEVENT_MINIMIZED), WindowEvent(SDL_WINDOWEVENT_RESTORED),
          WindowEvent(SDL_WINDOWEVENT_MAXIMIZED)},
         {{WM_SIZE, SIZE_MINIMIZED, 0},
          {WM_SIZE, SIZE_RESTORED, MakeLParam(800, 600)},
          {WM_SIZE, SIZE_MAXIMIZED, MakeLParam(800, 600)}}},
        {"moved", {WindowEvent(SDL_WINDOWEVENT_MOVED, 300, 200)}, {{WM_MOVE, 0, MakeLParam(300, 200)}}},
        {"exposed", {WindowEvent(SDL_WINDOWEVENT_EXPOSED)}, {{WM_PAINT, 0, 0}}},
        {"close", {WindowEvent(SDL_WINDOWEVENT_CLOSE)}, {{WM_CLOSE, 0, 0}}},
        {"quit", {OfType(SDL_QUIT)}, {{WM_CLOSE, 0, 0}}},
        {"the cursor comes over the window",
         {WindowEvent(SDL_WINDOWEVENT_ENTER), WindowEvent(SDL_WINDOWEVENT_LEAVE)},
         {{WM_SETCURSOR, 0, MakeLParam(HTCLIENT, WM_MOUSEMOVE)}}},
        {"window events without a meaning here",
         {WindowEvent(SDL_WINDOWEVENT_SHOWN), OfType(SDL_KEYMAPCHANGED)},
         {}},
    };
    for (const EventCase& c : cases) {
        HeadlessWindowSystem system;
        WindowSpec spec;
        spec.width = 800;
        spec.height = 600;
        auto window = system.CreateMainWindow(spec);
        SdlEventTranslator translator;
        std::vector<WindowMessage> out;
        for (const SDL_Event& event : c.events)
            translator.Translate(event, window.get(), out);
        std::vector<Message> got;
        for (const WindowMessage& m : out) {
            EXPECT_EQ(m.window, window.get()) << c.what;
            got.push_back({m.message, m.wParam, m.lParam});
        }
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(SdlEventTranslation, EventsNameTheirWindow)
{
    SDL_Event key = Key(true, SDL_SCANCODE_A);
    key.key.windowID = 7;
    SDL_Event wheel = Wheel(1, 1);
    wheel.wheel.windowID = 8;
    SDL_Event window = WindowEvent(SDL_WINDOWEVENT_CLOSE);
    window.window.windowID = 9;
    EXPECT_EQ(SdlEventWindowId(key), 7u);
    EXPECT_EQ(SdlEventWindowId(wheel), 8u);
    EXPECT_EQ(SdlEventWindowId(window), 9u);
    EXPECT_EQ(SdlEventWindowId(OfType(SDL_QUIT)), 0u);
}

TEST(SdlEventTranslation, EveryFunctionKeyAndLetterHasItsCode)
{
    for (int i = 0; i < 24; ++i) {
        const SDL_Scancode scancode = i < 12 ? SDL_Scancode(SDL_SCANCODE_F1 + i)
                                             : SDL_Scancode(SDL_SCANCODE_F13 + i - 12);
        EXPECT_EQ(VirtualKeyFromSdl(Key(true, scancode).key.keysym), 0x70 + i) << "F" << i + 1;
    }
    for (int i = 0; i < 26; ++i) {
        const SDL_Scancode scancode = SDL_Scancode(SDL_SCANCODE_A + i);
        EXPECT_EQ(VirtualKeyFromSdl(Key(true, scancode).key.keysym), 'A' + i);
    }
    for (int i = 0; i < 10; ++i) {
        const SDL_Scancode scancode = SDL_Scancode(SDL_SCANCODE_KP_1 + (i + 9) % 10); // KP_0 follows KP_9
        EXPECT_EQ(VirtualKeyFromSdl(Key(true, scancode, SDLK_UNKNOWN, KMOD_NUM).key.keysym), VK_NUMPAD0 + i);
    }
}

} // namespace
} // namespace Quib
