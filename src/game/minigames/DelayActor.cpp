#include "src/game/minigames/DelayActor.h"

#include "src/game/minigames/QstFieldMinigame.h"

namespace Quib {

DelayActor::DelayActor(QstFieldMinigame* owner) : mOwner(owner ? owner->WatchSelf() : std::weak_ptr<QstFieldMinigame*>())
{
}

DelayActor::~DelayActor()
{
    if (QstFieldMinigame* owner = GetOwner())
        owner->RunOnWin();
}

QstFieldMinigame* DelayActor::GetOwner() const
{
    std::shared_ptr<QstFieldMinigame*> owner = mOwner.lock();
    return owner ? *owner : nullptr;
}

} // namespace Quib
