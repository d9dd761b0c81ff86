#pragma once
#include "framework/core/Color.h"
#include "src/game/editor/PropertyBase.h"

namespace Quib {

// A framed box around one property.
class BorderProp : public PropertyBase {
public:
    BorderProp(PropertyBase* child, const Color& frame, const Color& fill);

    void Draw(Graphics& g) override;

    Color frameColor;
    Color fillColor;
};

} // namespace Quib
