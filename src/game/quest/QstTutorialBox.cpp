#include "src/game/quest/QstTutorialBox.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstPixelAlpha.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstTutorStep.h"
#include "src/screens/KeepOnScreen.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

#include <algorithm>

namespace Quib {

QstTutorialBox::QstTutorialBox(CloseDelegate onClose, PsdPicture* layout, const QstTutorStep& step)
    : closeDelegate(std::move(onClose))
{
    zOrder = kZOrder;
    hideByClick = step.hideByClick;
    if (step.timeOut != 0.0f) {
        hasTimeOut = true;
        timeOut = step.timeOut;
    }
    text = Lang::Instance()("Tutorial", step.textKey);

    Rect backRect;
    if (layout) {
        if (PsdPictureLayer* backLayer = layout->FindLayer("_back")) {
            background = backLayer->image;
            layout->GetLayerRect(backRect, "_back", false);
        }
        Rect r;
        if (layout->GetLayerRect(r, "text", false))
            textRect = Rect(r.x - backRect.x, r.y - backRect.y, r.width, r.height);
        closeButton = CreateScaleButton(*layout, 0, "close/close_in", "close/close_ac", this,
                                        Lang::Instance()("Tutorial", "CloseButton"), Color(0xff2b0e00u));
    }
    // Centred on its place, but kept whole on the screen; the arrow still
    // points where the step says.
    backgroundX = step.centerX - backRect.width / 2;
    backgroundY = step.centerY - backRect.height / 2;
    if (gQuibAppBase) {
        backgroundX = KeepSpanOnScreen(backgroundX, backRect.width, gQuibAppBase->appWidth, kScreenMargin);
        backgroundY = KeepSpanOnScreen(backgroundY, backRect.height, gQuibAppBase->appHeight, kScreenMargin);
    }
    arrow = step.arrow;
    arrowX = step.arrowX;
    arrowY = step.arrowY;

    Rect area(backgroundX, backgroundY, backRect.width, backRect.height);
    if (arrow)
        area = area.Union(Rect(arrowX, arrowY, arrow->width, arrow->height));
    SetBounds(area.x, area.y, area.width, area.height);
    backgroundX -= area.x;
    backgroundY -= area.y;
    arrowX -= area.x;
    arrowY -= area.y;
    textRect.x += backgroundX;
    textRect.y += backgroundY;
    if (closeButton) {
        // From the layout's place relative to "_back" to the box's.
        const int dx = backgroundX - backRect.x, dy = backgroundY - backRect.y;
        closeButton->MoveTo(closeButton->x + dx, closeButton->y + dy);
        closeButton->homeX += dx;
        closeButton->homeY += dy;
        closeButton->color = Color(255, 255, 255, 0);
        AttachChild(closeButton);
    }
}

QstTutorialBox::~QstTutorialBox()
{
    DetachAllChildren(true, false);
    closeButton = nullptr;
}

void QstTutorialBox::StartClosing()
{
    closing = true;
}

void QstTutorialBox::Update()
{
    Widget::Update();
    if (!IsPlayerTutorialOn())
        closing = true;
    if (ApproachFloat(alpha, kFadeStep, closing ? 0.0f : 1.0f) && closing && !mRemoved) {
        mRemoved = true;
        if (closeDelegate)
            closeDelegate(this);
        RemoveAndDeleteWidget(this);
        return;
    }
    if (closeButton)
        closeButton->color = ColorWithAlpha(alpha, Color::White);
    if (hasTimeOut) {
        timeOut -= kTimeStep;
        // Half a step of slack absorbs the rounding of the steps taken.
        if (timeOut <= kTimeStep * 0.5f) {
            timeOut = 0.0f;
            hasTimeOut = false;
            closing = true;
        }
    }
    Invalidate();
}

void QstTutorialBox::Draw(Graphics& g)
{
    g.colorizeImages = true;
    g.color = ColorWithAlpha(alpha, Color::White);
    if (arrow)
        g.DrawImageAt(arrow.get(), arrowX, arrowY);
    if (background)
        g.DrawImageAt(background, backgroundX, backgroundY);
    g.font = FONT_TEXT;
    g.color = ColorWithAlpha(alpha, Color(255, 243, 152));
    g.DrawWrappedText(text, textRect, -1, -1, nullptr);
}

void QstTutorialBox::OnMouseDownButton(int px, int py, int button, int count)
{
    Widget::OnMouseDownButton(px, py, button, count);
    if (hideByClick)
        closing = true;
}

bool QstTutorialBox::AcceptsPoint(int px, int py)
{
    return PictureAlphaAt(background, px - backgroundX, py - backgroundY) > 0x0a;
}

void QstTutorialBox::ButtonDepress(int)
{
    SetPlayerTutorialOn(false);
    closing = true;
}

} // namespace Quib
