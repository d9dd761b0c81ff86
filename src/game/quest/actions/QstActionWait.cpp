#include "src/game/quest/actions/QstActionWait.h"

#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

namespace Quib {

QstActionDataWait::QstActionDataWait(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataWait::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    // The nested group's own name, so that running it never finds the wait.
    nestedName = name + "_WaitEnd";
    nested = QstActionsGroupData::CreateNested(element, nestedName);
    return element->GetAttrFloatOpt("time", time);
}

EQstCursorType QstActionDataWait::GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                                std::string* target)
{
    if (conditional)
        *conditional = false;
    return nested ? nested->GetCursorType(actor, popupField, conditional, target) : QST_CURSOR_NONE;
}

void QstActionDataWait::ForEachData(const ActionDataVisitor& visitor)
{
    visitor(this);
    if (nested)
        nested->ForEachData(visitor);
}

QstAction* QstActionDataWait::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create)
{
    return new QstActionWait(actor, item, this, create);
}

void QstActionDataWait::CollectRunNames(std::vector<std::string>& names) const
{
    if (nested)
        names.push_back(nestedName);
}

QstActionWait::QstActionWait(QstActor* actor, QstItem* item, QstActionDataWait* description,
                             const CreateActionDelegate& create)
    : QstAction(actor, item), create(create), description(description)
{
}

QstActionWait::~QstActionWait()
{
    delete nested;
}

void QstActionWait::Start()
{
    remaining = description->time;
}

void QstActionWait::Update(float seconds)
{
    remaining -= seconds;
    if (nested) {
        nested->Update(seconds);
        if (nested->IsDone())
            done = true;
        return;
    }
    if (nestedCreated || remaining > 0.0f)
        return;
    // Runs once; a nested group the scene cannot make finishes the wait.
    nestedCreated = true;
    nested = description->nested ? create(item, description->nestedName) : nullptr;
    if (!nested) {
        done = true;
        return;
    }
    nested->Start();
    if (nested->IsDone())
        done = true;
}

} // namespace Quib
