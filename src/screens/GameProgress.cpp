#include "src/screens/GameProgress.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPictureLayer.h"

#include <algorithm>

namespace Quib {

namespace {

Image* LayerImage(const PsdPictureLayer* layer)
{
    return layer ? layer->image : nullptr;
}

} // namespace

GameProgress::GameProgress(PsdPictureLayer* emptyLayer, PsdPictureLayer* fullLayer)
    : empty(emptyLayer), full(fullLayer)
{
    Rect bounds;
    bool haveBounds = false;
    for (PsdPictureLayer* layer : {emptyLayer, fullLayer}) {
        if (!LayerImage(layer)) {
            QUIB_LOG_ERROR("Progress bar: layer \"%s\" has no picture", layer ? layer->name.c_str() : "(none)");
            continue;
        }
        const Rect rect(layer->x, layer->y, layer->image->width, layer->image->height);
        bounds = haveBounds ? bounds.Union(rect) : rect;
        haveBounds = true;
    }
    SetBoundsRect(bounds);
}

int GameProgress::FilledWidth(int fullWidth, float progress)
{
    if (!(progress > 0.0f)) // NaN too
        return 0;
    if (progress >= 1.0f)
        return fullWidth;
    return std::clamp(int(float(fullWidth) * progress), 0, fullWidth);
}

void GameProgress::Draw(Graphics& g)
{
    if (Image* emptyImage = LayerImage(empty))
        g.DrawImageAt(emptyImage, 0, 0);
    Image* fullImage = LayerImage(full);
    if (!fullImage)
        return;
    const int c = FilledWidth(fullImage->width, GameControllerCommon::Instance().Player().progress);
    if (c >= 1)
        g.DrawImagePart(fullImage, 0, 0, Rect(fullImage->width - c, 0, c, fullImage->height));
}

} // namespace Quib
