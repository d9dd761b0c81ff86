#include "src/game/quest/actions/QstActionMsgBook.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataMsgBook::QstActionDataMsgBook(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataMsgBook::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("record", record))
        return false;
    return true;
}

EQstCursorType QstActionDataMsgBook::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataMsgBook::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionMsgBook(actor, item, this);
}

QstActionMsgBook::QstActionMsgBook(QstActor* actor, QstItem* item, QstActionDataMsgBook* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionMsgBook::Start()
{
    actor->AddJournalRecord(description->record);
    done = true;
}

} // namespace Quib
