#include "src/game/quest/actions/QstActionRemovePopupField.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataRemovePopupField::QstActionDataRemovePopupField(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataRemovePopupField::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;

    return true;
}

EQstCursorType QstActionDataRemovePopupField::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataRemovePopupField::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionRemovePopupField(actor, item, this);
}

QstActionRemovePopupField::QstActionRemovePopupField(QstActor* actor, QstItem* item, QstActionDataRemovePopupField* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionRemovePopupField::Start()
{
    actor->CloseTopPopupField();
    done = true;
}

} // namespace Quib
