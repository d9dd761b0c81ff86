#include "src/game/editor/SliderProp.h"

#include "framework/widgets/ScrollbarWidget.h"

namespace Quib {

SliderProp::SliderProp(float initial, ChangeDelegate delegate, float minValue, float maxValue)
    : ValEditorBase<float, PropertyBase>(nullptr, initial, std::move(delegate)), minimum(minValue), maximum(maxValue)
{
    topMargin = 0;
    bottomMargin = 10;
    scrollbar = new ScrollbarWidget(this);
    scrollbar->SetHorizontal(true);
    const double page = double(maximum - minimum) / 10.0;
    scrollbar->SetPageSize(page);
    scrollbar->SetMaxValue(double(maximum - minimum) + page);
    AttachChild(scrollbar);
    ShowValue();
    Invalidate();
}

SliderProp::~SliderProp()
{
    delete scrollbar;
}

void SliderProp::LayoutAll(int newX, int newY, int newWidth)
{
    PropertyBase::LayoutAll(newX, newY, newWidth);
    scrollbar->ResizeScrollbar(0, height - 10, width, 10);
}

void SliderProp::OnScroll(int, double value)
{
    // The bar reports the value it was given while showing: no echo.
    if (showing)
        return;
    SetValue(minimum + float(value));
}

void SliderProp::ShowValue()
{
    showing = true;
    scrollbar->SetValue(double(cachedValue - minimum));
    showing = false;
    Invalidate();
}

void SetSliderValue(SliderProp* slider, float value)
{
    if (slider)
        slider->ShowCachedValue(value);
}

} // namespace Quib
