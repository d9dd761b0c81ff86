#pragma once
// A track with a draggable thumb holding a value from 0 to 1, horizontal
// unless set otherwise; reports to its listener while dragged and on every
// release.

#include "framework/widgets/Widget.h"

namespace Quib {

class Graphics;
class Image;
class SliderListener;

class Slider : public Widget {
public:
    // The images and the listener are not owned; either image and the
    // listener may be null (no thumb: the slider works by clicks alone).
    Slider(Image* track, Image* thumb, int sliderId, SliderListener* sliderListener);

    void Draw(Graphics& g) override;
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDown(int px, int py, ClickCode code) override;
    void OnMouseUpAt(int px, int py) override;
    void OnMouseDrag(int px, int py) override;

    // Limited to [0, 1]; no notification.
    virtual void SetValue(double newValue);

    // The along-axis extent of the slider and of its thumb (0 without a
    // thumb image), and where the thumb starts.
    int Length() const;
    int ThumbLength() const;
    int ThumbPosition() const;

    SliderListener* listener;
    double value = 0.0;
    int32_t id;
    Image* trackImage; // three equal cells: one end, middle, other end
    Image* thumbImage;
    bool dragging = false;
    int32_t grabOffsetX = 0;
    int32_t grabOffsetY = 0;
    bool horizontal = true;

private:
    bool OnThumb(int along) const;
};

} // namespace Quib
