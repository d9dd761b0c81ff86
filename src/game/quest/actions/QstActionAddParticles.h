#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"
#include "framework/core/Point.h"
#include <string>

namespace Quib {

// Starts a particle effect that deletes itself when finished.
class QstActionDataAddParticles : public QstActionData {
public:
    explicit QstActionDataAddParticles(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string particlesName;
    bool hasPos = false;
    Point pos;
};

class QstActionAddParticles : public QstAction {
public:
    QstActionAddParticles(QstActor* actor, QstItem* item, QstActionDataAddParticles* description);
    void Start() override;

    QstActionDataAddParticles* description = nullptr; // not owned
};

} // namespace Quib
