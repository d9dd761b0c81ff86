#include "src/screens/ToolTip.h"

#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "src/screens/KeepOnScreen.h"

namespace Quib {

ToolTip::ToolTip()
{
    zOrder = 10;
    // It follows the mouse: it must never take a click from what lies under it.
    mouseVisible = false;
}

void ToolTip::SetText(const std::u16string& newText, float seconds)
{
    SetCaption(newText, seconds == -1.0f ? kDefaultSeconds : seconds);
}

void ToolTip::LayoutText(int widest, int textHeight)
{
    width = widest + 12;
    height = textHeight + 8;
    flipLift = float(textHeight + 53);
}

void ToolTip::AfterFade(float step)
{
    const WidgetManager* screen = manager;
    if (!screen && TheWidgetApp())
        screen = TheWidgetApp()->GetWidgetManager();
    if (!screen)
        return;
    int newX = screen->mouseX + 10;
    int newY = screen->mouseY + 40;
    flipped = height + newY >= screen->height;
    ApproachFloat(flipAmount, step, flipped ? 1.0f : 0.0f);
    newX -= int(flipShift * flipAmount);
    newY -= int(flipLift * flipAmount);
    newX = KeepSpanOnScreen(newX, width, screen->width, 0);
    newY = KeepSpanOnScreen(newY, height, screen->height, 0);
    MoveTo(newX, newY);
}

void ToolTip::Expire()
{
    SetText(std::u16string(), -1.0f);
}

void ToolTip::Draw(Graphics& g)
{
    const Color brown(kOutlineColor);
    g.colorizeImages = true;
    if (const Color back = ColorWithAlpha(alpha * 0.3f, brown); back.alpha != 0) {
        g.color = back;
        g.FillRectangle(0, 0, width, height);
    }
    // Wrapped as it was measured, so the lines fit the box.
    DrawOutlinedText(g, 6, 4, kWrapWidth);
    g.color = ColorWithAlpha(alpha * 0.6f, brown);
    g.OutlineRectangle(0, 0, width - 1, height - 1);
}

} // namespace Quib
