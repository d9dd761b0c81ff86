#include "src/screens/HintWidget.h"

#include "framework/core/TriangleVertex.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/particles/ParticlesCommon.h"
#include "src/screens/HintTimer.h"

#include <cmath>
#include <numbers>

namespace Quib {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kOctant = kPi / 4.0;

// The layer's picture, no longer drawn by the layout; null when missing.
Image* TakeCompassImage(PsdPicture& layout, const char* name)
{
    PsdPictureLayer* layer = layout.FindLayer(name);
    if (!layer || !layer->image) {
        ProcessLog::GetInstance()->LogInfo("Hint compass: the layout has no picture \"%s\"", name);
        return nullptr;
    }
    layer->drawn = false;
    return layer->image;
}

// Corners and edge middles of the square of half size 1, from 12 o'clock
// counter-clockwise on screen (y down).
constexpr int kCorner[8][2] = {{0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}};

void DrawCentred(Graphics& g, Image* picture, const Image* back, float angle)
{
    if (!picture)
        return;
    const int bw = back ? back->width : picture->width;
    const int bh = back ? back->height : picture->height;
    const float left = float((bw - picture->width) / 2);
    const float top = float((bh - picture->height) / 2);
    g.DrawImageRotatedAbout(picture, left, top, float(picture->width) / 2.0f, float(picture->height) / 2.0f,
                            nullptr, angle);
}

// back2 once more with the colour and mode given, then the state as before.
void DrawTinted(Graphics& g, Image* picture, const Color& color, DrawMode mode)
{
    if (!picture)
        return;
    g.SaveState();
    g.colorizeImages = true;
    g.color = color;
    g.drawMode = mode;
    g.DrawImageAt(picture, 0, 0);
    g.RestoreState();
}

} // namespace

void PieOctantPoint(int octant, double a, double& px, double& py)
{
    const int k = ((octant % 8) + 8) % 8;
    const int n = (k + 1) % 8;
    const double dx = kCorner[n][0] - kCorner[k][0];
    const double dy = kCorner[n][1] - kCorner[k][1];
    // Even octants start at an edge middle, odd ones at a corner.
    const double along = (k % 2 == 0) ? std::tan(a) : 1.0 - std::tan(kOctant - a);
    px = kCorner[k][0] + dx * along;
    py = kCorner[k][1] + dy * along;
}

void DrawImagePie(Graphics& g, Image* image, const Rect& source, const Rect& dest, double start, double end,
                  double rotation)
{
    if (!image || image->width <= 0 || image->height <= 0)
        return;
    const Color c = g.colorizeImages ? g.color : Color::White;
    const uint32_t color = (uint32_t(c.alpha) << 24) | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) |
                           uint32_t(c.blue);
    const double cx = dest.x + dest.width / 2.0, cy = dest.y + dest.height / 2.0;
    const double hx = dest.width / 2.0, hy = dest.height / 2.0;
    const double tcx = (source.x + source.width / 2.0) / image->width;
    const double tcy = (source.y + source.height / 2.0) / image->height;
    const double thx = source.width / 2.0 / image->width, thy = source.height / 2.0 / image->height;

    start -= rotation;
    end -= rotation;
    if (!std::isfinite(start) || !std::isfinite(end))
        return;
    const double turn = 2.0 * kPi;
    const double shift = std::floor(start / turn) * turn;
    start -= shift;
    end -= shift;
    if (end < start)
        return;
    if (end - start > turn)
        end = start + turn;

    const double cr = std::cos(rotation), sr = std::sin(rotation);
    const int first = int(start / kOctant);
    int last = int(end / kOctant);
    // An end exactly on an octant boundary adds no empty octant.
    if (last > first && end == last * kOctant)
        --last;
    auto vertex = [&](double ux, double uy) {
        TriangleVertex v;
        double rx = ux, ry = uy;
        if (rotation != 0.0) {
            rx = ux * cr - uy * sr;
            ry = ux * sr + uy * cr;
        }
        v.x = float(cx + rx * hx);
        v.y = float(cy + ry * hy);
        v.u = float(tcx + thx * ux);
        v.v = float(tcy + thy * uy);
        v.color = color;
        return v;
    };
    TriangleVertex centre;
    centre.x = float(cx);
    centre.y = float(cy);
    centre.u = float(tcx);
    centre.v = float(tcy);
    centre.color = color;
    for (int k = first; k <= last; ++k) {
        const double a0 = k == first ? start - k * kOctant : 0.0;
        const double a1 = k == last ? end - k * kOctant : kOctant;
        if (a1 <= a0)
            continue;
        double x0, y0, x1, y1;
        PieOctantPoint(k, a0, x0, y0);
        PieOctantPoint(k, a1, x1, y1);
        // Clockwise on screen, as the rasterizer takes them.
        g.DrawTexturedTriangle(image, centre, vertex(x1, y1), vertex(x0, y0));
    }
}

HintWidget::HintWidget(HintTimer* hintTimer, UseDelegate use, ToolTipDelegate toolTip, PsdPicture& layout,
                       const std::string& effect)
    : timer(hintTimer), useDelegate(std::move(use)), toolTipDelegate(std::move(toolTip)), effectName(effect)
{
    Point backPosition;
    if (PsdPictureLayer* layer = layout.FindLayer("compass/back"); layer && layer->image) {
        back = layer->image;
        backPosition = Point(layer->x, layer->y);
    } else {
        ProcessLog::GetInstance()->LogInfo("Hint compass: the layout has no picture \"compass/back\"");
    }
    back2 = TakeCompassImage(layout, "compass/back2");
    innerCircle = TakeCompassImage(layout, "compass/innercircle");
    outerCircle = TakeCompassImage(layout, "compass/outercircle");
    arrow = TakeCompassImage(layout, "compass/arrow");
    if (PsdPictureLayer* layer = layout.FindLayer("compass/dot")) {
        dot = layer->image;
        dotOffset = Point(layer->x - backPosition.x, layer->y - backPosition.y);
    }
    if (PsdPictureLayer* layer = layout.FindLayer("compass/_glass")) {
        glass = layer->image;
        glassOffset = Point(layer->x - backPosition.x, layer->y - backPosition.y);
    }
    if (timer)
        timer->SetReadyDelegate(Delegate(this, &HintWidget::OnHintReady), this);
    SetBounds(backPosition.x, backPosition.y, back ? back->width : 0, back ? back->height : 0);
}

HintWidget::~HintWidget()
{
    if (timer)
        timer->ClearReadyDelegate(this);
}

void HintWidget::Update(float dt)
{
    if (timer)
        timer->Update(dt, !hovered);
    const float goal = hovered && timer && timer->IsCharged() ? 1.0f : 0.0f;
    const float step = 5.0f * dt;
    if (std::fabs(goal - hoverGlow) <= step)
        hoverGlow = goal;
    else
        hoverGlow += hoverGlow < goal ? step : -step;
    if (effect) {
        effect->Update(dt);
        if (effect->IsFinished())
            effect.reset();
    }
}

void HintWidget::OnHintReady()
{
    if (effect)
        return;
    effect = CreateParticlesByName(effectName);
    if (effect) {
        const float w = back ? float(back->width) : 0.0f, h = back ? float(back->height) : 0.0f;
        effect->StartAt(TPoint<float>(w * 0.5f, h * 0.5f));
    }
}

void HintWidget::OnMouseDownButton(int, int, int, int)
{
    if (!timer || !timer->IsCharged())
        return;
    if (useDelegate && !useDelegate())
        return;
    timer->Use();
}

void HintWidget::OnMouseEnter()
{
    if (toolTipDelegate)
        toolTipDelegate(Lang::Instance()("Interface", "HintToolTip"), -1.0f);
}

void HintWidget::OnMouseLeave()
{
    if (toolTipDelegate)
        toolTipDelegate(std::u16string(), 0.0f);
}

bool HintWidget::AcceptsPoint(int px, int py)
{
    if (!back || px < 0 || py < 0 || px >= back->width || py >= back->height)
        return false;
    auto* memory = dynamic_cast<MemoryImage*>(back);
    return !memory || int(memory->GetPixel(px, py) >> 24) > kHitAlpha;
}

void HintWidget::Draw(Graphics& g)
{
    DrawCompass(g);
}

void HintWidget::DrawCompass(Graphics& g)
{
    if (!timer)
        return;
    if (back)
        g.DrawImageAt(back, 0, 0);
    if (back2)
        g.DrawImageAt(back2, 0, 0);
    if (back) {
        const double end = (1.0 - timer->ChargedFraction()) * 2.0 * kPi;
        const Rect whole(0, 0, back->width, back->height);
        g.SaveState();
        g.colorizeImages = false;
        DrawImagePie(g, back, whole, whole, 0.0, end, 0.0);
        g.RestoreState();
    }
    if (timer->usedFlash != 0.0f)
        DrawTinted(g, back2, ColorWithAlpha(timer->usedFlash, Color::White), DRAWMODE_NORMAL);
    if (hoverGlow != 0.0f)
        DrawTinted(g, back2, ColorWithAlpha(hoverGlow * 0.5f, Color::White), DRAWMODE_ADDITIVE);
    DrawCentred(g, outerCircle, back, timer->wobbles[1].angle);
    DrawCentred(g, innerCircle, back, timer->wobbles[0].angle);
    DrawCentred(g, arrow, back, timer->wobbles[2].angle);
    if (dot)
        g.DrawImageAt(dot, dotOffset.x, dotOffset.y);
    if (glass)
        g.DrawImageAt(glass, glassOffset.x, glassOffset.y);
    if (timer->readyGlow != 0.0f) {
        const float pulse = float((0.5 - 0.5 * std::cos(kPi * timer->pulseClock)) * timer->readyGlow);
        DrawTinted(g, back2, ColorWithAlpha(pulse, Color::White), DRAWMODE_ADDITIVE);
    }
}

void HintWidget::DrawOverChildren(Graphics& g)
{
    if (!effect)
        return;
    g.SaveState();
    if (g.destImage)
        g.ReplaceClip(-int(g.transX), -int(g.transY), g.destImage->width, g.destImage->height);
    effect->Draw(&g);
    g.RestoreState();
}

} // namespace Quib
