#include "src/game/quest/actions/QstActionAddParticles.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/QstEffects.h"

#include <cstdlib>

namespace Quib {

QstActionDataAddParticles::QstActionDataAddParticles(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataAddParticles::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("particles_name", particlesName))
        return false;
    if (element->HasAttr("pos")) {
        hasPos = true;
        const std::string text = element->GetAttrDefault("pos", "");
        const size_t comma = text.find(',');
        pos.x = std::atoi(text.substr(0, comma).c_str());
        pos.y = comma == std::string::npos ? 0 : std::atoi(text.c_str() + comma + 1);
    }
    return true;
}

EQstCursorType QstActionDataAddParticles::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    return QST_CURSOR_NONE;
}

QstAction* QstActionDataAddParticles::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionAddParticles(actor, item, this);
}

QstActionAddParticles::QstActionAddParticles(QstActor* actor, QstItem* item, QstActionDataAddParticles* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionAddParticles::Start()
{
    StartQuestParticles(description->particlesName, description->hasPos ? &description->pos : nullptr);
    done = true;
}

} // namespace Quib
