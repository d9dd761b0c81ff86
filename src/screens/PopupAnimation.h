#pragma once
#include "framework/core/Color.h"

namespace Quib {

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
// One appear step of a popup; once it has closed (progress and target 0)
// it is detached and queued for deletion. True when that happened.
bool StepPopupOrRemove(Widget& popup, float& progress, float target);
// Detaches the widget from its parent and queues it for deletion by the
// application once the current step has unwound.
void RemoveAndDeleteWidget(Widget* widget);
// Scales, places and tints one button of a popup for progress p.
void AnimatePopupButton(const Widget& popup, ScaleButton* button, float p);

} // namespace Quib
