#include "src/game/quest/QstField.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameResources.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstFieldLayerExtraDraw.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"
#include "src/screens/PopupAnimation.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace Quib {

namespace {

int Clamp255(int v) { return std::clamp(v, 0, 255); }

// The opening look without the zoom: darkened, transparent, wider clip.
Color BeginFieldPass(Graphics& g, const QstField& field)
{
    ApplyPopupTransform(g, field.alpha, field.width, field.height);
    g.scaleX = 1.0f;
    g.scaleY = 1.0f;
    const Color sceneColor = field.scene ? field.scene->color : Color(255, 255, 255, 255);
    return MultiplyColors(sceneColor, g.color);
}

void ScaleAlpha(Graphics& g, int factor)
{
    g.color.alpha = g.color.alpha * Clamp255(factor) / 255;
}

} // namespace

void QstField::Draw(Graphics& g)
{
    g.SaveState();
    const Color fieldColor = BeginFieldPass(g, *this);
    g.color = fieldColor;
    // What a close-up above covers, from tree to drawing coordinates (the
    // tree may be drawn at an offset), a pixel narrower for the fraction.
    QstSceneDistortion* distortion = scene ? scene->distortion : nullptr;
    Rect hidden;
    if (distortion && scene->skipCoveredCells) {
        const Rect area = scene->AreaCoveredAbove(this);
        if (area.width > 2 && area.height > 2) {
            int ax = 0, ay = 0;
            for (const WidgetContainer* w = this; w; w = w->parent) {
                ax += w->x;
                ay += w->y;
            }
            const int dx = int(std::floor(g.transX)) - ax, dy = int(std::floor(g.transY)) - ay;
            hidden = Rect(area.x + dx + 1, area.y + dy + 1, area.width - 2, area.height - 2);
        }
    }
    for (QstFieldLayer* layer : layers) {
        g.color = fieldColor;
        if (!layer->IsShowing())
            continue;
        if (QstFieldLayerExtraDraw* hook = layer->GetExtraDraw()) {
            // A hook may draw the layer elsewhere: all of it.
            hook->Before(g);
            if (hook->DrawsLayer())
                layer->Draw(g);
            hook->After(g);
        } else {
            // Plain picture layers draw straight through the mesh.
            const QstLayer* kind = layer->layer;
            const bool plain = distortion && kind && typeid(*kind) == typeid(QstImageLayer);
            if (plain)
                distortion->hidden = hidden;
            layer->Draw(g);
            if (plain)
                distortion->hidden = Rect();
        }
    }
    g.RestoreState();
}

Rect QstField::OpaqueScreenArea() const
{
    // Fully open: no zoom, the opening tint opaque; the scene's tint opaque.
    if (alpha != 1.0f || !scene || scene->color.alpha != 255 || !visible || !parent)
        return Rect();
    int ax = 0, ay = 0;
    for (const WidgetContainer* w = this; w; w = w->parent) {
        if (const auto* widget = dynamic_cast<const Widget*>(w); widget && !widget->visible)
            return Rect();
        ax += w->x;
        ay += w->y;
    }
    // The drawing stays inside the field's bounds; the rippling mesh moves
    // a picture's edges by up to its amplitude; two pixels more for the
    // rounding of positions and samples at the edges.
    int margin = 2;
    if (scene->distortion)
        margin += int(std::ceil(std::min(std::fabs(scene->distortion->amplitude), 64.0f)));
    const Rect bounds(ax + margin, ay + margin, width - 2 * margin, height - 2 * margin);
    Rect best;
    for (const QstFieldLayer* fieldLayer : layers) {
        if (!fieldLayer->IsShowing() || fieldLayer->GetExtraDraw())
            continue;
        const QstLayer* layer = fieldLayer->layer;
        // Plain picture layers only (other kinds draw their own way).
        if (!layer || typeid(*layer) != typeid(QstImageLayer) || layer->alpha != 1.0f || !layer->data)
            continue;
        const auto* data = static_cast<const QstImageLayerData*>(layer->data);
        const auto* image = dynamic_cast<const MemoryImage*>(data->image);
        if (!image || data->color.alpha != 255 || image->forced || image->bitsChanged || image->hasAlpha ||
            image->hasTrans || image->width <= 0 || image->height <= 0)
            continue;
        const int left = ax + int(std::ceil(layer->x)) + margin, top = ay + int(std::ceil(layer->y)) + margin;
        const Rect area =
            Rect(left, top, int(data->width) - 2 * margin - 1, int(data->height) - 2 * margin - 1).Intersection(bounds);
        if (area.width > 0 && area.height > 0 &&
            int64_t(area.width) * area.height > int64_t(best.width) * best.height)
            best = area;
    }
    return best;
}

void QstField::DrawOverChildren(Graphics& g)
{
    g.SaveState();
    const Color fieldColor = BeginFieldPass(g, *this);
    if (framed) {
        g.color = fieldColor;
        g.colorizeImages = true;
        const Image* dest = g.destImage;
        g.clipRect = Rect(0, 0, dest ? dest->width : 0, dest ? dest->height : 0);
        if (framePicture)
            g.DrawImageNineSliceStretched(framePicture, Rect(0, frameTop, width, height - frameTop - frameBottom));
        g.colorizeImages = false;
    }
    for (QstFieldControl* control : controls) {
        g.color = fieldColor;
        g.colorizeImages = true;
        DrawControl(g, *control);
        g.colorizeImages = false;
    }
    DrawExitLabels(g);
    g.RestoreState();
}

void QstField::DrawControl(Graphics& g, QstFieldControl& control)
{
    if (control.alpha == 0.0f)
        return;
    g.SaveState();
    g.colorizeImages = true;
    g.color = MultiplyColors(g.color, Color(255, 255, 255, Clamp255(int(control.alpha * 255.0f))));
    g.transX += float(control.x);
    g.transY += float(control.y);
    if (control.basePicture)
        g.DrawImageAt(control.basePicture, control.baseOffsetX, control.baseOffsetY);
    if (control.chargeRatio != 0.0f) {
        if (control.hoverLevel != 1.0f && control.pressLevel != 1.0f && control.chargePicture) {
            g.SaveState();
            ScaleAlpha(g, int((1.0f - control.pressLevel) * (1.0f - control.hoverLevel) * 255.0f));
            const Rect source(0, 0, int(float(control.chargePicture->width) * control.chargeRatio),
                              control.chargePicture->height);
            g.DrawImagePart(control.chargePicture, control.chargeOffsetX, control.chargeOffsetY, source);
            g.RestoreState();
        }
        if (control.chargeRatio == 1.0f) {
            if (control.hoverLevel != 0.0f && control.pressLevel != 1.0f && control.hoverPicture) {
                g.SaveState();
                ScaleAlpha(g, int((1.0f - control.pressLevel) * control.hoverLevel * 255.0f));
                g.DrawImageAt(control.hoverPicture, control.hoverOffsetX, control.hoverOffsetY);
                g.RestoreState();
            }
            if (control.pressLevel != 0.0f && control.pressPicture) {
                g.SaveState();
                ScaleAlpha(g, int(control.pressLevel * 255.0f));
                g.DrawImageAt(control.pressPicture, control.pressOffsetX, control.pressOffsetY);
                g.RestoreState();
            }
        }
    }
    if (control.readyLevel != 0.0f && FONT_BUTTON && !control.text.empty()) {
        g.SaveState();
        g.color = MultiplyColors(Color(43, 14, 0, Clamp255(int(control.readyLevel * 255.0f))), g.color);
        g.font = FONT_BUTTON;
        const int textWidth = g.TextWidth(control.text);
        const int textX = int(float(control.width - textWidth) * 0.5f);
        const int baseline = int(float(control.height - FONT_BUTTON->Descent() + FONT_BUTTON->Ascent()) * 0.5f);
        g.DrawText(control.text, textX, baseline);
        g.RestoreState();
    }
    g.RestoreState();
}

} // namespace Quib
