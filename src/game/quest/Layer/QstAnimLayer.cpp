#include "src/game/quest/Layer/QstAnimLayer.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/quest/Layer/QstAnimLayerData.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"

#include <cmath>

namespace Quib {

namespace {

uint32_t PackAnimColor(const Color& c)
{
    auto channel = [](int32_t v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return channel(c.alpha) << 24 | channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
}

} // namespace

QstAnimLayer::QstAnimLayer(QstAnimLayerData* layerData) : QstLayer(layerData), animData(layerData) {}

QstAnimLayer::QstAnimLayer(const QstAnimLayer& other) : QstLayer(other), animData(other.animData) {}

QstLayer* QstAnimLayer::Clone() const
{
    return new QstAnimLayer(*this);
}

void QstAnimLayer::Update(float seconds)
{
    UpdateFade(seconds);
    if (finished || !animData || animData->frames.empty())
        return;
    const size_t count = animData->frames.size();
    frameTimer += seconds;
    // A frame time of 0 (or less) cannot advance: the first frame stays.
    size_t index = 0;
    if (animData->frameTime > 0.0f && frameTimer > 0.0f) {
        const float steps = frameTimer / animData->frameTime;
        index = steps >= float(count) ? count : size_t(steps);
    }
    if (index >= count) {
        if (animData->loop) {
            frameTimer = 0.0f;
            index = 0;
        } else {
            finished = true;
            index = count - 1;
        }
    }
    currentFrame = &animData->frames[index];
}

void QstAnimLayer::SyncAlpha()
{
    // Restart: the first frame again, from the beginning.
    if (animData && !animData->frames.empty()) {
        currentFrame = &animData->frames.front();
        frameTimer = 0.0f;
        finished = false;
    }
}

void QstAnimLayer::Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion)
{
    if (!currentFrame || !currentFrame->image)
        return;
    Image* image = currentFrame->image;
    const float dw = animData->width, dh = animData->height;
    const float iw = float(image->width), ih = float(image->height);
    g.SaveState();
    g.colorizeImages = true;
    g.color = MultiplyColors(g.color, animData->color);
    if (distortion) {
        // The rectangle the undistorted drawing covers.
        float sx = 1.0f, sy = 1.0f, cx, cy;
        if (transform.scaled) {
            sx = transform.scaleX;
            sy = transform.scaleY;
            cx = transform.postX;
            cy = transform.postY;
        } else {
            cx = transform.preX + transform.postX;
            cy = transform.preY + transform.postY;
        }
        const float left = cx + (currentFrame->x - dw / 2.0f) * sx;
        const float top = cy + (currentFrame->y - dh / 2.0f) * sy;
        const Rect dest = transform.scaled ? Rect(int(left), int(top), int(iw * sx), int(ih * sy))
                                           : Rect(int(left + 0.5f), int(top + 0.5f), int(iw), int(ih));
        distortion->DrawImage(g, image, PackAnimColor(g.color), dest);
    } else if (transform.scaled || transform.rotated || transform.matrixForm) {
        DrawTransform copy = transform;
        copy.Translate(currentFrame->x - dw / 2.0f + iw / 2.0f, currentFrame->y - dh / 2.0f + ih / 2.0f);
        g.DrawImageWithTransformSmooth(image, copy, 0.0f, 0.0f);
    } else {
        QstImageLayer::DrawImageAtFloat(g, image, transform.preX - dw / 2.0f + currentFrame->x,
                                        transform.preY - dh / 2.0f + currentFrame->y);
    }
    g.RestoreState();
}

bool QstAnimLayer::HitTest(int px, int py) const
{
    if (!IsInRect(px, py) || !currentFrame || !currentFrame->image)
        return false;
    const uint32_t pixel =
        QstImageLayer::ImagePixel(currentFrame->image, px - int(currentFrame->x), py - int(currentFrame->y));
    return (pixel >> 24) > 0x20u;
}

} // namespace Quib
