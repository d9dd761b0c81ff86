#include "src/game/quest/QstBoardHooks.h"

namespace Quib {

namespace {
QstBoardHooks* gBoardHooks = nullptr;
}

QstBoardHooks* QstBoardHooks::Get()
{
    return gBoardHooks;
}

void QstBoardHooks::Set(QstBoardHooks* hooks)
{
    gBoardHooks = hooks;
}

} // namespace Quib
