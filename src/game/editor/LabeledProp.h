#pragma once
#include "src/game/editor/PropertyBase.h"

#include <string>

namespace Quib {

class TextProp;

// A label beside a value property, both centred vertically in the row.
class LabeledProp : public PropertyBase {
public:
    LabeledProp(const std::u16string& label, PropertyBase* value, bool keepLabelWidth);

    void LayoutAll(int x, int y, int width) override;
    void Relayout(PropertyBase* from) override;
    void UpdateHeight() override;

    TextProp* Label() const { return label; }
    PropertyBase* Value() const { return value; }
    int LabelWidth() const { return labelWidth; }

    float labelFraction = 0.0f;
    int fixedWidth = 0;
    bool keepLabelWidth = true;
    bool valueWidthMode = false;

protected:
    void SetValueProperty(PropertyBase* newValue);

    TextProp* label = nullptr;     // owned (a child)
    PropertyBase* value = nullptr; // owned (a child), may be null
    int labelWidth = 0;
};

} // namespace Quib
