#pragma once
#include "src/game/quest/actions/QstAction.h"

#include <cstddef>
#include <vector>

namespace Quib {

class QstActionsGroupData;

// Runs its children side by side; done when none is left.
class QstActionsGroup : public QstAction {
public:
    QstActionsGroup(QstActor* actor, QstItem* item, QstActionsGroupData* description);
    ~QstActionsGroup() override;

    // Takes ownership; null is ignored.
    void AddChild(QstAction* child);
    void Start() override;
    void Update(float seconds) override;

    size_t GetChildCount() const { return children.size(); }

    std::vector<QstAction*> children; // owned, still running
    QstActionsGroupData* description = nullptr;

protected:
    // Starts (or updates) every child, then drops the finished ones.
    void Walk(bool start, float seconds);
};

} // namespace Quib
