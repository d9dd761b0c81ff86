// Flying and dragged inventory pictures: the eased flight path, the drag's
// fit and fade, and the board that updates, draws and deletes them.
#include "src/game/quest/FlyPath.h"
#include "src/game/quest/FlyToPoolListener.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolExtBoard.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstPoolItemFly.h"
#include "src/game/quest/QstPoolWidget.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Quib::Testing {
namespace {

class CountingFlyListener : public FlyToPoolListener {
public:
    void OnFlightStarted() override { ++started; }
    void OnArrived() override { ++arrived; }
    int started = 0;
    int arrived = 0;
};

// A picture that finishes after a number of updates, noting its order.
class CountdownExtension : public QstPoolItemExtBase {
public:
    CountdownExtension(int n, std::vector<int>* log, int tag) : left(n), order(log), id(tag) {}
    void Draw(Graphics&) override {}
    void Update(float) override
    {
        order->push_back(id);
        if (--left <= 0)
            done = true;
    }
    int left;
    std::vector<int>* order;
    int id;
};

TEST(PoolFlyPathTest, SpeedIsFiveHundredPixelsPerSecond)
{
    CountingFlyListener listener;
    FlyPath path(&listener);
    path.Start({100, 100}, {400, 500});
    EXPECT_EQ(listener.started, 1);
    EXPECT_FLOAT_EQ(path.duration, 1.0f);
    for (int i = 0; i < 99; ++i)
        path.Step(0.01f);
    EXPECT_EQ(listener.arrived, 0);
    path.Step(0.011f);
    EXPECT_EQ(listener.arrived, 1);
    EXPECT_EQ(path.position.x, 400.0f);
    EXPECT_EQ(path.position.y, 500.0f);
    path.Step(0.01f);
    EXPECT_EQ(listener.arrived, 1);
}

TEST(PoolFlyPathTest, ZeroDistanceArrivesOnTheFirstStep)
{
    CountingFlyListener listener;
    FlyPath path(&listener);
    path.Start({7, 9}, {7, 9});
    EXPECT_EQ(path.Progress(), 1.0f);
    path.Step(0.01f);
    EXPECT_EQ(listener.arrived, 1);
}

TEST(PoolFlyPathTest, HorizontalMovementLeadsTheVerticalOne)
{
    FlyPath path(nullptr);
    path.Start({0, 0}, {1000, 1000});
    path.Step(path.duration / 2);
    EXPECT_NEAR(path.position.x, 1000 * std::sin(3.14159265f / 4), 0.5f);
    EXPECT_NEAR(path.position.y, 500.0f, 0.5f);
}

struct FitCase {
    float w, h, scale;
};

class PoolDragFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PoolDragFitTest, PictureFitsSixtyBySixty)
{
    EXPECT_FLOAT_EQ(QstPoolItemDrag::FitScale(GetParam().w, GetParam().h), GetParam().scale);
}

INSTANTIATE_TEST_SUITE_P(Cases, PoolDragFitTest,
                         ::testing::Values(FitCase{80, 120, 0.5f}, FitCase{40, 40, 1.0f}, FitCase{240, 30, 0.25f},
                                           FitCase{0, 0, 1.0f}));

TEST(PoolExtBoardTest, UpdatesInOrderAndDeletesWhatIsDone)
{
    QstPoolData pool;
    QstPoolExtBoard board(&pool);
    std::vector<int> order;
    board.Add(new CountdownExtension(1, &order, 1));
    board.Add(new CountdownExtension(3, &order, 2));
    board.Add(new CountdownExtension(2, &order, 3));
    board.UpdateItems(0.01f);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(board.items.size(), 2u);
    board.UpdateItems(0.01f);
    board.UpdateItems(0.01f);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 2, 3, 2}));
    EXPECT_TRUE(board.items.empty());
}

TEST(PoolExtBoardTest, WidgetBoardTakesNewPicturesFromItsPool)
{
    PoolLogCapture log;
    PoolFakeScene scene;
    QstItem* key = scene.AddItem("key", {"pool"});
    QstPoolData pool;
    {
        QstPoolWidget widget(&pool);
        pool.AddItem(key, "pool", "", nullptr, false, nullptr, nullptr);
        ASSERT_EQ(widget.board->items.size(), 1u);
        EXPECT_FALSE(pool.FindEntry(key)->placed);
        for (int i = 0; i < 1000 && !widget.board->items.empty(); ++i)
            widget.board->UpdateItems(0.01f);
        EXPECT_TRUE(widget.board->items.empty());
        EXPECT_TRUE(pool.FindEntry(key)->placed);
    }
    // Without its widget the pool keeps new pictures itself.
    pool.RemoveItem(key);
    pool.AddItem(key, "pool", "", nullptr, false, nullptr, nullptr);
    for (int i = 0; i < 1000; ++i)
        pool.Update(0.01f);
    EXPECT_TRUE(pool.FindEntry(key)->placed);
}

TEST(PoolExtBoardTest, BoardTornDownMidFlightCompletesTheFlightOnce)
{
    PoolLogCapture log;
    PoolFakeScene scene;
    QstItem* key = scene.AddItem("key", {"pool"});
    QstPoolData pool;
    std::vector<std::string> ran;
    QstPoolItemFly::SetActionRunner([&](const std::string& name) { ran.push_back(name); });
    {
        QstPoolWidget widget(&pool);
        pool.AddItem(key, "pool", "Landed", nullptr, false, nullptr, nullptr);
        widget.board->UpdateItems(0.01f);
    }
    QstPoolItemFly::SetActionRunner(nullptr);
    EXPECT_EQ(ran, (std::vector<std::string>{"Landed"}));
    EXPECT_TRUE(pool.FindEntry(key)->placed);
}

TEST(PoolExtBoardTest, BoardTornDownMidDragLeavesThePoolWithoutADrag)
{
    PoolLogCapture log;
    PoolFakeScene scene;
    QstItem* key = scene.AddItem("key", {"pool"});
    QstPoolData pool;
    {
        QstPoolWidget widget(&pool);
        pool.drag = new QstPoolItemDrag(key, "");
        pool.AddExtension(pool.drag);
        EXPECT_EQ(pool.GetDraggedItem(), key);
    }
    EXPECT_EQ(pool.GetDraggedItem(), nullptr);
    EXPECT_EQ(pool.EndDrag(false), nullptr);
}

} // namespace
} // namespace Quib::Testing
