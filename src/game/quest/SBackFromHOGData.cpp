#include "src/game/quest/SBackFromHOGData.h"

#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstScene.h"

namespace Quib {

QstItem* SBackFromHOGData::GetItem() const { return QstScene::GetItemByRef(itemRef); }
void SBackFromHOGData::SetItem(const QstItem* item) { itemRef = item ? item->GetFullName() : std::string(); }
std::string SBackFromHOGData::Serialize() const { return {}; }
bool SBackFromHOGData::Deserialize(const std::string&) { return false; }

} // namespace Quib
