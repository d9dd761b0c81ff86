// Graphics state, clipping and primitives, checked at the image slots.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <thread>

namespace Quib {
namespace {

using namespace Testing;

TEST(GraphicsState, ClipStartsAsTheDestinationAndNullDestinationDrawsNothing)
{
    RecordingImage dest(640, 480);
    Graphics g(&dest);
    EXPECT_EQ(g.destImage, &dest);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 640, 480));

    Graphics none(nullptr);
    ASSERT_NE(none.destImage, nullptr);
    EXPECT_EQ(none.clipRect, Rect(0, 0, 0, 0));
    none.color = Color(255, 0, 0);
    none.FillRectangle(0, 0, 10, 10);
    none.DrawLineSegment(0, 0, 5, 5);
    const Point tri[] = {{0, 0}, {10, 0}, {0, 10}};
    none.FillPolygon(tri, 3);
    none.DrawText(u"x", 0, 0); // no font: nothing
    EXPECT_EQ(none.destImage->width, 0);
}

TEST(GraphicsState, ReplaceClipTruncatesTranslationAndCutsToDestination)
{
    RecordingImage dest(640, 480);
    Graphics g(&dest);
    g.transX = 10.7f;
    g.transY = -3.2f;
    g.ReplaceClip(0, 0, 50, 50);
    EXPECT_EQ(g.clipRect, Rect(10, 0, 50, 47));
    // The old clip plays no part in a replacement, but narrows.
    g.transX = g.transY = 0;
    g.ReplaceClip(Rect(600, 400, 100, 100));
    EXPECT_EQ(g.clipRect, Rect(600, 400, 40, 80));
    g.NarrowClip(610, 390, 10, 20);
    EXPECT_EQ(g.clipRect, Rect(610, 400, 10, 10));
    g.NarrowClip(0, 0, 5, 5);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 0, 0));
}

TEST(GraphicsState, SaveRestoreNestsAndCopiesStartEmpty)
{
    RecordingImage dest(100, 100), other(50, 50);
    Graphics g(&dest);
    g.RestoreState(); // empty: nothing happens
    EXPECT_EQ(g.clipRect, Rect(0, 0, 100, 100));

    g.SaveState();
    GraphicsState& s = g;
    s.destImage = &other;
    s.transX = 3;
    s.transY = 4;
    s.scaleX = 2;
    s.scaleY = 3;
    s.scaleOrigX = 5;
    s.scaleOrigY = 6;
    s.clipRect = Rect(1, 2, 3, 4);
    s.color = Color(1, 2, 3, 4);
    s.font = reinterpret_cast<Font*>(&other);
    s.drawMode = DRAWMODE_ADDITIVE;
    s.colorizeImages = s.fastStretch = s.smooth = s.is3DTarget = true;
    s.colorCodes = false;
    g.SaveState();
    g.color = Color(9, 9, 9);
    {
        Graphics copy(g);
        EXPECT_EQ(copy.SavedStateCount(), 0u);
        EXPECT_EQ(copy.color, Color(9, 9, 9));
        EXPECT_TRUE(copy.is3DTarget);
        std::unique_ptr<Graphics> clone(g.Clone());
        EXPECT_EQ(clone->SavedStateCount(), 0u);
        EXPECT_EQ(clone->clipRect, Rect(1, 2, 3, 4));
    }
    g.RestoreState();
    EXPECT_EQ(g.color, Color(1, 2, 3, 4));
    EXPECT_EQ(g.destImage, &other);
    g.RestoreState();
    EXPECT_EQ(g.destImage, &dest);
    EXPECT_EQ(g.transX, 0.0f);
    EXPECT_EQ(g.scaleY, 1.0f);
    EXPECT_EQ(g.scaleOrigX, 0.0f);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 100, 100));
    EXPECT_EQ(g.color, Color(0, 0, 0, 255));
    EXPECT_EQ(g.font, nullptr);
    EXPECT_EQ(g.drawMode, DRAWMODE_NORMAL);
    EXPECT_FALSE(g.colorizeImages || g.fastStretch || g.smooth || g.is3DTarget);
    EXPECT_TRUE(g.colorCodes);
    EXPECT_EQ(g.SavedStateCount(), 0u);
}

TEST(GraphicsState, ModulateColorMultipliesChannels)
{
    Graphics g(nullptr);
    g.color = Color(255, 128, 0, 200);
    g.ModulateColor(Color(128, 255, 255, 255));
    EXPECT_EQ(g.color, Color(128, 128, 0, 200));
}

TEST(GraphicsPrimitives, FillAndOutlineSkipTransparentColour)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.color = Color(255, 255, 255, 0);
    g.FillRectangle(0, 0, 10, 10);
    g.OutlineRectangle(0, 0, 10, 10);
    EXPECT_TRUE(dest.calls.empty());
    // Lines and polygons have no alpha test.
    g.DrawLineSegment(0, 0, 5, 5);
    EXPECT_EQ(dest.calls.size(), 1u);
}

TEST(GraphicsPrimitives, FillRectangleClipsAndStillCallsWhenEmpty)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.transX = 5.9f;
    g.drawMode = DRAWMODE_ADDITIVE;
    g.FillRectangle(Rect(90, -5, 20, 10));
    g.FillRectangle(200, 200, 5, 5);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].rect, Rect(95, 0, 5, 5));
    EXPECT_EQ(dest.calls[0].mode, DRAWMODE_ADDITIVE);
    EXPECT_EQ(dest.calls[1].rect, Rect(0, 0, 0, 0));
}

TEST(GraphicsPrimitives, OutlineInsideIsOneCallOtherwiseFourFills)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.transX = 2;
    g.OutlineRectangle(0, 0, 10, 5);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].slot, "OutlineRectangle");
    EXPECT_EQ(dest.calls[0].rect, Rect(2, 0, 10, 5));

    dest.calls.clear();
    g.clipRect = Rect(0, 0, 12, 100); // the outline needs 13 columns from x 2
    g.OutlineRectangle(0, 0, 10, 5);
    ASSERT_EQ(dest.calls.size(), 4u);
    const Rect want[] = {{2, 0, 10, 1}, {2, 5, 10, 1}, {2, 1, 1, 4}, {12, 1, 0, 4}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dest.calls[size_t(i)].slot, "FillRectangle");
        EXPECT_EQ(dest.calls[size_t(i)].rect, want[i]) << i;
    }
    // Unclipped sizes of the four fills: 11x1, 11x1, 1x4, 1x4.
    dest.calls.clear();
    g.clipRect = Rect(0, 0, 100, 100);
    g.transX = -1;
    g.OutlineRectangle(1, 1, 10, 5);
    EXPECT_EQ(dest.calls.size(), 1u);
    dest.calls.clear();
    g.OutlineRectangle(0, 1, 10, 5);
    ASSERT_EQ(dest.calls.size(), 4u);
    EXPECT_EQ(dest.calls[0].rect, Rect(0, 1, 10, 1));
    EXPECT_EQ(dest.calls[1].rect, Rect(0, 6, 10, 1));
    EXPECT_EQ(dest.calls[2].rect, Rect(0, 2, 0, 4));
    EXPECT_EQ(dest.calls[3].rect, Rect(9, 2, 1, 4));
}

TEST(GraphicsPrimitives, ClearAreaIgnoresColour)
{
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    g.color = Color(0, 0, 0, 0);
    g.ClearArea(-5, 40, 20, 20);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].slot, "ClearRectangle");
    EXPECT_EQ(dest.calls[0].rect, Rect(0, 40, 15, 10));
}

TEST(GraphicsPrimitives, ClearAreaOfASizeStartsAtTheOrigin)
{
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    g.transX = 10;
    g.transY = 20;
    g.ClearArea(60, 10);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].slot, "ClearRectangle");
    EXPECT_EQ(dest.calls[0].rect, Rect(10, 20, 40, 10));
}

struct LineCase {
    const char* name;
    double x1, y1, x2, y2;
    bool visible;
    double ox1, oy1, ox2, oy2;
};

TEST(GraphicsPrimitives, ClipLineSegmentTable)
{
    const LineCase cases[] = {
        {"cut at both sides", -10, 5, 20, 5, true, 0, 5, 9, 5},
        {"wholly left", -10, 1, -1, 8, false, 0, 0, 0, 0},
        {"wholly right", 10, 1, 30, 8, false, 0, 0, 0, 0},
        {"wholly above", 1, -5, 8, -1, false, 0, 0, 0, 0},
        {"wholly below", 1, 10, 8, 12, false, 0, 0, 0, 0},
        {"right to left arrives left to right", 7, 2, 3, 2, true, 3, 2, 7, 2},
        {"inside unchanged", 1, 1, 8, 8, true, 1, 1, 8, 8},
        {"vertical cut top and bottom", 4, -5, 4, 20, true, 4, 0, 4, 9},
        {"diagonal through the corner", -5, -5, 15, 15, true, 0, 0, 9, 9},
        {"bottom to top comes back exchanged", 2, 9, 2, 1, true, 2, 1, 2, 9},
    };
    for (const LineCase& c : cases) {
        Graphics g(nullptr);
        g.clipRect = Rect(0, 0, 10, 10);
        double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
        ASSERT_EQ(g.ClipLineSegment(x1, y1, x2, y2), c.visible) << c.name;
        if (!c.visible)
            continue;
        EXPECT_DOUBLE_EQ(x1, c.ox1) << c.name;
        EXPECT_DOUBLE_EQ(y1, c.oy1) << c.name;
        EXPECT_DOUBLE_EQ(x2, c.ox2) << c.name;
        EXPECT_DOUBLE_EQ(y2, c.oy2) << c.name;
    }
    Graphics g(nullptr);
    double x1 = 0, y1 = 0, x2 = 5, y2 = 0;
    EXPECT_FALSE(g.ClipLineSegment(x1, y1, x2, y2)) << "empty clip";
}

TEST(GraphicsPrimitives, DrawLineSegmentTranslatesWithoutTruncating)
{
    RecordingImage dest(10, 10);
    Graphics g(&dest);
    g.DrawLineSegment(-10, 5, 20, 5);
    g.DrawLineSegment(-10, 1, -2, 3);
    g.transX = 0.5f;
    g.DrawLineSegment(1, 2, 3, 4);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].x1, 0);
    EXPECT_EQ(dest.calls[0].x2, 9);
    EXPECT_EQ(dest.calls[0].y1, 5);
    EXPECT_EQ(dest.calls[1].x1, 1.5);
    EXPECT_EQ(dest.calls[1].x2, 3.5);
}

std::vector<ScanSpan> Spans(const RecordingImage& dest)
{
    EXPECT_FALSE(dest.calls.empty());
    return dest.calls.empty() ? std::vector<ScanSpan>{} : dest.calls.back().spans;
}

TEST(GraphicsPolygon, TriangleBecomesTenSpans)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    const Point tri[] = {{0, 0}, {10, 0}, {0, 10}};
    g.FillPolygon(tri, 3);
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].slot, "TryFillPolygon");
    EXPECT_EQ(dest.calls[1].slot, "FillSpans");
    std::vector<ScanSpan> spans = Spans(dest);
    ASSERT_EQ(spans.size(), 10u);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(spans[size_t(y)].y, y);
        EXPECT_EQ(spans[size_t(y)].x, 0);
        EXPECT_EQ(spans[size_t(y)].length, 10 - y);
    }
}

TEST(GraphicsPolygon, DestinationMayFillItself)
{
    RecordingImage dest(100, 100);
    dest.fillsPolygons = true;
    Graphics g(&dest);
    g.transX = 3.9f;
    g.transY = -2.5f;
    const Point quad[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    g.FillPolygon(quad, 4);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].x, 3);
    EXPECT_EQ(dest.calls[0].y, -2);
    EXPECT_EQ(dest.calls[0].points.size(), 4u);
}

TEST(GraphicsPolygon, ConcaveTranslatedAndClipped)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.transX = 10;
    g.transY = 20;
    g.clipRect = Rect(12, 0, 100, 24);
    // A U shape: two prongs of width 4 on a base.
    const Point u[] = {{0, 0}, {4, 0}, {4, 6}, {8, 6}, {8, 0}, {12, 0}, {12, 10}, {0, 10}};
    g.FillPolygon(u, 8);
    std::vector<ScanSpan> spans = Spans(dest);
    // Rows 20..23 (clip bottom): two prongs each, the left one cut at x 12.
    ASSERT_EQ(spans.size(), 8u);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(spans[size_t(2 * row)].y, 20 + row);
        EXPECT_EQ(spans[size_t(2 * row)].x, 12);
        EXPECT_EQ(spans[size_t(2 * row)].length, 2);
        EXPECT_EQ(spans[size_t(2 * row + 1)].x, 18);
        EXPECT_EQ(spans[size_t(2 * row + 1)].length, 4);
    }
}

TEST(GraphicsPolygon, MoreThan8192SpansAreAllKept)
{
    // A comb of many teeth gives many spans per row.
    std::vector<Point> comb;
    const int teeth = 200;
    for (int t = 0; t < teeth; ++t) {
        comb.push_back({t * 4, 0});
        comb.push_back({t * 4 + 2, 0});
        comb.push_back({t * 4 + 2, 100});
        comb.push_back({t * 4 + 4, 100});
    }
    comb.push_back({teeth * 4, 101});
    comb.push_back({0, 101});
    RecordingImage dest(1000, 200);
    Graphics g(&dest);
    g.FillPolygon(comb.data(), int(comb.size()));
    std::vector<ScanSpan> spans = Spans(dest);
    EXPECT_EQ(spans.size(), size_t(teeth) * 100 + 1);
    EXPECT_EQ(spans.back().y, 100);
    EXPECT_EQ(spans.back().length, teeth * 4);
}

TEST(GraphicsPolygon, DegenerateInputsDrawNothing)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.FillPolygon(nullptr, 0);
    const Point one[] = {{5, 5}};
    g.FillPolygon(one, 1);
    const Point flat[] = {{0, 5}, {10, 5}, {20, 5}};
    g.FillPolygon(flat, 3);
    for (const auto& c : dest.calls) {
        if (c.slot == "FillSpans") {
            EXPECT_TRUE(c.spans.empty());
        }
    }
}

TEST(GraphicsPolygon, ConcurrentFillsDoNotShareVertices)
{
    // Two threads fill different polygons at once; each must get its own spans.
    auto run = [](int size, size_t& count) {
        for (int k = 0; k < 200; ++k) {
            RecordingImage dest(200, 200);
            Graphics g(&dest);
            const Point tri[] = {{0, 0}, {size, 0}, {0, size}};
            g.FillPolygon(tri, 3);
            count = dest.calls.back().spans.size();
            if (count != size_t(size))
                return;
        }
    };
    size_t a = 0, b = 0;
    std::thread ta(run, 10, std::ref(a)), tb(run, 150, std::ref(b));
    ta.join();
    tb.join();
    EXPECT_EQ(a, 10u);
    EXPECT_EQ(b, 150u);
}

TEST(GraphicsPolygon, FillsPixelsOfAMemoryImage)
{
    MemoryImage image(nullptr);
    image.Resize(20, 20);
    Graphics g(&image);
    g.color = Color(255, 0, 0);
    const Point tri[] = {{0, 0}, {10, 0}, {0, 10}};
    g.FillPolygon(tri, 3);
    EXPECT_EQ(image.GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.GetPixel(9, 0), 0xFFFF0000u);
    EXPECT_EQ(image.GetPixel(10, 0), 0u);
    EXPECT_EQ(image.GetPixel(0, 9), 0xFFFF0000u);
    EXPECT_EQ(image.GetPixel(1, 9), 0u);
}

} // namespace
} // namespace Quib
