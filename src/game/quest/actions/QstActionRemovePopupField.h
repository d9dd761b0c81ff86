#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Closes the topmost field on screen.
class QstActionDataRemovePopupField : public QstActionData {
public:
    explicit QstActionDataRemovePopupField(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

};

class QstActionRemovePopupField : public QstAction {
public:
    QstActionRemovePopupField(QstActor* actor, QstItem* item, QstActionDataRemovePopupField* description);
    void Start() override;

    QstActionDataRemovePopupField* description = nullptr; // not owned
};

} // namespace Quib
