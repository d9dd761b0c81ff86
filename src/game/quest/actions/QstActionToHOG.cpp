#include "src/game/quest/actions/QstActionToHOG.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

#include <cstdio>

namespace Quib {

QstActionDataToHOG::QstActionDataToHOG(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataToHOG::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    // The won actions keep their own name: the level hands it back and the
    // scene runs it by name, which must never start this level again.
    winGroupName = name + "_WinHOG";
    winGroup = QstActionsGroupData::CreateNested(element, winGroupName);
    for (int n = 1;; ++n) {
        char attr[32];
        std::snprintf(attr, sizeof attr, "item%d", n);
        std::string value = element->GetAttrDefault(attr, "");
        if (value.empty())
            break;
        items.push_back(std::move(value));
    }
    if (items.empty())
        return element->ReportError("No one item found (name=\"" + name + "\")");
    if (!element->GetAttr("scene_name", sceneName))
        return false;
    noToPool = element->GetAttrBool("no_to_pool", false);
    return element->GetAttr("hog_item", hogItem);
}

EQstCursorType QstActionDataToHOG::GetCursorType(QstActor*, std::string&, bool* conditional, std::string*)
{
    if (conditional)
        *conditional = false;
    return QST_CURSOR_HOG;
}

void QstActionDataToHOG::ForEachData(const ActionDataVisitor& visitor)
{
    visitor(this);
    if (winGroup)
        winGroup->ForEachData(visitor);
}

QstAction* QstActionDataToHOG::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionToHOG(actor, item, this);
}

void QstActionDataToHOG::CollectRunNames(std::vector<std::string>& names) const
{
    if (winGroup)
        names.push_back(winGroupName);
}

QstActionToHOG::QstActionToHOG(QstActor* actor, QstItem* item, QstActionDataToHOG* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionToHOG::Start()
{
    actor->ToHOG(item, *description);
    done = true;
}

} // namespace Quib
