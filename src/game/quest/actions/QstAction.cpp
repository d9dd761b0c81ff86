#include "src/game/quest/actions/QstAction.h"

namespace Quib {

size_t QstAction::liveCount = 0;

QstAction::QstAction(QstActor* actor, QstItem* item) : actor(actor), item(item)
{
    ++liveCount;
}

QstAction::~QstAction()
{
    --liveCount;
}

void QstAction::Update(float) {}

} // namespace Quib
