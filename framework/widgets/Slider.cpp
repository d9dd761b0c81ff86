#include "framework/widgets/Slider.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/WidgetApp.h"

#include <algorithm>

namespace Quib {

namespace {

enum : int { CURSOR_ARROW = 0, CURSOR_DRAGGING = 2 };

void SetAppCursor(int cursorNum)
{
    if (WidgetApp* app = TheWidgetApp()) {
        app->SetCursorNum(cursorNum);
        app->RefreshCursor();
    }
}

} // namespace

Slider::Slider(Image* track, Image* thumb, int sliderId, SliderListener* sliderListener)
    : listener(sliderListener), id(sliderId), trackImage(track), thumbImage(thumb)
{
}

void Slider::SetValue(double newValue)
{
    // Written so that NaN ends at 0.
    value = newValue > 1.0 ? 1.0 : newValue >= 0.0 ? newValue : 0.0;
    InvalidateFully();
}

int Slider::Length() const
{
    return horizontal ? width : height;
}

int Slider::ThumbLength() const
{
    if (!thumbImage)
        return 0;
    return horizontal ? thumbImage->width : thumbImage->height;
}

int Slider::ThumbPosition() const
{
    return int(value * double(Length() - ThumbLength()));
}

bool Slider::OnThumb(int along) const
{
    const int t = ThumbPosition();
    return along >= t && along < t + ThumbLength();
}

void Slider::Draw(Graphics& g)
{
    if (trackImage) {
        if (horizontal) {
            const int a = trackImage->width / 3;
            const int b = trackImage->height;
            const int y0 = (height - b) / 2;
            g.DrawImagePart(trackImage, 0, y0, Rect(0, 0, a, b));
            if (a > 0) {
                Graphics middle(g);
                middle.NarrowClip(a, y0, width - 2 * a, b);
                const int count = (width - a - 1) / a;
                for (int i = 0; i < count; ++i)
                    middle.DrawImagePart(trackImage, a * (i + 1), y0, Rect(a, 0, a, b));
            }
            g.DrawImagePart(trackImage, width - a, y0, Rect(2 * a, 0, a, b));
        } else {
            const int a = trackImage->width;
            const int b = trackImage->height / 3;
            g.DrawImagePart(trackImage, 0, 0, Rect(0, 0, a, b));
            if (b > 0) {
                Graphics middle(g);
                middle.NarrowClip(0, b, a, height - 2 * b);
                const int count = (height - b - 1) / b;
                for (int i = 0; i < count; ++i)
                    middle.DrawImagePart(trackImage, 0, b * (i + 1), Rect(0, b, a, b));
            }
            g.DrawImagePart(trackImage, 0, height - b, Rect(0, 2 * b, a, b));
        }
    }
    if (thumbImage) {
        if (horizontal)
            g.DrawImageAt(thumbImage, int((width - thumbImage->width) * value), (height - thumbImage->height) / 2);
        else
            g.DrawImageAt(thumbImage, (width - thumbImage->width) / 2, int((height - thumbImage->height) * value));
    }
}

void Slider::OnMouseDown(int px, int py, ClickCode /*code*/)
{
    const int along = horizontal ? px : py;
    if (OnThumb(along)) {
        SetAppCursor(CURSOR_DRAGGING);
        dragging = true;
        (horizontal ? grabOffsetX : grabOffsetY) = along - ThumbPosition();
        return;
    }
    // A press on the track centres the thumb on the mouse.
    const int range = Length() - ThumbLength();
    if (range > 0)
        SetValue(double(along - ThumbLength() / 2) / double(range));
    else if (Length() > 0)
        SetValue(double(along) / double(Length()));
}

void Slider::OnMouseDrag(int px, int py)
{
    if (!dragging)
        return;
    // A track no longer than its thumb leaves the thumb no room to move.
    const int range = Length() - ThumbLength();
    if (range <= 0)
        return;
    const int along = horizontal ? px - grabOffsetX : py - grabOffsetY;
    const double newValue = std::clamp(double(along) / double(range), 0.0, 1.0);
    if (newValue == value)
        return;
    value = newValue;
    if (listener)
        listener->SliderValueChanged(id, value);
    InvalidateFully();
}

void Slider::OnMouseUpAt(int /*px*/, int /*py*/)
{
    dragging = false;
    SetAppCursor(CURSOR_ARROW);
    if (listener)
        listener->SliderValueChanged(id, value);
}

void Slider::OnMouseMove(int px, int py)
{
    SetAppCursor(OnThumb(horizontal ? px : py) ? CURSOR_DRAGGING : CURSOR_ARROW);
}

void Slider::OnMouseLeave()
{
    if (!dragging)
        SetAppCursor(CURSOR_ARROW);
}

} // namespace Quib
