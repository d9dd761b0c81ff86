#pragma once
// The flags of a widget walk, their modifiers, and one modal-layer entry.

#include <cstdint>

namespace Quib {

class Widget;

// Behaviour bits of a widget walk (one int).
enum WidgetFlags : int32_t {
    WIDGETFLAGS_UPDATE = 0x01,      // Update and UpdateElapsed run
    WIDGETFLAGS_MARK_DIRTY = 0x02,  // invalidate on every update walk
    WIDGETFLAGS_DRAW = 0x04,        // Draw and DrawOverChildren run
    WIDGETFLAGS_CLIP = 0x08,        // drawing is clipped to the bounds
    WIDGETFLAGS_ALLOW_MOUSE = 0x10, // can be hit by the mouse
    WIDGETFLAGS_ALLOW_FOCUS = 0x20, // may keep the keyboard focus
    WIDGETFLAGS_DEFAULT = 0x3D,     // every bit but MARK_DIRTY
};

// Bits added, then bits removed.
struct WidgetFlagsMod {
    int32_t addFlags = 0;
    int32_t removeFlags = 0;

    WidgetFlagsMod() = default;
    constexpr WidgetFlagsMod(int32_t add, int32_t remove) : addFlags(add), removeFlags(remove) {}
    constexpr int32_t Apply(int32_t flags) const { return (flags | addFlags) & ~removeFlags; }
    bool operator==(const WidgetFlagsMod&) const = default;
};

// The flags carried down an update or draw walk: the upper flags hold for
// the modal base and everything walked after it, the lower ones beneath.
struct TreeWalkFlags {
    int32_t upperFlags = 0;
    int32_t lowerFlags = 0;
    bool aboveBase = false;

    int32_t Current() const { return aboveBase ? upperFlags : lowerFlags; }
    void ApplyMod(const WidgetFlagsMod& mod)
    {
        upperFlags = mod.Apply(upperFlags);
        lowerFlags = mod.Apply(lowerFlags);
    }
};

// One entry of the manager's modal stack: who opened it and what it replaced.
struct ModalLayer {
    Widget* opener = nullptr;
    Widget* prevBase = nullptr;
    Widget* prevFocus = nullptr;
    WidgetFlagsMod prevBelowMod;
};

// Mouse clicks: 1 / 2 left single / double, -1 / -2 right, 3 middle.
using ClickCode = int32_t;
inline constexpr ClickCode CLICK_LEFT = 1;
inline constexpr ClickCode CLICK_LEFT_DOUBLE = 2;
inline constexpr ClickCode CLICK_RIGHT = -1;
inline constexpr ClickCode CLICK_RIGHT_DOUBLE = -2;
inline constexpr ClickCode CLICK_MIDDLE = 3;

// Windows virtual-key codes the widgets read.
inline constexpr int KEYCODE_TAB = 9;
inline constexpr int KEYCODE_SHIFT = 16;
inline constexpr int KEYCODE_CONTROL = 17;

} // namespace Quib
