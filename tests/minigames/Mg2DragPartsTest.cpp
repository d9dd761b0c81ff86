// The draggable parts' mechanics and the chain's rope on their own: drag
// bounds, drops, return flights, quarter turns, rope lengths.
#include "framework/widgets/Widget.h"
#include "src/game/minigames/ChainLayer.h"
#include "src/game/minigames/ImgPart.h"
#include "src/game/minigames/QstChainLayerData.h"
#include "src/game/minigames/SPart.h"
#include "src/game/minigames/TDrag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Quib::Mg2Test {
namespace {

template <class T>
struct RecordingListener : TDragListener<T> {
    std::vector<Point> moves;
    int takes = 0;
    int drops = 0;
    bool answer = true;
    void OnTake(const Point&, T*) override { ++takes; }
    void OnMove(const Point& p, T* part) override
    {
        moves.push_back(p);
        TDragListener<T>::OnMove(p, part);
    }
    bool OnDrop(T*) override
    {
        ++drops;
        return answer;
    }
};

struct DragFixture : ::testing::Test {
    void SetUp() override
    {
        parent.width = 400;
        parent.height = 300;
        part.SetBounds(150, 100, 100, 60);
        parent.AttachChild(&part);
    }
    void TearDown() override { parent.DetachChild(&part); }

    Widget parent;
    RecordingListener<ImgPart> listener;
    TDrag<ImgPart> part{&listener};
};

TEST_F(DragFixture, AtMostThirtyPercentOfThePartLeavesItsParent)
{
    struct Case {
        int dx, dy;
        Point expected;
    };
    for (const Case& c : {Case{-1000, 0, {-30, 100}}, Case{1000, 0, {330, 100}}, Case{0, -1000, {150, -18}},
                          Case{0, 1000, {150, 258}}}) {
        part.MoveTo(150, 100);
        part.OnMouseDown(10, 10, CLICK_LEFT);
        part.OnMouseDrag(10 + c.dx, 10 + c.dy);
        EXPECT_EQ(Point(part.x, part.y), c.expected) << c.dx << "," << c.dy;
        part.OnMouseUp(10 + c.dx, 10 + c.dy, CLICK_LEFT);
        EXPECT_FALSE(part.IsDragging());
    }
}

TEST_F(DragFixture, PressAndReleaseInPlaceReportsADropAndMovesNothing)
{
    part.OnMouseDown(5, 5, CLICK_LEFT);
    part.OnMouseUp(5, 5, CLICK_LEFT);
    EXPECT_EQ(listener.takes, 1);
    EXPECT_EQ(listener.drops, 1);
    EXPECT_TRUE(listener.moves.empty());
    EXPECT_EQ(Point(part.x, part.y), Point(150, 100));
}

TEST_F(DragFixture, RefusedDropPutsThePartBackAndATakePositionIsNotReported)
{
    listener.answer = false;
    part.OnMouseDown(5, 5, CLICK_LEFT);
    part.OnMouseDrag(25, 5);
    part.OnMouseDrag(5 - 20, 5); // back at the take position (relative to the moved part)
    EXPECT_EQ(listener.moves.size(), 1u);
    part.OnMouseUp(0, 0, CLICK_LEFT);
    EXPECT_EQ(Point(part.x, part.y), Point(150, 100));
    // Not draggable: a press is no take.
    part.SetDraggable(false);
    part.OnMouseDown(5, 5, CLICK_LEFT);
    EXPECT_FALSE(part.IsDragging());
}

TEST(ImgPartShape, QuarterTurnKeepsTheCentre)
{
    RecordingListener<ImgPart> listener;
    TDrag<ImgPart> part(&listener);
    part.SetBounds(0, 0, 100, 60);
    part.RotateQuarter();
    EXPECT_EQ(Rect(part.x, part.y, part.width, part.height), Rect(20, -20, 60, 100));
    EXPECT_EQ(part.orientation, 1);
}

struct FlightFixture : ::testing::Test {
    RecordingListener<SPart> listener;
    TDrag<SPart> part{&listener};
};

TEST_F(FlightFixture, ReturnFromHomeArrivesAtOnceWithoutDividingByZero)
{
    part.homeX = 40.0f;
    part.homeY = 50.0f;
    part.MoveTo(40, 50);
    part.ReturnHome();
    EXPECT_TRUE(std::isfinite(part.flightRate));
    EXPECT_FALSE(part.draggable);
    part.UpdatePart(0.02f);
    EXPECT_FALSE(part.returning);
    EXPECT_TRUE(part.draggable);
    EXPECT_EQ(Point(part.x, part.y), Point(40, 50));
}

TEST_F(FlightFixture, FlightFrom250PixelsTakesHalfASecondOnACurve)
{
    part.homeX = 0.0f;
    part.homeY = 0.0f;
    part.MoveTo(250, 0);
    part.ReturnHome();
    part.UpdatePart(0.25f);
    EXPECT_NEAR(part.flightProgress, 0.5f, 1e-5f);
    EXPECT_NEAR(float(part.x), 250.0f * (1.0f - 0.7071f), 1.5f);
    part.MoveTo(0, 250);
    part.ReturnHome();
    part.UpdatePart(0.25f);
    EXPECT_NEAR(float(part.y), 125.0f, 1.0f) << "y is halfway at half the flight";
    part.UpdatePart(0.26f);
    EXPECT_FALSE(part.returning);
    EXPECT_EQ(Point(part.x, part.y), Point(0, 0));
}

TEST(ChainRope, NodesFollowTheDistanceToTheEnd)
{
    struct Case {
        float vx, vy;
        size_t nodes;
        float firstTarget;
    };
    for (const Case& c : {Case{0.0f, 120.0f, 3u, 10.0f}, Case{0.0f, 30.0f, 1u, 0.0f}, Case{0.0f, 0.0f, 1u, 0.0f},
                          Case{110.0f, 0.0f, 2u, 0.0f}}) {
        ChainLayer rope(new QstChainLayerData(0), 10.0f, 55.0f);
        rope.Simulate(c.vx, c.vy);
        ASSERT_EQ(rope.nodes.size(), c.nodes) << c.vx << "," << c.vy;
        EXPECT_NEAR(rope.links[0].targetLength, c.firstTarget, 1e-3f);
        for (size_t i = 1; i < rope.links.size(); ++i)
            EXPECT_FLOAT_EQ(rope.links[i].targetLength, 55.0f);
        const float len = std::hypot(c.vx, c.vy);
        const float ex = len < 55.0f ? (len > 0.0f ? c.vx / len * 55.0f : 0.0f) : c.vx;
        const float ey = len < 55.0f ? (len > 0.0f ? c.vy / len * 55.0f : 55.0f) : c.vy;
        EXPECT_NEAR(rope.nodes.back().x, ex, 1e-3f);
        EXPECT_NEAR(rope.nodes.back().y, ey, 1e-3f);
        EXPECT_EQ(rope.nodes.back().inverseMass, 0.0f) << "the end is pinned";
    }
}

TEST(ChainRope, CoincidentPointsAndFarEndsStayFinite)
{
    float x1 = 5.0f, y1 = 5.0f, x2 = 5.0f, y2 = 5.0f;
    SatisfyDistance(x1, y1, 1.0f, x2, y2, 1.0f, 55.0f);
    EXPECT_EQ(x1, 5.0f);
    EXPECT_EQ(y2, 5.0f);
    ChainLayer rope(new QstChainLayerData(0), 10.0f, 55.0f);
    rope.Simulate(0.0f, 30.0f);
    for (int i = 0; i < 50; ++i)
        rope.Simulate(float(i * 40), float(300 - i * 13));
    rope.Simulate(1.0e30f, 0.0f);
    rope.Simulate(0.0f, 10.0f);
    for (const ChainLayer::ChainNode& n : rope.nodes) {
        EXPECT_TRUE(std::isfinite(n.x));
        EXPECT_TRUE(std::isfinite(n.y));
    }
    EXPECT_LE(rope.nodes.size(), 1001u);
}

} // namespace
} // namespace Quib::Mg2Test
