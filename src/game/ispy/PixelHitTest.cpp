#include "src/game/ispy/ElementSprite.h"

#include "src/game/quest/SpritePixelHitTest.h"

namespace Quib {

namespace {

SpritePose PoseOf(const ElementSprite& sprite)
{
    SpritePose pose;
    pose.image = sprite.image;
    pose.source = sprite.bounds;
    pose.x = sprite.x;
    pose.y = sprite.y;
    pose.scaleX = sprite.scaleX;
    pose.scaleY = sprite.scaleY;
    pose.factorX = sprite.mirrorX;
    pose.factorY = sprite.mirrorY;
    pose.pivotX = sprite.pivotX;
    pose.pivotY = sprite.pivotY;
    pose.angle = sprite.angle;
    return pose;
}

} // namespace

Point ElementSprite::ScreenToImage(int px, int py) const
{
    Point out(-1, -1);
    if (!SpriteScreenToImage(PoseOf(*this), px, py, out))
        return Point(-1, -1);
    return out;
}

bool PixelHitTest(const ElementSprite& sprite, int x, int y) { return PixelHitTest(PoseOf(sprite), x, y); }

} // namespace Quib
