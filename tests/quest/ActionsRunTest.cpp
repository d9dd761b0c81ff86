// Running action scripts: what each kind does, waits, checks, groups.
#include "src/game/quest/QstItem.h"
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionWait.h"
#include "src/game/quest/actions/QstActionsGroup.h"
#include "tests/quest/ActionsTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

struct QaStartCase {
    const char* xml;
    const char* calls;
};

TEST(QstActionKinds, EachKindDoesItsWorkAtStart)
{
    const QaStartCase cases[] = {
        {"<SetState new_state='open'/>", "SetState <own> open"},
        {"<SetState item='s2:door' new_state='open' is_immediately='1' is_update_pool='1'/>",
         "SetState s2:door open now | UpdatePool s2:door"},
        {"<AddPopupField field_name='s2:box'/>", "AddPopupField s2:box"},
        {"<ShowVisibleGroup group_name='vg' is_immediately='1'/>", "Show vg now"},
        {"<HideVisibleGroup group_name='vg'/>", "Hide vg"},
        {"<ToPool new_state='inv'/>", "ToPool <own> inv"},
        {"<ToPool item='key' new_state='inv' dst_item='ring' no_fly='1' fly_from_item='box' fly_from_pos='5,6'/>",
         "ToPool key inv dst=ring nofly from=box at=5,6"},
        {"<RemoveFromPool/>", "RemoveFromPool <own>"},
        {"<RemoveFromPool item='key'/>", "RemoveFromPool key"},
        {"<ToScene scene_name='hall'/>", "ToScene hall"},
        {"<ToHOG name='h' item1='a' item2='b' scene_name='lvl' hog_item='k'/>", "ToHOG lvl won=h_WinHOG items=a;b;"},
        {"<RemovePopupField/>", "CloseTop"},
        {"<MsgBubble text=''/>", ""},
        {"<MsgBook record='rec1'/>", "Journal rec1"},
        {"<ToMovie name='m' movie_name='intro' next_scene='hall'><OnDone/></ToMovie>",
         "ToMovie intro next=hall done=m_OnDone"},
        {"<DisablePopupClose field_name='box'/>", "DisablePopupClose box"},
        {"<Sound sound_name='no_such_sound'/>", ""},
        {"<AddParticles particles_name='no_such_effect' pos='1,2'/>", ""},
    };
    QstItem own(nullptr, "chest");
    for (const QaStartCase& c : cases) {
        ScriptBook book;
        ASSERT_TRUE(book.Load(std::string("<g>") + c.xml + "</g>", "G")) << c.xml;
        QstAction* group = book.Run("G", &own);
        ASSERT_TRUE(group) << c.xml;
        EXPECT_TRUE(group->IsDone()) << c.xml;
        EXPECT_EQ(book.actor.Calls(), c.calls) << c.xml;
        // Done at start, deleted on the next frame.
        EXPECT_EQ(book.running.Size(), 1u);
        book.Update(0.01f);
        EXPECT_TRUE(book.running.Empty()) << c.xml;
    }
}

TEST(QstActionWait, NestedGroupStartsOnTheFirstUpdateAtOrAfterTheTime)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait time='1.5'><ToScene scene_name='hall'/></Wait></g>", "G"));
    QstAction* group = book.Run("G");
    ASSERT_TRUE(group);
    EXPECT_FALSE(group->IsDone());
    for (int i = 0; i < 2; ++i)
        book.Update(0.5f);
    EXPECT_EQ(book.actor.Calls(), "");
    book.Update(0.5f);
    EXPECT_EQ(book.actor.Calls(), "ToScene hall");
    EXPECT_TRUE(group->IsDone());
    book.Update(0.5f);
    EXPECT_TRUE(book.running.Empty());
    EXPECT_EQ(book.actor.calls.size(), 1u);
}

TEST(QstActionWait, ZeroTimeStillWaitsForAFrame)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait time='0'><Sound sound_name='x'/><MsgBook record='r'/></Wait></g>", "G"));
    QstAction* group = book.Run("G");
    EXPECT_EQ(book.actor.Calls(), "");
    EXPECT_FALSE(group->IsDone());
    book.Update(0.0f);
    EXPECT_EQ(book.actor.Calls(), "Journal r");
    EXPECT_TRUE(group->IsDone());
}

TEST(QstActionWait, SideBySideWaitsAndNestedWaitsAddUp)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait time='1'><MsgBook record='one'/></Wait><Wait time='2'><MsgBook record='two'/>"
                          "</Wait><Wait time='1'><Wait time='2'><MsgBook record='three'/></Wait></Wait></g>",
                          "G"));
    QstAction* group = book.Run("G");
    std::vector<std::string> seen;
    for (int frame = 1; frame <= 40 && !group->IsDone(); ++frame) {
        const size_t before = book.actor.calls.size();
        book.Update(0.1f);
        for (size_t i = before; i < book.actor.calls.size(); ++i)
            seen.push_back(book.actor.calls[i] + "@" + std::to_string(frame));
    }
    // Float steps of 0.1 reach 1.0 on the tenth or eleventh frame.
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0] == "Journal one@10" || seen[0] == "Journal one@11") << seen[0];
    EXPECT_TRUE(seen[1] == "Journal two@20" || seen[1] == "Journal two@21") << seen[1];
    EXPECT_TRUE(seen[2] == "Journal three@30" || seen[2] == "Journal three@31" || seen[2] == "Journal three@32")
        << seen[2];
    EXPECT_TRUE(group->IsDone());
}

TEST(QstActionCheckState, HeldCheckRunsItsChildrenUnmetCheckRunsNothingAndFinishes)
{
    ScriptBook book;
    book.actor.items["door"] = "closed";
    ASSERT_TRUE(book.Load("<g><CheckState item1='door' state1='open'><MsgBook record='in'/>"
                          "<Wait time='0'><MsgBook record='later'/></Wait></CheckState></g>",
                          "G"));
    QstAction* unmet = book.Run("G");
    EXPECT_TRUE(unmet->IsDone());
    for (int i = 0; i < 5; ++i)
        book.Update(1.0f);
    EXPECT_EQ(book.actor.Calls(), "");
    EXPECT_TRUE(book.running.Empty());

    book.actor.items["door"] = "open";
    QstAction* met = book.Run("G");
    EXPECT_EQ(book.actor.Calls(), "Journal in");
    EXPECT_FALSE(met->IsDone());
    book.Update(0.1f);
    EXPECT_EQ(book.actor.Calls(), "Journal in | Journal later");
    EXPECT_TRUE(met->IsDone());
}

TEST(QstActionCheckState, EveryConditionMustHold)
{
    ScriptBook book;
    book.actor.items = {{"a", "1"}, {"b", "2"}};
    ASSERT_TRUE(book.Load("<g><CheckState name='c' item1='a' state1='1' item2='b' state2='2'>"
                          "<MsgBook record='r'/></CheckState></g>",
                          "G"));
    book.Run("c");
    EXPECT_EQ(book.actor.Calls(), "Journal r");
    book.actor.items["b"] = "3";
    book.Run("c");
    EXPECT_EQ(book.actor.calls.size(), 1u);
}

TEST(QstActionsGroup, UnknownReferenceIsLeftOutAndTheRestRuns)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><UseAction name='nowhere'/><MsgBook record='r'/><UseAction name='G_00'/></g>", "G"));
    auto* group = dynamic_cast<QstActionsGroup*>(book.create(nullptr, "G"));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->GetChildCount(), 2u);
    EXPECT_EQ(book.unknownNames, std::vector<std::string>{"nowhere"});
    group->Start();
    EXPECT_EQ(book.actor.Calls(), "Journal r | Journal r");
    EXPECT_TRUE(group->IsDone());
    delete group;
}

TEST(QstActionsGroup, AnEmptyGroupIsDoneAtStart)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<OnClick/>", "G"));
    QstAction* group = book.Run("G");
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->IsDone());
}

TEST(QstActionsGroup, ATakenNameRunsTheDescriptionRegisteredFirst)
{
    ScriptBook book;
    EXPECT_FALSE(book.Load("<g><MsgBook name='x' record='first'/><MsgBook name='x' record='second'/></g>", "G"));
    EXPECT_EQ(book.errors, std::vector<std::string>{"Action \"x\" already exists"});
    book.Run("G");
    EXPECT_EQ(book.actor.Calls(), "Journal first | Journal first");
}

TEST(QstActionsGroup, ADestroyedRunningWaitDeletesItsNestedGroup)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait time='0'><Wait time='100'><MsgBook record='never'/></Wait></Wait></g>", "G"));
    book.Run("G");
    book.Update(0.1f);
    book.Update(0.1f);
    EXPECT_EQ(book.running.Size(), 1u);
    book.running.Clear(); // the sanitizer build checks that nothing leaks
    EXPECT_TRUE(book.running.Empty());
    EXPECT_EQ(book.actor.Calls(), "");
}

} // namespace
} // namespace Quib::Testing
