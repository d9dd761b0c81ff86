#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"

#include <cstdint>

namespace Quib {

class Image;

// Where a sprite's picture sits on screen: the part shown, the pivot point
// of the picture placed at the position, scaled (a negative factor
// mirrors) and turned about it.
struct SpritePose {
    Image* image = nullptr;
    Rect source; // part of the picture shown, picture pixels
    float x = 0.0f; // screen point of the pivot
    float y = 0.0f;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int32_t factorX = 1; // multiply the scale; -1 mirrors
    int32_t factorY = 1;
    float pivotX = 0.0f; // picture pixels
    float pivotY = 0.0f;
    float angle = 0.0f; // radians
};

// The picture pixel under a screen point (truncated toward zero). False
// when the sprite is flattened to nothing (a zero scale or factor).
bool SpriteScreenToImage(const SpritePose& sprite, int x, int y, Point& out);
// True when the screen point lies on a pixel of the shown part whose alpha
// is not zero.
bool PixelHitTest(const SpritePose& sprite, int x, int y);

} // namespace Quib
