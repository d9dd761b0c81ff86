#pragma once
#include <cstddef>
#include <vector>

namespace Quib {

class QstAction;

// The scene's list of running top actions. Actions added while the list is
// walked join it after the walk; the list never holds more than kMaxActions.
class QstRunningActions {
public:
    static constexpr size_t kMaxActions = 256;

    QstRunningActions() = default;
    QstRunningActions(const QstRunningActions&) = delete;
    QstRunningActions& operator=(const QstRunningActions&) = delete;
    ~QstRunningActions();

    // Takes ownership. A full list logs, deletes the action and answers false.
    bool Add(QstAction* action);
    // Deletes the finished actions and updates the others, in list order.
    void Update(float seconds);
    // Deletes every action (deferred to the end of a walk in progress).
    void Clear();

    size_t Size() const { return actions.size() + pending.size(); }
    bool Empty() const { return Size() == 0; }
    bool Contains(const QstAction* action) const;

private:
    std::vector<QstAction*> actions; // owned
    std::vector<QstAction*> pending; // owned; added during a walk
    bool walking = false;
    bool clearAfterWalk = false;
};

} // namespace Quib
