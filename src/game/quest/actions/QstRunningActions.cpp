#include "src/game/quest/actions/QstRunningActions.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/actions/QstAction.h"

#include <algorithm>

namespace Quib {

QstRunningActions::~QstRunningActions()
{
    for (QstAction* action : actions)
        delete action;
    for (QstAction* action : pending)
        delete action;
}

bool QstRunningActions::Add(QstAction* action)
{
    if (!action)
        return false;
    if (Size() >= kMaxActions) {
        QUIB_LOG_ERROR("Too many running actions (%d): a new one is dropped", static_cast<int>(Size()));
        delete action;
        return false;
    }
    (walking ? pending : actions).push_back(action);
    return true;
}

bool QstRunningActions::Contains(const QstAction* action) const
{
    return std::find(actions.begin(), actions.end(), action) != actions.end() ||
           std::find(pending.begin(), pending.end(), action) != pending.end();
}

void QstRunningActions::Update(float seconds)
{
    if (walking)
        return; // an action's update reached the scene update again
    walking = true;
    for (size_t i = 0; i < actions.size() && !clearAfterWalk; ++i) {
        QstAction* action = actions[i];
        if (action->IsDone()) {
            actions[i] = nullptr;
            delete action;
        } else {
            action->Update(seconds);
        }
    }
    walking = false;
    std::erase(actions, nullptr);
    actions.insert(actions.end(), pending.begin(), pending.end());
    pending.clear();
    if (clearAfterWalk) {
        clearAfterWalk = false;
        Clear();
    }
}

void QstRunningActions::Clear()
{
    if (walking) {
        clearAfterWalk = true;
        return;
    }
    std::vector<QstAction*> old;
    old.swap(actions);
    old.insert(old.end(), pending.begin(), pending.end());
    pending.clear();
    for (QstAction* action : old)
        delete action;
}

} // namespace Quib
