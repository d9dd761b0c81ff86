#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Plays a sound effect once.
class QstActionDataSound : public QstActionData {
public:
    explicit QstActionDataSound(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string soundName;
};

class QstActionSound : public QstAction {
public:
    QstActionSound(QstActor* actor, QstItem* item, QstActionDataSound* description);
    void Start() override;

    QstActionDataSound* description = nullptr; // not owned
};

} // namespace Quib
