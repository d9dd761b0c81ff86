// The inventory strip: its geometry from the interface picture, sliding,
// scrolling, magnification, hit areas, picking an entry up and dragging it.
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstPoolExtBoard.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstPoolWidget.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/GameControllerCommon.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class PoolStripTest : public ::testing::Test {
protected:
    QstPoolData& Pool() { return *strip.pool; }
    // n items, each at once in its own place.
    std::vector<QstItem*> Fill(int n)
    {
        std::vector<QstItem*> items;
        for (int i = 0; i < n; ++i) {
            QstItem* item = scene.AddItem("thing" + std::to_string(i), {"pool"});
            Pool().AddItem(item, "pool", "", nullptr, true, nullptr, nullptr);
            items.push_back(item);
        }
        return items;
    }
    // Board coordinates of the centre of a place.
    void MouseOnPlace(size_t i)
    {
        const QstPoolPlace& p = Pool().places[i];
        strip.MouseAt(StripLayout::kStripX + int(p.x + p.width / 2), StripLayout::kStripY + int(p.y + p.height / 2));
    }
    void ShowStrip()
    {
        strip.MouseAt(500, 640); // the low arrow, which does not slide
        strip.Run(100);
        ASSERT_EQ(Pool().slide, 0.0f);
    }
    // Hovers a place until the row has settled.
    void HoverPlace(size_t i)
    {
        for (int k = 0; k < 300; ++k) {
            MouseOnPlace(i);
            Pool().Update(0.01f);
        }
    }

    PoolLogCapture log;
    PoolFakeScene scene;
    StripPool strip;
};

TEST_F(PoolStripTest, GeometryComesFromTheInterfacePicture)
{
    EXPECT_EQ(Pool().stripX, StripLayout::kStripX);
    EXPECT_EQ(Pool().stripY, StripLayout::kStripY);
    EXPECT_EQ(Pool().stripWidth, 700);
    EXPECT_EQ(Pool().visibleHeight, 768 - StripLayout::kStripY);
    EXPECT_EQ(Pool().gap, StripLayout::kGap);
    EXPECT_EQ(Pool().windowX, float(StripLayout::kCellX - StripLayout::kGap));
    EXPECT_EQ(Pool().windowWidth, 5.0f * (StripLayout::kCell + StripLayout::kGap));
    EXPECT_FLOAT_EQ(Pool().normalScale, (5.0f * 100 - 20) / 700);
    EXPECT_FLOAT_EQ(Pool().neighbourScale, 1.0f - (1.0f - Pool().normalScale) * 0.5f);
    EXPECT_EQ(Pool().slide, 1.0f);
    const TPoint<float> target = Pool().FlightTarget();
    EXPECT_FLOAT_EQ(target.x, 150 + 350);
    EXPECT_FLOAT_EQ(target.y, 648 + 0.9f * 120);
}

TEST_F(PoolStripTest, SlidesUpUnderTheMouseAndDownThreeSecondsAfter)
{
    strip.MouseAt(500, 640);
    ASSERT_TRUE(Pool().hovered);
    strip.Run(3);
    EXPECT_LT(Pool().showDrive, 1.0f);
    strip.Run(1);
    EXPECT_EQ(Pool().showDrive, 1.0f);
    strip.Run(44);
    EXPECT_GT(Pool().slide, 0.0f);
    strip.Run(6);
    EXPECT_EQ(Pool().slide, 0.0f);

    strip.MouseAt(10, 10);
    ASSERT_FALSE(Pool().hovered);
    strip.Run(300);
    EXPECT_EQ(Pool().slide, 0.0f);
    strip.Run(100);
    EXPECT_EQ(Pool().slide, 1.0f);
}

TEST_F(PoolStripTest, HoveredCellAndItsNeighboursAreMagnified)
{
    Fill(8);
    ShowStrip();
    HoverPlace(3);
    const float n = Pool().normalScale, b = Pool().neighbourScale;
    std::vector<float> targets;
    for (const QstPoolPlace& p : Pool().places)
        targets.push_back(p.targetScale);
    EXPECT_EQ(targets, (std::vector<float>{n, n, b, 1.0f, b, n, n, n}));
}

TEST_F(PoolStripTest, FewPlacesStayUnmagnifiedAndMagnificationReturnsWithMore)
{
    std::vector<QstItem*> items = Fill(8);
    for (int i = 0; i < 3; ++i)
        Pool().RemoveItem(items[size_t(i)]);
    strip.Run(10); // hidden: compacts to five places
    ASSERT_EQ(Pool().places.size(), 5u);
    ShowStrip();
    HoverPlace(2);
    for (const QstPoolPlace& p : Pool().places)
        EXPECT_EQ(p.targetScale, 1.0f);
    Fill(3);
    HoverPlace(3);
    EXPECT_EQ(Pool().places[0].targetScale, Pool().normalScale);
    EXPECT_LT(Pool().places[0].scale, 1.0f);
}

TEST_F(PoolStripTest, PressInTheGapPicksTheNearerCell)
{
    Fill(5);
    ShowStrip();
    strip.Run(10);
    const QstPoolPlace& first = Pool().places[0];
    const float midY = first.y + first.height / 2;
    const float right = first.x + first.width;
    EXPECT_EQ(Pool().FindPlaceAt(right + 2, midY), &Pool().places[0]);
    EXPECT_EQ(Pool().FindPlaceAt(right + StripLayout::kGap - 2, midY), &Pool().places[1]);
    EXPECT_EQ(Pool().FindPlaceAt(first.x + 5, midY), &Pool().places[0]);
    EXPECT_EQ(Pool().FindPlaceAt(first.x + 5, -50), nullptr);
    EXPECT_EQ(Pool().FindPlaceAt(Pool().windowX + Pool().windowWidth + 5, midY), nullptr);
}

TEST_F(PoolStripTest, PressPicksUpOnlyPlacedEntries)
{
    QstItem* placed = Fill(1)[0];
    QstItem* flying = scene.AddItem("flying", {"pool"});
    Pool().AddItem(flying, "pool", "", nullptr, false, nullptr, nullptr);
    ShowStrip();
    auto press = [&](size_t i) {
        const QstPoolPlace& p = Pool().places[i];
        Pool().MouseDown(int(p.x + p.width / 2), int(p.y + p.height / 2), 0, 1);
    };
    press(2); // empty
    EXPECT_EQ(Pool().GetDraggedItem(), nullptr);
    ASSERT_FALSE(Pool().FindEntry(flying)->placed);
    press(1);
    EXPECT_EQ(Pool().GetDraggedItem(), nullptr);
    press(0);
    EXPECT_EQ(Pool().GetDraggedItem(), placed);
    EXPECT_TRUE(Pool().HasItem(placed));
    // A second press puts it back.
    QstPoolItemDrag* drag = Pool().drag;
    press(0);
    EXPECT_EQ(Pool().GetDraggedItem(), nullptr);
    EXPECT_TRUE(drag->dropped);
}

TEST_F(PoolStripTest, PickUpHookCanRefuse)
{
    Fill(1);
    ShowStrip();
    std::vector<std::string> asked;
    Pool().canTakeItem = [&](QstItem* item, const std::string& state) {
        asked.push_back(item->GetName() + "/" + state);
        return false;
    };
    const QstPoolPlace& p = Pool().places[0];
    Pool().MouseDown(int(p.x + 5), int(p.y + 5), 0, 1);
    EXPECT_EQ(asked, (std::vector<std::string>{"thing0/pool"}));
    EXPECT_EQ(Pool().GetDraggedItem(), nullptr);
}

TEST_F(PoolStripTest, DraggedPictureFadesInAndOutAndIsThenDeleted)
{
    Fill(1);
    ShowStrip();
    const QstPoolPlace& p = Pool().places[0];
    Pool().MouseDown(int(p.x + 5), int(p.y + 5), 0, 1);
    QstPoolItemDrag* drag = Pool().drag;
    ASSERT_NE(drag, nullptr);
    drag->Update(0.1f);
    drag->Update(0.1f);
    EXPECT_NEAR(drag->alpha, 0.6f, 1e-5);
    EXPECT_EQ(Pool().EndDrag(true), drag);
    EXPECT_EQ(Pool().drag, nullptr);
    drag->Update(0.1f);
    EXPECT_NEAR(drag->alpha, 0.3f, 1e-5);
    EXPECT_FALSE(drag->done);
    drag->Update(0.1f);
    EXPECT_TRUE(drag->done);
}

TEST_F(PoolStripTest, HintShowsTheStripAndCentresTheEntryForThreeSeconds)
{
    std::vector<QstItem*> items = Fill(12);
    strip.MouseAt(10, 10);
    strip.Run(400); // hidden, idle
    ASSERT_EQ(Pool().slide, 1.0f);
    Pool().ShowHintOn(items[9]);
    EXPECT_EQ(Pool().hintItem, items[9]);
    strip.Run(100);
    EXPECT_EQ(Pool().slide, 0.0f);
    const QstPoolPlace& p = Pool().places[9];
    EXPECT_GE(p.x, Pool().windowX);
    EXPECT_LE(p.x + p.width, Pool().windowX + Pool().windowWidth + 1);
    strip.Run(205);
    EXPECT_EQ(Pool().hintItem, nullptr);
    EXPECT_EQ(Pool().hintTime, 0.0f);
    strip.Run(100);
    EXPECT_EQ(Pool().slide, 1.0f);
}

TEST_F(PoolStripTest, HintOnAShortRowKeepsTheScrollInBounds)
{
    std::vector<QstItem*> items = Fill(5);
    Pool().ShowHintOn(items[4]);
    strip.Run(100);
    EXPECT_EQ(Pool().scroll, 0.0f);
}

TEST_F(PoolStripTest, HoveredEntryShowsItsCaption)
{
    Fill(2);
    std::vector<std::u16string> tips;
    Pool().showTooltip = [&](const std::u16string& text, float seconds) {
        EXPECT_EQ(seconds, 0.1f);
        tips.push_back(text);
    };
    ShowStrip();
    HoverPlace(1);
    EXPECT_FALSE(tips.empty());
    tips.clear();
    Pool().lockedHidden = true;
    HoverPlace(1);
    EXPECT_TRUE(tips.empty());
}

TEST_F(PoolStripTest, WidgetForwardsTheMouseInStripCoordinates)
{
    Fill(1);
    QstPoolWidget widget(&Pool());
    EXPECT_EQ(widget.x, StripLayout::kStripX);
    EXPECT_EQ(widget.y, StripLayout::kStripY);
    EXPECT_EQ(widget.width, 700);
    EXPECT_TRUE(widget.AcceptsPoint(330, -10)); // the low arrow
    EXPECT_FALSE(widget.AcceptsPoint(10, 30));  // above the hidden strip
    widget.OnMouseMove(330, -10);
    EXPECT_TRUE(Pool().hovered);
    widget.OnMouseLeave();
    EXPECT_FALSE(Pool().hovered);
    ShowStrip();
    const QstPoolPlace& p = Pool().places[0];
    widget.OnMouseDownButton(int(p.x + 5), int(p.y + 5), 0, 1);
    ASSERT_NE(Pool().drag, nullptr);
    EXPECT_EQ(widget.board->items.size(), 1u);
    widget.board->UpdateItems(0.1f);
    EXPECT_GT(Pool().drag->alpha, 0.0f);
}

TEST_F(PoolStripTest, TutorHearsOfPickUpsAndOfUnusedDrags)
{
    Fill(1);
    PlayerInfo& player = GameControllerCommon::Instance().Player();
    player.showTutorial = true;
    player.currentTutorialStep = 0;
    QstTutor tutor(nullptr);
    QstTutorStep take;
    take.kind = QstTutorStepKind::GetDrag;
    take.itemName = "pooltest:thing0";
    QstTutorStep use;
    use.kind = QstTutorStepKind::Use;
    use.prevTutorialOnReset = true;
    tutor.steps = {take, use};
    Pool().getTutor = [&]() { return &tutor; };
    ShowStrip();
    const QstPoolPlace& p = Pool().places[0];
    Pool().MouseDown(int(p.x + 5), int(p.y + 5), 0, 1);
    EXPECT_EQ(player.currentTutorialStep, 1);
    Pool().EndDrag(false);
    EXPECT_EQ(player.currentTutorialStep, 0);
    player.showTutorial = true;
    player.currentTutorialStep = 0;
}

} // namespace
} // namespace Quib::Testing
