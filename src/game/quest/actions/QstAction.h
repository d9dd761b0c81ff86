#pragma once
#include <cstddef>

namespace Quib {

class QstActor;
class QstItem;

// A running scripted action. Whoever holds it deletes it once done.
class QstAction {
public:
    // Groups stop making children while this many actions exist.
    static constexpr size_t kMaxLive = 4096;

    QstAction(QstActor* actor, QstItem* item);
    QstAction(const QstAction&) = delete;
    QstAction& operator=(const QstAction&) = delete;
    virtual ~QstAction();

    virtual void Update(float seconds);
    virtual void Start() = 0;

    bool IsDone() const { return done; }
    QstActor* GetActor() const { return actor; }
    QstItem* GetItem() const { return item; }
    // The number of actions that exist now.
    static size_t LiveCount() { return liveCount; }

    QstActor* actor = nullptr; // not owned
    QstItem* item = nullptr;   // not owned, may be null
    bool done = false;

private:
    static size_t liveCount;
};

} // namespace Quib
