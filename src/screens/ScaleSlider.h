#pragma once
#include "framework/core/Color.h"
#include "framework/widgets/Slider.h"

#include <cstdint>

namespace Quib {

// A slider drawn scaled about its centre and tinted, for the appear
// animation of the options popup. It draws at whole pixels.
class ScaleSlider : public Slider {
public:
    ScaleSlider(Image* track, Image* thumb, int sliderId, SliderListener* sliderListener);

    void Draw(Graphics& g) override;
    // Also records the rectangle's centre as the home centre.
    void SetBoundsRect(const Rect& r) override;

    // Stores the scale and places the slider on the line from (fromX, fromY)
    // (scale 0) to its home centre (scale 1).
    void SetScale(float newScale, int fromX, int fromY);

    float scale = 1.0f;
    Color color = Color::White;
    int32_t homeX = 0;
    int32_t homeY = 0;
    float remainderX = 0.0f; // in [0, 1)
    float remainderY = 0.0f;
};

} // namespace Quib
