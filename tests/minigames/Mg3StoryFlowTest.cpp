// The two puzzle scenes played inside the running game on the generated
// data: from the harbour through the harbour master's door into the study,
// back and over the pier's boathouse into the workshop, every close-up
// opened with the mouse and solved from its own data, and each win followed
// into the story (inventory, journal, the scene's pictures).
#include "framework/files/Singletone.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstBookRecord.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutorDialog.h"
#include "src/game/quest/QstTutorialBox.h"
#include "src/screens/Avatar.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/ScaleButton.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/GameFlowSupport.h"
#include "tests/support/JigsawPlay.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TileLockSolution.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <queue>
#include <thread>
#include <typeinfo>
#include <vector>

namespace Quib::Mg3Test {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

template <class T>
T* FindDeep(Widget* root)
{
    if (auto* found = dynamic_cast<T*>(root))
        return found;
    if (auto* container = dynamic_cast<WidgetContainer*>(root))
        for (Widget* child : container->children)
            if (T* found = FindDeep<T>(child))
                return found;
    return nullptr;
}

class StoryFlow : public GameFlowTest {
protected:
    StoryFlow() : GameFlowTest(20, 1500) {}
    void PrepareData() override { SkipHiddenObjectLevels(); }

    // The pier's wreck is a hidden-object level, played elsewhere: here it
    // counts as won at once.
    void SkipHiddenObjectLevels()
    {
        const fs::path ini = fs::path(data.Path()) / "res" / "game.ini";
        std::ifstream in(ini, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        const size_t at = text.find("SkipHOG=0");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 9, "SkipHOG=1");
        std::ofstream(ini, std::ios::binary) << text;
    }

    // ---- Time ----
    void Seconds(float seconds) { Steps(int(seconds * 50.0f) + 1); }

    // ---- Mouse ----
    void MoveTo(int px, int py) { app->widgetManager->HandleMouseMove(px, py); }
    void Drag(int fromX, int fromY, int toX, int toY, int steps = 6)
    {
        WidgetManager& wm = *app->widgetManager;
        wm.HandleMouseMove(fromX, fromY);
        Steps(1);
        wm.HandleMouseDown(fromX, fromY, CLICK_LEFT);
        for (int i = 1; i <= steps; ++i) {
            wm.HandleMouseMove(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
            Steps(1);
        }
        wm.HandleMouseUp(toX, toY, CLICK_LEFT);
        Steps(1);
    }

    // ---- The scene ----
    GameBoard* Board() const { return dynamic_cast<GameBoard*>(app->CurrentBoard()); }
    QstScene* Scene() const { return Board() ? Board()->scene : nullptr; }
    static std::string StateOf(const std::string& ref)
    {
        QstItem* item = QstScene::GetItemByRef(ref);
        return item && item->GetCurrentState() ? item->GetCurrentState()->name : std::string();
    }
    bool OnScreen(const std::string& fieldName) const
    {
        QstScene* scene = Scene();
        if (!scene)
            return false;
        for (const QstField* f : scene->onScreenFields)
            if (f->name == fieldName)
                return true;
        return false;
    }
    // A screen point of the item's shown picture, near its middle, in the
    // front-most field that shows it.
    bool ItemPoint(const std::string& itemName, int& px, int& py) const
    {
        QstScene* scene = Scene();
        if (!scene)
            return false;
        for (auto f = scene->onScreenFields.rbegin(); f != scene->onScreenFields.rend(); ++f) {
            QstField* field = *f;
            for (QstFieldLayer* layer : field->layers) {
                auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer);
                if (!itemLayer || !itemLayer->GetItem() || itemLayer->GetItem()->name != itemName ||
                    itemLayer->GetState() != itemLayer->GetItem()->GetCurrentState())
                    continue;
                const FRect r = layer->GetRect();
                const Point origin = field->GetScreenPosition();
                const float cx = r.x + r.width / 2, cy = r.y + r.height / 2;
                float best = -1.0f;
                for (int y = int(r.y); y < int(r.y + r.height); y += 2)
                    for (int x = int(r.x); x < int(r.x + r.width); x += 2) {
                        if (!itemLayer->HitTest(x, y))
                            continue;
                        const float d = (float(x) - cx) * (float(x) - cx) + (float(y) - cy) * (float(y) - cy);
                        if (best < 0.0f || d < best) {
                            best = d;
                            px = origin.x + x;
                            py = origin.y + y;
                        }
                    }
                if (best >= 0.0f)
                    return true;
            }
        }
        return false;
    }
    void ClickItem(const std::string& itemName)
    {
        Steps(25); // a picture that has just appeared fades in first
        int px = 0, py = 0;
        ASSERT_TRUE(ItemPoint(itemName, px, py)) << itemName << " in " << Scene()->GetSceneName();
        Click(px, py);
        Steps(5);
    }
    // A code lock's keys pressed in the code's order: keyOf gives the
    // picture of a key by its index from the first character.
    template <class KeyOf>
    void PressCode(const std::string& code, char first, KeyOf keyOf)
    {
        for (char c : code) {
            ClickPicture(keyOf(size_t(c - first)));
            Steps(3);
        }
    }
    void ClickPicture(const MinigamePicture* picture, bool right = false)
    {
        ASSERT_NE(picture, nullptr);
        ASSERT_NE(picture->image, nullptr) << picture->name;
        const Point origin = Scene()->GetScreenPosition();
        Click(origin.x + int(picture->x) + picture->image->width / 2,
              origin.y + int(picture->y) + picture->image->height / 2, right);
    }
    // Leaves the scene by an exit item and waits for the next one.
    void GoTo(const std::string& exitItem, const std::string& sceneName)
    {
        // A way out is taken through its label, which the hover brings up
        // once the picture is fully shown.
        Steps(60);
        int px = 0, py = 0;
        ASSERT_TRUE(ItemPoint(exitItem, px, py)) << exitItem;
        MoveTo(px + 3, py + 3);
        Steps(10);
        Click(px, py);
        const bool arrived = StepUntil([&] { return Scene() && Scene()->GetSceneName() == sceneName; }, 3000);
        if (!arrived) {
            const auto& lines = env.sink.debugLines;
            for (size_t i = lines.size() > 30 ? lines.size() - 30 : 0; i < lines.size(); ++i)
                std::cerr << lines[i] << "\n";
        }
        ASSERT_TRUE(arrived) << "no way from " << exitItem << " to " << sceneName << ", now "
                             << (app->CurrentBoard() ? typeid(*app->CurrentBoard()).name() : "none");
        ASSERT_NE(Settled<GameBoard>(), nullptr);
        Steps(30);
    }
    void CloseField(QstField* field)
    {
        ASSERT_NE(field, nullptr);
        const QstFieldControl* close = field->GetCloseControl();
        ASSERT_NE(close, nullptr);
        const Point at = field->GetScreenPosition();
        if (close->basePicture)
            Click(at.x + close->x + close->baseOffsetX + close->basePicture->width / 2,
                  at.y + close->y + close->baseOffsetY + close->basePicture->height / 2);
        else
            Click(at.x + close->x + close->width / 2, at.y + close->y + close->height / 2);
    }
    void DismissHelp()
    {
        Steps(40);
        if (!FindDeep<QstTutorDialog>(Scene()))
            return;
        Click(2, 2);
        Steps(40);
        EXPECT_EQ(FindDeep<QstTutorDialog>(Scene()), nullptr);
    }
    template <class Field>
    Field* OpenPuzzle(const std::string& object, const std::string& fieldName)
    {
        ClickItem(object);
        EXPECT_TRUE(StepUntil([&] { return OnScreen(fieldName); }, 200)) << fieldName;
        DismissHelp();
        Steps(20);
        auto* field = dynamic_cast<Field*>(Scene()->GetField(fieldName));
        EXPECT_NE(field, nullptr) << fieldName;
        return field;
    }
    void ExpectClosedByWin(const std::string& fieldName, const std::string& object, const char* openState = "open")
    {
        EXPECT_TRUE(StepUntil([&] { return !OnScreen(fieldName); }, 1000)) << fieldName << " stays open";
        EXPECT_EQ(StateOf(Scene()->GetSceneName() + ":" + object), openState) << fieldName;
        Steps(50);
    }

    // ---- Inventory and journal ----
    QstPoolData* Pool() const { return Scene() ? Scene()->GetPool() : nullptr; }
    bool InPool(const std::string& ref) const
    {
        QstItem* item = QstScene::GetItemByRef(ref);
        return item && Pool() && Pool()->HasItem(item);
    }
    // Shows the strip and presses the item's place: the item hangs on the
    // mouse (or the front close-up takes it in its own way).
    void TakeFromPool(const std::string& ref)
    {
        QstPoolData* pool = Pool();
        ASSERT_NE(pool, nullptr);
        QstItem* item = QstScene::GetItemByRef(ref);
        ASSERT_TRUE(item && pool->HasItem(item)) << ref << " is not in the inventory";
        const QstPoolPlace* place = nullptr;
        StepUntil([&] {
            // The strip's low arrow stays in view and calls the strip up.
            if (pool->lowArrowImage)
                MoveTo(pool->stripX + pool->lowArrowX + pool->lowArrowImage->width / 2,
                       pool->stripY + pool->lowArrowY + pool->lowArrowImage->height / 2);
            for (const QstPoolPlace& p : pool->places)
                if (p.entry && p.entry->item == item && p.entry->placed)
                    place = &p;
            return place && pool->slide == 0.0f;
        }, 400);
        ASSERT_NE(place, nullptr) << ref;
        ASSERT_EQ(pool->slide, 0.0f);
        Steps(20); // the row settles under the mouse
        const int px = pool->stripX + int(place->x + place->width / 2);
        const int py = pool->stripY + int(place->y + place->height / 2);
        Click(px, py);
    }
    void UseOn(const std::string& ref, const std::string& target)
    {
        TakeFromPool(ref);
        ASSERT_EQ(Pool()->GetDraggedItem(), QstScene::GetItemByRef(ref)) << ref << " does not hang on the mouse";
        int px = 0, py = 0;
        ASSERT_TRUE(ItemPoint(target, px, py)) << target;
        MoveTo(px, py);
        Steps(3);
        Click(px, py);
        Steps(30);
    }
    static bool InJournal(const std::string& record)
    {
        NotebookEntry* entry = GetJournalEntry("harbour");
        if (!entry)
            return false;
        QstBookRecord book;
        book.Read(*entry);
        return book.Has(record) || book.Has(record.size() == 1 ? "0" + record : record);
    }

    GameBoard* PlayIntoHarbour()
    {
        GameBoard* board = PlayIntoFirstScene();
        if (!board)
            return nullptr;
        Steps(60);
        // The first scene's tutorial: its box has a button that ends it.
        if (auto* box = FindDeep<QstTutorialBox>(board); box && box->closeButton) {
            ClickWidget(box->closeButton);
            Steps(60);
        }
        return board;
    }

    // ---- The puzzles, as a player solves them ----
    void SolveMusicBox(QstFieldMusicBox* box)
    {
        for (int stage = 0; stage < 3 && box->stage == stage; ++stage) {
            for (int c = 0; c < QstFieldMusicBox::kColumns; ++c) {
                const auto& pin = box->pins[0][size_t(box->melodies[size_t(stage)][size_t(c)])][size_t(c)];
                Click(Scene()->GetScreenPosition().x + int(pin.x), Scene()->GetScreenPosition().y + int(pin.y));
            }
            ClickWidget(box->playButton);
            Seconds(4.0f);
        }
    }
    void SolveTileLock(QstFieldLock15* lock)
    {
        for (const auto& l : lock->locks) {
            if (l.inserted)
                continue;
            TakeFromPool("study:key");
            ASSERT_NE(Pool()->GetDraggedItem(), nullptr);
            ClickPicture(l.lockPicture);
            Steps(30);
        }
        ASSERT_TRUE(lock->AllKeysIn());
        Seconds(1.2f);
        const auto moves = TileSolution(lock->Arrangement());
        ASSERT_FALSE(moves.empty());
        for (const TileMove& move : moves) {
            ClickPicture(lock->locks[size_t(move.first)].lockPicture, !move.second);
            StepUntil([&] { return !lock->moving; }, 200);
        }
    }
    void SolveJigsaw(QstFieldPuzzle* puzzle)
    {
        SolveJigsawByDragging(puzzle, *app->widgetManager, [&](int fromX, int fromY, int toX, int toY) {
            Drag(fromX, fromY, toX, toY);
            Steps(2);
        });
    }
    void SolveBurner(QstFieldGorelka* burner)
    {
        const MinigamePicture* stage = burner->stages[0].first;
        ASSERT_NE(stage->image, nullptr);
        const Point at = burner->GetScreenPosition();
        const int sx = at.x + int(stage->x) + stage->image->width / 2;
        const int sy = at.y + int(stage->y) + stage->image->height / 2;
        for (QstFieldGorelka::Part* part : burner->parts) {
            const Point screen = part->GetScreenPosition();
            Drag(screen.x + part->width / 2, screen.y + part->height / 2, sx, sy);
            ASSERT_TRUE(part->placed);
            Seconds(2.0f);
        }
    }

};

TEST_F(StoryFlow, TheStudyAndTheWorkshopArePlayedFromTheHarbourAndTheirWinsReachTheStory)
{
    ASSERT_NE(PlayIntoHarbour(), nullptr);
    ASSERT_EQ(Scene()->GetSceneName(), "harbour");

    // The sea chest's key opens the harbour master's door.
    ClickItem("study_door");
    EXPECT_EQ(StateOf("harbour:study_door"), "locked");
    ClickItem("chest");
    ASSERT_TRUE(StepUntil([&] { return OnScreen("chest"); }, 200));
    Steps(40);
    ClickItem("lid");
    ClickItem("key");
    ASSERT_TRUE(StepUntil([&] { return InPool("harbour:key"); }, 300))
        << "lid " << StateOf("harbour:lid") << " key " << StateOf("harbour:key") << " tutorial "
        << (FindDeep<QstTutorialBox>(Board()) != nullptr);
    CloseField(Scene()->GetField("chest"));
    ASSERT_TRUE(StepUntil([&] { return !OnScreen("chest"); }, 300));
    UseOn("harbour:key", "study_door");
    EXPECT_EQ(StateOf("harbour:study_door"), "open");
    EXPECT_FALSE(InPool("harbour:key"));
    EXPECT_TRUE(InJournal("5"));
    GoTo("study_door", "study");

    // The study: the tune gives the bureau's code, the bureau the safe's.
    auto* music = OpenPuzzle<QstFieldMusicBox>("musicbox", "music");
    ASSERT_NE(music, nullptr);
    SolveMusicBox(music);
    ExpectClosedByWin("music", "musicbox");
    EXPECT_TRUE(InJournal("6"));

    auto* buro = OpenPuzzle<QstFieldBuro>("bureau", "buro");
    ASSERT_NE(buro, nullptr);
    EXPECT_EQ(buro->combination, "2413") << "the slip's code";
    // The hero frowns at a click on nothing, not at a puzzle's keys.
    Avatar* avatar = Board()->avatar;
    ASSERT_NE(avatar, nullptr);
    PressCode(buro->combination, '1', [&](size_t i) { return buro->buttons[i].hoverPicture; });
    EXPECT_NE(avatar->requestedMood, Avatar::MOOD_MAD) << "the right keys";
    ExpectClosedByWin("buro", "bureau");
    EXPECT_TRUE(InJournal("7"));

    auto* safe = OpenPuzzle<QstFieldSeif>("safe", "safe");
    ASSERT_NE(safe, nullptr);
    EXPECT_EQ(safe->combination, "3710") << "the letter's code";
    PressCode(safe->combination, '0', [&](size_t i) { return safe->digits[i].picture; });
    EXPECT_NE(avatar->requestedMood, Avatar::MOOD_MAD) << "the dial";
    ExpectClosedByWin("safe", "safe");
    EXPECT_TRUE(StepUntil([&] { return InPool("study:chart"); }, 300));
    EXPECT_TRUE(InJournal("8"));
    Click(600, 100); // the study's bare wall
    Steps(3);
    EXPECT_EQ(avatar->requestedMood, Avatar::MOOD_MAD) << "a click on nothing";

    // The little door hides the key of the tile box.
    EXPECT_EQ(StateOf("study:key"), "off");
    auto* door = OpenPuzzle<QstFieldDoorLock>("door", "door");
    ASSERT_NE(door, nullptr);
    const Rect inner = door->GetInnerArea();
    const Point doorAt = door->GetScreenPosition();
    for (int turn = 0; turn < 4 && !door->solved; ++turn) {
        Click(doorAt.x + inner.x + 10, doorAt.y + inner.y + inner.height - 10);
        StepUntil([&] { return !door->turning; }, 300);
    }
    ExpectClosedByWin("door", "door");
    ASSERT_EQ(StateOf("study:key"), "normal");
    ClickItem("key");
    ASSERT_TRUE(StepUntil([&] { return InPool("study:key"); }, 300));

    auto* lock = OpenPuzzle<QstFieldLock15>("tiles", "lock");
    ASSERT_NE(lock, nullptr);
    SolveTileLock(lock);
    ExpectClosedByWin("lock", "tiles");
    EXPECT_TRUE(StepUntil([&] { return InPool("study:boat_key"); }, 300));
    EXPECT_FALSE(InPool("study:key")) << "the tile box keeps its key";
    EXPECT_TRUE(InJournal("9"));

    // Back through the harbour to the pier: the boathouse key opens the workshop.
    GoTo("exit", "harbour");
    GoTo("to_pier", "pier");
    ClickItem("boathouse");
    EXPECT_EQ(StateOf("pier:boathouse"), "locked");
    UseOn("study:boat_key", "boathouse");
    EXPECT_EQ(StateOf("pier:boathouse"), "open");
    EXPECT_FALSE(InPool("study:boat_key"));
    GoTo("boathouse", "workshop");

    auto* jigsaw = OpenPuzzle<QstFieldPuzzle>("jigsaw", "puzzle");
    ASSERT_NE(jigsaw, nullptr);
    SolveJigsaw(jigsaw);
    ExpectClosedByWin("puzzle", "jigsaw");
    EXPECT_TRUE(InJournal("10"));

    auto* spy = OpenPuzzle<QstFieldSpyGlass>("telescope", "spy");
    ASSERT_NE(spy, nullptr);
    const Point spyAt = spy->GetScreenPosition();
    for (int i = 0; i < 400 && OnScreen("spy"); ++i) {
        MoveTo(spyAt.x + 400 + (i % 200), spyAt.y + 300 + (i % 100));
        Steps(2);
    }
    ExpectClosedByWin("spy", "telescope");
    EXPECT_TRUE(InJournal("11"));

    // The burner lights the lamps and the torch.
    EXPECT_EQ(StateOf("workshop:torch"), "off");
    auto* burner = OpenPuzzle<QstFieldGorelka>("burner", "burner");
    ASSERT_NE(burner, nullptr);
    SolveBurner(burner);
    ExpectClosedByWin("burner", "burner");
    ASSERT_EQ(StateOf("workshop:torch"), "normal");
    const QstFieldVisibleGroup* dark = Scene()->GetField("main")->FindVisibleGroup("dark");
    ASSERT_NE(dark, nullptr);
    EXPECT_FALSE(dark->visible) << "the room's dusk is gone";
    ClickItem("torch");
    ASSERT_TRUE(StepUntil([&] { return InPool("workshop:torch"); }, 300));

    // The sealed sarcophagus: the winch's chain lifts its lid.
    ClickItem("sarcophagus");
    EXPECT_FALSE(OnScreen("mummy"));
    auto* chain = OpenPuzzle<QstFieldChain>("winch", "chain");
    ASSERT_NE(chain, nullptr);
    ClickItem("hook");
    ASSERT_TRUE(chain->active);
    ClickItem("post1");
    Steps(10);
    ClickItem("post2");
    ExpectClosedByWin("chain", "winch");
    EXPECT_EQ(StateOf("workshop:sarcophagus"), "closed");

    // The mummy: the torch taken up before it starts the aiming.
    auto* mummy = OpenPuzzle<QstFieldMummy>("sarcophagus", "mummy");
    ASSERT_NE(mummy, nullptr);
    TakeFromPool("workshop:torch");
    EXPECT_EQ(Pool()->GetDraggedItem(), nullptr) << "the close-up took the torch for itself";
    ASSERT_TRUE(mummy->fireMode);
    EXPECT_TRUE(Pool()->IsFireMode());
    Seconds(1.0f);
    EXPECT_EQ(Pool()->slide, 1.0f) << "the strip stays hidden while aiming";
    for (int hit = 0; hit < 10 && mummy->fireMode; ++hit) {
        int px = 0, py = 0;
        ASSERT_TRUE(ItemPoint("mummy", px, py));
        Click(px - mummy->virtualOffset.x, py - mummy->virtualOffset.y);
        Seconds(2.3f);
    }
    EXPECT_FALSE(Pool()->IsFireMode());
    ExpectClosedByWin("mummy", "sarcophagus");
    EXPECT_TRUE(StepUntil([&] { return InPool("workshop:compass"); }, 300));
    EXPECT_FALSE(InPool("workshop:torch"));
    EXPECT_TRUE(InJournal("12"));

    // The way back to the pier, where the sail waits for chart and compass.
    GoTo("exit", "pier");
    EXPECT_TRUE(InPool("study:chart"));
    EXPECT_TRUE(InPool("workshop:compass"));
    ClickItem("wreck");
    ASSERT_TRUE(StepUntil([&] { return StateOf("pier:rope") == "normal"; }, 300));
    ClickItem("rope");
    ASSERT_TRUE(StepUntil([&] { return InPool("pier:rope"); }, 300));
    UseOn("pier:rope", "boat");
    ASSERT_EQ(StateOf("pier:sail"), "normal");
    ClickItem("sail");
    EXPECT_TRUE(StepUntil([&] { return dynamic_cast<Movie*>(app->CurrentBoard()) != nullptr; }, 500))
        << "the last voyage's movie";
}

} // namespace
} // namespace Quib::Mg3Test

namespace Quib::Mg3Test {
namespace {

// The pool of a cluster outlives its boards: the next board sets its hooks
// before the last one goes, and the last one must not clear them.
TEST(PoolBoardHooks, AGoingBoardClearsOnlyItsOwnHooks)
{
    QstPoolData pool;
    int first = 0, second = 0;
    pool.SetBoardHooks(&first, [&](QstItem*, const std::string&) { return ++first, true; }, nullptr, nullptr);
    pool.SetBoardHooks(&second, [&](QstItem*, const std::string&) { return ++second, false; },
                       [](const std::u16string&, float) {}, [] { return static_cast<QstTutor*>(nullptr); });
    pool.ClearBoardHooks(&first);
    ASSERT_TRUE(pool.canTakeItem);
    EXPECT_FALSE(pool.canTakeItem(nullptr, "pool"));
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first, 0);
    EXPECT_TRUE(pool.showTooltip);
    EXPECT_TRUE(pool.getTutor);
    pool.ClearBoardHooks(&second);
    EXPECT_FALSE(pool.canTakeItem);
    EXPECT_FALSE(pool.showTooltip);
    EXPECT_FALSE(pool.getTutor);
    EXPECT_EQ(pool.hooksBoard, nullptr);
}

TEST(PoolBoardHooks, TheFireModeFlagKeepsTheStripHidden)
{
    QstPoolData pool;
    pool.mousePosition = [] { return TPoint<int>(0, 0); };
    pool.hintTime = 1.0f; // a hint would call the strip up
    pool.SetFireMode(true);
    for (int i = 0; i < 50; ++i)
        pool.Update(0.02f);
    EXPECT_TRUE(pool.IsFireMode());
    EXPECT_EQ(pool.slide, 1.0f);
    pool.SetFireMode(false);
    pool.hintTime = 1.0f;
    for (int i = 0; i < 50; ++i)
        pool.Update(0.02f);
    EXPECT_LT(pool.slide, 1.0f);
}

} // namespace
} // namespace Quib::Mg3Test
