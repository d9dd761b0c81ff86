#include "src/game/minigames/QstFieldSpyGlass.h"

#include "framework/core/TriangleVertex.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "src/game/quest/QstXmlElement.h"

#include <cmath>

namespace Quib {

namespace {

constexpr float kTwoPi = 6.2831855f;

} // namespace

QstFieldSpyGlass::QstFieldSpyGlass(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
    skipShown = false;
    showTutorial = false;
}

bool QstFieldSpyGlass::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    const bool loaded = QstFieldMinigame::DoInitFromXML(element, context);
    if (!element.GetAttrFloatOpt("time_out", timeLeft))
        return false;
    if (!std::isfinite(timeLeft) || timeLeft < 0.0f)
        timeLeft = 0.0f;
    segments = element.GetAttrInt("num_parts", segments);
    radius = element.GetAttrInt("radius", radius);
    backPicture = LoadFieldPicture(context, "_back_01", this, true);
    framePictureOfLens = LoadFieldPicture(context, "_ramka", this, true);
    glarePicture = LoadFieldPicture(context, "_blik", this, true);
    scalePicture = LoadFieldPicture(context, "_riski", this, true);
    return loaded;
}

bool QstFieldSpyGlass::IsHintStop() { return false; }

void QstFieldSpyGlass::Update(float seconds)
{
    // The close-up's own update too: its fades, layers and controls.
    QstFieldMinigame::Update(seconds);
    if (ApproachFloat(timeLeft, seconds, 0.0f)) {
        timeLeft = 1000.0f;
        Win();
    }
}

void QstFieldSpyGlass::DrawLens(Graphics& g, float cx, float cy)
{
    if (segments <= 0 || !backPicture || !backPicture->image)
        return;
    Image* back = backPicture->image;
    if (back->width <= 0 || back->height <= 0)
        return;
    // The picture's place in field coordinates.
    const float bx = backPicture->x - float(x);
    const float by = backPicture->y - float(y);
    const float r = float(radius);
    const float step = kTwoPi / float(segments);
    auto corner = [&](float px, float py) {
        TriangleVertex v;
        v.x = px;
        v.y = py;
        v.u = (px - bx) / float(back->width);
        v.v = (py - by) / float(back->height);
        v.color = 0;
        return v;
    };
    float a0 = 0.0f;
    for (int32_t i = 0; i < segments; ++i) {
        const float a1 = a0 + step;
        g.DrawTexturedTriangle(back, corner(cx, cy), corner(cx + r * std::sin(a0), cy + r * std::cos(a0)),
                               corner(cx + r * std::sin(a1), cy + r * std::cos(a1)));
        a0 = a1;
    }
}

void QstFieldSpyGlass::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    if (!manager)
        return;
    const Point screen = GetScreenPosition();
    const float cx = float(manager->mouseX - screen.x);
    const float cy = float(manager->mouseY - screen.y);
    g.SaveState();
    BeginPuzzlePass(g);
    g.colorizeImages = true;
    DrawLens(g, cx, cy);
    Image* frame = framePictureOfLens ? framePictureOfLens->image : nullptr;
    const float fx = cx - (frame ? float(frame->width) * 0.5f : 0.0f);
    const float fy = cy - (frame ? float(frame->height) * 0.5f : 0.0f);
    if (scalePicture && scalePicture->image && framePictureOfLens)
        g.DrawImageSubpixel(scalePicture->image, fx + scalePicture->x - framePictureOfLens->x,
                            fy + scalePicture->y - framePictureOfLens->y);
    if (glarePicture && glarePicture->image) {
        Image* glare = glarePicture->image;
        const float theta = std::atan2(cy, cx - float(glare->width));
        g.DrawImageRotatedAbout(glare, cx - float(glare->width) / 2.0f, cy - float(glare->height) / 2.0f,
                                float(glare->width) / 2.0f, float(glare->height) / 2.0f, nullptr, 2.0 * theta);
    }
    if (frame)
        g.DrawImageSubpixel(frame, fx, fy);
    g.colorizeImages = false;
    g.RestoreState();
}

} // namespace Quib
