#include "src/screens/DarkBack.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
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
    g.DrawImageAt(IMAGE_DARK_BACK, 0, 0);
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
