#include "platform/sdl/SdlEventTranslator.h"

#include <array>
#include <cstring>

namespace Quib {

namespace {

struct KeyEntry {
    SDL_Scancode scancode;
    uint8_t vk;
};

// Keys by their place on the keyboard. Letters are looked up by what the
// layout puts on them first (see VirtualKeyFromSdl).
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_CLEAR, VK_CLEAR},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_RETURN2, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_1, '1'},
    {SDL_SCANCODE_2, '2'},
    {SDL_SCANCODE_3, '3'},
    {SDL_SCANCODE_4, '4'},
    {SDL_SCANCODE_5, '5'},
    {SDL_SCANCODE_6, '6'},
    {SDL_SCANCODE_7, '7'},
    {SDL_SCANCODE_8, '8'},
    {SDL_SCANCODE_9, '9'},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_F1, VK_F1},
    {SDL_SCANCODE_F2, VK_F1 + 1},
    {SDL_SCANCODE_F3, VK_F1 + 2},
    {SDL_SCANCODE_F4, VK_F1 + 3},
    {SDL_SCANCODE_F5, VK_F1 + 4},
    {SDL_SCANCODE_F6, VK_F1 + 5},
    {SDL_SCANCODE_F7, VK_F1 + 6},
    {SDL_SCANCODE_F8, VK_F1 + 7},
    {SDL_SCANCODE_F9, VK_F1 + 8},
    {SDL_SCANCODE_F10, VK_F1 + 9},
    {SDL_SCANCODE_F11, VK_F1 + 10},
    {SDL_SCANCODE_F12, VK_F1 + 11},
    {SDL_SCANCODE_F13, VK_F1 + 12},
    {SDL_SCANCODE_F14, VK_F1 + 13},
    {SDL_SCANCODE_F15, VK_F1 + 14},
    {SDL_SCANCODE_F16, VK_F1 + 15},
    {SDL_SCANCODE_F17, VK_F1 + 16},
    {SDL_SCANCODE_F18, VK_F1 + 17},
    {SDL_SCANCODE_F19, VK_F1 + 18},
    {SDL_SCANCODE_F20, VK_F1 + 19},
    {SDL_SCANCODE_F21, VK_F1 + 20},
    {SDL_SCANCODE_F22, VK_F1 + 21},
    {SDL_SCANCODE_F23, VK_F1 + 22},
    {SDL_SCANCODE_F24, VK_F1 + 23},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
};

// The number pad: the key with Num Lock on, and with it off.
struct PadEntry {
    SDL_Scancode scancode;
    uint8_t withNumLock;
    uint8_t withoutNumLock;
};
constexpr PadEntry kPad[] = {
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, VK_INSERT},      {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, VK_DOWN},    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, VK_LEFT},    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},   {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, VK_UP},      {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE},
};

struct KeyTable {
    std::array<uint8_t, SDL_NUM_SCANCODES> vk{};
    KeyTable()
    {
        for (const KeyEntry& entry : kKeys)
            vk[entry.scancode] = entry.vk;
        for (int i = 0; i < 26; ++i)
            vk[SDL_SCANCODE_A + i] = uint8_t('A' + i);
    }
};

uint8_t Modifiers(uint16_t mod)
{
    uint8_t modifiers = 0;
    if (mod & KMOD_SHIFT)
        modifiers |= InputEvent::Shift;
    if (mod & KMOD_CTRL)
        modifiers |= InputEvent::Ctrl;
    if (mod & KMOD_ALT)
        modifiers |= InputEvent::Alt;
    return modifiers;
}

uint8_t Button(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return InputEvent::Left;
    case SDL_BUTTON_MIDDLE: return InputEvent::Middle;
    case SDL_BUTTON_RIGHT: return InputEvent::Right;
    default: return 0;
    }
}

} // namespace

uint8_t VirtualKeyFromSdl(const SDL_Keysym& key)
{
    static const KeyTable table;
    // Letters as the layout places them (an AZERTY "A" key is VK 'A').
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return uint8_t('A' + (key.sym - SDLK_a));
    for (const PadEntry& entry : kPad)
        if (entry.scancode == key.scancode)
            return (key.mod & KMOD_NUM) ? entry.withNumLock : entry.withoutNumLock;
    if (key.scancode < 0 || key.scancode >= SDL_NUM_SCANCODES)
        return 0;
    return table.vk[key.scancode];
}

uint32_t SdlEventWindowId(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

bool SdlEventToInput(const SDL_Event& event, InputEvent& out)
{
    out = InputEvent();
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.type = event.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
        out.vk = VirtualKeyFromSdl(event.key.keysym);
        out.repeat = event.key.repeat != 0;
        out.modifiers = Modifiers(event.key.keysym.mod);
        return out.vk != 0;
    case SDL_TEXTINPUT:
        out.type = InputEvent::Text;
        out.text.assign(event.text.text, strnlen(event.text.text, sizeof event.text.text));
        return !out.text.empty();
    case SDL_MOUSEMOTION:
        out.type = InputEvent::MouseMove;
        out.x = event.motion.x;
        out.y = event.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out.type = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::MouseDown : InputEvent::MouseUp;
        out.button = Button(event.button.button);
        out.clicks = event.button.clicks ? event.button.clicks : 1;
        out.x = event.button.x;
        out.y = event.button.y;
        return out.button != 0;
    case SDL_MOUSEWHEEL: {
        out.type = InputEvent::Wheel;
        // Older senders fill only the whole steps.
        float notches = event.wheel.preciseY != 0 ? event.wheel.preciseY : float(event.wheel.y);
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        out.wheel = notches;
        return notches != 0;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: out.type = InputEvent::FocusGained; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: out.type = InputEvent::FocusLost; return true;
        case SDL_WINDOWEVENT_MINIMIZED: out.type = InputEvent::Minimised; return true;
        case SDL_WINDOWEVENT_MAXIMIZED: out.type = InputEvent::Maximised; return true;
        case SDL_WINDOWEVENT_RESTORED: out.type = InputEvent::Restored; return true;
        case SDL_WINDOWEVENT_MOVED:
            out.type = InputEvent::Moved;
            out.x = event.window.data1;
            out.y = event.window.data2;
            return true;
        case SDL_WINDOWEVENT_EXPOSED: out.type = InputEvent::Exposed; return true;
        case SDL_WINDOWEVENT_CLOSE: out.type = InputEvent::CloseRequest; return true;
        case SDL_WINDOWEVENT_ENTER: out.type = InputEvent::MouseEntered; return true;
        case SDL_WINDOWEVENT_LEAVE: out.type = InputEvent::MouseLeft; return true;
        default: return false;
        }
    case SDL_QUIT: out.type = InputEvent::SessionEnd; return true;
    case SDL_DISPLAYEVENT: out.type = InputEvent::DisplayChanged; return true;
    default: return false;
    }
}

void SdlEventTranslator::Translate(const SDL_Event& event, Window* window, std::vector<WindowMessage>& out)
{
    InputEvent input;
    if (SdlEventToInput(event, input))
        mInput.Translate(input, window, out);
}

} // namespace Quib
