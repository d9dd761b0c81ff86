#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>
#include <vector>

namespace Quib {

class QstActionsGroupData;

// Starts a hidden-object level; the won-actions group runs when it is won.
class QstActionDataToHOG : public QstActionData {
public:
    explicit QstActionDataToHOG(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    void ForEachData(const ActionDataVisitor& visitor) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;
    void CollectRunNames(std::vector<std::string>& names) const override;

    std::vector<std::string> items;
    std::string sceneName;
    bool noToPool = false;
    std::string hogItem;
    QstActionsGroupData* winGroup = nullptr; // not owned
    std::string winGroupName;                // name + "_WinHOG"
};

class QstActionToHOG : public QstAction {
public:
    QstActionToHOG(QstActor* actor, QstItem* item, QstActionDataToHOG* description);
    void Start() override;

    QstActionDataToHOG* description = nullptr; // not owned
};

} // namespace Quib
