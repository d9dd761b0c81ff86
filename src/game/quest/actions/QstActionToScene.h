#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Switches to the adventure board of another scene.
class QstActionDataToScene : public QstActionData {
public:
    explicit QstActionDataToScene(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    void CollectTargetScenes(std::set<std::string>& scenes) override;

    std::string sceneName;
};

class QstActionToScene : public QstAction {
public:
    QstActionToScene(QstActor* actor, QstItem* item, QstActionDataToScene* description);
    void Start() override;
    void GoToScene();
    QstActionDataToScene* description = nullptr; // not owned
};

} // namespace Quib
