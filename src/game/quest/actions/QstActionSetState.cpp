#include "src/game/quest/actions/QstActionSetState.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionReading.h"

namespace Quib {

bool ReadActionItemRef(QstXmlElement* element, const std::string& actionName, std::string& out)
{
    std::string value = element->GetAttrDefault("item", "???");
    if (value.empty())
        return element->ReportError("Attribute \"item\" can't be void string (name=\"" + actionName + "\")");
    out = value == "???" ? std::string() : value;
    return true;
}

QstActionDataSetState::QstActionDataSetState(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataSetState::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!ReadActionItemRef(element, name, item))
        return false;
    if (!element->GetAttr("new_state", newState))
        return false;
    isImmediately = element->GetAttrBool("is_immediately", false);
    isUpdatePool = element->GetAttrBool("is_update_pool", false);
    return true;
}

EQstCursorType QstActionDataSetState::GetCursorType(QstActor*, std::string&, bool* conditional, std::string*)
{
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataSetState::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionSetState(actor, item, this);
}

QstActionSetState::QstActionSetState(QstActor* actor, QstItem* item, QstActionDataSetState* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionSetState::Start()
{
    actor->SetItemState(item, description->item, description->newState, description->isImmediately);
    if (description->isUpdatePool)
        actor->UpdatePoolItem(item, description->item);
    done = true;
}

} // namespace Quib
