#pragma once
#include "platform/WindowMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

// What the system reports about a window, before it becomes messages. The
// SDL backend makes these from SDL events; the headless backend from test
// scripts.
struct InputEvent {
    enum Type : uint8_t {
        KeyDown,        // vk, repeat, modifiers (as they are with the key down)
        KeyUp,          // vk, modifiers (as they are with the key up)
        Text,           // text: UTF-8, what the keys typed
        MouseMove,      // x, y in the client area (may lie outside while captured)
        MouseDown,      // button, clicks (1 single, 2 double, 3 ...), x, y
        MouseUp,        // button, x, y
        Wheel,          // wheel: notches, positive away from the user; fractions from smooth wheels
        FocusGained,    // the window became the active one
        FocusLost,      //
        Minimised,      //
        Maximised,      //
        Restored,       //
        Moved,          // x, y: new client origin on the screen
        Exposed,        // needs painting
        CloseRequest,   // the user asked to close the window
        SessionEnd,     // the session or a signal asks the program to end
        DisplayChanged, // the screen's mode or layout changed; x, y: new screen size
        MouseEntered,   // the cursor came over the window
        MouseLeft,      //
    };
    enum Button : uint8_t { Left = 1, Middle = 2, Right = 3 };
    enum Modifier : uint8_t { Shift = 1, Ctrl = 2, Alt = 4 };

    Type type = MouseMove;
    uint8_t vk = 0;
    bool repeat = false;
    uint8_t modifiers = 0;
    uint8_t button = 0;
    uint8_t clicks = 1;
    int x = 0;
    int y = 0;
    float wheel = 0;
    std::string text;
};

// Turns input events of one window into the messages its procedure
// handles:
// - keys: WM_KEYDOWN/WM_KEYUP with the virtual key; the system forms
//   WM_SYSKEYDOWN/WM_SYSKEYUP while Alt is held without Ctrl, for Alt
//   itself and for F10. Key lParams carry the repeat count 1, bit 29 for
//   the system forms, bit 30 when the key was already down, bit 31 on up.
// - characters: WM_CHAR per UTF-16 unit (a pair of messages for characters
//   above U+FFFF); WM_SYSCHAR instead while Alt is held without Ctrl.
//   Backspace, Tab, Enter and Escape type 8, 9, 13 (10 with Ctrl) and 27,
//   Ctrl with a letter its control code (Ctrl+A = 1); printable text typed
//   while Ctrl is held without Alt is dropped: such keys type their
//   control code only.
// - mouse: WM_MOUSEMOVE, button down/up with the MK_ flags after the change;
//   an even click count of the left or right button is the double-click
//   form (clicks alternate: down, double, down, double). The middle button
//   always gives WM_MBUTTONDOWN: its double-click form carries no click the
//   procedure could use. Coordinates are clamped to 16 bits.
// - wheel: WM_MOUSEWHEEL with whole multiples of 120 only; the rest of a
//   smooth wheel's steps is carried to the next event in the same
//   direction (turning back or losing focus drops it), so small steps add
//   up instead of being cut off. lParam holds the screen position.
// - window: activation as WM_ACTIVATEAPP on changes only; WM_SIZE with
//   SIZE_MINIMIZED / SIZE_MAXIMIZED / SIZE_RESTORED; WM_MOVE; WM_PAINT;
//   WM_CLOSE for a close request and for the end of the session (addressed
//   by the caller); WM_DISPLAYCHANGE; WM_SETCURSOR when the cursor comes
//   over the window.
class InputTranslator {
public:
    // Appends the messages of one event for the window.
    void Translate(const InputEvent& event, Window* window, std::vector<WindowMessage>& out);

    // Forgets held keys, buttons and the wheel rest.
    void Reset();
    // The activation state becomes unknown, so that the next change is
    // reported whatever it is: a new window's focus is its own, and the
    // window it replaces may have gone before its loss was taken.
    void ForgetActivation() { mActive = -1; }

    uint8_t Modifiers() const { return mModifiers; }
    uint32_t HeldButtons() const { return mButtons; } // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON
    int WheelRest() const { return mWheelRest; }      // in 120ths of a notch

private:
    WPARAM MouseKeys() const;
    void AddChar(char16_t c, Window* window, std::vector<WindowMessage>& out) const;

    uint8_t mModifiers = 0;
    uint32_t mButtons = 0;
    int mWheelRest = 0;
    int mMouseX = 0;
    int mMouseY = 0;
    int mActive = -1; // unknown, 0, 1
};

} // namespace Quib
