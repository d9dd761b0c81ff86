#pragma once
#include "src/game/editor/LabeledProp.h"

namespace Quib {

class BoolProp;

// A label and a check box; a press anywhere on the row toggles the box.
class LabeledBoolProp : public LabeledProp {
public:
    LabeledBoolProp(const std::u16string& label, bool* bound);

    void OnMouseDownButton(int px, int py, int button, int count) override;

    BoolProp* Bool() const { return boolProp; }

private:
    BoolProp* boolProp = nullptr; // owned through the row
};

} // namespace Quib
