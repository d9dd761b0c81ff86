#pragma once
#include "framework/core/Color.h"
#include "framework/core/Rect.h"

#include <string>

namespace Quib {

class Font;
class Graphics;
class ScaleButton;
class Widget;

// Appear step of every popup per update.
constexpr float kPopupAppearStep = 0.03f;

// Scale of a popup at progress p: 0 at 0, 1.2 at 0.8, 1 at 1.
float PopupAppearScale(float p);
// Tint at progress p: grey 100 and transparent at 0, opaque white at 1.
Color PopupAppearColor(float p);
// Tints and scales everything drawn through g about the popup's centre
// (g is translated to the popup's position) and widens the clip about its
// centre for the larger drawing, never beyond the destination picture.
void ApplyPopupTransform(Graphics& g, float p, int width, int height);
// Moves the progress toward the target by one appear step; true on arrival.
bool StepPopupProgress(float& progress, float target);
// Detaches the widget from its parent and queues it for deletion by the
// application once the current step has unwound.
void RemoveAndDeleteWidget(Widget* widget);
// Scales, places and tints one button of a popup for progress p.
void AnimatePopupButton(const Widget& popup, ScaleButton* button, float p);

// The baseline that centres a line of the font in r (r.y without a font).
int PopupCentredBaseline(const Rect& r, const Font* font);
// Draws a popup's head text in the head font, right-aligned in rect and in
// the colour given; g keeps that font and colour.
void DrawPopupHead(Graphics& g, Color color, const std::u16string& text, const Rect& rect);

// One update of a popup with a progress, a target and AnimateChildren:
// steps the progress; once closed down to 0 the popup is detached and
// queued for deletion, else its children are placed for the progress.
template <class Popup>
void UpdateAnimatedPopup(Popup& popup)
{
    if (StepPopupProgress(popup.progress, popup.target) && popup.target == 0.0f) {
        RemoveAndDeleteWidget(&popup);
        return;
    }
    popup.AnimateChildren(popup.progress);
    popup.Invalidate();
}

} // namespace Quib
