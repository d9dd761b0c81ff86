#include "src/game/quest/QstFieldControl.h"

#include "framework/core/Rect.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "src/game/quest/PsdPictureLayer.h"

#include <utility>

namespace Quib {

namespace {

Rect LayerRect(const PsdPictureLayer* layer)
{
    if (!layer)
        return Rect();
    return Rect(layer->x, layer->y, layer->image ? layer->image->width : 0, layer->image ? layer->image->height : 0);
}

} // namespace

QstFieldControl::QstFieldControl(ButtonListener* owner, int32_t controlId, const PsdPictureLayer* base,
                                 const PsdPictureLayer* charge, const PsdPictureLayer* hover,
                                 const PsdPictureLayer* press, std::u16string caption)
    : listener(owner), id(controlId), text(std::move(caption))
{
    const PsdPictureLayer* parts[4] = {base, charge, hover, press};
    bool any = false;
    Rect bounds;
    for (const PsdPictureLayer* part : parts) {
        if (!part)
            continue;
        bounds = any ? bounds.Union(LayerRect(part)) : LayerRect(part);
        any = true;
    }
    x = bounds.x;
    y = bounds.y;
    width = bounds.width;
    height = bounds.height;
    auto place = [&](const PsdPictureLayer* part, Image*& picture, int32_t& ox, int32_t& oy) {
        picture = part ? part->image : nullptr;
        ox = part ? part->x - x : 0;
        oy = part ? part->y - y : 0;
    };
    place(base, basePicture, baseOffsetX, baseOffsetY);
    place(charge, chargePicture, chargeOffsetX, chargeOffsetY);
    place(hover, hoverPicture, hoverOffsetX, hoverOffsetY);
    place(press, pressPicture, pressOffsetX, pressOffsetY);
}

void QstFieldControl::SetVisible(bool value, bool immediately)
{
    visible = value;
    if (immediately)
        alpha = value ? 1.0f : 0.0f;
}

void QstFieldControl::Press(int clicks)
{
    if (!visible || chargeRatio != 1.0f)
        return;
    pressed = true;
    if (listener)
        listener->ButtonPressByMouse(id, clicks);
}

void QstFieldControl::Release(int clicks)
{
    if (!pressed)
        return;
    pressed = false;
    if (hovered && listener)
        listener->ButtonDepressByMouse(id, clicks);
}

bool QstFieldControl::PictureHit(Image* picture, int px, int py, int hx, int hy)
{
    auto* pixels = dynamic_cast<MemoryImage*>(picture);
    if (!pixels)
        return false;
    const int lx = hx - px;
    const int ly = hy - py;
    if (lx < 0 || ly < 0 || lx >= picture->width || ly >= picture->height)
        return false;
    return (pixels->GetPixel(lx, ly) >> 24) > 10;
}

} // namespace Quib
