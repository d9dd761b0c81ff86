#include "src/game/GameShellHost.h"

namespace Quib {

namespace {

GameShellHost* gHost = nullptr;

} // namespace

GameShellHost& GetGameShellHost()
{
    static GameShellHost silent;
    return gHost ? *gHost : silent;
}

GameShellHost* SetGameShellHost(GameShellHost* host)
{
    GameShellHost* old = gHost;
    gHost = host;
    return old;
}

} // namespace Quib
