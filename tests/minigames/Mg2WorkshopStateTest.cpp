// The workshop's puzzles saved in the middle and restored, damaged saved
// states, and the skip button after its waiting time.
#include "src/Profiles.h"
#include "src/game/minigames/ChainLayer.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstItem.h"
#include "tests/minigames/Mg2WorkshopPlay.h"

#include <map>
#include <regex>
#include <set>
#include <vector>

namespace Quib::Mg2Test {
namespace {

class WorkshopState : public WorkshopPlay {
protected:
    // Every part as (its piece names, position, locked).
    struct PartShape {
        std::set<std::string> pieces;
        Point at;
        bool locked = false;
        bool operator<(const PartShape& o) const { return pieces < o.pieces; }
        bool operator==(const PartShape& o) const
        {
            return pieces == o.pieces && at == o.at && locked == o.locked;
        }
    };
    static std::set<PartShape> Shapes(QstFieldPuzzle* puzzle)
    {
        std::set<PartShape> out;
        for (QstFieldPuzzle::Part* part : puzzle->parts) {
            PartShape shape;
            for (const PuzzlePiece& p : part->pieces)
                shape.pieces.insert(p.name);
            shape.at = Point(part->x, part->y);
            shape.locked = part->locked;
            out.insert(shape);
        }
        return out;
    }

    // Presses the charged skip button, aiming past the pointer's wander.
    void SkipMummy(QstFieldMummy* mummy)
    {
        QstFieldControl* skip = mummy->GetSkipControl();
        ASSERT_TRUE(skip->visible);
        int guard = 0;
        while (skip->chargeRatio < 1.0f && guard++ < 100000)
            Frame(0.5f);
        Frames(5);
        const float fx = float(skip->x + skip->chargeOffsetX + skip->chargePicture->width / 2);
        const float fy = float(skip->y + skip->chargeOffsetY + skip->chargePicture->height / 2);
        MoveTo(mummy->x + int(fx) - mummy->virtualOffset.x, mummy->y + int(fy) - mummy->virtualOffset.y);
        ClickField(mummy, fx - float(mummy->virtualOffset.x), fy - float(mummy->virtualOffset.y));
    }
};

TEST_F(WorkshopState, PuzzleSavedHalfwayKeepsItsGroupsPlacesAndAnchor)
{
    auto* puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    ASSERT_NE(puzzle, nullptr);
    SolvePuzzle(puzzle, 2);
    ASSERT_EQ(puzzle->parts.size(), 4u);
    const auto before = Shapes(puzzle);
    ReloadScene();
    puzzle = dynamic_cast<QstFieldPuzzle*>(scene->GetField("puzzle"));
    ASSERT_NE(puzzle, nullptr);
    ASSERT_TRUE(IsOnScreen("puzzle")) << "the open close-up is shown again";
    EXPECT_TRUE(puzzle->restored);
    EXPECT_TRUE(Shapes(puzzle) == before) << "no part scattered again or moved";
    Frames(40);
    SolvePuzzle(puzzle);
    ExpectWonAndSaved("puzzle", "jigsaw");
}

TEST_F(WorkshopState, PuzzleWithADamagedSaveStartsAfreshWithEveryPiece)
{
    auto* puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    ASSERT_NE(puzzle, nullptr);
    SolvePuzzle(puzzle, 1);
    scene->SaveState();
    const std::string good = SavedScene();
    ASSERT_NE(good.find("<Parts>"), std::string::npos) << good;
    struct Damage {
        const char* what;
        std::regex pattern;
        const char* replacement;
    };
    const Damage damages[] = {
        {"unknown piece", std::regex("parts/03"), "parts/99"},
        {"piece twice", std::regex("parts/03"), "parts/04"},
        {"piece lost", std::regex("<Part [^>]*>\\s*<P name=\"parts/05\"[^>]*/>\\s*</Part>"), ""},
        {"value missing", std::regex("start_x=\"[0-9.]*\" (start_y=\"[0-9.]*\" x=\"[0-9.e-]*\" y=\"[0-9.e-]*\" />\\s*</Part>\\s*<Part)"),
         "$1"},
        {"empty part", std::regex("(<Parts>)"), "$1<Part x=\"1\" y=\"1\" is_complete=\"0\"/>"},
    };
    for (const Damage& d : damages) {
        const std::string bad = std::regex_replace(good, d.pattern, d.replacement, std::regex_constants::format_first_only);
        ASSERT_NE(bad, good) << d.what;
        RestartScene(&bad);
        puzzle = dynamic_cast<QstFieldPuzzle*>(scene->GetField("puzzle"));
        ASSERT_NE(puzzle, nullptr) << d.what;
        EXPECT_FALSE(puzzle->restored) << d.what;
        EXPECT_EQ(puzzle->parts.size(), 6u) << d.what << ": a fresh puzzle with every piece";
        size_t pieces = 0;
        for (QstFieldPuzzle::Part* part : puzzle->parts)
            pieces += part->pieces.size();
        EXPECT_EQ(pieces, 6u) << d.what;
    }
    // And the fresh puzzle can be solved.
    Frames(40);
    if (!IsOnScreen("puzzle"))
        puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    SolvePuzzle(puzzle);
    ExpectWonAndSaved("puzzle", "jigsaw");
}

TEST_F(WorkshopState, PuzzleSkipsAfterTheSkipTime)
{
    auto* puzzle = dynamic_cast<QstFieldPuzzle*>(OpenPuzzle("jigsaw", "puzzle"));
    ASSERT_NE(puzzle, nullptr);
    WaitAndSkip(puzzle);
    ExpectWonAndSaved("puzzle", "jigsaw");
}

TEST_F(WorkshopState, BurnerSavedAfterAMountGoesOnFromTheNextStage)
{
    auto* burner = dynamic_cast<QstFieldGorelka*>(OpenPuzzle("burner", "burner"));
    ASSERT_NE(burner, nullptr);
    DropOnStage(burner, burner->parts.front());
    ASSERT_EQ(burner->currentStage, 1);
    Frames(100);
    ReloadScene();
    burner = dynamic_cast<QstFieldGorelka*>(scene->GetField("burner"));
    ASSERT_NE(burner, nullptr);
    EXPECT_EQ(burner->currentStage, 1);
    EXPECT_EQ(burner->stageFade, 1.0f);
    QstFieldGorelka::Part* first = burner->parts.front();
    EXPECT_TRUE(first->placed);
    EXPECT_EQ(first->partAlpha, 0.0f);
    EXPECT_FALSE(first->draggable) << "a mounted part cannot be taken";
    Frames(40);
    for (auto it = std::next(burner->parts.begin()); it != burner->parts.end(); ++it) {
        DropOnStage(burner, *it);
        Frames(100);
    }
    ExpectWonAndSaved("burner", "burner");
}

TEST_F(WorkshopState, BurnerStageBeyondItsPicturesIsKeptInRange)
{
    auto* burner = dynamic_cast<QstFieldGorelka*>(OpenPuzzle("burner", "burner"));
    ASSERT_NE(burner, nullptr);
    DropOnStage(burner, burner->parts.front());
    scene->SaveState();
    const std::string good = SavedScene();
    for (const char* value : {"-3", "9", "2147483647"}) {
        const std::string bad =
            std::regex_replace(good, std::regex("cur_ind=\"1\""), std::string("cur_ind=\"") + value + "\"");
        ASSERT_NE(bad, good);
        RestartScene(&bad);
        burner = dynamic_cast<QstFieldGorelka*>(scene->GetField("burner"));
        ASSERT_NE(burner, nullptr);
        EXPECT_GE(burner->currentStage, 0) << value;
        EXPECT_LT(burner->currentStage, int32_t(burner->stages.size())) << value;
        Frames(60);
        if (IsOnScreen("burner"))
            DropOnStage(burner, burner->parts.back()); // no read past the stages
    }
}

TEST_F(WorkshopState, ChainSavedAtItsSecondTargetComesBackThere)
{
    auto* chain = dynamic_cast<QstFieldChain*>(OpenPuzzle("winch", "chain"));
    ASSERT_NE(chain, nullptr);
    ClickItem(chain, "hook");
    ClickItem(chain, "post1");
    ASSERT_EQ(chain->currentTarget, 1u);
    ReloadScene();
    chain = dynamic_cast<QstFieldChain*>(scene->GetField("chain"));
    ASSERT_NE(chain, nullptr);
    EXPECT_TRUE(chain->active);
    EXPECT_EQ(chain->currentTarget, 1u);
    EXPECT_TRUE(chain->targets[1].layer->IsTargetVisible());
    EXPECT_FALSE(chain->targets[0].layer->IsTargetVisible());
    Frames(30);
    ClickItem(chain, "post2");
    EXPECT_FALSE(chain->active);
    Frames(100);
    EXPECT_EQ(StateOf("winch"), "open");
    // A target the chain does not have is not restored.
    scene->SaveState();
    std::string text = SavedScene();
    ClickItem(chain, "hook");
    const std::string bad =
        std::regex_replace(text, std::regex("name=\"chain\""), "name=\"chain\" is_chain_active=\"1\" cur_target=\"7\"");
    ASSERT_NE(bad, text);
    RestartScene(&bad);
    chain = dynamic_cast<QstFieldChain*>(scene->GetField("chain"));
    ASSERT_NE(chain, nullptr);
    EXPECT_FALSE(chain->active);
    Frames(5);
}

TEST_F(WorkshopState, ChainSkipRunsItsWinActions)
{
    auto* chain = dynamic_cast<QstFieldChain*>(OpenPuzzle("winch", "chain"));
    ASSERT_NE(chain, nullptr);
    ClickItem(chain, "hook");
    ASSERT_EQ(StateOf("post1"), "ready");
    WaitAndSkip(chain);
    Frames(5);
    EXPECT_TRUE(chain->IsFinishing());
    EXPECT_EQ(StateOf("post1"), "idle");
}

TEST_F(WorkshopState, MummySavedInFireModeGoesOnWithItsHits)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    StartFireMode(mummy);
    AimAndClick(mummy, "mummy");
    ASSERT_EQ(mummy->hits, 1);
    ReloadScene();
    mummy = dynamic_cast<QstFieldMummy*>(scene->GetField("mummy"));
    ASSERT_NE(mummy, nullptr);
    EXPECT_TRUE(mummy->fireMode);
    EXPECT_EQ(mummy->hits, 1);
    EXPECT_FLOAT_EQ(mummy->speedTarget, 1.2f);
    EXPECT_EQ(StateOf("mummy"), "awake");
    Frames(1);
    EXPECT_TRUE(mummy->IsPoolFireMode()) << "the pool's flag is set again at the first update";
    Frames(20);
    for (int hit = 2; hit <= 3; ++hit) {
        int px = 0, py = 0;
        ASSERT_TRUE(ItemLayerCentre(mummy, "mummy", px, py));
        MoveTo(px, py);
        AimAndClick(mummy, "mummy");
        EXPECT_EQ(mummy->hits, hit);
        Frames(110);
    }
    ExpectWonAndSaved("mummy", "sarcophagus");
}

TEST_F(WorkshopState, MummySkipEndsFireMode)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    StartFireMode(mummy);
    SkipMummy(mummy);
    EXPECT_FALSE(mummy->fireMode);
    EXPECT_FALSE(mummy->IsPoolFireMode());
    EXPECT_EQ(mummy->virtualOffset, Point());
    Frames(50);
    EXPECT_EQ(mummy->virtualOffset, Point()) << "the pointer no longer wanders";
    ExpectWonAndSaved("mummy", "sarcophagus");
}

TEST_F(WorkshopState, MummyClosedInFireModeEndsIt)
{
    auto* mummy = OpenMummy();
    ASSERT_NE(mummy, nullptr);
    StartFireMode(mummy);
    mummy->Close(false);
    Frames(60);
    EXPECT_FALSE(IsOnScreen("mummy"));
    EXPECT_FALSE(mummy->fireMode);
    EXPECT_FALSE(mummy->IsPoolFireMode());
    EXPECT_EQ(mummy->virtualOffset, Point());
}

} // namespace
} // namespace Quib::Mg2Test
