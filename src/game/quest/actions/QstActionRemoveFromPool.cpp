#include "src/game/quest/actions/QstActionRemoveFromPool.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionReading.h"

namespace Quib {

QstActionDataRemoveFromPool::QstActionDataRemoveFromPool(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataRemoveFromPool::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!ReadActionItemRef(element, name, item))
        return false;
    return true;
}

EQstCursorType QstActionDataRemoveFromPool::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataRemoveFromPool::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionRemoveFromPool(actor, item, this);
}

QstActionRemoveFromPool::QstActionRemoveFromPool(QstActor* actor, QstItem* item, QstActionDataRemoveFromPool* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionRemoveFromPool::Start()
{
    actor->RemoveFromPool(item, description->item);
    done = true;
}

} // namespace Quib
