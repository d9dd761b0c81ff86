#pragma once

namespace Quib {

// What a button reports to its owner; mouseButton is 0 left, 1 right,
// 2 middle.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;

    virtual void ButtonPressByMouse(int id, int mouseButton);
    virtual void ButtonPress(int id);
    virtual void ButtonDepressByMouse(int id, int mouseButton);
    virtual void ButtonDepress(int id);
    virtual void ButtonHeldTick(int id);
    virtual void ButtonMouseEnter(int id);
    virtual void ButtonMouseLeave(int id);
    virtual void ButtonMouseMove(int id, int x, int y);
};

} // namespace Quib
