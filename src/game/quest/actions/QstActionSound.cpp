#include "src/game/quest/actions/QstActionSound.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/Sounds.h"

namespace Quib {

QstActionDataSound::QstActionDataSound(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataSound::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("sound_name", soundName))
        return false;
    return true;
}

EQstCursorType QstActionDataSound::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_USE;
}

QstAction* QstActionDataSound::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionSound(actor, item, this);
}

QstActionSound::QstActionSound(QstActor* actor, QstItem* item, QstActionDataSound* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionSound::Start()
{
    PlaySoundEffect(description->soundName);
    done = true;
}

} // namespace Quib
