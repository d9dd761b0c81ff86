#include "src/game/quest/actions/QstActionAddProgress.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/QstEffects.h"

namespace Quib {

QstActionDataAddProgress::QstActionDataAddProgress(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataAddProgress::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;

    return true;
}

EQstCursorType QstActionDataAddProgress::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataAddProgress::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionAddProgress(actor, item, this);
}

QstActionAddProgress::QstActionAddProgress(QstActor* actor, QstItem* item, QstActionDataAddProgress* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionAddProgress::Start()
{
    AddGameProgress();
    done = true;
}

} // namespace Quib
