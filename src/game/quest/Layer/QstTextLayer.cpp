#include "src/game/quest/Layer/QstTextLayer.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/quest/Layer/QstTextLayerData.h"

namespace Quib {

QstTextLayer::QstTextLayer(QstTextLayerData* layerData) : QstImageLayer(layerData) {}

QstTextLayerData* QstTextLayer::TextData() const
{
    return static_cast<QstTextLayerData*>(data);
}

QstLayer* QstTextLayer::Clone() const
{
    return new QstTextLayer(*this);
}

void QstTextLayer::DoAddProperties(QstPropertyPage* page, std::string& title)
{
    QstLayer::DoAddProperties(page, title);
    title = "Text layer";
}

void QstTextLayer::Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion*)
{
    QstTextLayerData* textData = TextData();
    if (!textData->font || textData->text.empty())
        return;
    g.SaveState();
    g.colorizeImages = true;
    g.color = MultiplyColors(g.color, textData->color);
    g.font = textData->font;
    const int w = int(textData->width), h = int(textData->height);
    const Rect box(int(transform.preX - float(w) / 2.0f), int(transform.preY - float(h) / 2.0f), w, h);
    g.DrawWrappedText(textData->text, box, -1, textData->alignment, nullptr);
    g.RestoreState();
}

bool QstTextLayer::HitTest(int px, int py) const
{
    Image* image = TextData()->image;
    if (!image)
        return false;
    return (ImagePixel(image, px, py) & 0xFF000000u) != 0;
}

} // namespace Quib
