#include "src/game/quest/Layer/QstImageLayer.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"

#include <cmath>

namespace Quib {

namespace {

uint32_t PackColor(const Color& c)
{
    auto channel = [](int32_t v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return channel(c.alpha) << 24 | channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
}

// Sets a data flag of any layer kind (shown or group visible).
void SetDataFlag(QstLayer* layer, bool QstLayerData::*flag, bool QstLayerData::*other, bool value,
                 bool immediately)
{
    if (!layer || !layer->data)
        return;
    QstLayerData* data = layer->data;
    const bool wasVisible = (data->*other && layer->visible) || layer->alpha != 0.0f;
    data->*flag = value;
    data->immediate = immediately;
    data->LoadOnShow(wasVisible);
    if (immediately)
        layer->alpha = layer->TargetAlpha();
}

} // namespace

QstImageLayer::QstImageLayer(QstImageLayerData* layerData) : QstLayer(layerData) {}

QstImageLayerData* QstImageLayer::ImageData() const
{
    return static_cast<QstImageLayerData*>(data);
}

QstLayer* QstImageLayer::Clone() const
{
    return new QstImageLayer(*this);
}

void QstImageLayer::DoAddProperties(QstPropertyPage* page, std::string& title)
{
    QstLayer::DoAddProperties(page, title);
    title = "Image layer";
}

void QstImageLayer::SetDataVisible(QstLayer* layer, bool value, bool immediately)
{
    SetDataFlag(layer, &QstLayerData::shown, &QstLayerData::groupVisible, value, immediately);
}

void QstImageLayer::SetDataGroupVisible(QstLayer* layer, bool value, bool immediately)
{
    SetDataFlag(layer, &QstLayerData::groupVisible, &QstLayerData::shown, value, immediately);
}

uint32_t QstImageLayer::ImagePixel(Image* image, int px, int py)
{
    auto* pixels = dynamic_cast<MemoryImage*>(image);
    return pixels ? pixels->GetPixel(px, py) : 0;
}

bool QstImageLayer::HitTest(int px, int py) const
{
    Image* image = ImageData()->image;
    if (!image || px < 0 || py < 0 || px >= image->width || py >= image->height)
        return false;
    return ImagePixel(image, px, py) > 0x00FFFFFFu;
}

void QstImageLayer::DrawCentredImage(Graphics& g, Image* image, const DrawTransform& transform,
                                     QstSceneDistortion* distortion, float width, float height)
{
    if (!image)
        return;
    if (distortion) {
        float halfW = width / 2.0f, halfH = height / 2.0f;
        int left, top;
        if (transform.scaled) {
            halfW *= transform.scaleX;
            halfH *= transform.scaleY;
            left = int(transform.postX - halfW);
            top = int(transform.postY - halfH);
        } else {
            left = int(transform.preX + transform.postX - halfW + 0.5f);
            top = int(transform.preY + transform.postY - halfH + 0.5f);
        }
        distortion->DrawImage(g, image, PackColor(g.color), Rect(left, top, int(halfW * 2.0f), int(halfH * 2.0f)));
        return;
    }
    if (transform.scaled || transform.rotated || transform.matrixForm) {
        DrawTransform copy = transform;
        g.DrawImageWithTransformSmooth(image, copy, 0.0f, 0.0f);
        return;
    }
    DrawImageAtFloat(g, image, transform.preX - width / 2.0f, transform.preY - height / 2.0f);
}

void QstImageLayer::DrawImageAtFloat(Graphics& g, Image* image, float x, float y)
{
    const float sx = x + g.transX, sy = y + g.transY;
    const bool whole = std::trunc(x) == x && std::trunc(y) == y && std::trunc(sx) == sx && std::trunc(sy) == sy &&
                       std::fabs(x) < 1e6f && std::fabs(y) < 1e6f;
    if (whole && !g.IsScaled())
        g.DrawImageAt(image, int(x), int(y));
    else
        g.DrawImageSubpixel(image, x, y);
}

void QstImageLayer::Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion)
{
    QstImageLayerData* imageData = ImageData();
    if (!imageData->image)
        return;
    g.SaveState();
    g.colorizeImages = true;
    g.color = MultiplyColors(g.color, imageData->color);
    DrawCentredImage(g, imageData->image, transform, distortion, imageData->width, imageData->height);
    g.RestoreState();
}

} // namespace Quib
