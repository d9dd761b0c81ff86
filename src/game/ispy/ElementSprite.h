#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/graphics/DrawTransform.h"

namespace Quib {

class Graphics;
class Image;

// The picture of one frame of a hidden-object element, placed by a
// transform: the pivot of the image sits at (x, y), scaled, mirrored and
// turned about it.
class ElementSprite {
public:
    ElementSprite() = default;
    ElementSprite(const ElementSprite&) = delete;
    ElementSprite& operator=(const ElementSprite&) = delete;
    ~ElementSprite() { ReleaseImage(); }

    // Takes the image, not owned; bounds follow its size.
    void SetImage(Image* newImage);
    // Deletes an owned image.
    void ReleaseImage();
    void RebuildTransform();
    void Draw(Graphics& g);
    // The image pixel under a point of the picture; (-1, -1) when the
    // sprite is squeezed to nothing.
    Point ScreenToImage(int px, int py) const;
    Point ToLocal(int px, int py) const { return ScreenToImage(px, py); }

    Image* image = nullptr;
    bool ownsImage = false;
    Rect bounds;
    DrawTransform transform;
    float x = 0.0f;
    float y = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int mirrorX = 1;
    int mirrorY = 1;
    float pivotX = 0.0f;
    float pivotY = 0.0f;
    float angle = 0.0f;
};

// True when the point lies on a pixel of the sprite's image whose alpha is
// not zero.
bool PixelHitTest(const ElementSprite& sprite, int x, int y);

} // namespace Quib
