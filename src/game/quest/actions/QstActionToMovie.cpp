#include "src/game/quest/actions/QstActionToMovie.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

#include <tinyxml.h>

namespace Quib {

QstActionDataToMovie::QstActionDataToMovie(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataToMovie::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("movie_name", movieName) || !element->GetAttr("next_scene", nextScene))
        return false;
    handCursor = element->HasAttr("hand_cursor");
    TiXmlElement* xml = element->GetElement();
    TiXmlElement* doneXml = xml ? xml->FirstChildElement("OnDone") : nullptr;
    if (!doneXml)
        return element->ReportError("Tag OnDone not found");
    QstXmlElement cursor(doneXml, *element);
    onDoneName = name + "_OnDone";
    onDone = QstActionsGroupData::CreateNested(&cursor, onDoneName);
    return true;
}

EQstCursorType QstActionDataToMovie::GetCursorType(QstActor*, std::string&, bool* conditional, std::string* target)
{
    if (conditional)
        *conditional = false;
    if (target)
        *target = "movie_" + movieName;
    return handCursor ? QST_CURSOR_USE : QST_CURSOR_LEAVE;
}

void QstActionDataToMovie::ForEachData(const ActionDataVisitor& visitor)
{
    visitor(this);
    if (onDone)
        onDone->ForEachData(visitor);
}

QstAction* QstActionDataToMovie::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionToMovie(actor, item, this);
}

void QstActionDataToMovie::CollectRunNames(std::vector<std::string>& names) const
{
    if (onDone)
        names.push_back(onDoneName);
}

QstActionToMovie::QstActionToMovie(QstActor* actor, QstItem* item, QstActionDataToMovie* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionToMovie::Start()
{
    actor->ToMovie(item, *description);
    done = true;
}

} // namespace Quib
