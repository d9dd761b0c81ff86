#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Takes an item out of the inventory.
class QstActionDataRemoveFromPool : public QstActionData {
public:
    explicit QstActionDataRemoveFromPool(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string item; // empty: the script's own item
};

class QstActionRemoveFromPool : public QstAction {
public:
    QstActionRemoveFromPool(QstActor* actor, QstItem* item, QstActionDataRemoveFromPool* description);
    void Start() override;

    QstActionDataRemoveFromPool* description = nullptr; // not owned
};

} // namespace Quib
