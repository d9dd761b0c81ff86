#include "src/game/quest/actions/QstActionMsgBubble.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/Lang.h"

namespace Quib {

QstActionDataMsgBubble::QstActionDataMsgBubble(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataMsgBubble::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("text", text))
        return false;
    return true;
}

EQstCursorType QstActionDataMsgBubble::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataMsgBubble::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionMsgBubble(actor, item, this);
}

bool QstActionDataMsgBubble::HasMessage(QstActor*, QstItem*, QstItemState*)
{
    return text.empty();
}

QstActionMsgBubble::QstActionMsgBubble(QstActor* actor, QstItem* item, QstActionDataMsgBubble* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionMsgBubble::Start()
{
    if (!description->text.empty())
        actor->ShowMessage(Lang::Instance()("MsgBubble", description->text), -1.0f);
    done = true;
}

} // namespace Quib
