#pragma once
#include "src/game/quest/actions/QstActionsGroup.h"
#include "src/game/quest/actions/QstActionsGroupData.h"

#include <string>
#include <vector>

namespace Quib {

struct SStateCondition {
    std::string item; // item reference
    std::string state;
};

// Runs its children as a group when every named item is in its state.
class QstActionDataCheckState : public QstActionsGroupData {
public:
    explicit QstActionDataCheckState(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    // True when every condition holds; an item that cannot be found fails
    // the check (and is logged).
    bool CheckState(QstActor* actor) const;

    std::vector<SStateCondition> conditions;
    mutable bool missingLogged = false;
};

// Starts its children when the check holds at Start; an unmet check is
// finished at once, running nothing.
class QstActionCheckState : public QstActionsGroup {
public:
    QstActionCheckState(QstActor* actor, QstItem* item, QstActionDataCheckState* description);
    void Start() override;
    void Update(float seconds) override;

    QstActionDataCheckState* checkDescription = nullptr; // not owned
    bool passed = false;
};

} // namespace Quib
