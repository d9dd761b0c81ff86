#include "src/screens/PopupAnimation.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetApp.h"
#include "src/screens/ScaleButton.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Quib {

namespace {

int AlphaOf(float p)
{
    return std::clamp(int(p * 255.0f), 0, 255);
}

int GreyOf(float p)
{
    return std::clamp(100 + int(155.0f * p), 0, 255);
}

} // namespace

float PopupAppearScale(float p)
{
    constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;
    if (p < 0.8f)
        return 1.2f * std::sin(p / 0.8f * kHalfPi);
    return 1.0f + 0.1f * (1.0f + std::cos((p - 0.8f) / 0.2f * std::numbers::pi_v<float>));
}

Color PopupAppearColor(float p)
{
    const int grey = GreyOf(p);
    return ColorWithAlpha(p, Color(grey, grey, grey, 255));
}

void ApplyPopupTransform(Graphics& g, float p, int width, int height)
{
    g.colorizeImages = true;
    const int grey = GreyOf(p);
    g.color = Color(grey, grey, grey, AlphaOf(p));

    const float s = PopupAppearScale(p);
    g.scaleX = s;
    g.scaleY = s;
    g.scaleOrigX = g.transX + float(width) * 0.5f;
    g.scaleOrigY = g.transY + float(height) * 0.5f;

    Rect& clip = g.clipRect;
    const int w = clip.width, h = clip.height;
    if (w <= 0 || h <= 0)
        return; // nothing may be drawn: widening would open a pixel
    const int W = std::max(w, int(s * float(w)) + 1);
    const int H = std::max(h, int(s * float(h)) + 1);
    clip.x -= W / 2;
    clip.y -= H / 2;
    clip.width = w + W;
    clip.height = h + H;
    // The widened clip may reach past the picture drawn into.
    const Image* dest = g.destImage;
    clip = clip.Intersection(Rect(0, 0, dest ? dest->width : 0, dest ? dest->height : 0));
}

bool StepPopupProgress(float& progress, float target)
{
    return ApproachFloat(progress, kPopupAppearStep, target);
}

bool StepPopupOrRemove(Widget& popup, float& progress, float target)
{
    if (!StepPopupProgress(progress, target) || target != 0.0f)
        return false;
    RemoveAndDeleteWidget(&popup);
    return true;
}

void RemoveAndDeleteWidget(Widget* widget)
{
    if (!widget)
        return;
    if (widget->parent)
        widget->parent->DetachChild(widget);
    if (WidgetApp* app = TheWidgetApp()) {
        app->QueueDeferredDelete(widget);
        return;
    }
    // Deleting here would pull the widget from under its own caller.
    ProcessLog::GetInstance()->LogInfo("No application to delete a closed widget; it stays detached");
}

void AnimatePopupButton(const Widget& popup, ScaleButton* button, float p)
{
    if (!button)
        return;
    button->SetScale(PopupAppearScale(p), true, popup.width / 2, popup.height / 2);
    button->color = PopupAppearColor(p);
}

} // namespace Quib
