// Graphics image drawing, checked at the image slots.
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

struct Fixture {
    RecordingImage dest{640, 480};
    Graphics g{&dest};
    SizedImage image{32, 32};
};

TEST(GraphicsImage, ImageColourIsWhiteUnlessColourised)
{
    Fixture f;
    f.g.color = Color(10, 20, 30, 40);
    const Rect part(0, 0, 8, 8);
    auto drawAll = [&] {
        f.g.DrawImageAt(&f.image, 0, 0);
        f.g.DrawImageMirrored(&f.image, 0, 0);
        f.g.DrawImageStretched(&f.image, Rect(0, 0, 10, 10));
        f.g.DrawImageStretchedMirrored(&f.image, Rect(0, 0, 10, 10), part, true);
        f.g.DrawImageSubpixel(&f.image, 1.5f, 2.5f);
        f.g.DrawImageRotatedAbout(&f.image, 0, 0, 1, 1, nullptr, 0.5);
        DrawTransform t;
        t.EnsureMatrixForm();
        f.g.DrawImageWithTransformSmooth(&f.image, t, 0, 0);
        f.g.DrawTexturedTriangle(&f.image, {}, {}, {});
    };
    drawAll();
    ASSERT_EQ(f.dest.calls.size(), 8u);
    for (const auto& c : f.dest.calls)
        EXPECT_EQ(c.color, Color::White) << c.slot;
    f.dest.calls.clear();
    f.g.colorizeImages = true;
    drawAll();
    ASSERT_EQ(f.dest.calls.size(), 8u);
    for (const auto& c : f.dest.calls)
        EXPECT_EQ(c.color, Color(10, 20, 30, 40)) << c.slot;
}

TEST(GraphicsImage, DrawImageAtClipsOnTheGraphicsSide)
{
    Fixture f;
    f.g.clipRect = Rect(0, 0, 100, 100);
    f.g.drawMode = DRAWMODE_ADDITIVE;
    f.g.DrawImageAt(&f.image, -10, 5);
    f.g.DrawImageAt(&f.image, 100, 5);  // wholly outside
    f.g.DrawImageAt(&f.image, -32, 5);  // touches the edge only
    ASSERT_EQ(f.dest.calls.size(), 1u);
    const auto& c = f.dest.calls[0];
    EXPECT_EQ(c.slot, "PutImage");
    EXPECT_EQ(c.source, &f.image);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 5);
    EXPECT_EQ(c.sourceRect, Rect(10, 0, 22, 32));
    EXPECT_EQ(c.mode, DRAWMODE_ADDITIVE);
}

TEST(GraphicsImage, ScaledDrawBecomesAStretch)
{
    Fixture f;
    SizedImage small(10, 10);
    f.g.scaleX = f.g.scaleY = 2;
    f.g.scaleOrigX = f.g.scaleOrigY = 100;
    f.g.fastStretch = true;
    f.g.DrawImageAt(&small, 50, 50);
    ASSERT_EQ(f.dest.calls.size(), 1u);
    const auto& c = f.dest.calls[0];
    EXPECT_EQ(c.slot, "PutImageStretched");
    EXPECT_EQ(c.rect, Rect(0, 0, 20, 20));
    EXPECT_EQ(c.sourceRect, Rect(0, 0, 10, 10));
    EXPECT_EQ(c.clip, f.g.clipRect);
    EXPECT_TRUE(c.fast);

    // Sizes round up, corners round down: 1.5 x 3 pixels -> 5 wide.
    f.dest.calls.clear();
    f.g.scaleX = f.g.scaleY = 1.5f;
    f.g.scaleOrigX = f.g.scaleOrigY = 0;
    f.g.DrawImagePart(&small, 3, 1, Rect(0, 0, 3, 3));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    EXPECT_EQ(f.dest.calls[0].rect, Rect(4, 1, 5, 5));
}

struct PartCase {
    const char* name;
    Rect source;
    int x, y;
    bool drawn;
    int ox, oy;
    Rect oSource;
};

TEST(GraphicsImage, DrawImagePartSourceChecks)
{
    const PartCase cases[] = {
        {"inside", Rect(4, 4, 8, 8), 10, 10, true, 10, 10, Rect(4, 4, 8, 8)},
        {"one pixel too wide", Rect(0, 0, 33, 32), 10, 10, false, 0, 0, Rect()},
        {"one pixel too tall", Rect(1, 1, 31, 32), 10, 10, false, 0, 0, Rect()},
        {"negative x is cut", Rect(-4, 0, 8, 8), 10, 10, true, 14, 10, Rect(0, 0, 4, 8)},
        {"negative y is cut", Rect(0, -3, 8, 8), 10, 10, true, 10, 13, Rect(0, 0, 8, 5)},
        {"wholly before the image", Rect(-10, 0, 8, 8), 10, 10, false, 0, 0, Rect()},
        {"empty", Rect(0, 0, 0, 8), 10, 10, false, 0, 0, Rect()},
        {"clipped by the destination", Rect(0, 0, 32, 32), -5, -6, true, 0, 0, Rect(5, 6, 27, 26)},
    };
    for (const PartCase& c : cases) {
        Fixture f;
        f.g.DrawImagePart(&f.image, c.x, c.y, c.source);
        ASSERT_EQ(f.dest.calls.size(), c.drawn ? 1u : 0u) << c.name;
        if (!c.drawn)
            continue;
        EXPECT_EQ(f.dest.calls[0].x, c.ox) << c.name;
        EXPECT_EQ(f.dest.calls[0].y, c.oy) << c.name;
        EXPECT_EQ(f.dest.calls[0].sourceRect, c.oSource) << c.name;
    }
}

TEST(GraphicsImage, MirroredTakesCutColumnsFromTheOtherSide)
{
    Fixture f;
    f.g.clipRect = Rect(0, 0, 115, 480);
    f.g.DrawImageMirrored(&f.image, 100, 0, Rect(2, 0, 20, 10));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    EXPECT_EQ(f.dest.calls[0].slot, "PutImageMirrored");
    EXPECT_EQ(f.dest.calls[0].x, 100);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(7, 0, 15, 10));

    // Cut on the left: the right-hand source columns go.
    f.dest.calls.clear();
    f.g.clipRect = Rect(105, 0, 100, 480);
    f.g.DrawImageMirrored(&f.image, 100, 0, Rect(2, 0, 20, 10));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    EXPECT_EQ(f.dest.calls[0].x, 105);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(2, 0, 15, 10));

    // A source past the image draws nothing; a negative x loses the
    // columns that would land on the right.
    f.dest.calls.clear();
    f.g.clipRect = Rect(0, 0, 640, 480);
    f.g.DrawImageMirrored(&f.image, 0, 0, Rect(20, 0, 13, 10));
    f.g.DrawImageMirrored(&f.image, 50, 0, Rect(-4, 0, 10, 10));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    EXPECT_EQ(f.dest.calls[0].x, 50);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(0, 0, 6, 10));
}

TEST(GraphicsImage, FloatAndRotatedDrawsAddTheTranslation)
{
    Fixture f;
    f.g.transX = 10.25f;
    f.g.transY = 20.5f;
    f.g.scaleX = 3; // not applied by these
    f.g.DrawImageSubpixel(&f.image, 1.5f, 2.25f);
    f.g.DrawImagePartAtFloat(&f.image, 1, 2, Rect(1, 2, 3, 4));
    const Rect part(4, 4, 5, 5);
    f.g.DrawImageRotatedAbout(&f.image, 1, 2, 3, 4, &part, 1.25);
    f.g.DrawImageStretched(&f.image, Rect(1, 2, 50, 60), Rect(0, 0, 16, 16));
    ASSERT_EQ(f.dest.calls.size(), 4u);
    EXPECT_EQ(f.dest.calls[0].fx, 11.75f);
    EXPECT_EQ(f.dest.calls[0].fy, 22.75f);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(0, 0, 32, 32));
    EXPECT_EQ(f.dest.calls[1].sourceRect, Rect(1, 2, 3, 4));
    EXPECT_EQ(f.dest.calls[2].slot, "PutImageRotated");
    EXPECT_EQ(f.dest.calls[2].sourceRect, part);
    EXPECT_EQ(f.dest.calls[2].angle, 1.25);
    EXPECT_EQ(f.dest.calls[2].centerX, 3.0f);
    EXPECT_EQ(f.dest.calls[3].rect, Rect(11, 22, 50, 60));
}

TEST(GraphicsImage, TransformPaths)
{
    {
        Fixture f;
        SizedImage img(10, 10);
        DrawTransform t;
        f.g.DrawImageWithTransform(&img, t, Rect(0, 0, 10, 10), 50, 50, false);
        ASSERT_EQ(f.dest.calls.size(), 1u);
        EXPECT_EQ(f.dest.calls[0].slot, "PutImage");
        EXPECT_EQ(f.dest.calls[0].x, 45);
        EXPECT_EQ(f.dest.calls[0].y, 45);
        f.dest.calls.clear();
        f.g.DrawImageWithTransform(&img, t, Rect(0, 0, 10, 10), 50, 50, true);
        ASSERT_EQ(f.dest.calls.size(), 1u);
        EXPECT_EQ(f.dest.calls[0].slot, "PutImageSubpixel");
        EXPECT_EQ(f.dest.calls[0].fx, 45.5f);
        EXPECT_EQ(f.dest.calls[0].fy, 45.5f);
        // A matrix-form transform always goes through the matrix.
        f.dest.calls.clear();
        f.g.smooth = true;
        f.g.transX = 1;
        DrawTransform m;
        m.EnsureMatrixForm();
        m.Translate(2, 3);
        f.g.DrawImageWithTransform(&img, m, Rect(0, 0, 10, 10), 50, 50, false);
        ASSERT_EQ(f.dest.calls.size(), 1u);
        EXPECT_EQ(f.dest.calls[0].slot, "PutImageMatrix");
        EXPECT_EQ(f.dest.calls[0].fx, 51.0f);
        EXPECT_EQ(f.dest.calls[0].matrix.m[0][2], 2.0f);
        EXPECT_EQ(f.dest.calls[0].smooth, 1);
    }
    {
        Fixture f;
        SizedImage img(10, 10);
        DrawTransform t;
        t.Rotate(0.5f);
        t.Translate(3, 4);
        f.g.DrawImageWithTransform(&img, t, Rect(0, 0, 10, 10), 50.25f, 50, false);
        f.g.DrawImageWithTransform(&img, t, Rect(0, 0, 10, 10), 50.25f, 50, true);
        ASSERT_EQ(f.dest.calls.size(), 2u);
        EXPECT_EQ(f.dest.calls[0].slot, "PutImageRotated");
        EXPECT_EQ(f.dest.calls[0].fx, 48.0f); // 50.25 + 3 - 5 + 0.5, truncated
        EXPECT_EQ(f.dest.calls[0].fy, 49.0f);
        EXPECT_EQ(f.dest.calls[0].centerX, 5.0f);
        EXPECT_EQ(f.dest.calls[0].angle, 0.5f);
        EXPECT_EQ(f.dest.calls[1].fx, 48.75f);
    }
    {
        Fixture f;
        SizedImage img(10, 10);
        DrawTransform mirror;
        mirror.Scale(-1, 1);
        f.g.DrawImageWithTransform(&img, mirror, Rect(0, 0, 10, 10), 50, 50, false);
        DrawTransform stretch;
        stretch.Scale(2, 3);
        f.g.DrawImageWithTransform(&img, stretch, Rect(0, 0, 10, 10), 50, 50, false);
        DrawTransform tall;
        tall.Scale(-1, 2);
        f.g.DrawImageWithTransform(&img, tall, Rect(0, 0, 10, 10), 50, 50, false);
        ASSERT_EQ(f.dest.calls.size(), 3u);
        EXPECT_EQ(f.dest.calls[0].slot, "PutImageMirrored");
        EXPECT_EQ(f.dest.calls[0].x, 45);
        EXPECT_EQ(f.dest.calls[1].slot, "PutImageStretched");
        EXPECT_EQ(f.dest.calls[1].rect, Rect(40, 35, 20, 30));
        EXPECT_EQ(f.dest.calls[2].slot, "PutImageStretchedMirrored");
        EXPECT_EQ(f.dest.calls[2].rect, Rect(45, 40, 10, 20));
    }
}

TEST(GraphicsImage, PartSubpixelScalesAboutTheOriginAndRestoresState)
{
    Fixture f;
    SizedImage img(10, 10);
    f.g.DrawImagePartSubpixel(&img, 20, 30, Rect(0, 0, 10, 10));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    EXPECT_EQ(f.dest.calls[0].slot, "PutImageSubpixel");
    EXPECT_EQ(f.dest.calls[0].fx, 20.5f);
    EXPECT_EQ(f.dest.calls[0].fy, 30.5f);

    f.dest.calls.clear();
    f.g.scaleX = f.g.scaleY = 2;
    f.g.scaleOrigX = f.g.scaleOrigY = 100;
    f.g.clipRect = Rect(50, 50, 100, 100);
    f.g.DrawImagePartSubpixel(&img, 110, 100, Rect(0, 0, 10, 10));
    ASSERT_EQ(f.dest.calls.size(), 1u);
    // The source, centred on the transform's origin, lands scaled about (100, 100).
    const auto& c = f.dest.calls[0];
    EXPECT_EQ(c.slot, "PutImageMatrix");
    const Matrix3x3& m = c.matrix;
    auto mapX = [&](float x, float y) { return c.fx + m.m[0][0] * x + m.m[0][1] * y + m.m[0][2]; };
    auto mapY = [&](float x, float y) { return c.fy + m.m[1][0] * x + m.m[1][1] * y + m.m[1][2]; };
    EXPECT_FLOAT_EQ(mapX(-5, -5), 120);
    EXPECT_FLOAT_EQ(mapY(-5, -5), 100);
    EXPECT_FLOAT_EQ(mapX(5, 5), 140);
    EXPECT_EQ(c.clip, Rect(0, 0, 201, 201));
    EXPECT_EQ(f.g.clipRect, Rect(50, 50, 100, 100));
    EXPECT_EQ(f.g.SavedStateCount(), 0u);
}

int Count(const RecordingImage& d, const Rect& source)
{
    int n = 0;
    for (const auto& c : d.calls)
        n += c.sourceRect.x == source.x && c.sourceRect.y == source.y;
    return n;
}

TEST(GraphicsImage, NineSliceTilesAndCutsTheLastTile)
{
    Fixture f;
    SizedImage img(30, 30);
    f.g.DrawImageNineSlice(Rect(0, 0, 95, 40), &img);
    // Corners.
    ASSERT_GE(f.dest.calls.size(), 4u);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(0, 0, 10, 10));
    EXPECT_EQ(f.dest.calls[1].x, 85);
    EXPECT_EQ(f.dest.calls[1].sourceRect, Rect(20, 0, 10, 10));
    EXPECT_EQ(f.dest.calls[2].y, 30);
    EXPECT_EQ(f.dest.calls[3].sourceRect, Rect(20, 20, 10, 10));
    // 8 top and 8 bottom tiles, the last cut at 85; 2 left and 2 right; 16 centre.
    EXPECT_EQ(Count(f.dest, Rect(10, 0, 10, 10)), 8);
    EXPECT_EQ(Count(f.dest, Rect(10, 20, 10, 10)), 8);
    EXPECT_EQ(Count(f.dest, Rect(0, 10, 10, 10)), 2);
    EXPECT_EQ(Count(f.dest, Rect(20, 10, 10, 10)), 2);
    EXPECT_EQ(Count(f.dest, Rect(10, 10, 10, 10)), 16);
    EXPECT_EQ(f.dest.calls.size(), 4u + 16 + 4 + 16);
    const auto& lastTop = f.dest.calls[4 + 14];
    EXPECT_EQ(lastTop.x, 80);
    EXPECT_EQ(lastTop.sourceRect, Rect(10, 0, 5, 10));
    EXPECT_EQ(f.g.clipRect, Rect(0, 0, 640, 480));

    // Width 2: corners of width 0 draw nothing, the middle is 2 wide.
    Fixture narrow;
    SizedImage thin(2, 30);
    narrow.g.DrawImageNineSlice(Rect(0, 0, 4, 30), &thin);
    for (const auto& c : narrow.dest.calls)
        EXPECT_EQ(c.sourceRect.width, 2);
    EXPECT_FALSE(narrow.dest.calls.empty());

    Fixture none;
    none.g.DrawImageNineSlice(Rect(0, 0, 40, 40), Rect(0, 0, 0, 5), &img);
    EXPECT_TRUE(none.dest.calls.empty());
}

TEST(GraphicsImage, NineSliceBorderLeavesTheCentre)
{
    Fixture f;
    SizedImage img(30, 30);
    f.g.DrawImageNineSliceBorder(Rect(0, 0, 30, 30), Rect(0, 0, 95, 40), &img);
    EXPECT_EQ(Count(f.dest, Rect(10, 10, 10, 10)), 0);
    EXPECT_EQ(f.dest.calls.size(), 4u + 16 + 4);
    for (const auto& c : f.dest.calls)
        EXPECT_EQ(c.slot, "PutImageSubpixel");
    EXPECT_EQ(f.dest.calls[1].fx, 85.5f);
}

TEST(GraphicsImage, NineSliceStretchedIsTheBorderOfTheWholeImage)
{
    SizedImage img(30, 24);
    Fixture border, stretched;
    border.g.DrawImageNineSliceBorder(Rect(0, 0, 30, 24), Rect(5, 6, 95, 40), &img);
    stretched.g.DrawImageNineSliceStretched(&img, Rect(5, 6, 95, 40));
    ASSERT_EQ(stretched.dest.calls.size(), border.dest.calls.size());
    ASSERT_FALSE(stretched.dest.calls.empty());
    for (size_t i = 0; i < border.dest.calls.size(); ++i) {
        const auto& a = border.dest.calls[i];
        const auto& b = stretched.dest.calls[i];
        EXPECT_EQ(b.slot, a.slot) << i;
        EXPECT_EQ(b.sourceRect, a.sourceRect) << i;
        EXPECT_EQ(b.fx, a.fx) << i;
        EXPECT_EQ(b.fy, a.fy) << i;
        EXPECT_EQ(b.clip, a.clip) << i;
    }
    Fixture none;
    none.g.DrawImageNineSliceStretched(nullptr, Rect(0, 0, 40, 40));
    EXPECT_TRUE(none.dest.calls.empty());
}

TEST(GraphicsImage, FramedBoxByInsets)
{
    Fixture f;
    SizedImage img(30, 20);
    // Left 4, top 3, right 6, bottom 5: middle 20 x 12.
    f.g.DrawImageFramed(Rect(0, 0, 30, 20), Rect(10, 10, 70, 30), &img, Rect(4, 3, 6, 5));
    ASSERT_GE(f.dest.calls.size(), 4u);
    EXPECT_EQ(f.dest.calls[0].sourceRect, Rect(0, 0, 4, 3));
    EXPECT_EQ(f.dest.calls[1].x, 74);
    EXPECT_EQ(f.dest.calls[1].sourceRect, Rect(24, 0, 6, 3));
    EXPECT_EQ(f.dest.calls[3].y, 35);
    EXPECT_EQ(f.dest.calls[3].sourceRect, Rect(24, 15, 6, 5));
    // Columns: (70 - 10 + 19) / 20 = 3; rows: (30 - 8 + 11) / 12 = 2.
    EXPECT_EQ(Count(f.dest, Rect(4, 3, 0, 0)), 6);
    EXPECT_EQ(f.dest.calls.size(), 4u + 6 + 4 + 6);

    // Insets leaving no middle draw the corners only, without dividing by 0.
    Fixture g;
    g.g.DrawImageFramed(Rect(0, 0, 10, 10), Rect(0, 0, 50, 50), &img, Rect(5, 5, 5, 5));
    EXPECT_EQ(g.dest.calls.size(), 4u);
}

// Every tile of every run offered to DrawImagePart, without culling: the
// plain form of a framed box, to check the culled one against.
void FramedEveryTile(Graphics& g, const Rect& S, const Rect& D, Image* image, int L, int T, int R, int B)
{
    const int mw = S.width - L - R, mh = S.height - T - B;
    g.DrawImagePart(image, D.x, D.y, Rect(S.x, S.y, L, T));
    g.DrawImagePart(image, D.x + D.width - R, D.y, Rect(S.x + S.width - R, S.y, R, T));
    g.DrawImagePart(image, D.x, D.y + D.height - B, Rect(S.x, S.y + S.height - B, L, B));
    g.DrawImagePart(image, D.x + D.width - R, D.y + D.height - B, Rect(S.x + S.width - R, S.y + S.height - B, R, B));
    Graphics top(g), side(g), centre(g);
    top.NarrowClip(D.x + L, D.y, D.width - L - R, D.height);
    side.NarrowClip(D.x, D.y + T, D.width, D.height - T - B);
    centre.NarrowClip(D.x + L, D.y + T, D.width - L - R, D.height - T - B);
    for (int x = D.x + L; x < D.x + D.width - R; x += mw) {
        top.DrawImagePart(image, x, D.y, Rect(S.x + L, S.y, mw, T));
        top.DrawImagePart(image, x, D.y + D.height - B, Rect(S.x + L, S.y + S.height - B, mw, B));
    }
    for (int y = D.y + T; y < D.y + D.height - B; y += mh) {
        side.DrawImagePart(image, D.x, y, Rect(S.x, S.y + T, L, mh));
        side.DrawImagePart(image, D.x + D.width - R, y, Rect(S.x + S.width - R, S.y + T, R, mh));
    }
    for (int x = D.x + L; x < D.x + D.width - R; x += mw)
        for (int y = D.y + T; y < D.y + D.height - B; y += mh)
            centre.DrawImagePart(image, x, y, Rect(S.x + L, S.y + T, mw, mh));
}

TEST(GraphicsImage, FramedBoxSkipsOnlyTilesThatCannotShow)
{
    SizedImage img(30, 20);
    const Rect S(0, 0, 30, 20); // middle 20 x 12 with the insets below
    struct Case {
        float tx, ty;
        Rect clip, D;
    } cases[] = {
        {0, 0, Rect(0, 0, 640, 480), Rect(10, 10, 300, 200)},
        {0, 0, Rect(100, 50, 37, 21), Rect(10, 10, 300, 200)},
        {-95.5f, 33.9f, Rect(7, 9, 200, 100), Rect(-50, -60, 700, 500)},
        {12.25f, -7.75f, Rect(300, 300, 5, 5), Rect(0, 0, 1000, 1000)},
        {0, 0, Rect(0, 0, 640, 480), Rect(-3000, -2000, 6000, 4000)},
    };
    for (const Case& c : cases) {
        Fixture culled, plain;
        for (Graphics* g : {&culled.g, &plain.g}) {
            g->transX = c.tx;
            g->transY = c.ty;
            g->clipRect = c.clip;
        }
        culled.g.DrawImageFramed(S, c.D, &img, Rect(4, 3, 6, 5));
        FramedEveryTile(plain.g, S, c.D, &img, 4, 3, 6, 5);
        ASSERT_EQ(culled.dest.calls.size(), plain.dest.calls.size()) << c.D.x << "," << c.D.y;
        for (size_t i = 0; i < plain.dest.calls.size(); ++i) {
            EXPECT_EQ(culled.dest.calls[i].x, plain.dest.calls[i].x);
            EXPECT_EQ(culled.dest.calls[i].y, plain.dest.calls[i].y);
            EXPECT_EQ(culled.dest.calls[i].sourceRect, plain.dest.calls[i].sourceRect);
        }
    }

    // A box two billion pixels wide is drawn in the time of the visible part.
    Fixture huge;
    SizedImage tile(30, 30);
    huge.g.DrawImageNineSlice(Rect(-1000000000, 0, 2000000000, 2000000000), &tile);
    EXPECT_EQ(huge.dest.calls.size(), 64u + 64u * 47); // the top run and the centre
}

TEST(GraphicsImage, TexturedTriangles)
{
    Fixture f;
    f.g.transX = 1.5f;
    f.g.transY = 2.5f;
    f.g.smooth = true;
    TriangleVertex a{1, 2, 0, 0, 0}, b{3, 4, 1, 0, 0}, c{5, 6, 1, 1, 0xFF00FF00};
    f.g.DrawTexturedTriangle(&f.image, a, b, c);
    ASSERT_EQ(f.dest.calls.size(), 1u);
    const auto& call = f.dest.calls[0];
    ASSERT_EQ(call.vertices.size(), 3u);
    EXPECT_EQ(call.vertices[2].color, 0xFF00FF00u);
    EXPECT_EQ(call.fx, 1.5f);
    EXPECT_EQ(call.fy, 2.5f);
    EXPECT_EQ(call.smooth, 1);
    TriangleVertex list[6] = {a, b, c, a, b, c};
    f.g.DrawTexturedTriangles(&f.image, list, 2);
    EXPECT_EQ(f.dest.calls[1].vertices.size(), 6u);
}

} // namespace
} // namespace Quib
