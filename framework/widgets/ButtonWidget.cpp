#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Quib {

ButtonWidget::ButtonWidget(int buttonId, ButtonListener* buttonListener) : id(buttonId), listener(buttonListener)
{
    translucent = true;
    colors = {
        Color(0, 0, 0),       // label
        Color(0, 0, 0),       // label while hovered
        Color(0, 0, 0),       // dark bevel edge
        Color(255, 255, 255), // light bevel edge
        Color(132, 132, 132), // inner shadow
        Color(212, 212, 212), // face
    };
}

ButtonWidget::~ButtonWidget() = default;

void ButtonWidget::DrawImagePart(Graphics& g, Image* image, const Rect& rect, int drawX, int drawY)
{
    if (rect.width != 0)
        g.DrawImagePart(normalImage, drawX, drawY, rect);
    else
        g.DrawImageAt(image, drawX, drawY);
}

void ButtonWidget::SetFont(Font* newFont)
{
    font = newFont;
}

bool ButtonWidget::IsPressedVisual()
{
    return pressed && hovered && !disabled;
}

void ButtonWidget::Update()
{
    Widget::Update();
    if (pressed && hovered && listener)
        listener->ButtonHeldTick(id);

    if (!pressed && !hovered && overAlpha > 0.0) {
        overAlpha = fadeOutStep > 0.0 ? std::max(0.0, overAlpha - fadeOutStep) : 0.0;
        Invalidate();
    } else if (hovered && fadeInStep > 0.0 && overAlpha < 1.0) {
        overAlpha = std::min(1.0, overAlpha + fadeInStep);
        Invalidate();
    }
}

void ButtonWidget::DrawLook(Graphics& g, Image* image, const Rect& rect, const Point& offset, int dx, int dy)
{
    DrawImagePart(g, image, rect, offset.x + dx, offset.y + dy);
}

void ButtonWidget::Draw(Graphics& g)
{
    if (hidden)
        return;
    if (!font && !label.empty()) {
        ownedFont = std::make_unique<SysFont>("Arial Unicode MS", 10, 0);
        font = ownedFont.get();
    }

    bool down = pressed && hovered && !disabled;
    if (invertDownLook)
        down = !down;

    int labelX = 0;
    int labelY = 0;
    if (font) {
        const int textWidth = font->WidthOfText(label, 1.0f, 1.0f, 0.0f);
        if (labelJustify == 0)
            labelX = (width - textWidth) / 2;
        else if (labelJustify == 1)
            labelX = width - textWidth;
        const int ascent = font->Ascent();
        labelY = (height + ascent - ascent / 6 - 1) / 2;
    }
    g.font = font;
    const bool drawLabel = font && !label.empty();
    const int w = width;
    const int h = height;

    if (!normalImage && !downImage) {
        if (!noFrame) {
            g.color = GetColor(BUTTON_COLOR_BKG);
            g.FillRectangle(0, 0, w, h);
        }
        const int topLeft = down ? BUTTON_COLOR_DARK_OUTLINE : BUTTON_COLOR_LIGHT_OUTLINE;
        const int bottomRight = down ? BUTTON_COLOR_LIGHT_OUTLINE : BUTTON_COLOR_DARK_OUTLINE;
        if (!noFrame) {
            g.color = GetColor(topLeft);
            g.FillRectangle(0, 0, w - 1, 1);
            g.FillRectangle(0, 0, 1, h - 1);
            g.color = GetColor(bottomRight);
            g.FillRectangle(0, h - 1, w, 1);
            g.FillRectangle(w - 1, 0, 1, h);
            g.color = GetColor(BUTTON_COLOR_MEDIUM_OUTLINE);
            if (down) {
                g.FillRectangle(1, 1, w - 3, 1);
                g.FillRectangle(1, 1, 1, h - 3);
            } else {
                g.FillRectangle(1, h - 2, w - 2, 1);
                g.FillRectangle(w - 2, 1, 1, h - 2);
            }
        }
        if (drawLabel) {
            g.color = GetColor(hovered ? BUTTON_COLOR_LABEL_HILITE : BUTTON_COLOR_LABEL);
            g.DrawText(label, down ? labelX + 1 : labelX, down ? labelY + 1 : labelY);
        }
        return;
    }

    if (down) {
        if (HaveDownLook())
            DrawLook(g, downImage, downRect, downOffset, 0, 0);
        else if (HaveOverLook())
            DrawLook(g, overImage, overRect, overOffset, 1, 1);
        else
            DrawLook(g, normalImage, normalRect, normalOffset, 1, 1);
        if (drawLabel) {
            g.color = GetColor(BUTTON_COLOR_LABEL_HILITE);
            g.DrawText(label, labelX + 1, labelY + 1);
        }
        return;
    }

    if (disabled && HaveDisabledLook()) {
        DrawLook(g, disabledImage, disabledRect, disabledOffset, 0, 0);
    } else if (overAlpha > 0.0 && HaveOverLook()) {
        if (HaveNormalLook() && overAlpha < 1.0)
            DrawLook(g, normalImage, normalRect, normalOffset, 0, 0);
        g.colorizeImages = true;
        g.color = Color(255, 255, 255, int(overAlpha * 255.0));
        DrawLook(g, overImage, overRect, overOffset, 0, 0);
        g.colorizeImages = false;
    } else if ((hovered || pressed) && HaveOverLook()) {
        DrawLook(g, overImage, overRect, overOffset, 0, 0);
    } else if (HaveNormalLook()) {
        DrawLook(g, normalImage, normalRect, normalOffset, 0, 0);
    }
    if (drawLabel) {
        g.color = GetColor(hovered ? BUTTON_COLOR_LABEL_HILITE : BUTTON_COLOR_LABEL);
        g.DrawText(label, labelX, labelY);
    }
}

void ButtonWidget::SetDisabled(bool isDisabled)
{
    Widget::SetDisabled(isDisabled);
    if (HaveDisabledLook())
        Invalidate();
}

void ButtonWidget::InvalidateForHover()
{
    if (pressed || HaveOverLook() || GetColor(BUTTON_COLOR_LABEL) != GetColor(BUTTON_COLOR_LABEL_HILITE))
        Invalidate();
}

void ButtonWidget::OnMouseEnter()
{
    if (fadeInStep == 0.0 && overAlpha > 0.0)
        overAlpha = 0.0;
    InvalidateForHover();
    if (listener)
        listener->ButtonMouseEnter(id);
}

void ButtonWidget::OnMouseLeave()
{
    if (fadeOutStep == 0.0 && overAlpha > 0.0)
        overAlpha = 0.0;
    else if (fadeOutStep > 0.0 && overAlpha == 0.0)
        overAlpha = 1.0; // the over look fades out from full
    InvalidateForHover();
    if (listener)
        listener->ButtonMouseLeave(id);
}

void ButtonWidget::OnMouseMove(int px, int py)
{
    if (listener)
        listener->ButtonMouseMove(id, px, py);
}

void ButtonWidget::OnMouseDownButton(int, int, int button, int)
{
    pressed = button == 0; // only the left button shows the down look
    if (listener)
        listener->ButtonPressByMouse(id, button);
    Invalidate();
}

void ButtonWidget::OnMouseUpButton(int, int, int button, int)
{
    const bool appHasFocus = manager && manager->appHasFocus;
    if ((hovered && appHasFocus) || depressWhenNotHovered) {
        if (listener)
            listener->ButtonDepressByMouse(id, button);
    }
    Invalidate();
}

} // namespace Quib
