#include "framework/widgets/ScrollbuttonWidget.h"

#include "framework/graphics/Graphics.h"

namespace Quib {

namespace {

const Color kFace(212, 212, 212);
const Color kShadow(132, 132, 132);
const Color kLight(255, 255, 255);
const Color kDark(0, 0, 0);

void Fill(Graphics& g, const Color& c, int x, int y, int w, int h)
{
    g.color = c;
    g.FillRectangle(x, y, w, h);
}

} // namespace

void DrawRaisedBevel(Graphics& g, int x, int y, int w, int h)
{
    Fill(g, kFace, x, y, w, h);
    Fill(g, kLight, x + 1, y + 1, w - 2, 1);
    Fill(g, kLight, x + 1, y + 1, 1, h - 2);
    Fill(g, kDark, x, y + h - 1, w, 1);
    Fill(g, kDark, x + w - 1, y, 1, h);
    Fill(g, kShadow, x + 1, y + h - 2, w - 2, 1);
    Fill(g, kShadow, x + w - 2, y + 1, 1, h - 2);
}

ScrollbuttonWidget::ScrollbuttonWidget(int buttonId, ButtonListener* buttonListener)
    : ButtonWidget(buttonId, buttonListener)
{
}

ScrollbuttonWidget::~ScrollbuttonWidget() = default;

void ScrollbuttonWidget::Draw(Graphics& g)
{
    Fill(g, kFace, 0, 0, width, height);
    int d = 0;
    if (IsPressedVisual()) {
        g.color = kShadow;
        g.OutlineRectangle(0, 0, width - 1, height - 1);
        d = 1;
    } else {
        DrawRaisedBevel(g, 0, 0, width, height);
    }

    g.color = disabled ? kShadow : kDark;
    const bool towardStart = id == 0;
    for (int k = 0; k < 4; ++k) {
        const int along = towardStart ? k : 3 - k;
        if (horizontal)
            g.FillRectangle((width - 4) / 2 + d + along, height / 2 + d - 1 - k, 1, 2 * k + 1);
        else
            g.FillRectangle(width / 2 + d - 1 - k, (height - 4) / 2 + d + along, 2 * k + 1, 1);
    }
}

} // namespace Quib
