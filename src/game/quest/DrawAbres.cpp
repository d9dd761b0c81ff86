#include "src/game/quest/DrawAbres.h"

#include "framework/graphics/Graphics.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"

namespace Quib {

void DrawAbres::Before(Graphics& g)
{
    if (!layer || !layer->data || busy)
        return;
    busy = true;
    g.SaveState();
    g.color = color;
    g.OutlineRectangle(int(layer->x), int(layer->y), int(layer->data->width), int(layer->data->height));
    g.RestoreState();
    busy = false;
}

void DrawAbres::After(Graphics&) {}

} // namespace Quib
