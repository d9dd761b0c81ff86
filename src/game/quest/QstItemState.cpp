#include "src/game/quest/QstItemState.h"

#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstXmlElement.h"

#include <utility>

namespace Quib {

QstItemState::QstItemState(QstItem* itemIn, std::string nameIn) : item(itemIn), name(std::move(nameIn)) {}
QstItemState::~QstItemState() = default;

bool QstItemState::DoInitFromXML(QstXmlElement&, SLoadLayerDataCont&, const std::string&) { return false; }
void QstItemState::Show(bool) {}
void QstItemState::Hide(bool) {}
EQstCursorType QstItemState::GetCursorType(std::string&, std::string*) { return QST_CURSOR_NONE; }
void QstItemState::OnClick() {}
bool QstItemState::OnUse(const std::string&, const std::string&) { return false; }
FRect QstItemState::GetBoundingRect() const { return {}; }
void QstItemState::ComputeHintId() { hintIdComputed = true; }
void QstItemState::AddUsedOn(const std::string& itemFullName, const std::string& stateName)
{
    usableHere.emplace_back(itemFullName, stateName);
}

} // namespace Quib
