#include "src/screens/ScaleSlider.h"

#include "framework/graphics/Graphics.h"
#include "src/screens/ScaleButton.h"

namespace Quib {

ScaleSlider::ScaleSlider(Image* track, Image* thumb, int sliderId, SliderListener* sliderListener)
    : Slider(track, thumb, sliderId, sliderListener)
{
}

void ScaleSlider::SetBoundsRect(const Rect& r)
{
    Slider::SetBoundsRect(r);
    homeX = x + width / 2;
    homeY = y + height / 2;
}

void ScaleSlider::SetScale(float newScale, int fromX, int fromY)
{
    scale = newScale;
    const float fx = scale * float(homeX - fromX) + float(fromX) - float(width / 2);
    const float fy = scale * float(homeY - fromY) + float(fromY) - float(height / 2);
    SplitPosition(fx, x, remainderX);
    SplitPosition(fy, y, remainderY);
}

void ScaleSlider::Draw(Graphics& g)
{
    g.scaleOrigX = g.transX + float(width) * 0.5f;
    g.scaleOrigY = g.transY + float(height) * 0.5f;
    g.scaleX = scale;
    g.scaleY = scale;
    g.colorizeImages = true;
    g.color = color;
    Slider::Draw(g);
    g.colorizeImages = false;
}

} // namespace Quib
