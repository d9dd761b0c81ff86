#include "src/game/quest/Layer/QstSceneDistortion.h"

#include "framework/core/Rect.h"
#include "framework/core/TriangleVertex.h"
#include "framework/graphics/Graphics.h"

#include <cmath>

namespace Quib {

QstSceneDistortion::QstSceneDistortion(int32_t screenWidth, int32_t screenHeight)
    : width(screenWidth), height(screenHeight)
{
}

TPoint<float> QstSceneDistortion::Distort(float px, float py, float f, float o) const
{
    const float ax = (px == 0.0f || px == float(width)) ? 0.0f : amplitude;
    const float ay = (py == 0.0f || py == float(height)) ? 0.0f : amplitude;
    const float phase = speed != 0.0f ? (speed * o + time) / speed : time;
    // Wave lengths of at least one pixel, whatever the counts.
    const int32_t cellW = columns > 0 && width / columns > 0 ? width / columns : 1;
    const int32_t cellH = rows > 0 && height / rows > 0 ? height / rows : 1;
    return TPoint<float>(px + ax * f * std::sin(px / float(cellW) + phase),
                         py + ay * f * std::cos(py / float(cellH) + phase));
}

void QstSceneDistortion::DrawImage(Graphics& g, Image* image, uint32_t color, const Rect& dest) const
{
    if (!image || dest.width <= 0 || dest.height <= 0 || (color >> 24) == 0)
        return;
    constexpr int n = kCells;
    // The (n + 1) x (n + 1) corners, distorted in screen coordinates.
    TPoint<float> corner[n + 1][n + 1];
    for (int j = 0; j <= n; ++j) {
        const float cy = float(dest.y) + float(j * dest.height) / float(n);
        for (int i = 0; i <= n; ++i) {
            const float cx = float(dest.x) + float(i * dest.width) / float(n);
            const TPoint<float> p = Distort(cx + g.transX, cy + g.transY);
            corner[j][i] = TPoint<float>(p.x - g.transX, p.y - g.transY);
        }
    }
    TriangleVertex vertices[n * n * 6];
    int k = 0;
    auto put = [&](int i, int j) {
        TriangleVertex& v = vertices[k++];
        v.x = corner[j][i].x;
        v.y = corner[j][i].y;
        v.u = float(i) / float(n);
        v.v = float(j) / float(n);
        v.color = 0; // the colour comes from the Graphics colour below
    };
    // A cell's pixels lie within its corners' box (a pixel more for the
    // rounding): a cell whose box is inside the hidden area draws nothing
    // that stays.
    const Rect inner(hidden.x + 1, hidden.y + 1, hidden.width - 2, hidden.height - 2);
    auto isHidden = [&](int i, int j) {
        if (inner.width <= 0 || inner.height <= 0)
            return false;
        for (int dj = 0; dj <= 1; ++dj)
            for (int di = 0; di <= 1; ++di) {
                const float px = corner[j + dj][i + di].x + g.transX, py = corner[j + dj][i + di].y + g.transY;
                if (!(px >= float(inner.x) && py >= float(inner.y) && px <= float(inner.x + inner.width) &&
                      py <= float(inner.y + inner.height)))
                    return false;
            }
        return true;
    };
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            if (isHidden(i, j))
                continue;
            put(i, j);
            put(i + 1, j);
            put(i, j + 1);
            put(i + 1, j);
            put(i + 1, j + 1);
            put(i, j + 1);
        }
    }
    // The packed colour modulates the whole mesh once.
    g.SaveState();
    g.colorizeImages = true;
    g.color = Color(int32_t(color >> 16 & 255), int32_t(color >> 8 & 255), int32_t(color & 255),
                    int32_t(color >> 24 & 255));
    g.DrawTexturedTriangles(image, vertices, k / 3);
    g.RestoreState();
}

} // namespace Quib
