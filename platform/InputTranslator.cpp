#include "platform/InputTranslator.h"

#include "platform/TextCodecs.h"
#include "platform/Window.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr LPARAM kKeySystemBit = LPARAM(1) << 29;
constexpr LPARAM kKeyWasDownBit = LPARAM(1) << 30;
constexpr LPARAM kKeyReleasedBit = LPARAM(uint32_t(1) << 31);

int Clamp16(int value)
{
    return std::clamp(value, -32768, 32767);
}

uint32_t ButtonFlag(uint8_t button)
{
    switch (button) {
    case InputEvent::Left: return MK_LBUTTON;
    case InputEvent::Right: return MK_RBUTTON;
    case InputEvent::Middle: return MK_MBUTTON;
    default: return 0;
    }
}

uint8_t ModifierOf(uint8_t vk)
{
    switch (vk) {
    case VK_SHIFT: return InputEvent::Shift;
    case VK_CONTROL: return InputEvent::Ctrl;
    case VK_MENU: return InputEvent::Alt;
    default: return 0;
    }
}

bool AltWithoutCtrl(uint8_t modifiers)
{
    return (modifiers & InputEvent::Alt) && !(modifiers & InputEvent::Ctrl);
}

// The character a key types that comes with no text of its own.
int ControlCharOf(uint8_t vk, uint8_t modifiers)
{
    const bool ctrl = modifiers & InputEvent::Ctrl;
    const bool alt = modifiers & InputEvent::Alt;
    switch (vk) {
    case VK_BACK: return ctrl ? 0x7F : 0x08;
    case VK_TAB: return ctrl ? -1 : 0x09;
    case VK_RETURN: return ctrl ? 0x0A : 0x0D;
    case VK_ESCAPE: return 0x1B;
    default: break;
    }
    if (ctrl && !alt && vk >= 'A' && vk <= 'Z')
        return vk - 'A' + 1;
    return -1;
}

} // namespace

void InputTranslator::Reset()
{
    mModifiers = 0;
    mButtons = 0;
    mWheelRest = 0;
}

WPARAM InputTranslator::MouseKeys() const
{
    WPARAM keys = mButtons;
    if (mModifiers & InputEvent::Shift)
        keys |= MK_SHIFT;
    if (mModifiers & InputEvent::Ctrl)
        keys |= MK_CONTROL;
    return keys;
}

void InputTranslator::AddChar(char16_t c, Window* window, std::vector<WindowMessage>& out) const
{
    out.push_back({window, AltWithoutCtrl(mModifiers) ? WM_SYSCHAR : WM_CHAR, WPARAM(c), 1});
}

void InputTranslator::Translate(const InputEvent& event, Window* window, std::vector<WindowMessage>& out)
{
    switch (event.type) {
    case InputEvent::KeyDown:
    case InputEvent::KeyUp: {
        const bool down = event.type == InputEvent::KeyDown;
        mModifiers = event.modifiers;
        const bool system = AltWithoutCtrl(mModifiers) || event.vk == VK_MENU || event.vk == VK_F10;
        LPARAM lParam = 1;
        if (system)
            lParam |= kKeySystemBit;
        if (!down)
            lParam |= kKeyWasDownBit | kKeyReleasedBit;
        else if (event.repeat)
            lParam |= kKeyWasDownBit;
        const uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        out.push_back({window, message, WPARAM(event.vk), lParam});
        if (down) {
            const int c = ControlCharOf(event.vk, mModifiers);
            if (c >= 0)
                AddChar(char16_t(c), window, out);
        }
        break;
    }
    case InputEvent::Text: {
        // Ctrl without Alt types control codes only (made from the keys).
        if ((mModifiers & InputEvent::Ctrl) && !(mModifiers & InputEvent::Alt))
            break;
        for (char16_t c : Utf8ToUtf16(event.text))
            if (c >= 0x20 && c != 0x7F)
                AddChar(c, window, out);
        break;
    }
    case InputEvent::MouseMove:
        mMouseX = Clamp16(event.x);
        mMouseY = Clamp16(event.y);
        out.push_back({window, WM_MOUSEMOVE, MouseKeys(), MakeLParam(mMouseX, mMouseY)});
        break;
    case InputEvent::MouseDown:
    case InputEvent::MouseUp: {
        const uint32_t flag = ButtonFlag(event.button);
        if (!flag)
            break;
        const bool down = event.type == InputEvent::MouseDown;
        mMouseX = Clamp16(event.x);
        mMouseY = Clamp16(event.y);
        if (down)
            mButtons |= flag;
        else
            mButtons &= ~flag;
        const bool twice = down && event.clicks >= 2 && event.clicks % 2 == 0;
        uint32_t message;
        switch (event.button) {
        case InputEvent::Left: message = down ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP; break;
        case InputEvent::Right: message = down ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP; break;
        default: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        }
        out.push_back({window, message, MouseKeys(), MakeLParam(mMouseX, mMouseY)});
        break;
    }
    case InputEvent::Wheel: {
        if (!std::isfinite(event.wheel))
            break;
        const double units = std::clamp(double(event.wheel) * WHEEL_DELTA, -1e6, 1e6);
        const int delta = int(std::lround(units));
        if (delta == 0)
            break;
        if ((delta > 0) != (mWheelRest > 0) && mWheelRest != 0)
            mWheelRest = 0; // turning back starts afresh
        int total = mWheelRest + delta;
        const int steps = total / WHEEL_DELTA;
        mWheelRest = total - steps * WHEEL_DELTA;
        int screenX = 0, screenY = 0;
        if (window)
            window->GetPosition(screenX, screenY);
        const LPARAM where = MakeLParam(Clamp16(screenX + mMouseX), Clamp16(screenY + mMouseY));
        // The delta is a signed 16-bit word: at most 273 notches a message.
        constexpr int kMostSteps = 32767 / WHEEL_DELTA;
        for (int left = steps; left != 0;) {
            const int part = std::clamp(left, -kMostSteps, kMostSteps);
            out.push_back({window, WM_MOUSEWHEEL, MakeWParam(int(MouseKeys()), part * WHEEL_DELTA), where});
            left -= part;
        }
        break;
    }
    case InputEvent::FocusGained:
    case InputEvent::FocusLost: {
        const int active = event.type == InputEvent::FocusGained ? 1 : 0;
        if (!active) {
            // Keys and buttons let go elsewhere never come back here.
            Reset();
        }
        if (active != mActive) {
            mActive = active;
            out.push_back({window, WM_ACTIVATEAPP, WPARAM(active), 0});
        }
        break;
    }
    case InputEvent::Minimised: out.push_back({window, WM_SIZE, SIZE_MINIMIZED, 0}); break;
    case InputEvent::Maximised:
    case InputEvent::Restored: {
        int width = 0, height = 0;
        if (window)
            window->GetClientSize(width, height);
        out.push_back({window, WM_SIZE, event.type == InputEvent::Maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                       MakeLParam(width, height)});
        break;
    }
    case InputEvent::Moved: out.push_back({window, WM_MOVE, 0, MakeLParam(event.x, event.y)}); break;
    case InputEvent::Exposed: out.push_back({window, WM_PAINT, 0, 0}); break;
    case InputEvent::CloseRequest:
    case InputEvent::SessionEnd: out.push_back({window, WM_CLOSE, 0, 0}); break;
    case InputEvent::DisplayChanged:
        out.push_back({window, WM_DISPLAYCHANGE, 32, MakeLParam(event.x, event.y)});
        break;
    case InputEvent::MouseEntered:
        out.push_back({window, WM_SETCURSOR, 0, MakeLParam(HTCLIENT, int(WM_MOUSEMOVE))});
        break;
    case InputEvent::MouseLeft: break;
    }
    // Shift, Ctrl and Alt themselves change the modifiers only through the
    // state the key event carries; keep it consistent for backends that
    // leave the key's own bit out.
    if (event.type == InputEvent::KeyDown)
        mModifiers |= ModifierOf(event.vk);
    else if (event.type == InputEvent::KeyUp)
        mModifiers &= uint8_t(~ModifierOf(event.vk));
}

} // namespace Quib
