// Level rules on small levels written by the tests: the messages of a take,
// blocking, the choice of a search, pic.ini kept in step with the layers,
// spheres, and a search saved and restored.
#include "framework/files/IniData.h"
#include "framework/files/ProcessLog.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/ispy/GameControllerISpy.h"
#include "src/game/ispy/HexKey.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"
#include "platform/headless/CapturingSink.h"
#include "tests/ispy/IspyTestSupport.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace Quib::IspyTesting {

namespace {

// One layer: its key, position, size and z; an opaque square picture.
struct LayerSpec {
    std::string key;
    int x, y, size, z;
};

const char* const kRulesIni = "[Game]\nItemsInHog=2\nNotepadLines=10,0\nNotepadItemsInCol=3\n"
                              "NotepadPosition=0,600,900,100\nPicture=0,0,800,600\nHintNoRandomRecord=1\n";

const std::u16string kKeysLang = u"[Keys]\r\ncup=Cup\r\nmug=Cup\r\nkey=Key\r\nbox=Box\r\nnet=Net\r\n"
                                 u"rope=Rope\r\ncoin=Coin||s|s\r\nNum_2=Two||||\r\n";

void WriteLevel(IspyWorld& world, const std::string& name, const std::vector<LayerSpec>& layers,
                const std::string& picLines)
{
    std::string ini = "[" + name + "]\r\n";
    for (const LayerSpec& l : layers) {
        ini += l.key + " = " + std::to_string(l.x) + " " + std::to_string(l.y) + " " + std::to_string(l.size) + " " +
               std::to_string(l.size) + " 0 255 " + std::to_string(l.z) + "\r\n";
        world.dir.WriteFile("data/hog/" + name + "/" + l.key + ".tga",
                            Testing::MakeTga(l.size, l.size, 32, 0x28,
                                             std::vector<uint32_t>(size_t(l.size * l.size), 0xff808080u)));
    }
    world.dir.WriteFile("data/hog/" + name + "/layers.ini", ini);
    if (!picLines.empty())
        world.dir.WriteFile("data/hog/" + name + "/pic.ini", "[" + name + "]\r\n" + picLines);
}

void WriteKeys(IspyWorld& world)
{
    std::string bytes = "\xff\xfe";
    for (char16_t c : kKeysLang) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    world.dir.WriteFile("res/lang.ini", bytes);
    Lang::Instance().Reload();
}

class Recorder : public TMessenger {
public:
    explicit Recorder(std::vector<int32_t> ids, TPicture* watched = nullptr) : picture(watched)
    {
        for (int32_t id : ids)
            Subscribe(this, id);
    }
    void OnMessage(int32_t id, TMessenger*, TMessageData*) override
    {
        seen.push_back(id);
        if (id == MSG_LEVEL_BLOCKED && picture)
            pictureBlockedAtSend = picture->blocked;
    }
    std::vector<int32_t> seen;
    TPicture* picture = nullptr;
    bool pictureBlockedAtSend = true;
};

std::vector<std::u16string> Lines(TPicture& picture)
{
    std::vector<std::u16string> out;
    for (auto& line : picture.notepad.lines)
        out.push_back(line->keyText);
    return out;
}

TLevel* MakeLevel(const std::string& name)
{
    GameControllerISpy& controller = GameControllerISpy::Instance();
    controller.SetLevelName(name);
    TLevel* level = controller.GetCurrentLevel();
    while (ElementImageQueue::Count() != 0)
        ElementImageQueue::LoadFirst();
    return level;
}

} // namespace

class RulesTest : public ::testing::Test {
protected:
    RulesTest() : world(kRulesIni) { WriteKeys(world); }
    ~RulesTest() override
    {
        GameControllerCommon::Instance().ReleaseActiveLevel();
        GameControllerISpy::Instance().ClearLevels();
    }
    IspyWorld world;
};

TEST_F(RulesTest, TheLastTakeScoresThenWinsThenCompletesTheLevel)
{
    WriteLevel(world, "one", {{"back", 0, 0, 8, 1}, {"trash/key", 10, 10, 8, 5}}, "trash/key = key,1,0,1\r\n");
    TLevel* level = MakeLevel("one");
    level->SetCurrentList("key");
    TPicture* picture = level->pictures[0];
    ASSERT_EQ(Lines(*picture), std::vector<std::u16string>{u"Key"});
    Recorder recorder({MSG_SCORE_CHANGED, MSG_PICTURE_COMPLETE, MSG_LEVEL_COMPLETE, MSG_FIRST_MISS_BURST});
    TPaintElement* key = picture->FindItem("trash/key");
    ASSERT_TRUE(picture->notepad.ItemFound(key->text));
    TMessageData data(key);
    TMessenger::Send(nullptr, MSG_ELEMENT_TAKEN, &data);
    EXPECT_EQ(recorder.seen, (std::vector<int32_t>{MSG_SCORE_CHANGED, MSG_PICTURE_COMPLETE, MSG_LEVEL_COMPLETE}));
    EXPECT_EQ(level->score, 50);
    // After the level is complete a burst of misses sends no notice.
    TMessageData burst(int32_t(20));
    TMessenger::Send(nullptr, MSG_MISS_BURST, &burst);
    EXPECT_EQ(recorder.seen.size(), 3u);
}

TEST_F(RulesTest, MissNoticeOnceAndBlockedBeforeThePicturesKnow)
{
    WriteLevel(world, "two", {{"trash/key", 10, 10, 8, 5}, {"trash/box", 30, 10, 8, 6}},
               "trash/key = key,1,0,1\r\ntrash/box = box,1,0,1\r\n");
    TLevel* level = MakeLevel("two");
    level->SetCurrentList("");
    Recorder recorder({MSG_FIRST_MISS_BURST, MSG_LEVEL_BLOCKED, MSG_LEVEL_UNBLOCKED}, level->pictures[0]);
    TMessageData burst(int32_t(20));
    TMessenger::Send(nullptr, MSG_MISS_BURST, &burst);
    TMessenger::Send(nullptr, MSG_MISS_BURST, &burst);
    level->SetBlocked(true);
    EXPECT_FALSE(recorder.pictureBlockedAtSend);
    EXPECT_TRUE(level->pictures[0]->blocked);
    TMessenger::SendNoData(nullptr, MSG_TOGGLE_BLOCK);
    EXPECT_FALSE(level->pictures[0]->blocked);
    EXPECT_EQ(recorder.seen, (std::vector<int32_t>{MSG_FIRST_MISS_BURST, MSG_LEVEL_BLOCKED, MSG_LEVEL_UNBLOCKED}));
}

TEST_F(RulesTest, EmptySearchIsNoWin)
{
    // A level entered with no list name still gets a search; a picture with
    // no lines at all is not finished.
    WriteLevel(world, "three", {{"trash/key", 10, 10, 8, 5}}, "trash/key = key,1,0,1\r\n");
    TLevel* level = MakeLevel("three");
    EXPECT_FALSE(level->IsComplete());
    Recorder recorder({MSG_PICTURE_COMPLETE});
    level->SetCurrentList("");
    EXPECT_EQ(Lines(*level->pictures[0]), std::vector<std::u16string>{u"Key"});
    EXPECT_FALSE(level->IsComplete());
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(RulesTest, SearchPrefersTextsUsedLeastAndAlwaysListsTheRequiredOne)
{
    WriteLevel(world, "four",
               {{"trash/key", 10, 10, 8, 5}, {"trash/box", 30, 10, 8, 6}, {"trash/net", 50, 10, 8, 7},
                {"trash/rope", 70, 10, 8, 8}},
               "trash/key = key,1,0,1\r\ntrash/box = box,1,0,1\r\ntrash/net = net,1,0,1\r\n"
               "trash/rope = rope,1,0,1\r\n");
    TLevel* level = MakeLevel("four");
    TPicture* picture = level->pictures[0];
    // Box, Net and Rope used; Key never: Key first, then the least used.
    Profiles::Instance().SetString("ispy_four_used", EncodeHexKey(u"Box"), "3");
    Profiles::Instance().SetString("ispy_four_used", EncodeHexKey(u"Net"), "1");
    Profiles::Instance().SetString("ispy_four_used", EncodeHexKey(u"Rope"), "2");
    for (int i = 0; i < 5; ++i) {
        level->SetCurrentList(i % 2 ? "x" : "");
        std::vector<std::u16string> lines = Lines(*picture);
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, (std::vector<std::u16string>{u"Key", u"Net"}));
    }
    // The required object is listed whatever its count; one other is drawn.
    level->SetCurrentList("box");
    std::vector<std::u16string> lines = Lines(*picture);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"Box");
    EXPECT_EQ(lines[1], u"Key");
    // Completing a line counts its use.
    picture->CountItemUse(u"Key");
    picture->CountItemUse(u"Key");
    std::string uses;
    ASSERT_TRUE(Profiles::Instance().Lookup("ispy_four_used", EncodeHexKey(u"Key"), uses));
    EXPECT_EQ(uses, "2");
    // Objects not listed stay in the picture, but cannot be found.
    TPaintElement* rope = picture->FindItem("trash/rope");
    EXPECT_TRUE(std::find(picture->drawList.begin(), picture->drawList.end(), rope) != picture->drawList.end());
    EXPECT_TRUE(rope->taken);
}

TEST_F(RulesTest, SharedTextsMakeOneLine)
{
    WriteLevel(world, "five",
               {{"trash/cup", 10, 10, 8, 5}, {"trash/mug", 30, 10, 8, 6}, {"trash/coin1", 50, 10, 8, 7},
                {"trash/coin2", 70, 10, 8, 8}},
               "trash/cup = cup/mug,1,0,1\r\ntrash/mug = mug,1,0,1\r\ntrash/coin1 = coin,1,0,1\r\n"
               "trash/coin2 = coin,1,0,1\r\n");
    TLevel* level = MakeLevel("five");
    level->SetCurrentList("coin");
    TPicture* picture = level->pictures[0];
    ASSERT_EQ(picture->notepad.RecordCount(), 2u);
    EXPECT_EQ(picture->notepad.lines[0]->keyText, u"Coin||s|s");
    EXPECT_EQ(picture->notepad.lines[0]->count, 2);
    EXPECT_EQ(picture->notepad.lines[0]->shownText, u"Two Coins");
    EXPECT_EQ(picture->notepad.lines[1]->keyText, u"Cup");
    EXPECT_EQ(picture->notepad.lines[1]->count, 2);
}

TEST_F(RulesTest, PicIniFollowsTheLayers)
{
    WriteLevel(world, "six", {{"Trash/Key", 10, 10, 8, 5}, {"trash/box/1", 30, 10, 8, 6}},
               "trash/key = key,0.5,1,0.25\r\ntrash/gone = gone,1,0,1\r\n");
    MakeLevel("six");
    IniData pic;
    pic.LoadFile("data/hog/six/pic.ini");
    std::vector<std::string> values;
    pic.GetValues(values, "trash/key", "six");
    EXPECT_EQ(values, (std::vector<std::string>{"key", "0.50", "1", "0.25"}));
    values.clear();
    pic.GetValues(values, "trash/box", "six");
    EXPECT_EQ(values, (std::vector<std::string>{"", "1.00", "0", "1.00"}));
}

// Told once each, by the file: what pic.ini lacks, what it has too much
// and entries short of their values; a whole file says nothing.
TEST_F(RulesTest, PicIniThatDoesNotMatchTheLayersIsToldByName)
{
    const std::vector<LayerSpec> layers = {{"trash/key", 10, 10, 8, 5}, {"trash/box", 30, 10, 8, 6},
                                           {"trash/net", 50, 10, 8, 7}};
    const std::string whole = "trash/key = key,1.00,0,1.00\r\ntrash/box = box,1.00,0,1.00\r\n"
                              "trash/net = net,1.00,0,1.00\r\n";
    struct Case {
        const char* level;
        std::string pic;
        std::vector<std::string> told;
    } cases[] = {
        {"whole", whole, {}},
        {"cut", whole.substr(0, whole.find("0,1.00\r\ntrash/net")),
         {"data/hog/cut/pic.ini has no entry for 1 objects (trash/net); they get default values",
          "data/hog/cut/pic.ini has 1 entries short of their four values (trash/box); the file may be cut short"}},
        {"extra", whole + "trash/old = old,1.00,0,1.00\r\n",
         {"data/hog/extra/pic.ini has entries for 1 objects without layers (trash/old)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        WriteLevel(world, c.level, layers, c.pic);
        // Entries reach the sink only from an open log.
        ProcessLog::GetInstance()->Open(world.dir / "log.html");
        CapturingSink sink;
        TLevel* level = MakeLevel(c.level);
        ASSERT_EQ(level->pictures.size(), 1u);
        EXPECT_EQ(level->pictures[0]->items.size(), 3u);
        std::vector<std::string> told;
        for (const std::string& line : sink.debugLines)
            if (line.find("pic.ini has") != std::string::npos)
                told.push_back(line.substr(line.find("data/hog/"), line.find_last_not_of("\r\n") + 1 -
                                                                       line.find("data/hog/")));
        EXPECT_EQ(told, c.told);
    }
}

TEST_F(RulesTest, SpheresArePlacedTakenSavedAndRestored)
{
    WriteLevel(world, "seven",
               {{"back", 0, 0, 8, 1}, {"trash/key", 10, 10, 8, 5}, {"spheres/a", 100, 100, 8, 9},
                {"spheres/b", 200, 100, 8, 9}},
               "trash/key = key,1,0,1\r\n");
    TLevel* level = MakeLevel("seven");
    TPicture* picture = level->pictures[0];
    ASSERT_EQ(picture->spheres.size(), 2u);
    EXPECT_TRUE(picture->spheres[0]->IsSphere());
    EXPECT_EQ(picture->FindScenery("spheres"), nullptr);
    Recorder placed({MSG_SPHERES_PLACED, MSG_SPHERE_TAKEN});
    level->SetCurrentList("");
    EXPECT_EQ(placed.seen, std::vector<int32_t>{MSG_SPHERES_PLACED});
    auto isSphere = [](TPaintElement* e) { return e->IsSphere(); };
    EXPECT_EQ(std::count_if(picture->drawList.begin(), picture->drawList.end(), isSphere), 2);
    level->SaveState();
    std::string orb;
    ASSERT_TRUE(Profiles::Instance().Lookup("seven_seven", "Orb0", orb));
    EXPECT_EQ(orb, "100,100");
    // Restored on the next search of the level.
    level->SetCurrentList("other");
    EXPECT_EQ(std::count_if(picture->drawList.begin(), picture->drawList.end(), isSphere), 2);

    // A sphere on the board: a take that is not an object of the notepad.
    RecordingHost host;
    ISpy board;
    board.SetBounds(0, 0, 1024, 768);
    board.picture = picture;
    board.OnMouseDown(103, 103, CLICK_LEFT);
    EXPECT_EQ(placed.seen.back(), MSG_SPHERE_TAKEN);
    EXPECT_FALSE(board.missFlag);
    EXPECT_EQ(level->score, 50);
}

TEST_F(RulesTest, RestoredSearchCanFindItsLowestObject)
{
    // The key lies under the box: only the key's corner is free.
    WriteLevel(world, "eight", {{"trash/key", 10, 10, 8, 2}, {"trash/box", 14, 14, 8, 3}},
               "trash/key = key,1,0,1\r\ntrash/box = box,1,0,1\r\n");
    TLevel* level = MakeLevel("eight");
    level->SetCurrentList("");
    TPicture* picture = level->pictures[0];
    level->SaveState();
    level->LoadState();
    EXPECT_EQ(picture->HitTest(10, 10), picture->FindItem("trash/key"));
    EXPECT_EQ(picture->HitTest(17, 17), picture->FindItem("trash/box"));
    EXPECT_EQ(picture->HitTest(40, 40), nullptr);
}

TEST_F(RulesTest, SaveAllWritesLevelsWhenNoneIsActive)
{
    WriteLevel(world, "nine", {{"trash/key", 10, 10, 8, 5}}, "trash/key = key,1,0,1\r\n");
    TLevel* level = MakeLevel("nine");
    level->SetCurrentList("");
    GameControllerCommon::Instance().ReleaseActiveLevel();
    GameControllerISpy::Instance().UnloadLevels();
    std::string list;
    EXPECT_TRUE(Profiles::Instance().Lookup("nine_nine", "CurrList", list));
    // The hidden placeholder in front gives an empty entry.
    EXPECT_EQ(list, ",trash/key|" + EncodeHexKey(u"Key"));
}

} // namespace Quib::IspyTesting

namespace Quib::IspyTesting {

TEST_F(RulesTest, BoardIgnoresOtherPicturesAndKeepsOneShove)
{
    WriteLevel(world, "ten", {{"trash/key", 10, 10, 8, 5}}, "trash/key = key,1,0,1\r\n");
    TLevel* level = MakeLevel("ten");
    level->SetCurrentList("");
    RecordingHost host;
    ISpy board;
    board.SetBounds(0, 0, 1024, 768);
    board.picture = level->pictures[0];
    // A finished picture that is not the board's: no win.
    TPicture other("other", nullptr, false);
    TMessageData data(&other);
    TMessenger::Send(nullptr, MSG_PICTURE_COMPLETE, &data);
    // The board's own picture while the level is not complete: no win either.
    TMessageData own(board.picture);
    TMessenger::Send(nullptr, MSG_PICTURE_COMPLETE, &own);
    EXPECT_FALSE(board.won);
    EXPECT_TRUE(host.handedBack.empty());

    TMessageData burst(int32_t(20));
    TMessenger::Send(nullptr, MSG_MISS_BURST, &burst);
    ASSERT_TRUE(board.shoveActive);
    const Point target = board.shoveTarget;
    const int dx = target.x - board.shoveStart.x, dy = target.y - board.shoveStart.y;
    EXPECT_NEAR(std::sqrt(double(dx * dx + dy * dy)), 300.0, 2.0);
    board.UpdateBoard(1.0f);
    TMessenger::Send(nullptr, MSG_MISS_BURST, &burst);
    EXPECT_EQ(board.shoveTarget, target);
    board.UpdateBoard(1.0f);
    board.UpdateBoard(1.01f);
    EXPECT_FALSE(board.shoveActive);
}

} // namespace Quib::IspyTesting
