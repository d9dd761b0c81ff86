#include "src/game/ispy/ElementSprite.h"

#include "framework/graphics/MemoryImage.h"

namespace Quib {

bool PixelHitTest(const ElementSprite& sprite, int x, int y)
{
    auto* pixels = dynamic_cast<MemoryImage*>(sprite.image);
    if (!pixels)
        return false;
    const Point p = sprite.ToLocal(float(x), float(y));
    const Rect& b = sprite.bounds;
    if (p.x < b.x || p.y < b.y || p.x >= b.x + b.width || p.y >= b.y + b.height)
        return false;
    return (pixels->GetPixel(p.x, p.y) & 0xFF000000u) != 0;
}

} // namespace Quib
