#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Adds one part to the player's progress.
class QstActionDataAddProgress : public QstActionData {
public:
    explicit QstActionDataAddProgress(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

};

class QstActionAddProgress : public QstAction {
public:
    QstActionAddProgress(QstActor* actor, QstItem* item, QstActionDataAddProgress* description);
    void Start() override;

    QstActionDataAddProgress* description = nullptr; // not owned
};

} // namespace Quib
