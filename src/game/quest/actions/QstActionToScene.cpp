#include "src/game/quest/actions/QstActionToScene.h"

#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstActionDataToScene::QstActionDataToScene(std::string name) : QstActionData(std::move(name)) {}

bool QstActionDataToScene::DoInitFromXML(QstXmlElement* element)
{
    if (!QstActionData::DoInitFromXML(element))
        return false;
    if (!element->GetAttr("scene_name", sceneName))
        return false;
    return true;
}

EQstCursorType QstActionDataToScene::GetCursorType(QstActor*, std::string& popupField, bool* conditional, std::string* target)
{
    (void)popupField;
    (void)target;
    if (conditional)
        *conditional = false;
    if (target)
        *target = "scene_" + sceneName;
    return QST_CURSOR_LEAVE;
}

QstAction* QstActionDataToScene::CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate&)
{
    return new QstActionToScene(actor, item, this);
}

void QstActionDataToScene::CollectTargetScenes(std::set<std::string>& scenes)
{
    scenes.insert(sceneName);
}

void QstActionToScene::GoToScene()
{
    actor->GoToScene(description->sceneName);
}

QstActionToScene::QstActionToScene(QstActor* actor, QstItem* item, QstActionDataToScene* description)
    : QstAction(actor, item), description(description)
{
}

void QstActionToScene::Start()
{
    GoToScene();
    done = true;
}

} // namespace Quib
