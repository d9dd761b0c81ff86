#include "src/game/quest/QstItemPictureDraw.h"

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/QstItemStateDraw.h"

namespace Quib {

void DrawItemPicture(Graphics& g, const QstItemStateDraw& picture, float x, float y, float scale,
                     DrawTransform& transform)
{
    if (!picture.state)
        return;
    for (QstLayer* layer : picture.layers) {
        if (!layer || !layer->data)
            continue;
        transform = DrawTransform();
        if (scale != 1.0f)
            transform.Scale(scale, scale);
        transform.Translate(x + layer->x + layer->data->width / 2.0f, y + layer->y + layer->data->height / 2.0f);
        layer->Draw(g, transform, nullptr);
    }
}

} // namespace Quib
