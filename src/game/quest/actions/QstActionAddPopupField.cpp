#include "src/game/quest/actions/QstActionAddPopupField.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataAddPopupField::QstActionDataAddPopupField(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataAddPopupField::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("field_name", fieldName))
        return false;
    return true;
}

EQstCursorType QstActionDataAddPopupField::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    popupField = fieldName;
    return QST_CURSOR_CLOSEUP;
}

QstAction* QstActionDataAddPopupField::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionAddPopupField(actor, item, this);
}

QstActionAddPopupField::QstActionAddPopupField(QstActor* actor, QstItem* item, QstActionDataAddPopupField* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionAddPopupField::Start()
{
    actor->AddPopupField(description->fieldName);
    done = true;
}

} // namespace Quib
