#include "src/game/quest/SpritePixelHitTest.h"

#include "framework/graphics/MemoryImage.h"

#include <cmath>

namespace Quib {

bool SpriteScreenToImage(const SpritePose& sprite, int x, int y, Point& out)
{
    const float sx = float(sprite.factorX) * sprite.scaleX;
    const float sy = float(sprite.factorY) * sprite.scaleY;
    // A sprite flattened to nothing covers no pixel.
    if (sx == 0.0f || sy == 0.0f || !std::isfinite(sx) || !std::isfinite(sy))
        return false;
    const float dx = float(x) - sprite.x;
    const float dy = float(y) - sprite.y;
    const float s = std::sin(sprite.angle);
    const float c = std::cos(sprite.angle);
    const float u = (dx * c - dy * s) / sx + sprite.pivotX;
    const float v = (dy * c + dx * s) / sy + sprite.pivotY;
    // Far outside any picture: no int can hold it.
    if (!(std::fabs(u) < 1.0e9f) || !(std::fabs(v) < 1.0e9f))
        return false;
    out = Point(int32_t(u), int32_t(v));
    return true;
}

bool PixelHitTest(const SpritePose& sprite, int x, int y)
{
    Point p;
    if (!SpriteScreenToImage(sprite, x, y, p))
        return false;
    const Rect& r = sprite.source;
    if (p.x < r.x || p.y < r.y || int64_t(p.x) >= int64_t(r.x) + r.width || int64_t(p.y) >= int64_t(r.y) + r.height)
        return false;
    // The point is in picture pixels: the row length is the picture's.
    auto* image = dynamic_cast<MemoryImage*>(sprite.image);
    if (!image)
        return false;
    return (image->GetPixel(p.x, p.y) & 0xFF000000u) != 0;
}

} // namespace Quib
