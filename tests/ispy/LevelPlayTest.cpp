// The demo levels played on the board without a display: scripted clicks
// at the objects' pixels (found from the level data), misses, hints, the
// win and the hand-back to the scene, and a visit saved half-done and
// finished after a restart.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/ElementSprite.h"
#include "src/game/ispy/GameControllerISpy.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"
#include "tests/ispy/IspyTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Quib::IspyTesting {

namespace {

const char* const kLevels[] = {"market", "cabin", "workshop", "hog_pier"};

// A board on a level, entered as a scene's ToHOG action enters it.
struct Visit {
    Visit(const std::string& level, const SBackFromHOGData& data)
    {
        board = std::make_unique<ISpy>();
        board->SetBounds(0, 0, 1024, 768);
        GameControllerISpy& controller = GameControllerISpy::Instance();
        controller.SetLevelName(level);
        TLevel* current = controller.GetCurrentLevel();
        board->picture = FindLevelEntryByName(current, level);
        StoreLastSceneForHog(board.get(), data);
        board->Init();
        board->LoadImages();
        board->Start();
        screen.reset(new MemoryImage());
        screen->Resize(1024, 768);
    }
    ~Visit() { board->OnLeft(); }

    // One frame: the board's update, the tweens, the drawing.
    void Frame(float seconds = 0.05f)
    {
        board->UpdateBoard(seconds);
        Process::StepAll(seconds);
        Graphics g(screen.get());
        board->Draw(g);
    }
    TPicture& Picture() { return *board->picture; }

    std::unique_ptr<ISpy> board;
    std::unique_ptr<MemoryImage> screen;
};

// The element drawn on top at a screen point, of those that can be hit.
TPaintElement* TopAt(TPicture& picture, const Point& p)
{
    for (size_t i = picture.drawList.size(); i-- > 0;)
        if (picture.drawList[i]->CanBeHitAt(p.x - picture.pictureRect.x, p.y - picture.pictureRect.y))
            return picture.drawList[i];
    return nullptr;
}

// A screen point where the element is in view (nothing drawn over it) and
// the picture's hit test answers it.
std::optional<Point> PointOn(TPicture& picture, TPaintElement* e)
{
    if (!e->currentFrame || !e->currentFrame->image)
        return std::nullopt;
    const Point at = e->GetFramePosition();
    const Point size = e->GetFrameSize();
    for (int y = 0; y < size.y; y += 2)
        for (int x = 0; x < size.x; x += 2) {
            const Point p(picture.pictureRect.x + at.x + x, picture.pictureRect.y + at.y + y);
            if (TopAt(picture, p) == e && picture.HitTest(p.x, p.y) == e)
                return p;
        }
    return std::nullopt;
}

// A screen point inside the picture where nothing can be found.
Point EmptyPoint(TPicture& picture)
{
    for (int y = picture.pictureRect.y + 5; y < picture.pictureRect.y + picture.pictureRect.height; y += 7)
        for (int x = picture.pictureRect.x + 5; x < picture.pictureRect.x + picture.pictureRect.width; x += 7)
            if (TPaintElement* e = picture.HitTest(x, y); !e || e->taken)
                return Point(x, y);
    return Point(-1, -1);
}

// The elements that can be found now (active lines), in notepad order.
std::vector<TPaintElement*> Findable(TPicture& picture)
{
    std::vector<TPaintElement*> out;
    for (auto& line : picture.notepad.lines) {
        if (!line->active || line->count == 0)
            continue;
        for (TPaintElement* e : picture.drawList)
            if (e->text == line->keyText && !e->taken)
                out.push_back(e);
    }
    return out;
}

SBackFromHOGData ReturnFor(const std::string& level)
{
    SBackFromHOGData data;
    data.sceneName = "quay_" + level;
    data.wonActions = "quay_" + level + "_WinHOG";
    data.itemRef = "quay_" + level + ":crate";
    data.foundItems = {"lamp", "rope"};
    data.hogItem = "";
    return data;
}

// Clicks every findable element, `limit` at most; returns the clicks made.
int ClickFindable(Visit& visit, int limit = 1000)
{
    int clicks = 0;
    for (bool progress = true; progress && clicks < limit;) {
        progress = false;
        for (TPaintElement* e : Findable(visit.Picture())) {
            if (clicks >= limit)
                break;
            std::optional<Point> p = PointOn(visit.Picture(), e);
            EXPECT_TRUE(p.has_value()) << e->name << " of " << visit.Picture().name << " cannot be clicked";
            if (!p)
                continue;
            const int left = visit.Picture().notepad.FindRecord(e->text)->count;
            visit.board->OnMouseDown(p->x, p->y, CLICK_LEFT);
            EXPECT_EQ(visit.Picture().notepad.FindRecord(e->text)->count, left - 1) << e->name;
            EXPECT_TRUE(std::find(visit.Picture().drawList.begin(), visit.Picture().drawList.end(), e) ==
                        visit.Picture().drawList.end());
            ++clicks;
            progress = true;
        }
    }
    return clicks;
}

} // namespace

class LevelPlayTest : public ::testing::Test {
protected:
    LevelPlayTest() : world(std::string(), true) {}
    ~LevelPlayTest() override { GameControllerISpy::Instance().ClearLevels(); }

    IspyWorld world;
    RecordingHost host;
};

TEST_F(LevelPlayTest, EveryDemoLevelIsWonByClickingItsObjects)
{
    for (const char* name : kLevels) {
        SCOPED_TRACE(name);
        const SBackFromHOGData data = ReturnFor(name);
        host.handedBack.clear();
        host.menus = 0;
        host.returns.clear();
        host.dialogs.clear();
        Visit visit(name, data);
        TPicture& picture = visit.Picture();
        TLevel& level = *picture.level;
        std::string last;
        ASSERT_TRUE(Profiles::Instance().Lookup("Main", "LastScene", last));
        EXPECT_EQ(last, "hog:" + std::string(name) + "," + data.Serialize());
        EXPECT_EQ(visit.board->GetMusicId(), "cluster_of_" + data.sceneName);
        // The search lists ItemsInHog texts; the other objects are decoration.
        ASSERT_GE(picture.items.size(), 15u);
        EXPECT_EQ(int(picture.notepad.RecordCount()), picture.itemsInHog);
        EXPECT_EQ(level.CountRecordsLeft(), picture.itemsInHog);
        EXPECT_EQ(ElementImageQueue::Count(), 0u);

        // A miss turns the cursor red for a second.
        const Point empty = EmptyPoint(picture);
        ASSERT_GE(empty.x, 0);
        visit.board->OnMouseDown(empty.x, empty.y, CLICK_LEFT);
        EXPECT_TRUE(visit.board->missFlag);
        // A second miss while the first one's tween runs starts it again.
        visit.board->OnMouseDown(empty.x, empty.y, CLICK_LEFT);
        for (int i = 0; i < 25; ++i)
            visit.Frame();
        EXPECT_FALSE(visit.board->missFlag);
        EXPECT_EQ(visit.board->statistic.missTimes.size(), 2u);

        // A hint marks an element of an active line; taking it removes the mark.
        ASSERT_TRUE(visit.board->RequestHint());
        ASSERT_EQ(visit.board->hintMarkers.size(), 1u);
        TPaintElement* hinted = visit.board->hintMarkers[0]->element;
        ASSERT_NE(hinted, nullptr);
        EXPECT_TRUE(picture.notepad.FindRecord(hinted->text)->active);
        visit.Frame(0.25f);
        EXPECT_NE(hinted->glowColour, 0u);
        std::optional<Point> p = PointOn(picture, hinted);
        ASSERT_TRUE(p.has_value());
        const int score = level.score;
        visit.board->OnMouseDown(p->x, p->y, CLICK_LEFT);
        EXPECT_TRUE(visit.board->hintMarkers.empty());
        EXPECT_EQ(hinted->glowColour, 0u);
        EXPECT_EQ(level.score, score + 50);
        EXPECT_TRUE(visit.board->statistic.missTimes.empty());

        // The rest: click what the notepad shows, let finished lines make
        // room for the next, until the level is won.
        int clicks = 1;
        for (int round = 0; round < 40 && !visit.board->won; ++round) {
            clicks += ClickFindable(visit);
            for (int i = 0; i < 25 && !visit.board->won; ++i)
                visit.Frame();
        }
        ASSERT_TRUE(visit.board->won);
        EXPECT_EQ(level.CountRecordsLeft(), 0);
        EXPECT_EQ(level.score, score + 50 * clicks);
        EXPECT_FALSE(level.changed);
        ASSERT_EQ(host.handedBack.size(), 1u);
        EXPECT_EQ(host.handedBack[0].Serialize(), data.Serialize());
        ASSERT_TRUE(Profiles::Instance().Lookup("Main", "LastScene", last));
        EXPECT_EQ(last, "scene:" + data.sceneName);
        EXPECT_FALSE(visit.board->IsInExitZone(767));

        // Two seconds later the item dialog, then back to the scene once.
        for (int i = 0; i < 30; ++i)
            visit.Frame(0.1f);
        EXPECT_EQ(host.dialogs, std::vector<std::string>{data.sceneName + ":lamp"});
        EXPECT_TRUE(host.returns.empty());
        visit.board->OnDialogClosed();
        for (int i = 0; i < 10; ++i)
            visit.Frame(0.1f);
        EXPECT_EQ(host.returns, std::vector<std::string>{data.sceneName});
    }
}

TEST_F(LevelPlayTest, TheDemoScenesFindWhatTheyAskFor)
{
    // The scenes' ToHOG actions: the pier's wreck for its rope, the
    // harbour master's board for a coin.
    const std::pair<const char*, const char*> asks[] = {{"hog_pier", "rope"}, {"market", "coin"}};
    for (const auto& [level, item] : asks) {
        SBackFromHOGData data = ReturnFor(level);
        data.hogItem = item;
        data.foundItems = {item};
        Visit visit(level, data);
        ASSERT_FALSE(visit.Picture().notepad.lines.empty()) << level;
        EXPECT_EQ(visit.Picture().notepad.lines[0]->keyText, LookupKeyText("Keys", item)) << level;
        EXPECT_TRUE(visit.Picture().notepad.lines[0]->active) << level;
    }
}

TEST_F(LevelPlayTest, ExitZoneAndClicksThatDoNothing)
{
    Visit visit("market", ReturnFor("market"));
    const int top = visit.Picture().notepad.y;
    const int exitRow = 768 - (768 - top) / 2;
    const size_t listed = visit.Picture().drawList.size();
    visit.board->OnMouseDown(10, exitRow - 1, CLICK_RIGHT);
    visit.board->OnMouseDown(10, exitRow - 1, CLICK_LEFT_DOUBLE);
    visit.board->OnMouseDown(10, exitRow, CLICK_RIGHT);
    EXPECT_TRUE(host.returns.empty());
    EXPECT_FALSE(visit.board->missFlag);
    visit.board->OnMouseDown(10, exitRow - 1, CLICK_LEFT);
    EXPECT_TRUE(visit.board->missFlag);
    EXPECT_TRUE(host.returns.empty());
    visit.board->OnMouseDown(10, exitRow, CLICK_LEFT);
    EXPECT_EQ(host.returns, std::vector<std::string>{"quay_market"});
    EXPECT_EQ(visit.Picture().drawList.size(), listed);
}

TEST_F(LevelPlayTest, HalfDoneLevelIsSavedRestoredAndFinished)
{
    const SBackFromHOGData data = ReturnFor("cabin");
    std::map<std::u16string, int> saved;
    std::set<std::string> taken;
    {
        Visit visit("cabin", data);
        EXPECT_EQ(ClickFindable(visit, 6), 6);
        for (TPaintElement* e : visit.Picture().items)
            if (std::find(visit.Picture().drawList.begin(), visit.Picture().drawList.end(), e) ==
                visit.Picture().drawList.end())
                taken.insert(e->name);
        for (auto& line : visit.Picture().notepad.lines)
            saved[line->keyText] = line->count;
        // Back to a scene: the adventure board saves every level that changed.
        visit.board->OnMouseDown(10, 767, CLICK_LEFT);
    }
    GameControllerCommon::Instance().ReleaseActiveLevel();
    GameControllerISpy::Instance().UnloadLevels();
    std::string list;
    ASSERT_TRUE(Profiles::Instance().Lookup("cabin_cabin", "CurrList", list));
    ASSERT_TRUE(Profiles::Instance().SaveCurrent());

    // A new run of the game: the levels are made anew from the profile.
    GameControllerISpy::Instance().ClearLevels();
    Profiles::Instance().Clear();
    SingletoneBase::DestroyAll();
    Profiles::Instance().SelectProfile(u"Tester");
    ASSERT_TRUE(Profiles::Instance().LoadCurrent());

    Visit visit("cabin", data);
    TPicture& picture = visit.Picture();
    std::map<std::u16string, int> restored;
    for (auto& line : picture.notepad.lines)
        restored[line->keyText] = line->count;
    EXPECT_EQ(restored, saved);
    for (TPaintElement* e : picture.drawList)
        EXPECT_EQ(taken.count(e->name), 0u) << e->name << " was found before";
    // The saved state is consumed by the restore.
    EXPECT_FALSE(Profiles::Instance().Lookup("cabin_cabin", "CurrList", list));
    for (int round = 0; round < 40 && !visit.board->won; ++round) {
        ClickFindable(visit);
        for (int i = 0; i < 25 && !visit.board->won; ++i)
            visit.Frame();
    }
    EXPECT_TRUE(visit.board->won);
    EXPECT_EQ(host.handedBack.size(), 1u);
}

TEST_F(LevelPlayTest, HintCompassRechargesOnTheBoardAndGivesAHint)
{
    HintTimer& timer = GetHintTimer();
    const HintTimer before = timer;
    timer.rechargeTime = 2.0f;
    timer.rechargeValue = 0.0f;
    {
        Visit visit("market", ReturnFor("market"));
        HintWidget* compass = visit.board->hintCompass;
        ASSERT_NE(compass, nullptr);
        EXPECT_EQ(compass->parent, visit.board.get());
        // The compass pictures come from the board's layout, in view, clear
        // of the picture and of the notepad's lines.
        ASSERT_NE(compass->back, nullptr);
        ASSERT_NE(compass->arrow, nullptr);
        const Rect bounds(compass->x, compass->y, compass->width, compass->height);
        EXPECT_GT(bounds.width, 0);
        EXPECT_EQ(Rect(0, 0, 1024, 768).Intersection(bounds), bounds);
        EXPECT_EQ(visit.Picture().pictureRect.Intersection(bounds).width, 0);
        // Not charged: a click does nothing.
        compass->OnMouseDownButton(compass->width / 2, compass->height / 2, 1, 1);
        EXPECT_TRUE(visit.board->hintMarkers.empty());
        // The board's frames recharge it.
        for (int i = 0; i < 10; ++i)
            visit.Frame(0.1f);
        EXPECT_FLOAT_EQ(timer.ChargedFraction(), 0.5f);
        EXPECT_FALSE(timer.IsCharged());
        for (int i = 0; i < 11; ++i)
            visit.Frame(0.1f);
        ASSERT_TRUE(timer.IsCharged());
        EXPECT_GT(timer.readyGlow, 0.0f) << "the ready pulse shows";
        // A click spends the charge on a hint for a line being searched.
        compass->OnMouseDownButton(compass->width / 2, compass->height / 2, 1, 1);
        ASSERT_EQ(visit.board->hintMarkers.size(), 1u);
        TPaintElement* hinted = visit.board->hintMarkers[0]->element;
        ASSERT_NE(hinted, nullptr);
        EXPECT_FALSE(hinted->taken);
        EXPECT_TRUE(visit.Picture().notepad.FindRecord(hinted->text)->active);
        EXPECT_FALSE(timer.IsCharged());
        EXPECT_EQ(timer.usedFlash, 1.0f);
        // It draws its face where it stands.
        MemoryImage face;
        face.Resize(compass->width, compass->height);
        Graphics g(&face);
        compass->Draw(g);
        int drawn = 0;
        for (int i = 0; i < compass->width * compass->height; ++i)
            drawn += (face.Pixels()[i] >> 24) != 0;
        EXPECT_GT(drawn, compass->width * compass->height / 4);
    }
    timer = before;
}

TEST_F(LevelPlayTest, SameListKeepsTheSearchAndAnotherBuildsANewOne)
{
    SBackFromHOGData data = ReturnFor("workshop");
    std::vector<std::u16string> first;
    {
        Visit visit("workshop", data);
        ClickFindable(visit, 2);
        for (auto& line : visit.Picture().notepad.lines)
            first.push_back(line->keyText);
    }
    Visit again("workshop", data);
    std::vector<std::u16string> second;
    for (auto& line : again.Picture().notepad.lines)
        second.push_back(line->keyText);
    EXPECT_EQ(second, first);
    EXPECT_EQ(again.Picture().level->CountRecordsLeft() < again.Picture().itemsInHog, true);
    // The scene asks for its key: always listed, whatever the draw.
    data.hogItem = "key";
    StoreLastSceneForHog(again.board.get(), data);
    EXPECT_NE(again.Picture().notepad.FindRecord(LookupKeyText("Keys", "key")), nullptr);
    EXPECT_EQ(again.Picture().level->CountRecordsLeft(), again.Picture().itemsInHog);
}

} // namespace Quib::IspyTesting
