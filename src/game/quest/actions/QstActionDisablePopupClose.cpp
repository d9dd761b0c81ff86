#include "src/game/quest/actions/QstActionDisablePopupClose.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataDisablePopupClose::QstActionDataDisablePopupClose(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataDisablePopupClose::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("field_name", fieldName))
        return false;
    return true;
}

EQstCursorType QstActionDataDisablePopupClose::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataDisablePopupClose::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionDisablePopupClose(actor, item, this);
}

QstActionDisablePopupClose::QstActionDisablePopupClose(QstActor* actor, QstItem* item, QstActionDataDisablePopupClose* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionDisablePopupClose::Start()
{
    actor->DisablePopupClose(description->fieldName);
    done = true;
}

} // namespace Quib
