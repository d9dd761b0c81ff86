// The notepad's lines and layout, and the miss watch.
#include "platform/TextCodecs.h"
#include "src/Lang.h"
#include "src/game/ispy/TNotepad.h"
#include "src/game/ispy/TStatistic.h"
#include "tests/ispy/IspyTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib::IspyTesting {

namespace {

const char* const kNotepadIni = "[Game]\nNotepadLines=4,10\nNotepadItemsInCol=2\nNotepadPosition=100,500,300,100\n"
                                "Notepad=ff112233,ff445566\nHintNoRandomRecord=1\n";

void WriteLang(IspyWorld& world, const std::u16string& text)
{
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    world.dir.WriteFile("res/lang.ini", bytes);
    Lang::Instance().Reload();
}

// Widths of the test texts: the number in the text.
int NumberWidth(const std::u16string& text) { return std::stoi(Utf16ToUtf8(text)); }

class CountingMessenger : public TMessenger {
public:
    explicit CountingMessenger(int32_t id) { Subscribe(this, id); }
    void OnMessage(int32_t, TMessenger*, TMessageData* data) override { values.push_back(data->intValue); }
    std::vector<int32_t> values;
};

} // namespace

TEST(HogNotepad, LinesMergeCountAndShowTheirNumberWords)
{
    IspyWorld world(kNotepadIni);
    WriteLang(world, u"[Keys]\r\nNum_2=Two|||\r\nNum_3=Thr|ee|ee|ee|ee\r\nNum_5=Five|||\r\n");
    TNotepad notepad;
    notepad.AddRecord(u"Cup||s|s", 1);
    notepad.AddRecord(u"Cup||s|s", 1);
    notepad.AddRecord(u"Box||es|es|w", 5);
    notepad.AddRecord(u"Done", 0);
    ASSERT_EQ(notepad.RecordCount(), 3u);
    EXPECT_EQ(notepad.lines[0]->shownText, u"Two Cups");
    EXPECT_EQ(notepad.lines[1]->shownText, u"Five Boxes");
    EXPECT_EQ(notepad.lines[2]->shownText, u"Done");
    EXPECT_TRUE(notepad.lines[2]->struck);
    EXPECT_FLOAT_EQ(notepad.lines[2]->alpha, 0.5f);
    EXPECT_EQ(notepad.CountRecordsLeft(), 2);
    EXPECT_FALSE(notepad.AllFound());
    // Inactive lines find nothing.
    EXPECT_FALSE(notepad.ItemFound(u"Cup||s|s"));
    notepad.ActivateLines();
    EXPECT_FALSE(notepad.ItemFound(u"Cup||s|s"));
    EXPECT_EQ(notepad.lines[0]->shownText, u"Cup");
    EXPECT_TRUE(notepad.ItemFound(u"Cup||s|s"));
    EXPECT_FALSE(notepad.ItemFound(u"Cup||s|s"));
    EXPECT_FALSE(notepad.ItemFound(u"Nothing"));
    EXPECT_EQ(notepad.CountRecordsLeft(), 1);
    EXPECT_TRUE(TNotepad().AllFound());
}

TEST(HogNotepad, FirstLinesAreActiveAndCompleteOnesGiveWay)
{
    IspyWorld world(kNotepadIni);
    TNotepad notepad;
    for (const char16_t* text : {u"a", u"b", u"c", u"d", u"e"})
        notepad.AddRecord(text, 1);
    notepad.ActivateLines();
    std::vector<bool> active;
    for (auto& line : notepad.lines)
        active.push_back(line->active);
    EXPECT_EQ(active, (std::vector<bool>{true, true, true, false, false}));
    // A finished line keeps its place on the page but lets the next line in.
    ASSERT_TRUE(notepad.ItemFound(u"b"));
    notepad.ActivateLines();
    EXPECT_TRUE(notepad.lines[1]->active);
    EXPECT_TRUE(notepad.lines[3]->active);
    EXPECT_FALSE(notepad.lines[4]->active);
    EXPECT_EQ(notepad.PickHintRecord(), notepad.lines[0].get());
}

TEST(HogNotepad, LayoutMakesColumnsByWidth)
{
    IspyWorld world(kNotepadIni);
    NotepadMeasure before = SetNotepadMeasure(&NumberWidth);
    TNotepad notepad;
    for (const char16_t* text : {u"10", u"30", u"20"})
        notepad.AddRecord(text, 1);
    notepad.Layout();
    SetNotepadMeasure(before);
    // Columns {10, 20} (width 20) and {30}: the gap spreads the rest of the 300.
    auto* l10 = notepad.FindRecord(u"10");
    auto* l20 = notepad.FindRecord(u"20");
    auto* l30 = notepad.FindRecord(u"30");
    EXPECT_EQ(l10->x, l20->x);
    EXPECT_EQ(l10->columnWidth, 20);
    EXPECT_EQ(l30->columnWidth, 30);
    EXPECT_NE(l10->layoutY, l20->layoutY);
    EXPECT_EQ(std::abs(l30->x - l10->x), l10->x == 100 ? 20 + 250 : 30 + 250);
    EXPECT_EQ(std::min(l10->layoutY, l20->layoutY), 510);
}

TEST(HogNotepad, StateRoundTripsThroughTheProfile)
{
    IspyWorld world(kNotepadIni);
    TNotepad notepad;
    notepad.AddRecord(u"K\u00e9y", 2);
    notepad.AddRecord(u"Box", 0);
    notepad.SaveState("lvl_pic");
    std::string stored;
    ASSERT_TRUE(Profiles::Instance().Lookup("lvl_pic", "Notepad", stored));
    EXPECT_EQ(stored, "004b00e90079/2,0042006f0078/0");
    TNotepad restored;
    restored.LoadState("lvl_pic");
    ASSERT_EQ(restored.RecordCount(), 2u);
    EXPECT_EQ(restored.lines[0]->count, 2);
    EXPECT_TRUE(restored.lines[0]->active);
    EXPECT_EQ(restored.lines[1]->keyText, u"Box");
    EXPECT_TRUE(restored.lines[1]->struck);
}

TEST(HogNotepad, LinesGoneWhileTheirTweensRunHarmNobody)
{
    IspyWorld world(kNotepadIni);
    auto notepad = std::make_unique<TNotepad>();
    notepad->AddRecord(u"a", 1);
    notepad->lines[0]->StartStrike();
    Process::StepAll(0.1f);
    notepad->Clear(nullptr);
    notepad.reset();
    for (int i = 0; i < 20; ++i)
        Process::StepAll(0.1f);
    SUCCEED();
}

TEST(HogNotepad, StrikeThenFadeThenTheNextLinesComeIn)
{
    IspyWorld world(kNotepadIni);
    TNotepad notepad;
    for (const char16_t* text : {u"a", u"b", u"c", u"d"})
        notepad.AddRecord(text, 1);
    notepad.ActivateLines();
    ASSERT_TRUE(notepad.ItemFound(u"a"));
    notepad.lines[0]->StartStrike();
    for (int i = 0; i < 15; ++i)
        Process::StepAll(0.1f);
    EXPECT_FLOAT_EQ(notepad.lines[0]->strikeProgress, 1.0f);
    EXPECT_FLOAT_EQ(notepad.lines[0]->alpha, 0.5f);
    EXPECT_TRUE(notepad.lines[3]->active);
}

TEST(HogStatistic, AFourthQuickMissIsABurst)
{
    IspyWorld world;
    CountingMessenger bursts(MSG_MISS_BURST);
    TStatistic watch;
    TMessenger board;
    auto tick = [&](float s) {
        TMessageData data(s);
        TMessenger::Send(&board, MSG_FRAME_TICK, &data);
    };
    auto miss = [&] { TMessenger::SendNoData(&board, MSG_MISS); };
    for (int i = 0; i < 4; ++i) {
        miss();
        tick(0.5f);
    }
    EXPECT_EQ(bursts.values, std::vector<int32_t>{20});
    miss(); // a new count starts
    EXPECT_EQ(bursts.values.size(), 1u);
    // Blocked: misses are not recorded.
    TMessenger::SendNoData(&board, MSG_LEVEL_BLOCKED);
    for (int i = 0; i < 6; ++i)
        miss();
    EXPECT_EQ(bursts.values.size(), 1u);
    TMessenger::SendNoData(&board, MSG_LEVEL_UNBLOCKED);
    // Spread wide, and then a find: nothing.
    watch.missTimes.clear();
    for (int i = 0; i < 3; ++i) {
        miss();
        tick(2.0f);
    }
    miss();
    EXPECT_EQ(bursts.values.size(), 1u);
    TMessenger::SendNoData(&board, MSG_ELEMENT_TAKEN);
    EXPECT_TRUE(watch.missTimes.empty());
}

} // namespace Quib::IspyTesting
