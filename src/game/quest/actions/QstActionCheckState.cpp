#include "src/game/quest/actions/QstActionCheckState.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

#include <cstdio>

namespace Quib {

QstActionDataCheckState::QstActionDataCheckState(std::string name) : QstActionsGroupData(std::move(name)) {}

bool QstActionDataCheckState::DoInitFromXML(QstXmlElement* element)
{
    // An error among the children is reported but keeps the check.
    QstActionsGroupData::DoInitFromXML(element);
    for (int n = 1;; ++n) {
        char itemAttr[32];
        char stateAttr[32];
        std::snprintf(itemAttr, sizeof itemAttr, "item%d", n);
        std::snprintf(stateAttr, sizeof stateAttr, "state%d", n);
        const std::string item = element->GetAttrDefault(itemAttr, "");
        const std::string state = element->GetAttrDefault(stateAttr, "");
        if (item.empty() && state.empty()) {
            if (conditions.empty())
                return element->ReportError("No one condition found (name=\"" + name + "\")");
            return true;
        }
        if (item.empty())
            return element->ReportError(std::string("Attribute \"") + itemAttr + "\" can't be void string when \"" +
                                        stateAttr + "\" found (name=\"" + name + "\")");
        if (state.empty())
            return element->ReportError(std::string("Attribute \"") + stateAttr + "\" can't be void string when \"" +
                                        itemAttr + "\" found (name=\"" + name + "\")");
        conditions.push_back({item, state});
    }
}

bool QstActionDataCheckState::CheckState(QstActor* actor) const
{
    for (const SStateCondition& condition : conditions) {
        if (!actor || !actor->HasItem(condition.item)) {
            // A check on an item that is not there does not hold. Logged once:
            // the cursor asks on every mouse move.
            if (!missingLogged)
                QUIB_LOG_ERROR("QstActionDataCheckState name=\"%s\" can't get state for item \"%s\"", name,
                               condition.item);
            missingLogged = true;
            return false;
        }
        if (actor->GetItemStateName(condition.item) != condition.state)
            return false;
    }
    return true;
}

EQstCursorType QstActionDataCheckState::GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                                      std::string* target)
{
    if (conditional)
        *conditional = true;
    if (!CheckState(actor))
        return QST_CURSOR_NONE;
    return QstActionsGroupData::GetCursorType(actor, popupField, conditional, target);
}

QstAction* QstActionDataCheckState::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create)
{
    auto* check = new QstActionCheckState(actor, item, this);
    CreateChildren(check, item, create);
    return check;
}

QstActionCheckState::QstActionCheckState(QstActor* actor, QstItem* item, QstActionDataCheckState* description)
    : QstActionsGroup(actor, item, description), checkDescription(description)
{
}

void QstActionCheckState::Start()
{
    passed = checkDescription->CheckState(actor);
    if (passed) {
        QstActionsGroup::Start();
        return;
    }
    // Nothing will ever run: finished, so that neither this action nor the
    // groups above it stay on the running list.
    for (QstAction* child : children)
        delete child;
    children.clear();
    done = true;
}

void QstActionCheckState::Update(float seconds)
{
    if (passed)
        QstActionsGroup::Update(seconds);
}

} // namespace Quib
