#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

// Shows or hides a visible group in every field of the scene.
class QstActionDataVisibleGroup : public QstActionData {
public:
    QstActionDataVisibleGroup(std::string name, bool show);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;

    std::string groupName;
    bool isImmediately = false;
    bool show = true;
};

class QstActionDataShowVisibleGroup : public QstActionDataVisibleGroup {
public:
    explicit QstActionDataShowVisibleGroup(std::string name) : QstActionDataVisibleGroup(std::move(name), true) {}
};

class QstActionDataHideVisibleGroup : public QstActionDataVisibleGroup {
public:
    explicit QstActionDataHideVisibleGroup(std::string name) : QstActionDataVisibleGroup(std::move(name), false) {}
};

class QstActionVisibleGroup : public QstAction {
public:
    QstActionVisibleGroup(QstActor* actor, QstItem* item, QstActionDataVisibleGroup* description);
    void Start() override;

    QstActionDataVisibleGroup* description = nullptr; // not owned
};

} // namespace Quib
