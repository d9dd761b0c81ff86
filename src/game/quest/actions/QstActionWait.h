#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

class QstActionsGroupData;

// Runs its nested group once the time has passed.
class QstActionDataWait : public QstActionData {
public:
    explicit QstActionDataWait(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    void ForEachData(const ActionDataVisitor& visitor) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;
    void CollectRunNames(std::vector<std::string>& names) const override;

    QstActionsGroupData* nested = nullptr; // not owned
    std::string nestedName;                // name + "_WaitEnd"
    float time = 0.0f;
};

class QstActionWait : public QstAction {
public:
    QstActionWait(QstActor* actor, QstItem* item, QstActionDataWait* description, const CreateActionDelegate& create);
    ~QstActionWait() override;

    void Start() override;
    void Update(float seconds) override;

    CreateActionDelegate create;
    QstActionDataWait* description = nullptr; // not owned
    float remaining = 0.0f;
    QstAction* nested = nullptr; // owned
    bool nestedCreated = false;
};

} // namespace Quib
