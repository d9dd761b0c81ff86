#pragma once
#include <cstdint>
#include <string_view>

namespace Quib {

class Window;

// Window messages and their numbers: the window procedure and the demo
// files speak these.
enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_ENABLE = 0x000A,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUERYOPEN = 0x0013,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_ENDSESSION = 0x0016,
    WM_ACTIVATEAPP = 0x001C,
    WM_SETCURSOR = 0x0020,
    WM_DISPLAYCHANGE = 0x007E,
    WM_NCACTIVATE = 0x0086,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
};

// wParam of WM_SIZE.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// Mouse-key flags in the low word of a mouse message's wParam.
enum : uint32_t { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };
// WM_SETCURSOR's hit-test code for the client area.
enum : uint32_t { HTCLIENT = 1 };
// One notch of a wheel.
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes. Letters are 'A'..'Z' and digits '0'..'9'.
enum : uint8_t {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12, // Alt
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21, // Page Up
    VK_NEXT = 0x22,  // Page Down
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F8 = 0x77,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,      // ; :
    VK_OEM_PLUS = 0xBB,   // = +
    VK_OEM_COMMA = 0xBC,  // , <
    VK_OEM_MINUS = 0xBD,  // - _
    VK_OEM_PERIOD = 0xBE, // . >
    VK_OEM_2 = 0xBF,      // / ?
    VK_OEM_3 = 0xC0,      // ` ~
    VK_OEM_4 = 0xDB,      // [ {
    VK_OEM_5 = 0xDC,      // backslash |
    VK_OEM_6 = 0xDD,      // ] }
    VK_OEM_7 = 0xDE,      // ' "
    VK_OEM_102 = 0xE2,    // the extra key beside the left Shift
};

using WPARAM = uintptr_t;
using LPARAM = intptr_t;

// One message for a window's procedure.
struct WindowMessage {
    Window* window = nullptr;
    uint32_t message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    bool operator==(const WindowMessage&) const = default;
};

// The two 16-bit halves of a parameter; the values are cut to 16 bits.
constexpr LPARAM MakeLParam(int low, int high)
{
    return LPARAM(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr WPARAM MakeWParam(int low, int high)
{
    return WPARAM(uint32_t(MakeLParam(low, high)));
}
// Signed low and high words: the x and y of mouse messages, the wheel delta.
constexpr int LowWordSigned(intptr_t value)
{
    return int16_t(uint16_t(uintptr_t(value) & 0xFFFF));
}
constexpr int HighWordSigned(intptr_t value)
{
    return int16_t(uint16_t((uintptr_t(value) >> 16) & 0xFFFF));
}
constexpr unsigned LowWord(intptr_t value)
{
    return unsigned(uintptr_t(value) & 0xFFFF);
}

// A message number of the range 0xC000..0xFFFF that stays the same for the
// same name (letter case aside) for the life of the process; 0 for an empty
// name or when the range is used up.
uint32_t RegisterWindowMessage(std::string_view name);

} // namespace Quib
