#pragma once
#include "framework/core/Color.h"

namespace Quib {

class ParticlesWidget;

// What a particle widget needs of the close-up field it belongs to.
class ParticlesWidgetOwner {
public:
    virtual ~ParticlesWidgetOwner() = default;
    // The colour the field draws with now (its scene's colour times its
    // appear colour).
    virtual Color GetParticlesColor() const = 0;
    // The widget leaves the owner's list of particle widgets: it is being
    // deleted, or it has ended and its deletion is queued. The owner must
    // not delete it afterwards.
    virtual void ForgetParticlesWidget(ParticlesWidget* widget) = 0;
};

} // namespace Quib
