#include "src/screens/FaderBoard.h"

#include "framework/graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Quib {

namespace {

int AlphaOf(double f)
{
    return int(std::clamp(f * 255.0, 0.0, 255.0));
}

} // namespace

FaderBoard::FaderBoard()
{
    mouseVisible = false;
}

void FaderBoard::StartFadeOut(Delegate black, Delegate end)
{
    if (zOrder != kZOrder) {
        WidgetContainer* holder = parent;
        if (holder)
            holder->DetachChild(this);
        zOrder = kZOrder;
        if (holder)
            holder->AttachChild(this);
    }
    atBlack = black;
    atEnd = end;
    time = 0.0f;
    alpha = 0;
    state = DARKENING;
    Invalidate();
}

void FaderBoard::Update()
{
    Widget::Update();
    if (state == IDLE)
        return;
    Invalidate();
    constexpr double kQuarter = std::numbers::pi / 2.0;
    time += kStep;
    if (state == DARKENING) {
        if (time < kPhase) {
            alpha = AlphaOf(std::sin(time * kQuarter / kPhase));
            return;
        }
        state = CLEARING;
        alpha = 255;
        time = 0.0f;
        if (atBlack)
            atBlack();
        return;
    }
    if (time < kPhase) {
        alpha = AlphaOf(std::cos(time * kQuarter / kPhase));
        return;
    }
    state = IDLE;
    alpha = 0;
    time = 0.0f;
    if (atEnd)
        atEnd();
}

void FaderBoard::Draw(Graphics& g)
{
    if (alpha == 0)
        return;
    g.color = Color(0, 0, 0, alpha);
    g.FillRectangle(0, 0, width, height);
}

} // namespace Quib
