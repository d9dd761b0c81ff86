#pragma once
#include <functional>

namespace Quib {

class BaseBoard;

// Screens the game boards open but do not build: the options popup over a
// board and the credits. Whoever builds them installs them at start-up;
// without one the boards log and go on.
struct ScreenHooks {
    std::function<void(BaseBoard& board)> openOptions;
    std::function<void()> showCredits;
};

ScreenHooks& GetScreenHooks();

} // namespace Quib
