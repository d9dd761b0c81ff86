#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Adds a record to the journal.
class QstActionDataMsgBook : public QstActionData {
public:
    explicit QstActionDataMsgBook(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string record;
};

class QstActionMsgBook : public QstAction {
public:
    QstActionMsgBook(QstActor* actor, QstItem* item, QstActionDataMsgBook* description);
    void Start() override;

    QstActionDataMsgBook* description = nullptr; // not owned
};

} // namespace Quib
