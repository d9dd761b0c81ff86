#pragma once
#include "src/game/quest/actions/QstActionData.h"

#include <string>
#include <vector>

namespace Quib {

// One action of a group: a description made from the element, or a name
// reference (UseAction, no description) resolved by the scene when needed.
struct SActionChild {
    std::string name;
    QstActionData* data = nullptr; // not owned
};

// An ordered list of actions ("Action" elements and every script group).
class QstActionsGroupData : public QstActionData {
public:
    explicit QstActionsGroupData(std::string name);

    // A group read from the element's children; returned also when reading
    // reported an error (it keeps what was read before the error).
    static QstActionsGroupData* Create(QstXmlElement* element, const std::string& name);
    // The same for the group nested in an action's own element: its name
    // stays the given one whatever the element's "name" attribute says, so
    // that the action and its group never share a name.
    static QstActionsGroupData* CreateNested(QstXmlElement* element, const std::string& name);

    bool DoInitFromXML(QstXmlElement* element) override;
    EQstCursorType GetCursorType(QstActor* actor, std::string& popupField, bool* conditional,
                                 std::string* target) override;
    void ForEachData(const ActionDataVisitor& visitor) override;
    void CollectTargetScenes(std::set<std::string>& scenes) override;
    QstAction* CreateAction(QstActor* actor, QstItem* item, const CreateActionDelegate& create) override;
    bool HasMessage(QstActor* actor, QstItem* item, QstItemState* state) override;
    void CollectRunNames(std::vector<std::string>& names) const override;

    const std::vector<SActionChild>& GetChildren() const { return children; }

    std::vector<SActionChild> children;

protected:
    // Reads the children; the name attribute only when readName is set.
    bool ReadGroup(QstXmlElement* element, bool readName);
    // Fills a running group with one child per entry, created by name.
    void CreateChildren(class QstActionsGroup* group, QstItem* item, const CreateActionDelegate& create);
    // The description a child stands for (references through the actor).
    QstActionData* ResolveChild(QstActor* actor, const SActionChild& child) const;
};

} // namespace Quib
