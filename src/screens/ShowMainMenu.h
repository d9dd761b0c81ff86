#pragma once

namespace Quib {

// Switches to a new main menu (nothing without an application).
void ShowMainMenu();

} // namespace Quib
