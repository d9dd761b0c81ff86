#include "src/screens/PauseWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "src/GameResources.h"
#include "src/Lang.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

int AlphaOf(float f)
{
    return std::clamp(int(f * 255.0f), 0, 255);
}

} // namespace

PauseWidget::PauseWidget() : text(Lang::Instance()("Interface", "Pause"))
{
    zOrder = 5;
    visible = false;
}

void PauseWidget::SetShown(bool shown, bool focusLost)
{
    wanted = shown;
    mouseVisible = shown;
    if (focusLost && shown)
        dismissOnClick = true;
    else if (dismissOnClick && !shown)
        mouseVisible = true;
}

void PauseWidget::OnMouseDownButton(int, int, int, int)
{
    if (!dismissOnClick)
        return;
    dismissOnClick = false;
    wanted = false;
    mouseVisible = false;
}

void PauseWidget::Update()
{
    Widget::Update();
    const float target = wanted ? 1.0f : 0.0f;
    if (fade != target) {
        if (std::fabs(fade - target) < kFadeStep) {
            fade = target;
        } else {
            fade += fade < target ? kFadeStep : -kFadeStep;
            visible = true;
            return;
        }
    }
    visible = wanted;
}

void PauseWidget::Draw(Graphics& g)
{
    g.color = Color(0, 0, 0, AlphaOf(fade * 0.6f));
    g.FillRectangle(0, 0, width, height);
    if (!FONT_CORBEL)
        return;
    g.font = FONT_CORBEL;
    const int tx = (width - g.TextWidth(text)) / 2;
    const int ty = height / 2 - FONT_CORBEL->Ascent();
    const int alpha = AlphaOf(fade);
    g.color = Color(0, 0, 0, alpha);
    for (const auto& [dx, dy] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {1, 1}})
        g.DrawText(text, tx + dx, ty + dy);
    g.color = Color(255, 255, 255, alpha);
    g.DrawText(text, tx, ty);
}

} // namespace Quib
