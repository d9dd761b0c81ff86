#include "src/game/editor/LabeledProp.h"

#include "src/game/editor/TextProp.h"

#include <algorithm>

namespace Quib {

LabeledProp::LabeledProp(const std::u16string& labelText, PropertyBase* valueProp, bool keepWidth)
    : keepLabelWidth(keepWidth)
{
    leftMargin = topMargin = rightMargin = bottomMargin = 0;
    spacing = 6;
    label = new TextProp(labelText);
    AddProperty(label);
    SetValueProperty(valueProp);
}

void LabeledProp::SetValueProperty(PropertyBase* newValue)
{
    if (!newValue)
        return;
    value = newValue;
    AddProperty(value);
}

void LabeledProp::LayoutAll(int newX, int newY, int newWidth)
{
    const int inner = newWidth - rightMargin - leftMargin;
    if (valueWidthMode)
        labelWidth = inner - fixedWidth - spacing;
    else if (fixedWidth != 0)
        labelWidth = fixedWidth;
    else if (labelFraction == 0.0f)
        labelWidth = int(inner * 0.5f);
    else
        labelWidth = int(inner * labelFraction);
    if (!keepLabelWidth)
        labelWidth = label->MeasureWidth(labelWidth);
    PropertyBase::LayoutAll(newX, newY, newWidth);
}

void LabeledProp::Relayout(PropertyBase*)
{
    label->LayoutAll(leftMargin, topMargin, labelWidth);
    if (value)
        value->LayoutAll(label->x + labelWidth + spacing, topMargin,
                         width - rightMargin - labelWidth - spacing - leftMargin);
    UpdateHeight();
    auto centre = [this](PropertyBase* p) {
        if (p)
            p->MoveTo(p->x, (height - p->height) / 2 + topMargin - bottomMargin);
    };
    centre(label);
    centre(value);
}

void LabeledProp::UpdateHeight()
{
    const int row = std::max(label->height, value ? value->height : 0);
    height = topMargin + bottomMargin + row;
}

} // namespace Quib
