#include "src/game/quest/actions/QstAction.h"

namespace Quib {

QstAction::QstAction(QstActor* actor, QstItem* item) : actor(actor), item(item) {}

QstAction::~QstAction() = default;

void QstAction::Update(float) {}

} // namespace Quib
