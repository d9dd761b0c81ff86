#include "src/game/editor/BoolProp.h"

#include "framework/widgets/Checkbox.h"

namespace Quib {

BoolProp::BoolProp(bool* bound) : ValEditorBase<bool, PropertyBase>(bound, false, nullptr)
{
    leftMargin = rightMargin = bottomMargin = 0;
    topMargin = 20;
    checkbox = new Checkbox(this);
    checkbox->SetChecked(cachedValue, false);
    AttachChild(checkbox);
}

BoolProp::~BoolProp()
{
    delete checkbox;
}

void BoolProp::LayoutAll(int newX, int newY, int newWidth)
{
    PropertyBase::LayoutAll(newX, newY, newWidth);
    checkbox->SetBounds(rightAligned ? width - rightMargin - 20 : leftMargin, 0, 20, 20);
}

void BoolProp::CheckboxChecked(int, bool checked)
{
    SetValue(checked);
}

void BoolProp::ShowValue()
{
    checkbox->SetChecked(cachedValue, false);
}

} // namespace Quib
