#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Shows a text through the scene's message callback.
class QstActionDataMsgBubble : public QstActionData {
public:
    explicit QstActionDataMsgBubble(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    bool HasMessage(QstActor* actor, QstItem* item, QstItemState* state) override;

    std::string text; // key in section "MsgBubble"
};

class QstActionMsgBubble : public QstAction {
public:
    QstActionMsgBubble(QstActor* actor, QstItem* item, QstActionDataMsgBubble* description);
    void Start() override;

    QstActionDataMsgBubble* description = nullptr; // not owned
};

} // namespace Quib
