#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Makes a field one that cannot be closed.
class QstActionDataDisablePopupClose : public QstActionData {
public:
    explicit QstActionDataDisablePopupClose(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string fieldName; // field reference
};

class QstActionDisablePopupClose : public QstAction {
public:
    QstActionDisablePopupClose(QstActor* actor, QstItem* item, QstActionDataDisablePopupClose* description);
    void Start() override;

    QstActionDataDisablePopupClose* description = nullptr; // not owned
};

} // namespace Quib
