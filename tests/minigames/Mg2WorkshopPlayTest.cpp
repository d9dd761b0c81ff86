// Each puzzle of the workshop played to the win with the mouse, the
// solution taken from the field's data; the win actions run once and the
// state is kept in the profile. Wrong drops, drags out of the window and
// fast input leave the puzzles playable.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "src/game/minigames/ChainLayer.h"
#include "src/game/minigames/PointerWarp.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "tests/minigames/Mg2WorkshopPlay.h"

#include <algorithm>
#include <vector>

namespace Quib::Mg2Test {

TEST_F(WorkshopPlay, PuzzleJoinsEveryPartAndWinsOnce)
{
    auto* puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    ASSERT_NE(puzzle, nullptr);
    ASSERT_EQ(puzzle->parts.size(), 6u);
    EXPECT_TRUE(puzzle->parts.front()->locked) << "piece 1 anchors the picture";
    SolvePuzzle(puzzle);
    EXPECT_EQ(puzzle->parts.size(), 1u);
    EXPECT_EQ(puzzle->parts.front()->pieces.size(), 6u);
    ExpectWonAndSaved("puzzle", "jigsaw");
}

TEST_F(WorkshopPlay, PuzzleDropsAwayFromNeighboursAndOutOfTheWindowChangeNothing)
{
    auto* puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    ASSERT_NE(puzzle, nullptr);
    QstFieldPuzzle::Part* part = TopFreePart(puzzle, nullptr);
    ASSERT_NE(part, nullptr);
    int px = 0, py = 0;
    ASSERT_TRUE(PressPoint(puzzle, part, px, py));
    // Out of the window: the part stays at most 30 % outside the inner area.
    Drag(px, py, -4000, -4000, 3);
    const Rect inner = puzzle->GetInnerArea();
    EXPECT_GE(part->x, inner.x - int(0.3f * float(part->width)));
    EXPECT_GE(part->y, inner.y - int(0.3f * float(part->height)));
    EXPECT_EQ(puzzle->parts.size(), 6u);
    // A press and release without a move, and a very fast drag in one step.
    ASSERT_TRUE(PressPoint(puzzle, part, px, py));
    Click(px, py);
    ASSERT_TRUE(PressPoint(puzzle, part, px, py));
    Drag(px, py, px + 5000, py + 5000, 1);
    EXPECT_LE(part->x, inner.x + inner.width - int(0.7f * float(part->width)));
    Frames(5);
    EXPECT_EQ(puzzle->parts.size(), 6u);
    EXPECT_FALSE(puzzle->IsFinishing());
    SolvePuzzle(puzzle);
    ExpectWonAndSaved("puzzle", "jigsaw");
}

TEST_F(WorkshopPlay, BurnerMountsItsPartsInOrderAndWinsASecondAfterTheLast)
{
    auto* burner = dynamic_cast<QstFieldGorelka*>(OpenPuzzle("burner", "burner"));
    ASSERT_NE(burner, nullptr);
    ASSERT_EQ(burner->parts.size(), 3u);
    ASSERT_EQ(burner->stages.size(), 4u);
    EXPECT_FALSE(burner->GetSkipControl()->visible) << "the burner has no skip button";
    // Part 2 first: wrong, it flies home.
    QstFieldGorelka::Part* second = *std::next(burner->parts.begin());
    const Point home(second->x, second->y);
    DropOnStage(burner, second);
    EXPECT_EQ(burner->currentStage, 0);
    EXPECT_TRUE(second->returning);
    Frames(100);
    EXPECT_EQ(Point(second->x, second->y), home);
    EXPECT_FALSE(second->returning);
    // A drop beside the stage: home again.
    DropAt(burner, second, 40.0f, 40.0f);
    EXPECT_TRUE(second->returning);
    Frames(100);
    int index = 0;
    for (QstFieldGorelka::Part* part : burner->parts) {
        DropOnStage(burner, part);
        EXPECT_EQ(burner->currentStage, index + 1);
        EXPECT_TRUE(part->placed);
        ++index;
        if (index < 3) {
            // During the cross-fade every drop is refused.
            QstFieldGorelka::Part* next = *std::next(burner->parts.begin(), index);
            DropOnStage(burner, next);
            EXPECT_EQ(burner->currentStage, index);
            Frames(100);
        }
    }
    EXPECT_TRUE(burner->won);
    Frames(40);
    EXPECT_FALSE(burner->IsFinishing()) << "the win waits for the cross-fade";
    ExpectWonAndSaved("burner", "burner");
}

TEST_F(WorkshopPlay, SpyGlassWinsWhenItsTimeIsUpAndRunsTheCloseUp)
{
    auto* spy = dynamic_cast<QstFieldSpyGlass*>(OpenPuzzle("telescope", "spy"));
    ASSERT_NE(spy, nullptr);
    EXPECT_FALSE(spy->GetSkipControl()->visible);
    EXPECT_EQ(spy->radius, 110);
    EXPECT_EQ(spy->segments, 24);
    EXPECT_EQ(spy->alpha, 1.0f) << "the close-up's own update faded it in";
    // Looking around draws the lens through the rasterizer.
    MoveTo(spy->x + 200, spy->y + 200);
    Frames(2);
    MemoryImage screen(nullptr);
    std::vector<uint32_t> black(size_t(1024) * 768, 0xFF000000u);
    screen.AssignPixels(black.data(), 1024, 768, true);
    {
        Graphics g(&screen);
        g.transX = float(spy->x);
        g.transY = float(spy->y);
        spy->Draw(g);
    }
    const int red = int((screen.GetPixel(spy->x + 200, spy->y + 200) >> 16) & 0xFF);
    const int outside = int((screen.GetPixel(spy->x + 200 + 150, spy->y + 200) >> 16) & 0xFF);
    EXPECT_GT(red, outside + 40) << "the lens shows the bright hidden picture";
    Frames(200, 0.02f);
    EXPECT_FALSE(spy->IsFinishing());
    Frames(120, 0.02f);
    EXPECT_TRUE(spy->IsFinishing());
    ExpectWonAndSaved("spy", "telescope");
}

TEST_F(WorkshopPlay, ChainGoesFromTheHookToBothPostsAndOpensTheWinch)
{
    auto* chain = dynamic_cast<QstFieldChain*>(OpenPuzzle("winch", "chain"));
    ASSERT_NE(chain, nullptr);
    ASSERT_EQ(chain->targets.size(), 2u);
    // A target before the chain is out does nothing for the chain.
    ClickItem(chain, "post1");
    EXPECT_FALSE(chain->active);
    ClickItem(chain, "hook");
    ASSERT_TRUE(chain->active);
    EXPECT_EQ(StateOf("post1"), "ready") << "the hook's own actions ran";
    // The rope follows the mouse.
    MoveTo(chain->x + 250, chain->y + 300);
    Frames(20);
    EXPECT_FALSE(chain->targets[0].layer->nodes.empty());
    EXPECT_TRUE(chain->targets[0].layer->IsTargetVisible());
    EXPECT_FALSE(chain->targets[1].layer->IsTargetVisible());
    // Only the current target takes the mouse while the chain is out.
    int px = 0, py = 0;
    ASSERT_TRUE(ItemLayerCentre(chain, "post2", px, py));
    MoveTo(px, py);
    EXPECT_EQ(chain->cursorType, QST_CURSOR_NONE);
    EXPECT_EQ(chain->hoveredLayer, nullptr);
    ClickItem(chain, "post1");
    EXPECT_EQ(chain->currentTarget, 1u);
    EXPECT_TRUE(chain->targets[1].layer->IsTargetVisible());
    Frames(10);
    ClickItem(chain, "post2");
    EXPECT_FALSE(chain->active);
    Frames(100);
    EXPECT_EQ(StateOf("winch"), "open");
    EXPECT_EQ(StateOf("post2"), "tied");
    EXPECT_FALSE(IsOnScreen("chain"));
    EXPECT_FALSE(chain->IsFinishing()) << "the drop's win actions did not run";
}

TEST_F(WorkshopPlay, ChainDroppedOnNothingRunsTheWinActionsOnce)
{
    auto* chain = dynamic_cast<QstFieldChain*>(OpenPuzzle("winch", "chain"));
    ASSERT_NE(chain, nullptr);
    ClickItem(chain, "hook");
    ASSERT_TRUE(chain->active);
    ClickItem(chain, "post1");
    ASSERT_EQ(StateOf("post1"), "tied");
    const Rect inner = chain->GetInnerArea();
    ClickField(chain, float(inner.x + 10), float(inner.y + inner.height - 10));
    EXPECT_FALSE(chain->active);
    EXPECT_TRUE(chain->IsFinishing()) << "the win is marked, so it runs once";
    EXPECT_FALSE(chain->IsOpened());
    Frames(5);
    EXPECT_EQ(StateOf("post1"), "idle") << "the OnWin actions put the posts back";
    EXPECT_FALSE(chain->targets[0].layer->IsTargetVisible());
    ClickItem(chain, "hook");
    ClickField(chain, float(inner.x + 10), float(inner.y + inner.height - 10));
    chain->Win();
    Frames(5);
    EXPECT_EQ(StateOf("post1"), "ready") << "no second win";
}

TEST_F(WorkshopPlay, MummyTakesThreeAimedHitsAndWins)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    StartFireMode(mummy);
    EXPECT_EQ(StateOf("mummy"), "awake");
    EXPECT_TRUE(mummy->IsPoolFireMode());
    for (int hit = 1; hit <= 3; ++hit) {
        AimAndClick(mummy, "mummy");
        EXPECT_EQ(mummy->hits, hit);
        if (hit < 3) {
            EXPECT_TRUE(mummy->fireMode);
            EXPECT_EQ(mummy->cursorPhase, 1);
            // Within the pause a click is swallowed.
            AimAndClick(mummy, "bandage");
            EXPECT_EQ(mummy->hits, hit);
            Frames(110);
        }
    }
    EXPECT_FALSE(mummy->fireMode);
    EXPECT_FALSE(mummy->IsPoolFireMode());
    EXPECT_TRUE(mummy->IsFinishing());
    EXPECT_EQ(mummy->virtualOffset, Point()) << "the pointer's offset is given back";
    ExpectWonAndSaved("mummy", "sarcophagus");
    EXPECT_EQ(StateOf("mummy"), "down");
}

TEST_F(WorkshopPlay, MummyMissShowsTheMessageAndPausesAndTheSecondTargetCounts)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    StartFireMode(mummy);
    const Rect inner = mummy->GetInnerArea();
    ClickField(mummy, float(inner.x + 5 - mummy->virtualOffset.x), float(inner.y + 5 - mummy->virtualOffset.y));
    EXPECT_EQ(mummy->cursorPhase, 2);
    EXPECT_EQ(mummy->hits, 0);
    AimAndClick(mummy, "mummy");
    EXPECT_EQ(mummy->hits, 0) << "a click within the pause does nothing";
    Frames(110);
    EXPECT_EQ(mummy->cursorPhase, 0);
    AimAndClick(mummy, "bandage");
    EXPECT_EQ(mummy->hits, 1);
    EXPECT_FLOAT_EQ(mummy->speedTarget, 1.2f);
}

TEST_F(WorkshopPlay, MummyWithAHitCountOfZeroEndsAtTheFirstHit)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    mummy->hitCount = 0;
    StartFireMode(mummy);
    AimAndClick(mummy, "mummy");
    EXPECT_FALSE(mummy->fireMode);
    EXPECT_TRUE(mummy->IsFinishing());
    ExpectWonAndSaved("mummy", "sarcophagus");
}

TEST_F(WorkshopPlay, MummyWithoutTheTargetStateLetsThePoolDragTheTorch)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    scene->GetItem("mummy")->SetState("down", true);
    QstItem* torch = scene->GetItem("torch");
    EXPECT_TRUE(scene->CanTakePoolItem(torch, torch->GetCurrentState()));
    EXPECT_FALSE(mummy->fireMode);
}

TEST_F(WorkshopPlay, MummyMovesTheSystemPointerWhereItMayAndKeepsAnOffsetWhereNot)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    auto& cursors = static_cast<HeadlessCursors&>(env.windows.Cursors());
    app.mouseInside = true;
    app.hasFocus = true;
    cursors.warps.clear();
    StartFireMode(mummy);
    EXPECT_FALSE(cursors.warps.empty()) << "the raise moved the system pointer";
    EXPECT_EQ(mummy->virtualOffset, Point());
    app.mouseInside = false;
    const size_t warps = cursors.warps.size();
    const Point before = mummy->appliedOffset;
    Frames(30);
    EXPECT_EQ(cursors.warps.size(), warps);
    EXPECT_EQ(mummy->virtualOffset.x, mummy->appliedOffset.x - before.x) << "the same wander, kept as an offset";
    EXPECT_EQ(mummy->virtualOffset.y, mummy->appliedOffset.y - before.y);
    EXPECT_NE(mummy->virtualOffset, Point()) << "the pointer wandered";
}

} // namespace Quib::Mg2Test
