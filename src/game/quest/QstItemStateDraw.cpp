#include "src/game/quest/QstItemStateDraw.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"

namespace Quib {

QstItemStateDraw::QstItemStateDraw(QstItem* itemIn) : item(itemIn) {}

QstItemStateDraw::~QstItemStateDraw()
{
    Clear();
}

void QstItemStateDraw::Clear()
{
    for (QstLayer* layer : layers)
        delete layer;
    layers.clear();
}

void QstItemStateDraw::SetState(const std::string& stateName, bool immediately)
{
    Clear();
    state = item ? item->GetState(stateName) : nullptr;
    if (!state) {
        QUIB_LOG_ERROR("Try to set state \"%s\" for QstItemStateDraw, that doesn't exists (item=\"%s\")", stateName,
                       item ? item->GetName() : std::string());
        return;
    }
    // The sizes are known once the data is loaded: load first, then measure.
    for (QstFieldItemLayer* itemLayer : state->layers) {
        QstLayer* layer = itemLayer ? itemLayer->GetLayer() : nullptr;
        if (layer && layer->data)
            layer->data->Load();
    }
    const FRect rect = state->GetBoundingRect();
    for (QstFieldItemLayer* itemLayer : state->layers) {
        QstLayer* layer = itemLayer ? itemLayer->GetLayer() : nullptr;
        if (!layer)
            continue;
        QstLayer* clone = layer->Clone();
        if (!clone)
            continue;
        float fieldX = 0.0f, fieldY = 0.0f;
        if (QstField* field = itemLayer->GetField()) {
            fieldX = static_cast<float>(field->x);
            fieldY = static_cast<float>(field->y);
        }
        clone->x = layer->x + fieldX - rect.x;
        clone->y = layer->y + fieldY - rect.y;
        layers.push_back(clone);
    }
    const float oldW = w, oldH = h;
    w = rect.width;
    h = rect.height;
    if (!immediately) {
        x += (oldW - w) * 0.5f;
        y += (oldH - h) * 0.5f;
    }
}

} // namespace Quib
