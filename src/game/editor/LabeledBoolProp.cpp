#include "src/game/editor/LabeledBoolProp.h"

#include "framework/widgets/Checkbox.h"
#include "src/game/editor/BoolProp.h"
#include "src/game/editor/TextProp.h"

namespace Quib {

LabeledBoolProp::LabeledBoolProp(const std::u16string& labelText, bool* bound) : LabeledProp(labelText, nullptr, true)
{
    valueWidthMode = true;
    keepLabelWidth = true;
    fixedWidth = 20;
    boolProp = new BoolProp(bound);
    SetValueProperty(boolProp);
    label->mouseVisible = false;
    handCursorOnHover = true;
}

void LabeledBoolProp::OnMouseDownButton(int px, int py, int button, int count)
{
    Checkbox* box = boolProp->Box();
    box->OnMouseDownButton(px - boolProp->x - box->x, py - boolProp->y - box->y, button, count);
}

} // namespace Quib
