#include "src/game/minigames/SPart.h"

#include "framework/core/Color.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/minigames/MinigamePicture.h"
#include "src/game/quest/QstPixelAlpha.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr float kPi = 3.1415927f;

Rect PictureRect(const MinigamePicture* p)
{
    if (!p)
        return Rect();
    return Rect(int(p->x), int(p->y), p->image ? p->image->width : 0, p->image ? p->image->height : 0);
}

void DrawAt(Graphics& g, const MinigamePicture* p)
{
    if (p && p->image)
        g.DrawImageAt(p->image, int(p->x), int(p->y));
}

} // namespace

void SPart::Setup(int32_t partNumber, MinigamePicture* main, MinigamePicture* shadow, MinigamePicture* mask,
                  float offsetX, float offsetY)
{
    number = partNumber;
    mainPicture = main;
    shadowPicture = shadow;
    maskPicture = mask;
    int minX = 0;
    int minY = 0;
    bool any = false;
    for (MinigamePicture* p : {main, shadow, mask}) {
        if (!p)
            continue;
        minX = any ? std::min(minX, int(p->x)) : int(p->x);
        minY = any ? std::min(minY, int(p->y)) : int(p->y);
        any = true;
    }
    for (MinigamePicture* p : {main, shadow, mask}) {
        if (!p)
            continue;
        p->x -= float(minX);
        p->y -= float(minY);
    }
    x = int(float(minX) - offsetX);
    y = int(float(minY) - offsetY);
    homeX = flightStartX = float(x);
    homeY = flightStartY = float(y);
}

void SPart::FitSize()
{
    Rect r;
    bool any = false;
    for (MinigamePicture* p : {shadowPicture, mainPicture, maskPicture}) {
        if (!p)
            continue;
        r = any ? r.Union(PictureRect(p)) : PictureRect(p);
        any = true;
    }
    width = r.width + std::max(0, r.x);
    height = r.height + std::max(0, r.y);
}

void SPart::Draw(Graphics& g)
{
    g.colorizeImages = true;
    if (shadowAlpha != 0.0f) {
        g.color = ColorWithAlpha(shadowAlpha, Color::White);
        DrawAt(g, shadowPicture);
    }
    if (partAlpha != 0.0f) {
        g.color = ColorWithAlpha(partAlpha, Color::White);
        DrawAt(g, mainPicture);
    }
    const float strength = glow * 0.4f * partAlpha;
    if (strength != 0.0f) {
        g.color = ColorWithAlpha(strength, Color::White);
        g.drawMode = DRAWMODE_ADDITIVE;
        DrawAt(g, mainPicture);
        g.drawMode = DRAWMODE_NORMAL;
    }
    g.colorizeImages = false;
}

bool SPart::AcceptsPoint(int px, int py)
{
    const MinigamePicture* p = maskPicture ? maskPicture : mainPicture;
    if (!p || !p->image)
        return false;
    return PictureAlphaAt(p->image, int(float(px) - p->x), int(float(py) - p->y)) > 0;
}

void SPart::UpdatePart(float seconds)
{
    ApproachFloat(partAlpha, seconds, placed ? 0.0f : 1.0f);
    ApproachFloat(glow, 5.0f * seconds, hovered ? 1.0f : 0.0f);
    ApproachFloat(shadowAlpha, 5.0f * seconds, (!IsDragging() && !placed) ? 1.0f : 0.0f);
    if (!returning)
        return;
    if (ApproachFloat(flightProgress, flightRate * seconds, 1.0f)) {
        MoveTo(int(homeX), int(homeY));
        flightProgress = 0.0f;
        returning = false;
        SetDraggable(true);
    } else {
        UpdateFlight();
    }
}

void SPart::ReturnHome()
{
    returning = true;
    hovered = false;
    SetDraggable(false);
    flightStartX = float(x);
    flightStartY = float(y);
    flightProgress = 0.0f;
    const float distance = std::hypot(homeX - flightStartX, homeY - flightStartY);
    // A part dropped at home arrives at the next update.
    flightRate = distance > 0.0f ? 500.0f / distance : 1.0e6f;
}

void SPart::UpdateFlight()
{
    const float k = 0.5f - 0.5f * std::cos(kPi * flightProgress);
    const float fx = flightStartX + (homeX - flightStartX) * std::sin(k * kPi / 2.0f);
    const float fy = flightStartY + (homeY - flightStartY) * k;
    MoveTo(int(fx), int(fy));
}

void SPart::SetPlaced(bool hide)
{
    placed = true;
    if (hide) {
        partAlpha = 0.0f;
        shadowAlpha = 0.0f;
        SetDraggable(false);
    }
}

void SPart::ShiftHome(float dx, float dy)
{
    homeX += dx;
    homeY += dy;
    flightStartX += dx;
    flightStartY += dy;
    MoveTo(int(float(x) + dx), int(float(y) + dy));
}

} // namespace Quib
