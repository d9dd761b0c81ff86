#include "src/game/quest/DrawAbres.h"

#include "framework/graphics/Graphics.h"
#include "src/game/quest/QstFieldLayer.h"

namespace Quib {

namespace {

// The field layer's own drawing, with its hooks, shifted by (dx, dy).
void DrawShifted(Graphics& g, QstFieldLayer& fieldLayer, float dx, float dy)
{
    if (!fieldLayer.IsShowing())
        return;
    g.transX += dx;
    g.transY += dy;
    QstFieldLayerExtraDraw* hook = fieldLayer.GetExtraDraw();
    if (hook)
        hook->Before(g);
    fieldLayer.Draw(g);
    if (hook)
        hook->After(g);
    g.transX -= dx;
    g.transY -= dy;
}

} // namespace

void DrawAbres::Before(Graphics& g)
{
    if (busy || !fieldLayer)
        return;
    busy = true;
    g.drawMode = DRAWMODE_NORMAL_COLOR;
    static constexpr float kWide[4][2] = {{3, 3}, {-3, 3}, {3, -3}, {-3, -3}};
    static constexpr float kNarrow[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (const auto& shift : kWide) {
        g.color = Color(0, 0, 0, 255);
        DrawShifted(g, *fieldLayer, shift[0], shift[1]);
    }
    for (const auto& shift : kNarrow) {
        g.color = color;
        DrawShifted(g, *fieldLayer, shift[0], shift[1]);
    }
    g.drawMode = DRAWMODE_NORMAL;
    g.color = Color(255, 255, 255, 255);
    busy = false;
}

void DrawAbres::After(Graphics&) {}

} // namespace Quib
