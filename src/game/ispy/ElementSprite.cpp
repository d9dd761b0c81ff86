#include "src/game/ispy/ElementSprite.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"

#include <cmath>

namespace Quib {

void ElementSprite::SetImage(Image* newImage)
{
    ReleaseImage();
    image = newImage;
    ownsImage = false;
    bounds = newImage ? Rect(0, 0, newImage->width, newImage->height) : Rect();
}

void ElementSprite::ReleaseImage()
{
    if (ownsImage)
        delete image;
    image = nullptr;
    ownsImage = false;
}

void ElementSprite::RebuildTransform()
{
    transform = DrawTransform();
    transform.Translate(float(bounds.width) * 0.5f - pivotX, float(bounds.height) * 0.5f - pivotY);
    transform.Scale(float(mirrorX) * scaleX, float(mirrorY) * scaleY);
    transform.Rotate(angle);
    transform.Translate(x, y);
}

void ElementSprite::Draw(Graphics& g)
{
    if (!image)
        return;
    RebuildTransform();
    g.DrawImageWithTransformRounded(image, transform, 0.0f, 0.0f);
}

Point ElementSprite::ToLocal(float px, float py) const
{
    const float dx = px - x;
    const float dy = py - y;
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    float sx = float(mirrorX) * scaleX;
    float sy = float(mirrorY) * scaleY;
    // A sprite squeezed to nothing covers no pixel.
    if (sx == 0.0f || sy == 0.0f)
        return Point(-1, -1);
    const float u = (dx * c - dy * s) / sx + pivotX;
    const float v = (dy * c + dx * s) / sy + pivotY;
    if (!std::isfinite(u) || !std::isfinite(v) || std::fabs(u) > 1e9f || std::fabs(v) > 1e9f)
        return Point(-1, -1);
    return Point(int32_t(u), int32_t(v));
}

} // namespace Quib
