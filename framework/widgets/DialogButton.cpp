#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"

namespace Quib {

DialogButton::DialogButton(int buttonId, ButtonListener* buttonListener) : ButtonWidget(buttonId, buttonListener)
{
    handCursorOnHover = true;
    colors = {
        Color(255, 255, 255), Color(255, 255, 255), Color(0, 0, 0),
        Color(255, 255, 255), Color(132, 132, 132), Color(212, 212, 212),
    };
}

DialogButton::~DialogButton() = default;

void DialogButton::Draw(Graphics& g)
{
    if (hidden)
        return;
    if (!frameImage) {
        ButtonWidget::Draw(g);
        return;
    }
    if (!font && !label.empty()) {
        ownedFont = std::make_unique<SysFont>("Arial Unicode MS", 12, 1);
        font = ownedFont.get();
    }

    const bool down = IsPressedVisual();
    const Rect dest(0, 0, width, height);
    const float shiftX = down ? float(downShiftX) : 0.0f;
    const float shiftY = down ? float(downShiftY) : 0.0f;
    if (normalRect.width != 0) {
        // A sheet without an over or down part shows its normal part there.
        const Rect& overPart = overRect.width > 0 ? overRect : normalRect;
        const Rect& downPart = downRect.width > 0 ? downRect : normalRect;
        if (disabled && disabledRect.width > 0 && disabledRect.height > 0) {
            g.DrawImageNineSlice(dest, disabledRect, frameImage);
        } else if (down) {
            g.DrawImageNineSlice(dest, downPart, frameImage);
        } else if (overAlpha > 0.0) {
            if (overAlpha < 1.0)
                g.DrawImageNineSlice(dest, normalRect, frameImage);
            g.colorizeImages = true;
            g.color = Color(255, 255, 255, int(overAlpha * 255.0));
            g.DrawImageNineSlice(dest, overPart, frameImage);
            g.colorizeImages = false;
        } else {
            g.DrawImageNineSlice(dest, hovered ? overPart : normalRect, frameImage);
        }
        // Only the label moves when pressed.
        g.transX += shiftX;
        g.transY += shiftY;
    } else {
        g.transX += shiftX;
        g.transY += shiftY;
        g.DrawImageNineSlice(dest, frameImage);
    }

    if (font && !label.empty()) {
        g.font = font;
        g.color = GetColor(hovered ? BUTTON_COLOR_LABEL_HILITE : BUTTON_COLOR_LABEL);
        const int textWidth = font->WidthOfText(label, 1.0f, 1.0f, 0.0f);
        const int ascent = font->Ascent();
        const int labelX = (width - textWidth) / 2 + labelOffsetX;
        const int labelY = labelOffsetY + (ascent + height - ascent / 6 - font->ExtraLineGap() - 1) / 2;
        g.DrawText(label, labelX, labelY);
    }
    g.transX -= shiftX;
    g.transY -= shiftY;
}

} // namespace Quib
