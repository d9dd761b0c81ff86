#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Opens a close-up field as a popup.
class QstActionDataAddPopupField : public QstActionData {
public:
    explicit QstActionDataAddPopupField(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string fieldName; // field reference
};

class QstActionAddPopupField : public QstAction {
public:
    QstActionAddPopupField(QstActor* actor, QstItem* item, QstActionDataAddPopupField* description);
    void Start() override;

    QstActionDataAddPopupField* description = nullptr; // not owned
};

} // namespace Quib
