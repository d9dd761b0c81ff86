#include "src/game/quest/QstItemStateDraw.h"

namespace Quib {

QstItemStateDraw::QstItemStateDraw(QstItem* itemIn) : item(itemIn) {}
QstItemStateDraw::~QstItemStateDraw() { Clear(); }
void QstItemStateDraw::SetState(const std::string&, bool) {}
void QstItemStateDraw::Clear() { layers.clear(); }

} // namespace Quib
