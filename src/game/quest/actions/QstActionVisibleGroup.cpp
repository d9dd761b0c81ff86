#include "src/game/quest/actions/QstActionVisibleGroup.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataVisibleGroup::QstActionDataVisibleGroup(std::string name, bool show)
    : QstActionData(std::move(name)), show(show)
{
}

bool QstActionDataVisibleGroup::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("group_name", groupName))
        return false;
    isImmediately = element->GetAttrBool("is_immediately", false);
    return true;
}

EQstCursorType QstActionDataVisibleGroup::GetCursorType(QstActor*, std::string&, bool* conditional, std::string*)
{
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataVisibleGroup::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionVisibleGroup(actor, item, this);
}

QstActionVisibleGroup::QstActionVisibleGroup(QstActor* actor, QstItem* item, QstActionDataVisibleGroup* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionVisibleGroup::Start()
{
    actor->SetGroupVisible(description->groupName, description->show, description->isImmediately);
    done = true;
}

} // namespace Quib
