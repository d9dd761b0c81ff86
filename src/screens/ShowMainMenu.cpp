#include "src/screens/ShowMainMenu.h"

#include "src/GameApp.h"
#include "src/screens/MainMenu.h"
#include "src/screens/ScreenHooks.h"

namespace Quib {

void ShowMainMenu()
{
    if (GameApp* app = GetGameApp())
        app->SwitchToBoard(new MainMenu());
}

ScreenHooks& GetScreenHooks()
{
    static ScreenHooks hooks;
    return hooks;
}

} // namespace Quib
