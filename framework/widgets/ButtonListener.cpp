#include "framework/widgets/ButtonListener.h"

namespace Quib {

void ButtonListener::ButtonPressByMouse(int id, int /*mouseButton*/)
{
    ButtonPress(id);
}

void ButtonListener::ButtonPress(int) {}

void ButtonListener::ButtonDepressByMouse(int id, int /*mouseButton*/)
{
    ButtonDepress(id);
}

void ButtonListener::ButtonDepress(int) {}
void ButtonListener::ButtonHeldTick(int) {}
void ButtonListener::ButtonMouseEnter(int) {}
void ButtonListener::ButtonMouseLeave(int) {}
void ButtonListener::ButtonMouseMove(int, int, int) {}

} // namespace Quib
