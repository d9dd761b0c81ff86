#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"
#include "framework/core/Point.h"
#include <string>

namespace Quib {

// Puts an item into the inventory, flying or at once.
class QstActionDataToPool : public QstActionData {
public:
    explicit QstActionDataToPool(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string item; // empty: the script's own item
    std::string newState;
    std::string dstItem;
    std::string flyFromItem;
    bool hasFlyFromPos = false;
    TPoint<float> flyFromPos;
    bool noFly = false;
};

class QstActionToPool : public QstAction {
public:
    QstActionToPool(QstActor* actor, QstItem* item, QstActionDataToPool* description);
    void Start() override;

    QstActionDataToPool* description = nullptr; // not owned
};

} // namespace Quib
