#include "src/screens/DarkBack.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/screens/PopupAnimation.h"

namespace Quib {

DarkBack::DarkBack(Delegate close, int32_t creatorTag) : closeDelegate(close), tag(creatorTag)
{
    if (gQuibAppBase) {
        SetBounds(0, 0, gQuibAppBase->appWidth, gQuibAppBase->appHeight);
    } else if (WidgetApp* app = TheWidgetApp(); app && app->GetWidgetManager()) {
        const WidgetManager* screen = app->GetWidgetManager();
        SetBounds(0, 0, screen->width, screen->height);
    }
    fadeTarget = 1.0f;
}

void DarkBack::Update()
{
    Widget::Update();
    if (fade != fadeTarget)
        Invalidate();
    if (ApproachFloat(fade, kFadeStep, fadeTarget) && fadeTarget == 0.0f && removeWhenFaded)
        RemoveAndDeleteWidget(this);
}

void DarkBack::Draw(Graphics& g)
{
    g.colorizeImages = true;
    g.color = ColorWithAlpha(fade * 0.5f, Color::White);
    Image* image = IMAGE_DARK_BACK;
    const Rect hole = coveredArea && image ? coveredArea() : Rect();
    if (hole.width <= 0 || hole.height <= 0) {
        g.DrawImageAt(image, 0, 0);
        return;
    }
    // The picture around the hole, in up to four bands; each pixel as the
    // whole picture would give it.
    const Point at = GetScreenPosition();
    const Rect whole(0, 0, image->width, image->height);
    const Rect h = whole.Intersection(Rect(hole.x - at.x, hole.y - at.y, hole.width, hole.height));
    if (h.width <= 0 || h.height <= 0) {
        g.DrawImageAt(image, 0, 0);
        return;
    }
    const Rect bands[4] = {Rect(0, 0, whole.width, h.y), Rect(0, h.y + h.height, whole.width, whole.height - h.y - h.height),
                           Rect(0, h.y, h.x, h.height), Rect(h.x + h.width, h.y, whole.width - h.x - h.width, h.height)};
    for (const Rect& band : bands)
        if (band.width > 0 && band.height > 0)
            g.DrawImagePart(image, band.x, band.y, band);
}

void DarkBack::OnMouseDownButton(int, int, int, int)
{
    if (fade != fadeTarget)
        return;
    // Cleared first: the call may delete the popup that set it.
    const Delegate close = closeDelegate;
    closeDelegate = Delegate();
    close();
}

void DismissBackdrop(DarkBack*& backdrop)
{
    if (!backdrop)
        return;
    backdrop->fadeTarget = 0.0f;
    backdrop->removeWhenFaded = true;
    backdrop = nullptr;
}

} // namespace Quib
