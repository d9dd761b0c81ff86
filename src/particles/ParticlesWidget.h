#pragma once
#include "framework/widgets/Widget.h"

#include <memory>

namespace Quib {

class ParticlesCommon;
class ParticlesWidgetOwner;

// Runs one effect of a close-up field over the whole window, drawn in the
// field's colour, advanced by 0.01 s per update frame. When the effect has
// ended the widget leaves its owner's list and its parent and queues its
// own deletion, so that exactly one party deletes it: the owner while the
// widget is in its list, the deferred deletion afterwards.
class ParticlesWidget : public Widget {
public:
    // Bounds (0, 0) and the widget manager's size; not mouse-visible.
    ParticlesWidget(std::unique_ptr<ParticlesCommon> effect, ParticlesWidgetOwner* owner);
    // Leaves the owner's list (when still in it), stops and deletes the
    // effect.
    ~ParticlesWidget() override;

    void Update() override;
    void Draw(Graphics& g) override;

    ParticlesCommon* Effect() const { return mEffect.get(); }
    bool IsRemoved() const { return mRemoved; }

private:
    std::unique_ptr<ParticlesCommon> mEffect;
    ParticlesWidgetOwner* mOwner;
    bool mRemoved = false;
};

} // namespace Quib
