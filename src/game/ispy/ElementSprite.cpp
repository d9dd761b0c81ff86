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

} // namespace Quib
