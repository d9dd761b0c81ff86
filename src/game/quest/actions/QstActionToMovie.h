#pragma once
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionData.h"

#include <string>

namespace Quib {

class QstActionsGroupData;

// Plays a movie; its board runs the OnDone group and goes on to the next scene.
class QstActionDataToMovie : public QstActionData {
public:
    explicit QstActionDataToMovie(std::string name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    void ForEachData(const ActionDataVisitor& visitor) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;
    void CollectRunNames(std::vector<std::string>& names) const override;

    std::string movieName;
    std::string nextScene;
    bool handCursor = false;
    QstActionsGroupData* onDone = nullptr; // not owned
    std::string onDoneName;                // name + "_OnDone"
};

class QstActionToMovie : public QstAction {
public:
    QstActionToMovie(QstActor* actor, QstItem* item, QstActionDataToMovie* description);
    void Start() override;

    QstActionDataToMovie* description = nullptr; // not owned
};

} // namespace Quib
