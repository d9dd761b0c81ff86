#include "framework/graphics/MemoryImage.h"
#include "src/game/quest/SpritePixelHitTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace Quib {
namespace {

// A picture whose alpha byte is given per pixel by a function of (x, y).
template <class F>
MemoryImage AlphaPicture(int w, int h, F alphaAt)
{
    std::vector<uint32_t> px(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y * w + x)] = (uint32_t(alphaAt(x, y)) << 24) | 0x00123456u;
    MemoryImage image(nullptr);
    image.AssignPixels(px.data(), w, h, false);
    return image;
}

SpritePose PoseOf(MemoryImage& image)
{
    SpritePose pose;
    pose.image = &image;
    pose.source = Rect(0, 0, image.width, image.height);
    return pose;
}

TEST(SpritePixelHitTest, MapsScreenPointsBackIntoThePicture)
{
    MemoryImage image = AlphaPicture(8, 8, [](int, int) { return 255; });
    struct Case {
        const char* what;
        float x, y, scaleX, scaleY;
        int factorX, factorY;
        float pivotX, pivotY, angle;
        int sx, sy, u, v;
    };
    const float half = std::numbers::pi_v<float> / 2;
    const Case cases[] = {
        {"plain", 10, 20, 1, 1, 1, 1, 0, 0, 0, 13, 25, 3, 5},
        {"scaled twice", 10, 20, 2, 2, 1, 1, 0, 0, 0, 14, 26, 2, 3},
        {"pivot", 10, 20, 1, 1, 1, 1, 4, 4, 0, 10, 20, 4, 4},
        {"mirrored", 10, 20, 1, 1, -1, 1, 0, 0, 0, 13, 20, -3, 0},
        {"mirrored about the pivot", 10, 20, 1, 1, -1, 1, 7, 0, 0, 13, 20, 4, 0},
        // A quarter turn: the screen's down is the picture's minus x.
        {"quarter turn", 0, 0, 1, 1, 1, 1, 0, 0, half, 0, 3, -3, 0},
        // Less than a pixel left of or above the picture truncates to 0.
        {"just outside", 10.5f, 20.5f, 1, 1, 1, 1, 0, 0, 0, 10, 20, 0, 0},
    };
    for (const Case& c : cases) {
        SpritePose pose = PoseOf(image);
        pose.x = c.x;
        pose.y = c.y;
        pose.scaleX = c.scaleX;
        pose.scaleY = c.scaleY;
        pose.factorX = c.factorX;
        pose.factorY = c.factorY;
        pose.pivotX = c.pivotX;
        pose.pivotY = c.pivotY;
        pose.angle = c.angle;
        Point p;
        ASSERT_TRUE(SpriteScreenToImage(pose, c.sx, c.sy, p)) << c.what;
        EXPECT_EQ(p, Point(c.u, c.v)) << c.what;
    }
}

TEST(SpritePixelHitTest, TransparentHolesMissAndAnyAlphaHits)
{
    // Alpha 0 in the middle column, 1 in column 1, opaque elsewhere.
    MemoryImage image = AlphaPicture(5, 3, [](int x, int) { return x == 2 ? 0 : x == 1 ? 1 : 255; });
    SpritePose pose = PoseOf(image);
    pose.x = 100;
    pose.y = 50;
    EXPECT_TRUE(PixelHitTest(pose, 100, 50));
    EXPECT_TRUE(PixelHitTest(pose, 101, 51)) << "alpha 1 is a hit";
    EXPECT_FALSE(PixelHitTest(pose, 102, 51)) << "the hole";
    EXPECT_TRUE(PixelHitTest(pose, 104, 52));
    EXPECT_FALSE(PixelHitTest(pose, 105, 52)) << "left + width is outside";
    EXPECT_FALSE(PixelHitTest(pose, 104, 53)) << "top + height is outside";
    EXPECT_FALSE(PixelHitTest(pose, 99, 50)) << "a whole pixel left of it";
}

TEST(SpritePixelHitTest, MirroredSpriteIsHitOnlyWhereThePivotBringsItIn)
{
    MemoryImage image = AlphaPicture(4, 4, [](int, int) { return 255; });
    SpritePose pose = PoseOf(image);
    pose.x = 20;
    pose.y = 20;
    pose.factorX = -1;
    EXPECT_FALSE(PixelHitTest(pose, 22, 21)) << "right of the position maps to negative columns";
    pose.pivotX = 3.5f;
    EXPECT_TRUE(PixelHitTest(pose, 22, 21));
}

TEST(SpritePixelHitTest, FlattenedSpritesAreNeverHit)
{
    MemoryImage image = AlphaPicture(4, 4, [](int, int) { return 255; });
    const struct {
        float scaleX, scaleY;
        int factorX, factorY;
    } flat[] = {{0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 0}};
    for (const auto& f : flat) {
        SpritePose pose = PoseOf(image);
        pose.scaleX = f.scaleX;
        pose.scaleY = f.scaleY;
        pose.factorX = f.factorX;
        pose.factorY = f.factorY;
        for (int x = -2; x < 6; ++x)
            EXPECT_FALSE(PixelHitTest(pose, x, 1)) << f.scaleX << " " << f.scaleY << " at " << x;
    }
    // Nearly flat: points off the pivot land far beyond any int.
    SpritePose thin = PoseOf(image);
    thin.scaleX = 1e-30f;
    EXPECT_TRUE(PixelHitTest(thin, 0, 1));
    EXPECT_FALSE(PixelHitTest(thin, 1, 1));
    EXPECT_FALSE(PixelHitTest(thin, -1, 1));
}

TEST(SpritePixelHitTest, SourceRectangleAwayFromTheCornerReadsItsOwnPixels)
{
    // An 8 x 4 sheet: the left half opaque, the right half has a hole at
    // (5, 1). The sprite shows the right half only.
    MemoryImage image = AlphaPicture(8, 4, [](int x, int y) { return x == 5 && y == 1 ? 0 : 255; });
    SpritePose pose = PoseOf(image);
    pose.source = Rect(4, 0, 4, 4);
    pose.pivotX = 4; // the part's corner sits at the position
    pose.x = 0;
    pose.y = 0;
    EXPECT_FALSE(PixelHitTest(pose, 1, 1)) << "the hole of the shown part, not column 1 of the sheet";
    EXPECT_TRUE(PixelHitTest(pose, 0, 1));
    EXPECT_TRUE(PixelHitTest(pose, 3, 3));
    EXPECT_FALSE(PixelHitTest(pose, 4, 0)) << "outside the part";
    EXPECT_FALSE(PixelHitTest(pose, -1, 0)) << "the sheet's left half is not shown";
}

TEST(SpritePixelHitTest, NoPictureIsNoHit)
{
    SpritePose pose;
    pose.source = Rect(0, 0, 4, 4);
    EXPECT_FALSE(PixelHitTest(pose, 1, 1));
}

} // namespace
} // namespace Quib
