#pragma once
#include "framework/widgets/CheckboxListener.h"
#include "src/game/editor/PropertyBase.h"
#include "src/game/editor/ValEditorBase.h"

namespace Quib {

class Checkbox;

// A 20-pixel check box bound to a bool.
class BoolProp : public ValEditorBase<bool, PropertyBase>, public CheckboxListener {
public:
    explicit BoolProp(bool* bound);
    ~BoolProp() override;

    void LayoutAll(int x, int y, int width) override;
    void CheckboxChecked(int id, bool checked) override;

    Checkbox* Box() const { return checkbox; }

    bool rightAligned = true;

protected:
    void ShowValue() override;

    Checkbox* checkbox = nullptr; // owned
};

} // namespace Quib
