// Each puzzle of the study played to the win with the mouse, the solution
// taken from the field's data; the win actions run once and the state is
// kept in the profile.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"
#include "src/Profiles.h"
#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/TGameButton.h"
#include "tests/minigames/MinigameTestSupport.h"

#include <array>
#include <map>
#include <queue>
#include <vector>

namespace Quib::Mg1Test {
namespace {

// Moves of the tile lock: (lock index 0..3, forward).
using TileMove = std::pair<int, bool>;

std::array<int32_t, 9> AfterMove(std::array<int32_t, 9> homes, TileMove move)
{
    int32_t cells[4];
    for (int i = 0; i < 4; ++i)
        cells[i] = QstFieldLock15::kBlocks[move.first][i];
    if (!move.second)
        std::swap(cells[1], cells[3]);
    std::array<int32_t, 9> out = homes;
    for (int i = 0; i < 4; ++i)
        out[size_t(cells[(i + 1) % 4])] = homes[size_t(cells[i])];
    return out;
}

// The shortest list of moves that brings every tile home.
std::vector<TileMove> SolveTiles(const std::array<int32_t, 9>& start)
{
    std::array<int32_t, 9> goal{0, 1, 2, 3, 4, 5, 6, 7, 8};
    std::map<std::array<int32_t, 9>, std::pair<std::array<int32_t, 9>, TileMove>> from;
    std::queue<std::array<int32_t, 9>> open;
    from[start] = {start, {-1, true}};
    open.push(start);
    while (!open.empty() && !from.count(goal)) {
        const auto current = open.front();
        open.pop();
        for (int lock = 0; lock < 4; ++lock) {
            for (bool forward : {true, false}) {
                const auto next = AfterMove(current, {lock, forward});
                if (from.emplace(next, std::make_pair(current, TileMove{lock, forward})).second)
                    open.push(next);
            }
        }
    }
    std::vector<TileMove> moves;
    for (auto at = goal; at != start; at = from[at].first)
        moves.insert(moves.begin(), from[at].second);
    return moves;
}

class StudyPlay : public StudyTest {
protected:
    void EnterSafeCode(QstFieldSeif* safe, const std::string& code)
    {
        for (char c : code) {
            float fx = 0, fy = 0;
            CentreOf(safe, safe->digits[size_t(c - '0')].picture, fx, fy);
            ClickField(safe, fx, fy);
            Frames(2);
        }
    }

    void PressBuro(QstFieldBuro* buro, int index)
    {
        float fx = 0, fy = 0;
        CentreOf(buro, buro->buttons[size_t(index)].hoverPicture, fx, fy);
        ClickField(buro, fx, fy);
        Frames(2);
    }

    void ClickPin(QstFieldMusicBox* box, int row, int column)
    {
        const auto& pin = box->pins[0][size_t(row)][size_t(column)];
        ClickField(box, float(pin.x - box->x), float(pin.y - box->y));
    }

    void PressPlay(QstFieldMusicBox* box)
    {
        ASSERT_NE(box->playButton, nullptr);
        const Widget* b = box->playButton;
        ClickField(box, float(b->x + b->width / 2), float(b->y + b->height / 2));
    }

    void HoldKey()
    {
        QstItem* key = scene->GetItem("key");
        ASSERT_NE(key, nullptr);
        QstPoolData* pool = scene->GetPool();
        ASSERT_NE(pool, nullptr);
        ASSERT_TRUE(pool->HasItem(key));
        pool->drag = new QstPoolItemDrag(key, std::string());
        pool->AddExtension(pool->drag);
    }

    void PickUpKey()
    {
        QstItem* key = scene->GetItem("key");
        QstPoolData* pool = scene->GetPool();
        ASSERT_NE(pool, nullptr);
        ASSERT_EQ(StateOf("key"), "off") << "the key waits behind the little door";
        key->SetState("normal", true); // as the door lock's win does
        const FRect r = key->GetCurrentState()->GetBoundingRect();
        Click(int(r.x + r.width / 2), int(r.y + r.height / 2)); // scene coordinates
        Frames(200);
        EXPECT_TRUE(pool->HasItem(key));
        ASSERT_EQ(StateOf("key"), "pool");
    }

    void InsertAllKeys(QstFieldLock15* lock)
    {
        for (const auto& l : lock->locks) {
            HoldKey();
            float fx = 0, fy = 0;
            CentreOf(lock, l.lockPicture, fx, fy);
            ClickField(lock, fx, fy);
            Frames(2);
        }
    }

    void RotateBy(QstFieldLock15* lock, TileMove move)
    {
        float fx = 0, fy = 0;
        CentreOf(lock, lock->locks[size_t(move.first)].lockPicture, fx, fy);
        ClickField(lock, fx, fy, move.second ? 0 : 1);
        Frames(55);
    }
};

TEST_F(StudyPlay, SafeOpensWithItsCombination)
{
    auto* safe = dynamic_cast<QstFieldSeif*>(OpenPuzzle("safe", "safe"));
    ASSERT_NE(safe, nullptr);
    EXPECT_FALSE(safe->GetSkipControl()->visible) << "the safe has no skip button";
    EnterSafeCode(safe, safe->combination);
    EXPECT_EQ(safe->entered, safe->combination);
    ExpectWonAndSaved("safe", "safe");
}

TEST_F(StudyPlay, SafeWrongCodeStartsOverAndTheRightOneStillOpens)
{
    auto* safe = dynamic_cast<QstFieldSeif*>(OpenPuzzle("safe", "safe"));
    ASSERT_NE(safe, nullptr);
    std::string wrong = safe->combination;
    std::reverse(wrong.begin(), wrong.end());
    ASSERT_NE(wrong, safe->combination);
    EnterSafeCode(safe, wrong);
    // A fifth digit is refused while the code is full.
    EnterSafeCode(safe, "5");
    EXPECT_EQ(safe->entered.size(), safe->combination.size());
    Frames(150);
    EXPECT_TRUE(safe->entered.empty());
    EXPECT_FALSE(safe->IsFinishing());
    for (const auto& spot : safe->digits)
        EXPECT_FALSE(spot.pressed);
    EnterSafeCode(safe, safe->combination);
    ExpectWonAndSaved("safe", "safe");
}

TEST_F(StudyPlay, BureauOpensWithFourRightPresses)
{
    auto* buro = dynamic_cast<QstFieldBuro*>(OpenPuzzle("bureau", "buro"));
    ASSERT_NE(buro, nullptr);
    for (char c : buro->combination)
        PressBuro(buro, c - '1');
    Frames(10);
    EXPECT_TRUE(buro->opening);
    ExpectWonAndSaved("buro", "bureau");
}

TEST_F(StudyPlay, BureauWrongFourthPressDoesNotLockIt)
{
    auto* buro = dynamic_cast<QstFieldBuro*>(OpenPuzzle("bureau", "buro"));
    ASSERT_NE(buro, nullptr);
    const std::string code = buro->combination;
    for (int i = 0; i < 3; ++i)
        PressBuro(buro, code[size_t(i)] - '1');
    // The wrong button last.
    const int wrong = code[3] == '1' ? 1 : 0;
    PressBuro(buro, wrong);
    EXPECT_TRUE(buro->entered.empty()) << "the release popped the buttons up";
    Frames(30);
    for (char c : code)
        PressBuro(buro, c - '1');
    ExpectWonAndSaved("buro", "bureau");
}

TEST_F(StudyPlay, DoorLockOpensAfterFourTurnsAndWinsOnce)
{
    auto* door = dynamic_cast<QstFieldDoorLock*>(OpenPuzzle("door", "door"));
    ASSERT_NE(door, nullptr);
    const Rect inner = door->GetInnerArea();
    const float fx = float(inner.x + 10), fy = float(inner.y + inner.height - 10);
    for (int turn = 0; turn < 4; ++turn) {
        ClickField(door, fx, fy);
        EXPECT_TRUE(door->turning);
        // Clicks during the turn are ignored.
        ClickField(door, fx, fy);
        Frames(60);
        EXPECT_FALSE(door->turning);
        EXPECT_EQ(door->pinsSet, turn + 1);
    }
    EXPECT_TRUE(door->solved);
    Frames(400);
    EXPECT_TRUE(door->IsFinishing());
    // The reset after the win cleared the solved flag: the lock rests.
    EXPECT_FALSE(door->solved);
    EXPECT_EQ(door->pinsSet, 0);
    EXPECT_FLOAT_EQ(door->arrowAngle, -2.0f * QstFieldDoorLock::kStep);
    ExpectWonAndSaved("door", "door");
}

TEST_F(StudyPlay, TileLockTakesTheKeysAndOpensWhenTheTilesAreHome)
{
    PickUpKey();
    auto* lock = dynamic_cast<QstFieldLock15*>(OpenPuzzle("tiles", "lock"));
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->GetSkipControl()->visible);
    // Locked: a click on a lock does nothing.
    RotateBy(lock, {0, true});
    EXPECT_FALSE(lock->moving);
    InsertAllKeys(lock);
    ASSERT_TRUE(lock->AllKeysIn());
    EXPECT_TRUE(lock->GetSkipControl()->visible) << "the fourth key shows the skip button";
    Frames(60);
    const auto moves = SolveTiles(lock->Arrangement());
    ASSERT_FALSE(moves.empty());
    for (const TileMove& move : moves)
        RotateBy(lock, move);
    ExpectWonAndSaved("lock", "tiles");
}

TEST_F(StudyPlay, MusicBoxPlaysItsThreeMelodies)
{
    auto* box = dynamic_cast<QstFieldMusicBox*>(OpenPuzzle("musicbox", "music"));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->HasAllPictures());
    // No pin set: the first step sounds wrong and the drum stays.
    PressPlay(box);
    Frames(40);
    EXPECT_FALSE(box->playing);
    EXPECT_EQ(box->stage, 0);
    for (int stage = 0; stage < 3; ++stage) {
        ASSERT_EQ(box->stage, stage);
        // A wrong pin first, then moved to the right row.
        const int first = box->melodies[size_t(stage)][0];
        ClickPin(box, (first + 1) % QstFieldMusicBox::kRows, 0);
        for (int c = 0; c < QstFieldMusicBox::kColumns; ++c)
            ClickPin(box, box->melodies[size_t(stage)][size_t(c)], c);
        for (int r = 0; r < QstFieldMusicBox::kRows; ++r)
            EXPECT_EQ(box->pins[0][size_t(r)][0].set, r == first);
        PressPlay(box);
        EXPECT_TRUE(box->playing);
        Frames(200);
    }
    ExpectWonAndSaved("music", "musicbox");
    // Unloaded pictures leave the play button with none.
    box->UnloadLayers();
    EXPECT_EQ(box->playButton->normalPicture, nullptr);
    EXPECT_EQ(box->playButton->overPicture, nullptr);
}

TEST_F(StudyPlay, EveryPuzzleDrawsItsPictures)
{
    PickUpKey();
    const std::pair<const char*, const char*> puzzles[] = {
        {"safe", "safe"}, {"bureau", "buro"}, {"door", "door"}, {"tiles", "lock"}, {"musicbox", "music"}};
    for (const auto& [object, fieldName] : puzzles) {
        QstFieldMinigame* field = OpenPuzzle(object, fieldName);
        ASSERT_NE(field, nullptr) << fieldName;
        if (auto* lock = dynamic_cast<QstFieldLock15*>(field))
            InsertAllKeys(lock);
        Frames(60);
        MemoryImage target(nullptr);
        target.Resize(field->width, field->height);
        Graphics g(&target);
        g.clipRect = Rect(0, 0, field->width, field->height);
        field->Draw(g);
        // Every picture the puzzle took is drawn where it lies (the pins of
        // the music box are checked at the first pin).
        int drawn = 0, taken = 0;
        for (const MinigamePicture& picture : field->pictures) {
            if (!picture.image || picture.name.find("_mask") != std::string::npos ||
                picture.name.find("_ac") != std::string::npos || picture.name.find("button") != std::string::npos ||
                picture.name.find("round/round") != std::string::npos || picture.name.find("notes/") != std::string::npos ||
                picture.name.find("_light") != std::string::npos || picture.name.find("/0") != std::string::npos)
                continue;
            ++taken;
            const int cx = int(picture.x) - field->x + picture.image->width / 2;
            const int cy = int(picture.y) - field->y + picture.image->height / 2;
            drawn += (target.GetPixel(cx, cy) >> 24) != 0;
        }
        if (std::string(fieldName) != "buro") { // its pictures show only when pressed or opening
            EXPECT_GT(taken, 0) << fieldName;
        }
        EXPECT_EQ(drawn, taken) << fieldName;
        field->Close(true);
        Frames(60);
    }
}

} // namespace
} // namespace Quib::Mg1Test
