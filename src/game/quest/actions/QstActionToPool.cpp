#include "src/game/quest/actions/QstActionToPool.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionReading.h"

#include <cstdlib>

namespace Quib {

QstActionDataToPool::QstActionDataToPool(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataToPool::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!ReadActionItemRef(element, name, item))
        return false;
    if (!element->GetAttr("new_state", newState))
        return false;
    dstItem = element->GetAttrDefault("dst_item", "");
    flyFromItem = element->GetAttrDefault("fly_from_item", "");
    if (element->HasAttr("fly_from_pos")) {
        hasFlyFromPos = true;
        const std::string text = element->GetAttrDefault("fly_from_pos", "");
        const size_t comma = text.find(',');
        flyFromPos.x = static_cast<float>(std::atof(text.substr(0, comma).c_str()));
        flyFromPos.y = comma == std::string::npos ? 0.0f : static_cast<float>(std::atof(text.c_str() + comma + 1));
    }
    noFly = element->GetAttrBool("no_fly", false);
    return true;
}

EQstCursorType QstActionDataToPool::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataToPool::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionToPool(actor, item, this);
}

QstActionToPool::QstActionToPool(QstActor* actor, QstItem* item, QstActionDataToPool* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionToPool::Start()
{
    const QstActionDataToPool& d = *description;
    actor->ToPool(item, d.item, d.newState, std::string(), d.dstItem, d.noFly, d.flyFromItem,
                  d.hasFlyFromPos ? &d.flyFromPos : nullptr);
    done = true;
}

} // namespace Quib
