#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Switches an item to a state.
class QstActionDataSetState : public QstActionData {
public:
    explicit QstActionDataSetState(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string item; // empty: the script's own item
    std::string newState;
    bool isImmediately = false;
    bool isUpdatePool = false;
};

class QstActionSetState : public QstAction {
public:
    QstActionSetState(QstActor* actor, QstItem* item, QstActionDataSetState* description);
    void Start() override;

    QstActionDataSetState* description = nullptr; // not owned
};

} // namespace Quib
