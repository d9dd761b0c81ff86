#pragma once
#include "framework/widgets/ScrollListener.h"
#include "src/game/editor/PropertyBase.h"
#include "src/game/editor/ValEditorBase.h"

namespace Quib {

class ScrollbarWidget;

// A 10-pixel horizontal slider over minimum..maximum; reports through its
// delegate.
class SliderProp : public ValEditorBase<float, PropertyBase>, public ScrollListener {
public:
    SliderProp(float initial, ChangeDelegate delegate, float minimum, float maximum);
    ~SliderProp() override;

    void LayoutAll(int x, int y, int width) override;
    void OnScroll(int id, double value) override;

    ScrollbarWidget* Bar() const { return scrollbar; }

    float minimum = 0.0f;
    float maximum = 0.0f;

protected:
    void ShowValue() override;

    ScrollbarWidget* scrollbar = nullptr; // owned
    bool showing = false;
};

// Cached value := value, then the scroll bar follows; tells nobody.
void SetSliderValue(SliderProp* slider, float value);

} // namespace Quib
