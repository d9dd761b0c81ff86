#pragma once
#include "framework/widgets/Widget.h"

#include <memory>

namespace Quib {

class QstFieldMinigame;

// Runs its owner's win actions when it is deleted, which the application
// does after the step that queued it. The owner is watched: one that is gone
// by then is left alone.
class DelayActor : public Widget {
public:
    explicit DelayActor(QstFieldMinigame* owner);
    ~DelayActor() override;

    QstFieldMinigame* GetOwner() const;

private:
    std::weak_ptr<QstFieldMinigame*> mOwner;
};

} // namespace Quib
